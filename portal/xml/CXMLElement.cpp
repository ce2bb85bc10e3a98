#include "portal/xml/CXMLElement.h"

#include <cstring>
#include <new>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLSource.h"
#include "portal/xml/XMLFlags.h"

namespace {

const char kNoMoreBytes[] = "There are no more bytes to parse. We ran out of bytes before we ran out of XML.";
const char kUnknownKind[] = "Type of element is unknown. Could not parse element data.";
const char kNoTerminator[] = "Could not find terminator. Premature end of data encountered.";
const char kCannotParseTag[] = "Internal error: Could not parse tag.";
const char kCannotCreateElement[] = "Internal error: Could not create new element.";
const char kOverlappingTags[] = "Overlapping tags detected.";
const char kNestedTooDeeply[] = "Elements are nested too deeply.";

const std::string_view kCDataStart = "<![CDATA[";
const std::string_view kCDataEnd = "]]>";
const std::string_view kCommentEnd = "-->";

// Byte classes: kSpace is white space as the C library classes it (what trimming removes),
// kTextBlank keeps a text run "whitespace only". The blanks that end a tag's name are space,
// tab, carriage return and line feed.
enum : unsigned char { kSpace = 1, kTextBlank = 2 };

struct ByteClasses {
    unsigned char of[256] = {};
    ByteClasses() {
        for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
            of[c] |= kSpace;
        }
        for (unsigned char c : {' ', '\t', '\r', '\n'}) {
            of[c] |= kTextBlank;
        }
        of[0] |= kTextBlank;
    }
};

const ByteClasses kClasses;

bool IsSpace(char c) {
    return kClasses.of[static_cast<unsigned char>(c)] & kSpace;
}

bool IsNameEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsTextBlank(char c) {
    return kClasses.of[static_cast<unsigned char>(c)] & kTextBlank;
}

bool IsBlankRun(std::string_view run) {
    for (char c : run) {
        if (!IsTextBlank(c)) {
            return false;
        }
    }
    return true;
}

// The first byte in [begin, end) equal to one of wanted, or nullptr. Eight bytes at a time: a
// byte of (word ^ pattern) is zero where the word holds the wanted byte, and the lowest flag of
// the zero-byte test is exact.
template <typename... Bytes>
inline const char* FindAny(const char* begin, const char* end, Bytes... wanted) {
    const char* p = begin;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    while (end - p >= 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        uint64_t hits = 0;
        for (char c : {wanted...}) {
            const uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
            hits |= (x - kOnes) & ~x & kHighs;
        }
        if (hits) {
            return p + (__builtin_ctzll(hits) >> 3);
        }
        p += 8;
    }
#endif
    for (; p < end; ++p) {
        for (char c : {wanted...}) {
            if (*p == c) {
                return p;
            }
        }
    }
    return nullptr;
}

// Where a scan stopped, with the line feeds it passed.
struct Scan {
    const char* stop = nullptr;   // the byte found, or the end
    bool found = false;
    size_t lineFeeds = 0;
    const char* lineStart = nullptr;   // just after the last line feed passed
};

// Scans [begin, end) up to the first terminator byte, counting line feeds on the way.
template <typename... Bytes>
inline Scan ScanTo(const char* begin, const char* end, Bytes... terminators) {
    Scan scan;
    scan.lineStart = begin;
    const char* p = begin;
    for (;;) {
        const char* hit = FindAny(p, end, '\n', terminators...);
        if (!hit) {
            scan.stop = end;
            return scan;
        }
        if (*hit == '\n' && ((*hit != terminators) && ...)) {
            ++scan.lineFeeds;
            scan.lineStart = hit + 1;
            p = hit + 1;
            continue;
        }
        scan.stop = hit;
        scan.found = true;
        return scan;
    }
}

inline const char* FindByte(const char* begin, const char* end, char wanted) {
    return FindAny(begin, end, wanted);
}

inline size_t FindByte(std::string_view text, char wanted, size_t from = 0) {
    if (from >= text.size()) {
        return std::string_view::npos;
    }
    const char* found = FindByte(text.data() + from, text.data() + text.size(), wanted);
    return found ? static_cast<size_t>(found - text.data()) : std::string_view::npos;
}

inline std::string_view TrimLeft(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

inline std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (text[i] != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Replaces the contents of a buffer by bytes from elsewhere (never from the buffer itself).
inline void AssignBytes(std::string& buffer, const char* bytes, size_t count) {
    buffer.clear();
    buffer.append(bytes, count);
}

// One pass from left to right: "&amp;", "&gt;", "&lt;" and "&quot;" become the byte they name;
// what a replacement produced is not looked at again, and every other "&" stays as written.
void DecodeEntities(std::string_view text, std::string& out) {
    out.clear();
    size_t from = 0;
    for (size_t amp = FindByte(text, '&'); amp != std::string_view::npos; amp = FindByte(text, '&', amp + 1)) {
        const std::string_view tail = text.substr(amp + 1);
        char byte = 0;
        size_t length = 0;
        switch (tail.empty() ? '\0' : tail[0]) {
        case 'a':
            byte = '&', length = StartsWith(tail, "amp;") ? 5 : 0;
            break;
        case 'l':
            byte = '<', length = StartsWith(tail, "lt;") ? 4 : 0;
            break;
        case 'g':
            byte = '>', length = StartsWith(tail, "gt;") ? 4 : 0;
            break;
        case 'q':
            byte = '"', length = StartsWith(tail, "quot;") ? 6 : 0;
            break;
        default:
            break;
        }
        if (length == 0) {
            continue;
        }
        out.append(text.data() + from, amp - from);
        out.push_back(byte);
        from = amp + length;
        amp = from - 1;
    }
    out.append(text.data() + from, text.size() - from);
}

bool HasEntity(std::string_view text) {
    return FindByte(text.data(), text.data() + text.size(), '&') != nullptr;
}

// Carriage return/line feed pairs become one space, remaining carriage returns, line feeds and
// tabs one space each.
void NormaliseAttributeValue(std::string& value) {
    size_t write = 0;
    for (size_t read = 0; read < value.size(); ++read) {
        char c = value[read];
        if (c == '\r' && read + 1 < value.size() && value[read + 1] == '\n') {
            ++read;
            c = ' ';
        } else if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        }
        value[write++] = c;
    }
    value.resize(write);
}

bool IsAcceptedRootVersion(const std::string& value) {
    return value.size() >= 2 || value == "-";
}

XMLNodeKind StoredKind(XMLNodeKind kind) {
    return (kind < XML_KIND_UNKNOWN || kind > XML_KIND_DECLARATION) ? XML_KIND_UNKNOWN : kind;
}

// The byte at a 64-bit offset, so that offset arithmetic near the end never wraps.
char ByteAt(const CXMLSource& source, uint64_t offset) {
    return offset < source.GetLength() ? source.CharAt(static_cast<uint32_t>(offset)) : '\0';
}

bool BytesAt(const CXMLSource& source, uint64_t offset, std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (ByteAt(source, offset + i) != bytes[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

struct CXMLElement::ParseState {
    const CXMLSource* source = nullptr;
    uint32_t flags = 0;
    const char* text = nullptr;   // the whole text when the source holds it in one block
    uint32_t length = 0;
    std::string item;             // an item copied out of the source; one buffer for the whole parse

    char At(uint64_t offset) const {
        if (offset >= length) {
            return '\0';
        }
        return text ? text[offset] : source->CharAt(static_cast<uint32_t>(offset));
    }

    bool Holds(uint64_t offset, std::string_view bytes) const {
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (At(offset + i) != bytes[i]) {
                return false;
            }
        }
        return true;
    }
};

void CXMLElementRecycler::operator()(CXMLElement* element) const noexcept {
    if (!element->m_pooled) {
        delete element;
        return;
    }
    CXMLDocument* document = element->m_pDocument;
    element->PrepareForReuse();
    document->m_pool.Give(element);
}

CXMLElement::CXMLElement(XMLNodeKind kind, CXMLDocument* document)
    : m_pDocument(document), m_kind(StoredKind(kind)) {}

CXMLElement::~CXMLElement() = default;

// Pooled elements come from the document's pool and are reachable only through its tree, so the
// pool can take them all back when the tree goes. Every other element is a heap object.
CXMLElement* CXMLElement::Allocate(XMLNodeKind kind, CXMLDocument* document, bool pooled) {
    if (pooled && document) {
        CXMLElement* element = document->m_pool.Take();
        if (element) {
            element->Reinitialise(kind, document);
            element->m_pooled = true;
        }
        return element;
    }
    return new (std::nothrow) CXMLElement(kind, document);
}

void CXMLElement::Reinitialise(XMLNodeKind kind, CXMLDocument* document) {
    m_pDocument = document;
    m_pParent = nullptr;
    m_pNextSibling = nullptr;
    m_kind = StoredKind(kind);
    m_start = XMLPosition();
    m_current = XMLPosition();
    m_closed = false;
    m_whitespaceOnly = false;
    m_selfClosed = false;
}

// Empties the element but keeps its buffers; children go back to the pool first.
void CXMLElement::PrepareForReuse() {
    m_children.clear();
    m_attributeCount = 0;
    m_name.clear();
    m_value.clear();
    m_pParent = nullptr;
    m_pNextSibling = nullptr;
}

// Drops the element's contents without destroying its children: they belong to a tree that
// the pool has taken back as a whole.
void CXMLElement::ForgetContents() noexcept {
    for (Owned& child : m_children) {
        (void)child.release();
    }
    m_children.clear();
    m_attributeCount = 0;
    m_name.clear();
    m_value.clear();
}

CXMLElement* CXMLElement::NewElement(CXMLElement& parent, XMLNodeKind kind) {
    CXMLElement* element = Allocate(kind, parent.m_pDocument, parent.m_pooled);
    if (element) {
        parent.AppendChild(Owned(element));
    }
    return element;
}

std::unique_ptr<CXMLElement> CXMLElement::NewElement(XMLNodeKind kind, CXMLDocument* document) {
    return std::unique_ptr<CXMLElement>(Allocate(kind, document, false));
}

CXMLElement* CXMLElement::AddChild(std::unique_ptr<CXMLElement> child) {
    if (!child) {
        return nullptr;
    }
    if (child->m_pDocument != m_pDocument) {
        child->AdoptIntoDocument(m_pDocument);
    }
    if (m_pooled) {
        m_pDocument->m_treeHoldsHeapElements = true;   // Reset must visit the tree to delete it
    }
    CXMLElement* added = child.get();
    AppendChild(Owned(child.release()));
    return added;
}

void CXMLElement::AdoptIntoDocument(CXMLDocument* document) {
    m_pDocument = document;
    for (Owned& child : m_children) {
        child->AdoptIntoDocument(document);
    }
}

void CXMLElement::AppendChild(Owned child) {
    CXMLElement* added = child.get();
    added->m_pParent = this;
    added->m_pNextSibling = nullptr;
    m_children.push_back(std::move(child));
    if (m_children.size() > 1) {
        m_children[m_children.size() - 2]->m_pNextSibling = added;
    }
}

void CXMLElement::RemoveChild(const CXMLElement* child) {
    // From the back: the parser always removes the child it added last.
    for (size_t i = m_children.size(); i-- > 0;) {
        if (m_children[i].get() == child) {
            if (i > 0) {
                m_children[i - 1]->m_pNextSibling = child->m_pNextSibling;
            }
            m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void CXMLElement::Clear() {
    m_closed = false;
    m_children.clear();
    m_attributeCount = 0;
    m_name.clear();
    m_value.clear();
}

bool CXMLElement::AddAttribute(std::string_view name, std::string_view value) {
    return StoreAttribute(name, value, false);
}

// Entity decoding, when asked for, writes straight into the attribute's own buffer.
bool CXMLElement::StoreAttribute(std::string_view name, std::string_view value, bool decode) {
    // Storing into the next free slot reuses the buffers of attributes from an earlier parse.
    if (m_attributeCount == m_attributes.size()) {
        const CXMLAttribute* before = m_attributes.data();
        m_attributes.emplace_back();
        if (m_attributes.data() != before) {
            for (size_t i = 0; i + 1 < m_attributeCount; ++i) {
                m_attributes[i].m_pNext = &m_attributes[i + 1];
            }
        }
    }
    CXMLAttribute& slot = m_attributes[m_attributeCount];
    AssignBytes(slot.m_name, name.data(), name.size());
    const char* valueEnd = value.data() + value.size();
    const char* special = FindAny(value.data(), valueEnd, '&', '\r', '\n', '\t');
    const bool entity = special && FindAny(special, valueEnd, '&');
    const bool lineBreakOrTab = special && FindAny(special, valueEnd, '\r', '\n', '\t');
    if (decode && entity) {
        DecodeEntities(value, slot.m_value);
    } else {
        AssignBytes(slot.m_value, value.data(), value.size());
    }
    if (lineBreakOrTab) {
        NormaliseAttributeValue(slot.m_value);
    }
    if (!m_pParent && slot.m_name == "version" && !IsAcceptedRootVersion(slot.m_value)) {
        return false;
    }
    slot.m_pNext = nullptr;
    if (m_attributeCount > 0) {
        m_attributes[m_attributeCount - 1].m_pNext = &slot;
    }
    ++m_attributeCount;
    return true;
}

const CXMLElement* CXMLElement::FindChild(std::string_view path) const {
    const CXMLElement* element = this;
    for (;;) {
        const size_t dot = path.find('.');
        const std::string_view head = path.substr(0, dot);
        const CXMLElement* match = nullptr;
        for (const Owned& child : element->m_children) {
            if (child->m_name == head) {
                match = child.get();
                break;
            }
        }
        if (!match || dot == std::string_view::npos) {
            return match;
        }
        element = match;
        path.remove_prefix(dot + 1);
    }
}

CXMLElement* CXMLElement::FindChild(std::string_view path) {
    return const_cast<CXMLElement*>(static_cast<const CXMLElement*>(this)->FindChild(path));
}

const CXMLElement* CXMLElement::FindNextSibling(std::string_view name) const {
    for (const CXMLElement* sibling = m_pNextSibling; sibling; sibling = sibling->m_pNextSibling) {
        if (sibling->m_name == name) {
            return sibling;
        }
    }
    return nullptr;
}

CXMLElement* CXMLElement::FindNextSibling(std::string_view name) {
    return const_cast<CXMLElement*>(static_cast<const CXMLElement*>(this)->FindNextSibling(name));
}

const CXMLAttribute* CXMLElement::FindAttribute(std::string_view name) const {
    for (size_t i = 0; i < m_attributeCount; ++i) {
        if (m_attributes[i].m_name == name) {
            return &m_attributes[i];
        }
    }
    return nullptr;
}

void CXMLElement::ReportError(const char* message) {
    if (m_pDocument) {
        m_pDocument->RecordError(this, message);
    }
}

int CXMLElement::Depth() const {
    int depth = 1;
    for (const CXMLElement* parent = m_pParent; parent; parent = parent->m_pParent) {
        ++depth;
    }
    return depth;
}

bool CXMLElement::Parse(const XMLPosition& start, const CXMLSource& source) {
    ParseState state;
    state.source = &source;
    state.flags = m_pDocument ? m_pDocument->GetFlags() : 0;
    state.text = source.GetContiguousText();
    state.length = source.GetLength();
    return ParseNode(start, source, state, Depth());
}

bool CXMLElement::ParseNode(const XMLPosition& start, const CXMLSource& source, ParseState& state, int depth) {
    Clear();
    m_selfClosed = false;
    m_whitespaceOnly = false;
    if (start.offset >= state.length) {
        ReportError(kNoMoreBytes);
        return false;
    }
    if (m_kind == XML_KIND_UNKNOWN) {
        ReportError(kUnknownKind);
        return false;
    }
    m_start = start;
    m_current = start;
    if (m_kind == XML_KIND_TEXT) {
        ParseText(source, state);
        return true;
    }
    std::string_view item;
    if (!ReadItem(source, state, item)) {
        ReportError(kNoTerminator);
        return false;
    }
    if (!AnalyseTag(item, source)) {
        ReportError(kCannotParseTag);
        Clear();
        return false;
    }
    m_closed = m_selfClosed;
    if (!m_closed && depth > XML_MAX_NESTING_DEPTH) {
        ReportError(kNestedTooDeeply);
        Clear();
        return false;
    }
    return ParseContent(source, state, depth);
}

// A text run ends before the next "<" (trimmed then) or at the end of the text (kept as it is).
void CXMLElement::ParseText(const CXMLSource& source, const ParseState& state) {
    m_whitespaceOnly = true;
    if (state.text) {
        const char* begin = state.text + m_current.offset;
        const char* end = state.text + state.length;
        const char* tagStart = static_cast<const char*>(std::memchr(begin, '<', static_cast<size_t>(end - begin)));
        const char* stop = tagStart ? tagStart : end;
        std::string_view run(begin, static_cast<size_t>(stop - begin));
        m_whitespaceOnly = IsBlankRun(run);
        m_current.Advance(run.data(), run.size());
        if (tagStart) {
            run = Trim(run);
        }
        AssignBytes(m_value, run.data(), run.size());
        return;
    }
    for (;;) {
        if (m_current.offset >= state.length) {
            return;
        }
        const char c = source.CharAt(m_current.offset);
        if (c == '<') {
            const std::string_view trimmed = Trim(m_value);
            const size_t leading = static_cast<size_t>(trimmed.data() - m_value.data());
            m_value.resize(leading + trimmed.size());
            m_value.erase(0, leading);
            return;
        }
        if (!IsTextBlank(c)) {
            m_whitespaceOnly = false;
        }
        m_value.push_back(c);
        m_current.Advance(c);
    }
}

// Reads the item at the current position: a comment through "-->", a CDATA section through the
// first "]]>", anything else through the next ">". Tags of a text held in one block are used in
// place; the rest is copied into state.item by the source.
bool CXMLElement::ReadItem(const CXMLSource& source, ParseState& state, std::string_view& item) {
    const uint64_t at = m_current.offset;
    if (state.Holds(at + 1, "!--")) {
        const bool read = source.ReadUntil(m_current, kCommentEnd, state.item);
        item = state.item;
        return read;
    }
    if (state.Holds(at + 1, kCDataStart.substr(1))) {
        const bool read = source.ReadUntil(m_current, kCDataEnd, state.item);
        item = state.item;
        return read;
    }
    if (state.text) {
        const char* begin = state.text + at;
        const Scan scan = ScanTo(begin, state.text + state.length, '>');
        const char* end = scan.found ? scan.stop + 1 : scan.stop;
        item = std::string_view(begin, static_cast<size_t>(end - begin));
        m_current.Advance(item.size(), scan.lineFeeds, static_cast<size_t>(end - scan.lineStart));
        return scan.found;
    }
    const bool read = source.ReadUntilChar(m_current, '>', state.item);
    item = state.item;
    return read;
}

// With merged text from a text held in one block, a text run goes straight into the value: the
// text node it would make is removed again at once, so it is not made.
void CXMLElement::MergeTextRun(const ParseState& state) {
    const char* begin = state.text + m_current.offset;
    const char* end = state.text + state.length;
    // Indentation between tags is the common case: blanks up to the next "<".
    size_t lineFeeds = 0;
    const char* lineStart = begin;
    const char* p = begin;
    for (; p < end && IsTextBlank(*p); ++p) {
        if (*p == '\n') {
            ++lineFeeds;
            lineStart = p + 1;
        }
    }
    if (p < end && *p == '<') {
        m_current.Advance(static_cast<size_t>(p - begin), lineFeeds, static_cast<size_t>(p - lineStart));
        return;
    }
    const Scan scan = ScanTo(begin, end, '<');
    std::string_view run(begin, static_cast<size_t>(scan.stop - begin));
    m_current.Advance(run.size(), scan.lineFeeds, static_cast<size_t>(scan.stop - scan.lineStart));
    if (IsBlankRun(run)) {
        return;
    }
    if (scan.found) {
        run = Trim(run);
    }
    if (HasEntity(run)) {
        DecodeEntities(run, m_value);
    } else {
        AssignBytes(m_value, run.data(), run.size());
    }
}

// The end tag "</" name ">" of this element, in a text held in one block, is taken here without
// making a node for it. Any other end tag goes the general way and is judged there.
bool CXMLElement::ClosesWithPlainEndTag(const ParseState& state) {
    const size_t at = m_current.offset;
    const size_t length = m_name.size() + 3;
    if (state.length - at < length || state.text[at + 1] != '/' || state.text[at + length - 1] != '>' ||
        std::memcmp(state.text + at + 2, m_name.data(), m_name.size()) != 0) {
        return false;
    }
    m_current.Advance(length, 0, 0);   // names hold no line feed
    m_closed = true;
    return true;
}

bool CXMLElement::ParseContent(const CXMLSource& source, ParseState& state, int depth) {
    while (!m_closed) {
        if (m_current.offset >= state.length) {
            return true;   // still open at the end of the text: accepted with what was read
        }
        const bool markup = state.At(m_current.offset) == '<';
        if (state.text) {
            if (!markup && (state.flags & XML_MERGE_TEXT)) {
                MergeTextRun(state);
                continue;
            }
            if (markup && ClosesWithPlainEndTag(state)) {
                return true;
            }
        }
        CXMLElement* child = NewElement(*this, markup ? XML_KIND_ELEMENT : XML_KIND_TEXT);
        if (!child) {
            ReportError(kCannotCreateElement);
            Clear();
            return false;
        }
        if (!child->ParseNode(m_current, source, state, depth + 1)) {
            RemoveChild(child);
            return false;
        }
        m_current = child->m_current;
        const std::string& name = child->m_name;
        if (!name.empty() && name[0] == '/') {
            if (Trim(std::string_view(name).substr(1)) == m_name) {
                m_closed = true;
                RemoveChild(child);
                return true;
            }
            ReportError(kOverlappingTags);
            RemoveChild(child);
            Clear();
            return false;
        }
        if (name.empty() && (state.flags & XML_MERGE_TEXT) && child->m_kind == XML_KIND_TEXT) {
            if (!child->m_whitespaceOnly) {
                if (HasEntity(child->m_value)) {
                    DecodeEntities(child->m_value, m_value);
                } else {
                    m_value.swap(child->m_value);   // the child goes away: take its buffer
                }
            }
            RemoveChild(child);
        }
    }
    return true;
}

// Sets kind, name, value and attributes from the item text; m_selfClosed says whether the tag
// closes itself. False when the tag cannot be analysed.
bool CXMLElement::AnalyseTag(std::string_view item, const CXMLSource& source) {
    if (item.size() > kCDataStart.size() && StartsWith(item, kCDataStart)) {
        m_selfClosed = true;
        return ReadCData(item, source);
    }
    size_t blank = 0;   // the first space, tab, carriage return or line feed
    while (blank < item.size() && !IsNameEnd(item[blank])) {
        ++blank;
    }
    std::string_view name;
    std::string_view rest;
    if (blank == item.size()) {
        name = item;
        if (!name.empty() && name.front() == '<') {
            name.remove_prefix(1);
        }
        if (!name.empty() && name.back() == '>') {
            name.remove_suffix(1);
        }
        name = Trim(name);
        if (!name.empty() && name.front() == '/') {
            m_selfClosed = true;
        } else if (!name.empty() && name.back() == '/') {
            m_selfClosed = true;
            name.remove_suffix(1);
        }
        AssignBytes(m_name, name.data(), name.size());
        rest = item;
    } else {
        name = item.substr(0, blank);
        if (!name.empty() && name.front() == '<') {
            name = Trim(name.substr(1));
        }
        if (!name.empty() && name.front() == '/') {
            m_selfClosed = true;
        }
        rest = item.substr(blank + 1);
    }
    if (!name.empty() && name.front() == '!') {
        return AnalyseBangTag(item, name, rest);
    }
    if (!name.empty() && name.front() == '?') {
        m_kind = XML_KIND_PROCESSING_INSTRUCTION;
        name.remove_prefix(1);
    } else {
        m_kind = XML_KIND_ELEMENT;
    }
    return AnalyseNameAndAttributes(name, rest);
}

bool CXMLElement::AnalyseNameAndAttributes(std::string_view name, std::string_view rest) {
    AssignBytes(m_name, name.data(), name.size());
    if (rest.size() > 1 && rest[rest.size() - 2] == '/') {
        m_selfClosed = true;
    }
    if (rest.size() <= 1) {
        return true;
    }
    return ReadAttributes(rest);
}

// Tags whose name begins with "!": comments, malformed section starts and declarations.
bool CXMLElement::AnalyseBangTag(std::string_view item, std::string_view name, std::string_view rest) {
    if (name.size() < 3) {
        return false;
    }
    if (name[1] == '-' && name[2] == '-') {
        m_kind = XML_KIND_COMMENT;
        const std::string_view body = item.size() > 4 ? item.substr(4) : std::string_view();
        const size_t end = body.find(kCommentEnd);
        if (end == std::string_view::npos) {
            return false;
        }
        m_value.assign(body.data(), end);
        m_selfClosed = true;
        return true;
    }
    if (name[1] == '[' && (name[2] == 'C' || name[2] == 'c')) {
        if (name.size() < 9) {
            return false;
        }
        m_kind = XML_KIND_DECLARATION;
        m_selfClosed = true;
        return AnalyseNameAndAttributes(name, rest);
    }
    m_kind = XML_KIND_DECLARATION;
    name.remove_prefix(1);
    AssignBytes(m_name, name.data(), name.size());
    if (!rest.empty() && rest.back() == '>') {
        rest.remove_suffix(1);
    }
    AssignBytes(m_value, rest.data(), rest.size());
    m_selfClosed = true;
    return true;
}

// name="value" pairs; anything without "=" is ignored. A ">" inside a value has ended the item
// early: the value then runs to the end of the item and the rest stays in the source.
bool CXMLElement::ReadAttributes(std::string_view rest) {
    for (;;) {
        const size_t equals = FindByte(rest, '=');
        if (equals == std::string_view::npos) {
            return true;
        }
        const std::string_view name = Trim(rest.substr(0, equals));
        rest = TrimLeft(rest.substr(equals + 1));
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) {
            return false;
        }
        const char quote = rest.front();
        rest.remove_prefix(1);
        const size_t close = FindByte(rest, quote);
        if (close != std::string_view::npos) {
            const std::string_view value = rest.substr(0, close);
            rest = TrimLeft(rest.substr(close + 1));
            if (!StoreAttribute(name, value, true)) {
                return false;
            }
            if (rest.size() > 1) {
                continue;
            }
            return true;
        }
        std::string_view value = rest;
        if (value.empty() || value.back() != '>') {
            return false;
        }
        value.remove_suffix(1);
        if (m_kind == XML_KIND_PROCESSING_INSTRUCTION) {
            if (value.empty() || value.back() != '?') {
                return false;
            }
            value.remove_suffix(1);
        } else if (!value.empty() && value.back() == '/') {
            value.remove_suffix(1);
            m_selfClosed = true;
        }
        return value.empty() || StoreAttribute(name, value, true);
    }
}

// The item ends with the first "]]>". When another "]]>" follows at once, the pair stands for a
// "]]>" inside the section and the section goes on in the source.
bool CXMLElement::ReadCData(std::string_view item, const CXMLSource& source) {
    m_kind = XML_KIND_CDATA;
    m_name.assign(kCDataStart.substr(2));   // "[CDATA["
    m_value.clear();
    if (item.size() < kCDataStart.size() + kCDataEnd.size()) {
        return false;
    }
    m_value.assign(item.substr(kCDataStart.size(), item.size() - kCDataStart.size() - kCDataEnd.size()));
    if (!BytesAt(source, m_current.offset, kCDataEnd)) {
        return true;
    }
    m_value.append(kCDataEnd);
    m_current.Advance(kCDataEnd.data(), kCDataEnd.size());
    for (;;) {
        if (m_current.offset >= source.GetLength()) {
            return false;
        }
        const char c = source.CharAt(m_current.offset);
        if (c == ']' && BytesAt(source, m_current.offset, kCDataEnd)) {
            m_current.Advance(kCDataEnd.data(), kCDataEnd.size());
            if (!BytesAt(source, m_current.offset, kCDataEnd)) {
                return true;
            }
            m_value.append(kCDataEnd);
            m_current.Advance(kCDataEnd.data(), kCDataEnd.size());
            continue;
        }
        m_value.push_back(c);
        m_current.Advance(c);
    }
}
