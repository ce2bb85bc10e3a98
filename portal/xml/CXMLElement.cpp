#include "portal/xml/CXMLElement.h"

#include <cstring>
#include <new>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLSource.h"
#include "portal/xml/XMLByteScan.h"
#include "portal/xml/XMLFlags.h"

// Steps of the parse that are called from one place each, in every node: worth no call of
// their own.
#if defined(__GNUC__)
#define XML_PARSE_STEP inline __attribute__((always_inline))
#else
#define XML_PARSE_STEP inline
#endif

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

using xmlscan::FindFirst;
using xmlscan::SameBytes;
using xmlscan::ScanTo;

inline size_t FindByte(std::string_view text, char wanted, size_t from = 0) {
    if (from >= text.size()) {
        return std::string_view::npos;
    }
    const void* found = std::memchr(text.data() + from, wanted, text.size() - from);
    return found ? static_cast<size_t>(static_cast<const char*>(found) - text.data()) : std::string_view::npos;
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

// True when the name read back from the end tag "</" name ">" is the name itself.
bool EndTagKeepsName(std::string_view name) {
    return name.find('>') == std::string_view::npos &&
           (name.empty() || (!IsSpace(name.front()) && !IsSpace(name.back())));
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

// Copies count bytes between buffers that do not overlap; short runs without a library call.
inline void CopyBytes(char* to, const char* from, size_t count) {
    if (count >= 8 && count <= 16) {
        uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + count - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + count - 8, &tail, 8);
    } else if (count >= 4 && count < 8) {
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + count - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + count - 4, &tail, 4);
    } else if (count < 4) {
        for (size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    } else {
        std::memcpy(to, from, count);
    }
}

// Replaces the contents of a buffer by bytes from elsewhere (never from the buffer itself). A
// reused buffer that already holds at least as many bytes is written over and cut to length,
// which needs no call into the string library.
inline void AssignBytes(std::string& buffer, const char* bytes, size_t count) {
    if (count <= buffer.size()) {
        CopyBytes(&buffer[0], bytes, count);
        buffer.erase(count);
        return;
    }
    buffer.clear();
    buffer.append(bytes, count);
}

inline void AssignBytes(std::string& buffer, std::string_view bytes) {
    AssignBytes(buffer, bytes.data(), bytes.size());
}

// The length of the entity "&amp;", "&gt;", "&lt;" or "&quot;" at p (which holds "&") and the
// byte it names; 0 for any other "&".
inline size_t EntityAt(const char* p, const char* end, char& byte) {
    const size_t left = static_cast<size_t>(end - p);
    switch (left > 1 ? p[1] : '\0') {
    case 'a':
        byte = '&';
        return left >= 5 && p[2] == 'm' && p[3] == 'p' && p[4] == ';' ? 5 : 0;
    case 'l':
        byte = '<';
        return left >= 4 && p[2] == 't' && p[3] == ';' ? 4 : 0;
    case 'g':
        byte = '>';
        return left >= 4 && p[2] == 't' && p[3] == ';' ? 4 : 0;
    case 'q':
        byte = '"';
        return left >= 6 && p[2] == 'u' && p[3] == 'o' && p[4] == 't' && p[5] == ';' ? 6 : 0;
    default:
        return 0;
    }
}

// Moves count bytes from read down to write (write <= read) and advances write past them.
inline void MoveDown(char*& write, const char* read, size_t count) {
    if (write != read) {
        if (count <= 16) {
            for (size_t i = 0; i < count; ++i) {
                write[i] = read[i];
            }
        } else {
            std::memmove(write, read, count);
        }
    }
    write += count;
}

// Rewrites a copied text in place from index `from` (the first byte that may change) on. With
// Decode, "&amp;", "&gt;", "&lt;" and "&quot;" become the byte they name, in one pass from left to
// right: what a replacement produced is not looked at again, and every other "&" stays. With
// Normalise, a carriage return/line feed pair becomes one space and each remaining carriage
// return, line feed and tab one space. Decoding first and normalising after gives the same bytes
// as doing both in this one pass: entities neither hold nor produce those bytes, so the pairs
// are the same before and after decoding. The text only ever shrinks.
template <bool Decode, bool Normalise>
inline const char* FindRewritable(const char* read, const char* end) {
    if (!Normalise) {
        return FindFirst<'&'>(read, end, end);
    }
    return Decode ? FindFirst<'&', '\r', '\n', '\t'>(read, end, end) : FindFirst<'\r', '\n', '\t'>(read, end, end);
}

// Writes the rewriting of the byte at read, which FindRewritable found (an "&", or a carriage
// return, line feed or tab), and moves read past what it consumed.
template <bool Decode>
inline void RewriteOne(const char*& read, const char* end, char*& write) {
    const char c = *read;
    if (Decode && c == '&') {
        char byte = 0;
        const size_t length = EntityAt(read, end, byte);
        *write++ = length ? byte : '&';
        read += length ? length : 1;
        return;
    }
    *write++ = ' ';
    read += (c == '\r' && read + 1 < end && read[1] == '\n') ? 2 : 1;
}

template <bool Decode, bool Normalise>
void RewriteInPlace(std::string& text, size_t from) {
    char* const data = &text[0];
    const char* const end = data + text.size();
    const char* read = data + from;
    char* write = data + from;
    for (;;) {
        const char* special = FindRewritable<Decode, Normalise>(read, end);
        MoveDown(write, read, static_cast<size_t>(special - read));
        read = special;
        if (read == end) {
            break;
        }
        RewriteOne<Decode>(read, end, write);
    }
    const size_t length = static_cast<size_t>(write - data);
    if (length != text.size()) {
        text.resize(length);
    }
}

// Stores text into out with the rewriting of RewriteInPlace applied from index `from` on. The
// rewritten bytes are built in scratch (kept large from one use to the next) and then copied
// into out, which thereby keeps its own buffer when that is large enough.
template <bool Decode, bool Normalise>
void AssignRewritten(std::string& out, std::string_view text, size_t from, std::string& scratch) {
    if (scratch.size() < text.size()) {
        scratch.resize(text.size());
    }
    char* const data = &scratch[0];
    CopyBytes(data, text.data(), from);
    char* write = data + from;
    const char* read = text.data() + from;
    const char* const end = text.data() + text.size();
    while (read != end) {
        const char* special = FindRewritable<Decode, Normalise>(read, end);
        const size_t plain = static_cast<size_t>(special - read);
        CopyBytes(write, read, plain);
        write += plain;
        read = special;
        if (read == end) {
            break;
        }
        RewriteOne<Decode>(read, end, write);
    }
    AssignBytes(out, data, static_cast<size_t>(write - data));
}

bool IsAcceptedRootVersion(const std::string& value) {
    return value.size() >= 2 || value == "-";
}

XMLNodeKind StoredKind(XMLNodeKind kind) {
    return (kind < XML_KIND_UNKNOWN || kind > XML_KIND_DECLARATION) ? XML_KIND_UNKNOWN : kind;
}

// Copies a position one field at a time. While parsing, a position's fields have just been
// written one by one (XMLPosition::Advance); a copy that read two of them with one wider load
// could not take them from the pending stores and would wait until they reach the cache, once
// for every node. The empty asm keeps the compiler from merging the loads again.
inline void CopyPosition(XMLPosition& to, const XMLPosition& from) {
    uint32_t offset = from.offset;
    int32_t column = from.column;
    int32_t line = from.line;
#if defined(__GNUC__)
    __asm__("" : "+r"(offset), "+r"(column), "+r"(line));
#endif
    to.offset = offset;
    to.column = column;
    to.line = line;
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
    const char* end = nullptr;    // text + length when text is set
    uint32_t length = 0;
    std::string item;             // an item copied out of the source; one buffer for the whole parse
    // Scans of the item being analysed may read blocks up to here: the end of the whole text when
    // the item lies in it, else the end of the item.
    const char* itemLimit = nullptr;
    // What reading the item found out about it already, when it was read in place.
    bool itemScanned = false;
    size_t itemBlank = 0;          // index of the first blank; the item's length when there is none
    bool itemHasEquals = false;

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
// pool can take them all back when the tree goes. Every other element is a heap object. A pooled
// element's name and value still hold the bytes of its last use: emptied here, unless the parser
// takes the element (ParseNode writes both on every path, over the old bytes where they suffice).
CXMLElement* CXMLElement::Allocate(XMLNodeKind kind, CXMLDocument* document, bool pooled, bool forParse) {
    if (pooled && document) {
        CXMLElement* element = document->m_pool.Take();
        if (element) {
            element->Reinitialise(kind, document);
            element->m_pooled = true;
            if (!forParse) {
                element->m_name.clear();
                element->m_value.clear();
            }
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

// Empties the element but keeps its buffers; children go back to the pool first. Name and value
// keep their old bytes until the element is handed out again (see Allocate).
void CXMLElement::PrepareForReuse() {
    m_children.clear();
    m_attributeCount = 0;
    m_pParent = nullptr;
    m_pNextSibling = nullptr;
}

CXMLElement* CXMLElement::NewElement(CXMLElement& parent, XMLNodeKind kind) {
    CXMLElement* element = Allocate(kind, parent.m_pDocument, parent.m_pooled, false);
    if (element) {
        parent.AppendChild(Owned(element));
    }
    return element;
}

CXMLElement* CXMLElement::NewChildToParse(XMLNodeKind kind) {
    CXMLElement* element = Allocate(kind, m_pDocument, m_pooled, true);
    if (element) {
        AppendChild(Owned(element));
    }
    return element;
}

std::unique_ptr<CXMLElement> CXMLElement::NewElement(XMLNodeKind kind, CXMLDocument* document) {
    return std::unique_ptr<CXMLElement>(Allocate(kind, document, false, false));
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
    m_staleValue = false;
}

bool CXMLElement::AddAttribute(std::string_view name, std::string_view value) {
    // The views may show bytes of this element's own attributes, which storing may move or
    // overwrite: store from copies.
    const std::string ownName(name);
    const std::string ownValue(value);
    return StoreAttribute(ownName, ownValue, false, kFindSpecial);
}

// The value is copied once into the attribute's own buffer and, from its first entity, line
// break or tab on (`special`: its index, npos when there is none, kFindSpecial when not known
// yet), decoded and normalised there.
XML_PARSE_STEP bool CXMLElement::StoreAttribute(std::string_view name, std::string_view value, bool decode, size_t special) {
    if (m_attributeCount == UINT32_MAX) {
        return false;   // the count is 32 bits wide; no real text comes near this
    }
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
    AssignBytes(slot.m_name, name);
    if (special == kFindSpecial) {
        const char* end = value.data() + value.size();
        const char* found = FindFirst<'&', '\r', '\n', '\t'>(value.data(), end, end);
        special = found == end ? std::string_view::npos : static_cast<size_t>(found - value.data());
    }
    if (special == std::string_view::npos) {
        AssignBytes(slot.m_value, value);
    } else {
        std::string ownScratch;
        std::string& scratch = m_pDocument ? m_pDocument->m_rewriteBuffer : ownScratch;
        if (decode) {
            AssignRewritten<true, true>(slot.m_value, value, special, scratch);
        } else {
            AssignRewritten<false, true>(slot.m_value, value, special, scratch);
        }
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
    state.end = state.text ? state.text + state.length : nullptr;
    return ParseNode(start, source, state, Depth());
}

// Begins like Clear, except for name and value, whose buffers' old bytes can so be written over
// instead of appended to: the name is written on every path (emptied, or set by the tag
// analysis), and the value, when nothing has set it by the end, is emptied then.
bool CXMLElement::ParseNode(const XMLPosition& start, const CXMLSource& source, ParseState& state, int depth) {
    m_staleValue = true;
    const bool parsed = ParseNodeContents(start, source, state, depth);
    if (m_staleValue) {
        m_value.clear();
        m_staleValue = false;
    }
    return parsed;
}

XML_PARSE_STEP bool CXMLElement::ParseNodeContents(const XMLPosition& start, const CXMLSource& source, ParseState& state,
                                           int depth) {
    m_closed = false;
    m_children.clear();
    m_attributeCount = 0;
    m_selfClosed = false;
    m_whitespaceOnly = false;
    if (start.offset >= state.length) {
        m_name.clear();
        ReportError(kNoMoreBytes);
        return false;
    }
    if (m_kind == XML_KIND_UNKNOWN) {
        m_name.clear();
        ReportError(kUnknownKind);
        return false;
    }
    CopyPosition(m_start, start);
    CopyPosition(m_current, start);
    if (m_kind == XML_KIND_TEXT) {
        m_name.clear();
        ParseText(source, state);
        return true;
    }
    std::string_view item;
    if (!ReadItem(source, state, item)) {
        m_name.clear();
        ReportError(kNoTerminator);
        return false;
    }
    if (!AnalyseTag(item, source, state)) {
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
        m_staleValue = false;
        return;
    }
    m_value.clear();
    m_staleValue = false;
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
XML_PARSE_STEP bool CXMLElement::ReadItem(const CXMLSource& source, ParseState& state, std::string_view& item) {
    const uint64_t at = m_current.offset;
    state.itemScanned = false;
    if (state.At(at + 1) == '!') {
        const bool comment = state.Holds(at + 2, "--");
        if (comment || state.Holds(at + 2, kCDataStart.substr(2))) {
            const bool read = source.ReadUntil(m_current, comment ? kCommentEnd : kCDataEnd, state.item);
            item = state.item;
            state.itemLimit = state.item.data() + state.item.size();
            return read;
        }
    }
    if (state.text) {
        const char* begin = state.text + at;
        const xmlscan::TagScan tag = xmlscan::ScanTag(begin, state.end, state.end);
        const xmlscan::Scan& scan = tag.scan;
        const bool found = scan.stop != state.end;
        const char* end = found ? scan.stop + 1 : scan.stop;
        item = std::string_view(begin, static_cast<size_t>(end - begin));
        state.itemLimit = state.end;
        state.itemScanned = true;
        state.itemBlank = tag.firstBlank ? static_cast<size_t>(tag.firstBlank - begin) : item.size();
        state.itemHasEquals = tag.hasEquals;
        m_current.Advance(item.size(), scan.lineFeeds, static_cast<size_t>(end - scan.lineStart));
        return found;
    }
    const bool read = source.ReadUntilChar(m_current, '>', state.item);
    item = state.item;
    state.itemLimit = state.item.data() + state.item.size();
    return read;
}

// With merged text from a text held in one block, a text run goes straight into the value: the
// text node it would make is removed again at once, so it is not made.
XML_PARSE_STEP void CXMLElement::MergeTextRun(const ParseState& state) {
    const char* begin = state.text + m_current.offset;
    const char* end = state.end;
    // Indentation between tags is the common case: blanks up to the next "<". These are the
    // bytes that keep a text run "whitespace only".
    const xmlscan::Scan blanks = xmlscan::SkipOver<' ', '\t', '\r', '\n', '\0'>(begin, end, end);
    size_t lineFeeds = blanks.lineFeeds;
    const char* lineStart = blanks.lineStart;
    const char* p = blanks.stop;
    if (p == end || *p == '<') {   // blanks only: the value stays as it was
        m_current.Advance(static_cast<size_t>(p - begin), lineFeeds, static_cast<size_t>(p - lineStart));
        return;
    }
    // p holds the first byte that is not blank; the run goes on up to the next "<".
    const xmlscan::Scan scan = ScanTo<'&', '<'>(p, end, end);
    if (scan.lineFeeds) {
        lineFeeds += scan.lineFeeds;
        lineStart = scan.lineStart;
    }
    std::string_view run(begin, static_cast<size_t>(scan.stop - begin));
    m_current.Advance(run.size(), lineFeeds, static_cast<size_t>(scan.stop - lineStart));
    if (scan.stop != end) {
        run = Trim(run);
    }
    m_staleValue = false;
    if (scan.firstNoted) {   // an "&" is never trimmed away
        std::string ownScratch;
        AssignRewritten<true, false>(m_value, run, static_cast<size_t>(scan.firstNoted - run.data()),
                                     m_pDocument ? m_pDocument->m_rewriteBuffer : ownScratch);
    } else {
        AssignBytes(m_value, run);
    }
}

// The end tag "</" name ">" of this element, in a text held in one block, is taken here without
// making a node for it. Any other end tag goes the general way and is judged there. The general
// way reads an end tag only up to its first ">" and trims the name it finds, so the bytes of
// "</" name ">" give the same result only for a name without ">" and without white space at
// its edges; other names (possible for a root read where the text begins without "<") go there.
XML_PARSE_STEP bool CXMLElement::ClosesWithPlainEndTag(const ParseState& state) {
    const size_t at = m_current.offset;
    const size_t length = m_name.size() + 3;
    const char* tag = state.text + at;
    if (state.length - at < length || tag[1] != '/' || tag[length - 1] != '>' ||
        !SameBytes(tag + 2, m_name.data(), m_name.size()) || !EndTagKeepsName(m_name)) {
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
        CXMLElement* child = NewChildToParse(markup ? XML_KIND_ELEMENT : XML_KIND_TEXT);
        if (!child) {
            ReportError(kCannotCreateElement);
            Clear();
            return false;
        }
        if (!child->ParseNode(m_current, source, state, depth + 1)) {
            RemoveChild(child);
            return false;
        }
        CopyPosition(m_current, child->m_current);
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
                const size_t amp = FindByte(child->m_value, '&');
                m_value.swap(child->m_value);   // the child goes away: take its buffer
                m_staleValue = false;
                if (amp != std::string_view::npos) {
                    RewriteInPlace<true, false>(m_value, amp);
                }
            }
            RemoveChild(child);
        }
    }
    return true;
}

// Sets kind, name, value and attributes from the item text; m_selfClosed says whether the tag
// closes itself. False when the tag cannot be analysed.
XML_PARSE_STEP bool CXMLElement::AnalyseTag(std::string_view item, const CXMLSource& source, const ParseState& state) {
    if (item.size() > kCDataStart.size() && StartsWith(item, kCDataStart)) {
        m_selfClosed = true;
        return ReadCData(item, source);
    }
    const char* limit = state.itemLimit;
    const char* itemEnd = item.data() + item.size();
    // The first space, tab, carriage return or line feed.
    const size_t blank = state.itemScanned
                             ? state.itemBlank
                             : static_cast<size_t>(FindFirst<' ', '\t', '\r', '\n'>(item.data(), itemEnd, limit) - item.data());
    // Without an "=" in the whole tag there are no attributes to read.
    if (state.itemScanned && !state.itemHasEquals) {
        limit = nullptr;
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
        rest = item;   // the name is stored below, once its kind is known
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
        return AnalyseBangTag(item, name, rest, blank == item.size(), limit);
    }
    if (!name.empty() && name.front() == '?') {
        m_kind = XML_KIND_PROCESSING_INSTRUCTION;
        name.remove_prefix(1);
    } else {
        m_kind = XML_KIND_ELEMENT;
    }
    return AnalyseNameAndAttributes(name, rest, limit);
}

inline bool CXMLElement::AnalyseNameAndAttributes(std::string_view name, std::string_view rest, const char* limit) {
    AssignBytes(m_name, name);
    if (rest.size() > 1 && rest[rest.size() - 2] == '/') {
        m_selfClosed = true;
    }
    if (rest.size() <= 1 || !limit) {
        return true;
    }
    return ReadAttributes(rest, limit);
}

// Tags whose name begins with "!": comments, malformed section starts and declarations. A tag
// without blanks is named by its whole text: comments keep that name, and so does the error
// record of a tag that fails here.
bool CXMLElement::AnalyseBangTag(std::string_view item, std::string_view name, std::string_view rest,
                                 bool namedByWholeTag, const char* limit) {
    if (namedByWholeTag) {
        AssignBytes(m_name, name);
    } else {
        m_name.clear();
    }
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
        m_staleValue = false;
        m_selfClosed = true;
        return true;
    }
    if (name[1] == '[' && (name[2] == 'C' || name[2] == 'c')) {
        if (name.size() < 9) {
            return false;
        }
        m_kind = XML_KIND_DECLARATION;
        m_selfClosed = true;
        return AnalyseNameAndAttributes(name, rest, limit);
    }
    m_kind = XML_KIND_DECLARATION;
    name.remove_prefix(1);
    AssignBytes(m_name, name.data(), name.size());
    if (!rest.empty() && rest.back() == '>') {
        rest.remove_suffix(1);
    }
    AssignBytes(m_value, rest.data(), rest.size());
    m_staleValue = false;
    m_selfClosed = true;
    return true;
}

// name="value" pairs; anything without "=" is ignored. A ">" inside a value has ended the item
// early: the value then runs to the end of the item and the rest stays in the source.
bool CXMLElement::ReadAttributes(std::string_view rest, const char* limit) {
    const char* const restEnd = rest.data() + rest.size();
    for (;;) {
        const char* equals = FindFirst<'='>(rest.data(), restEnd, limit);
        if (equals == restEnd) {
            return true;
        }
        const size_t nameLength = static_cast<size_t>(equals - rest.data());
        const std::string_view name = Trim(rest.substr(0, nameLength));
        rest = TrimLeft(rest.substr(nameLength + 1));
        if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) {
            return false;
        }
        const char quote = rest.front();
        rest.remove_prefix(1);
        // One scan finds the closing quote and whether the value needs decoding or normalising.
        const char* first = quote == '"' ? FindFirst<'"', '&', '\r', '\n', '\t'>(rest.data(), restEnd, limit)
                                         : FindFirst<'\'', '&', '\r', '\n', '\t'>(rest.data(), restEnd, limit);
        const char* close = first;
        size_t special = std::string_view::npos;
        if (first != restEnd && *first != quote) {
            special = static_cast<size_t>(first - rest.data());
            close = quote == '"' ? FindFirst<'"'>(first + 1, restEnd, limit) : FindFirst<'\''>(first + 1, restEnd, limit);
        }
        if (close != restEnd) {
            const size_t valueLength = static_cast<size_t>(close - rest.data());
            const std::string_view value = rest.substr(0, valueLength);
            rest = TrimLeft(rest.substr(valueLength + 1));
            if (!StoreAttribute(name, value, true, special)) {
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
        return value.empty() || StoreAttribute(name, value, true, kFindSpecial);
    }
}

// The item ends with the first "]]>". When another "]]>" follows at once, the pair stands for a
// "]]>" inside the section and the section goes on in the source.
bool CXMLElement::ReadCData(std::string_view item, const CXMLSource& source) {
    m_kind = XML_KIND_CDATA;
    AssignBytes(m_name, kCDataStart.substr(2));   // "[CDATA["
    m_value.clear();
    m_staleValue = false;
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
