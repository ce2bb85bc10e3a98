#include "portal/xml/CXMLParser.h"

#include <cstring>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLElement.h"
#include "portal/xml/CXMLSource.h"
#include "portal/xml/XMLByteScan.h"
#include "portal/xml/XMLFlags.h"
#include "portal/xml/XMLText.h"

// Steps that run once or more for every node and are called from one place each: inlined into
// their caller, which saves a call and the spills around it per node.
#if defined(__GNUC__)
#define XML_NODE_STEP inline __attribute__((always_inline))
#else
#define XML_NODE_STEP inline
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

using xmltext::AssignBytes;
using xmltext::StartsWith;
using xmltext::Trim;
using xmltext::TrimLeft;

bool IsBlankRun(std::string_view run) {
    for (char c : run) {
        if (!xmltext::IsTextBlank(c)) {
            return false;
        }
    }
    return true;
}

// True when the name read back from the end tag "</" name ">" is the name itself. A name cut from
// an item that ends at its first ">" holds no ">" (cutAtTagEnd); other names are searched.
inline bool EndTagKeepsName(std::string_view name, bool cutAtTagEnd) {
    return (cutAtTagEnd || name.find('>') == std::string_view::npos) &&
           (name.empty() || (!xmltext::IsSpace(name.front()) && !xmltext::IsSpace(name.back())));
}

// The first byte of [p, end) that is an "&", a carriage return, a line feed or a tab: where
// storing an attribute value has to begin rewriting it. npos when there is none.
size_t FirstRewritable(const char* p, const char* end) {
    const char* found = xmlscan::FindFirst<'&', '\r', '\n', '\t'>(p, end, end);
    return found == end ? std::string_view::npos : static_cast<size_t>(found - p);
}

// Copies a position one field at a time. Positions are written field by field as bytes are
// passed; one wide load of fields just stored cannot be served from the pending stores and waits
// for the cache, at every node. The empty asm keeps the compiler from merging the loads. This
// takes about a tenth off BM_XmlParse/portal_8k.
void CopyPosition(XMLPosition& to, const XMLPosition& from) {
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

}  // namespace

CXMLParser::CXMLParser(const CXMLSource& source) : m_length(source.GetLength()) {
    m_text = source.GetContiguousText();
    if (!m_text) {
        m_copy.resize(m_length);
        for (uint32_t i = 0; i < m_length; ++i) {
            m_copy[i] = source.CharAt(i);
        }
        m_text = m_copy.data();
    }
    m_end = m_text + m_length;
}

bool CXMLParser::Parse(CXMLElement& element, const XMLPosition& start, const CXMLSource& source) {
    CXMLParser parser(source);
    const uint32_t flags = element.m_pDocument ? element.m_pDocument->GetFlags() : 0;
    const int depth = element.Depth();
    if (flags & XML_MERGE_TEXT) {
        return parser.ParseNode<true>(element, start, depth);
    }
    return parser.ParseNode<false>(element, start, depth);
}

// Begins like CXMLElement::Clear, except for the buffers of name and value, whose old bytes are
// written over rather than appended to: every path sets the name, and a value that no step
// writes is emptied at the end.
template <bool MergeText>
bool CXMLParser::ParseNode(CXMLElement& node, const XMLPosition& start, int depth) {
    bool valueWritten = false;
    const bool parsed = ParseNodeInto<MergeText>(node, start, depth, valueWritten);
    if (!valueWritten) {
        node.m_value.clear();
    }
    return parsed;
}

template <bool MergeText>
XML_NODE_STEP bool CXMLParser::ParseNodeInto(CXMLElement& node, const XMLPosition& start, int depth,
                                             bool& valueWritten) {
    node.m_closed = false;
    node.m_children.clear();
    node.m_attributeCount = 0;
    node.m_selfClosed = false;
    node.m_whitespaceOnly = false;
    if (start.offset >= m_length) {
        node.m_name.clear();
        node.ReportError(kNoMoreBytes);
        return false;
    }
    if (node.m_kind == XML_KIND_UNKNOWN) {
        node.m_name.clear();
        node.ReportError(kUnknownKind);
        return false;
    }
    CopyPosition(node.m_start, start);
    CopyPosition(node.m_current, start);
    if (node.m_kind == XML_KIND_TEXT) {
        node.m_name.clear();
        ParseText(node);
        valueWritten = true;
        return true;
    }
    std::string_view item;
    ItemFacts facts;
    if (!ReadItem(node, item, facts)) {
        node.m_name.clear();
        node.ReportError(kNoTerminator);
        return false;
    }
    if (!AnalyseTag(node, item, facts, valueWritten)) {
        node.ReportError(kCannotParseTag);
        node.Clear();
        return false;
    }
    node.m_closed = node.m_selfClosed;
    if (node.m_closed) {
        return true;
    }
    if (depth > XML_MAX_NESTING_DEPTH) {
        node.ReportError(kNestedTooDeeply);
        node.Clear();
        return false;
    }
    return ParseContent<MergeText>(node, depth, valueWritten, EndTagKeepsName(node.m_name, facts.cutAtTagEnd));
}

// Children up to this element's end tag, or to the end of the text (an element still open
// there is accepted with what was read). With MergeText a text run goes straight into the
// value: the text node it would make would be removed again at once, so it is not made.
template <bool MergeText>
bool CXMLParser::ParseContent(CXMLElement& node, int depth, bool& valueWritten, bool plainEndTag) {
    while (!node.m_closed) {
        if (node.m_current.offset >= m_length) {
            return true;
        }
        bool markup = m_text[node.m_current.offset] == '<';
        if (MergeText && !markup) {
            // A merged run stops at the next "<" or at the end: the markup is taken at once.
            valueWritten |= MergeTextRun(node);
            if (node.m_current.offset >= m_length) {
                return true;
            }
            markup = true;
        }
        if (markup && plainEndTag && ClosesWithPlainEndTag(node)) {
            return true;
        }
        if (!ParseChild<MergeText>(node, depth, markup)) {
            return false;
        }
    }
    return true;
}

// One child at the current position: markup, or a text run. An end tag is not kept: it closes
// this element when it names it, and is an error otherwise.
template <bool MergeText>
XML_NODE_STEP bool CXMLParser::ParseChild(CXMLElement& node, int depth, bool markup) {
    CXMLElement* child = CXMLElement::NewChildToFill(node, markup ? XML_KIND_ELEMENT : XML_KIND_TEXT);
    if (!child) {
        node.ReportError(kCannotCreateElement);
        node.Clear();
        return false;
    }
    if (!ParseNode<MergeText>(*child, node.m_current, depth + 1)) {
        node.RemoveChild(child);
        return false;
    }
    CopyPosition(node.m_current, child->m_current);
    const std::string& name = child->m_name;
    if (name.empty() || name[0] != '/') {
        return true;
    }
    if (Trim(std::string_view(name).substr(1)) == node.m_name) {
        node.m_closed = true;
        node.RemoveChild(child);
        return true;
    }
    node.ReportError(kOverlappingTags);
    node.RemoveChild(child);
    node.Clear();
    return false;
}

// A text node: the bytes up to the next "<" (trimmed then) or to the end of the text (kept as
// they are).
void CXMLParser::ParseText(CXMLElement& node) {
    const char* begin = m_text + node.m_current.offset;
    const char* tagStart = static_cast<const char*>(std::memchr(begin, '<', static_cast<size_t>(m_end - begin)));
    std::string_view run(begin, static_cast<size_t>((tagStart ? tagStart : m_end) - begin));
    node.m_whitespaceOnly = IsBlankRun(run);
    node.m_current.Advance(run.data(), run.size());
    if (tagStart) {
        run = Trim(run);
    }
    AssignBytes(node.m_value, run);
}

// A text run merged into the element: unless it is whitespace only, it replaces the value,
// trimmed when a tag follows it, with its entities decoded. True when it did.
XML_NODE_STEP bool CXMLParser::MergeTextRun(CXMLElement& node) {
    const char* begin = m_text + node.m_current.offset;
    // Indentation between tags is the common case: blanks up to the next "<".
    const xmlscan::Scan blanks = xmlscan::SkipOver<' ', '\t', '\r', '\n', '\0'>(begin, m_end, m_end);
    size_t lineFeeds = blanks.lineFeeds;
    const char* lineStart = blanks.lineStart;
    const char* p = blanks.stop;
    if (p == m_end || *p == '<') {
        node.m_current.Advance(static_cast<size_t>(p - begin), lineFeeds, static_cast<size_t>(p - lineStart));
        return false;
    }
    const xmlscan::Scan scan = xmlscan::ScanTo<'&', '<'>(p, m_end, m_end);
    if (scan.lineFeeds) {
        lineFeeds += scan.lineFeeds;
        lineStart = scan.lineStart;
    }
    std::string_view run(begin, static_cast<size_t>(scan.stop - begin));
    node.m_current.Advance(run.size(), lineFeeds, static_cast<size_t>(scan.stop - lineStart));
    if (scan.stop != m_end) {
        run = Trim(run);
    }
    if (scan.firstNoted) {  // an "&" is never trimmed away
        xmltext::AssignRewritten<true, false>(node.m_value, run, static_cast<size_t>(scan.firstNoted - run.data()));
    } else {
        AssignBytes(node.m_value, run);
    }
    return true;
}

// The end tag "</" name ">" of this element is taken here without making a node for it. Any
// other end tag goes the general way and is judged there. The general way reads an end tag only
// up to its first ">" and trims the name it finds, so the bytes of "</" name ">" give the same
// result only for a name without ">" and without white space at its edges (plainEndTag of
// ParseContent); other names (possible for a root read where the text begins without "<") go there.
XML_NODE_STEP bool CXMLParser::ClosesWithPlainEndTag(CXMLElement& node) const {
    const std::string& name = node.m_name;
    const size_t at = node.m_current.offset;
    const size_t length = name.size() + 3;
    const char* tag = m_text + at;
    if (m_length - at < length || tag[1] != '/' || tag[length - 1] != '>' ||
        !xmlscan::SameBytes(tag + 2, name.data(), name.size())) {
        return false;
    }
    node.m_current.Advance(length, 0, 0);  // names hold no line feed
    node.m_closed = true;
    return true;
}

// Reads the item at the current position: a comment through "-->", a CDATA section through the
// first "]]>", anything else through the next ">". The byte at the position is taken without
// looking at it. False when the text ends first; the position is then where reading stopped.
XML_NODE_STEP bool CXMLParser::ReadItem(CXMLElement& node, std::string_view& item, ItemFacts& facts) {
    const uint64_t at = node.m_current.offset;
    // Both special starts have "!" second; most items do not, and need no comparison.
    const bool bang = at + 1 < m_length && m_text[at + 1] == '!';
    const bool comment = bang && HoldsAt(at + 1, "!--");
    if (comment || (bang && HoldsAt(at + 1, "![CDATA["))) {
        const bool found = ReadUntil(node, comment ? kCommentEnd : kCDataEnd, item);
        const char* itemEnd = item.data() + item.size();
        facts.firstBlank =
            static_cast<size_t>(xmlscan::FindFirst<' ', '\t', '\r', '\n'>(item.data(), itemEnd, m_end) - item.data());
        facts.hasEquals = item.find('=') != std::string_view::npos;
        return found;
    }
    const char* begin = m_text + at;
    const xmlscan::TagScan tag = xmlscan::ScanTag(begin, m_end, m_end);
    const bool found = tag.scan.stop != m_end;
    const char* end = found ? tag.scan.stop + 1 : m_end;
    item = std::string_view(begin, static_cast<size_t>(end - begin));
    facts.firstBlank = tag.firstBlank ? static_cast<size_t>(tag.firstBlank - begin) : item.size();
    facts.hasEquals = tag.hasEquals;
    facts.cutAtTagEnd = true;
    node.m_current.Advance(item.size(), tag.scan.lineFeeds, static_cast<size_t>(end - tag.scan.lineStart));
    return found;
}

// Reads through the first terminator that begins after the byte at the current position. When
// there is none, the bytes are taken while at least the terminator's length minus one remain.
bool CXMLParser::ReadUntil(CXMLElement& node, std::string_view terminator, std::string_view& item) {
    const size_t start = node.m_current.offset;
    const std::string_view text(m_text, m_length);
    const size_t match = text.find(terminator, start + 1);
    const bool found = match != std::string_view::npos;
    size_t taken;
    if (found) {
        taken = match + terminator.size() - start;
    } else {
        const size_t stop = m_length - terminator.size() + 1;
        taken = stop > start ? stop - start : 0;
    }
    item = text.substr(start, taken);
    node.m_current.Advance(item.data(), item.size());
    return found;
}

bool CXMLParser::HoldsAt(uint64_t offset, std::string_view bytes) const {
    return offset <= m_length && m_length - offset >= bytes.size() &&
           std::memcmp(m_text + offset, bytes.data(), bytes.size()) == 0;
}

// Sets kind, name, value and attributes from the item text; m_selfClosed says whether the tag
// closes itself. False when the tag cannot be analysed.
XML_NODE_STEP bool CXMLParser::AnalyseTag(CXMLElement& node, std::string_view item, const ItemFacts& facts,
                                          bool& valueWritten) {
    if (item.size() > kCDataStart.size() && StartsWith(item, kCDataStart)) {
        node.m_selfClosed = true;
        valueWritten = true;
        return ReadCData(node, item);
    }
    const size_t blank = facts.firstBlank;
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
            node.m_selfClosed = true;
        } else if (!name.empty() && name.back() == '/') {
            node.m_selfClosed = true;
            name.remove_suffix(1);
        }
        rest = item;  // the name is stored below, once its kind is known
    } else {
        name = item.substr(0, blank);
        if (!name.empty() && name.front() == '<') {
            name = Trim(name.substr(1));
        }
        if (!name.empty() && name.front() == '/') {
            node.m_selfClosed = true;
        }
        rest = item.substr(blank + 1);
    }
    if (!name.empty() && name.front() == '!') {
        return AnalyseBangTag(node, item, name, rest, blank == item.size(), facts.hasEquals, valueWritten);
    }
    if (!name.empty() && name.front() == '?') {
        node.m_kind = XML_KIND_PROCESSING_INSTRUCTION;
        name.remove_prefix(1);
    } else {
        node.m_kind = XML_KIND_ELEMENT;
    }
    return AnalyseNameAndAttributes(node, name, rest, facts.hasEquals);
}

XML_NODE_STEP bool CXMLParser::AnalyseNameAndAttributes(CXMLElement& node, std::string_view name, std::string_view rest,
                                                        bool hasAttributes) {
    AssignBytes(node.m_name, name);
    if (rest.size() > 1 && rest[rest.size() - 2] == '/') {
        node.m_selfClosed = true;
    }
    if (rest.size() <= 1 || !hasAttributes) {
        return true;
    }
    return ReadAttributes(node, rest);
}

// Tags whose name begins with "!": comments, malformed section starts and declarations. A tag
// without blanks is named by its whole text: comments keep that name, and so does the error
// record of a tag that fails here.
bool CXMLParser::AnalyseBangTag(CXMLElement& node, std::string_view item, std::string_view name, std::string_view rest,
                                bool namedByWholeTag, bool hasAttributes, bool& valueWritten) {
    if (namedByWholeTag) {
        AssignBytes(node.m_name, name);
    } else {
        node.m_name.clear();
    }
    if (name.size() < 3) {
        return false;
    }
    if (name[1] == '-' && name[2] == '-') {
        node.m_kind = XML_KIND_COMMENT;
        const std::string_view body = item.size() > 4 ? item.substr(4) : std::string_view();
        const size_t end = body.find(kCommentEnd);
        if (end == std::string_view::npos) {
            return false;
        }
        AssignBytes(node.m_value, body.substr(0, end));
        valueWritten = true;
        node.m_selfClosed = true;
        return true;
    }
    if (name[1] == '[' && (name[2] == 'C' || name[2] == 'c')) {
        if (name.size() < 9) {
            return false;
        }
        node.m_kind = XML_KIND_DECLARATION;
        node.m_selfClosed = true;
        return AnalyseNameAndAttributes(node, name, rest, hasAttributes);
    }
    node.m_kind = XML_KIND_DECLARATION;
    AssignBytes(node.m_name, name.substr(1));
    if (!rest.empty() && rest.back() == '>') {
        rest.remove_suffix(1);
    }
    AssignBytes(node.m_value, rest);
    valueWritten = true;
    node.m_selfClosed = true;
    return true;
}

// name="value" pairs; anything without "=" is ignored. A ">" inside a value has ended the item
// early: the value then runs to the end of the item and the rest stays in the source.
bool CXMLParser::ReadAttributes(CXMLElement& node, std::string_view rest) {
    const char* const restEnd = rest.data() + rest.size();
    for (;;) {
        const char* equals = xmlscan::FindFirst<'='>(rest.data(), restEnd, m_end);
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
        const char* first = quote == '"' ? xmlscan::FindFirst<'"', '&', '\r', '\n', '\t'>(rest.data(), restEnd, m_end)
                                         : xmlscan::FindFirst<'\'', '&', '\r', '\n', '\t'>(rest.data(), restEnd, m_end);
        const char* close = first;
        size_t special = std::string_view::npos;
        if (first != restEnd && *first != quote) {
            special = static_cast<size_t>(first - rest.data());
            close = quote == '"' ? xmlscan::FindFirst<'"'>(first + 1, restEnd, m_end)
                                 : xmlscan::FindFirst<'\''>(first + 1, restEnd, m_end);
        }
        if (close != restEnd) {
            const size_t valueLength = static_cast<size_t>(close - rest.data());
            const std::string_view value = rest.substr(0, valueLength);
            rest = TrimLeft(rest.substr(valueLength + 1));
            if (!StoreAttribute(node, name, value, special)) {
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
        if (node.m_kind == XML_KIND_PROCESSING_INSTRUCTION) {
            if (value.empty() || value.back() != '?') {
                return false;
            }
            value.remove_suffix(1);
        } else if (!value.empty() && value.back() == '/') {
            value.remove_suffix(1);
            node.m_selfClosed = true;
        }
        return value.empty() ||
               StoreAttribute(node, name, value, FirstRewritable(value.data(), value.data() + value.size()));
    }
}

// Stores the attribute with its entities decoded and its line breaks and tabs normalised, from
// index `special` (its first "&", carriage return, line feed or tab; npos: none) on.
XML_NODE_STEP bool CXMLParser::StoreAttribute(CXMLElement& node, std::string_view name, std::string_view value,
                                              size_t special) {
    CXMLAttribute* slot = node.NextAttributeSlot();
    if (!slot) {
        return false;
    }
    AssignBytes(slot->m_name, name);
    if (special == std::string_view::npos) {
        AssignBytes(slot->m_value, value);
    } else {
        xmltext::AssignRewritten<true, true>(slot->m_value, value, special);
    }
    return node.CommitAttribute(*slot);
}

// The item ends with the first "]]>". When another "]]>" follows at once, the pair stands for a
// "]]>" inside the section and the section goes on in the text.
bool CXMLParser::ReadCData(CXMLElement& node, std::string_view item) {
    node.m_kind = XML_KIND_CDATA;
    AssignBytes(node.m_name, kCDataStart.substr(2));  // "[CDATA["
    std::string& value = node.m_value;
    value.clear();
    if (item.size() < kCDataStart.size() + kCDataEnd.size()) {
        return false;
    }
    value.assign(item.substr(kCDataStart.size(), item.size() - kCDataStart.size() - kCDataEnd.size()));
    XMLPosition& current = node.m_current;
    if (!HoldsAt(current.offset, kCDataEnd)) {
        return true;
    }
    value.append(kCDataEnd);
    current.Advance(kCDataEnd.data(), kCDataEnd.size());
    while (current.offset < m_length) {
        const char c = m_text[current.offset];
        if (c == ']' && HoldsAt(current.offset, kCDataEnd)) {
            current.Advance(kCDataEnd.data(), kCDataEnd.size());
            if (!HoldsAt(current.offset, kCDataEnd)) {
                return true;
            }
            value.append(kCDataEnd);
            current.Advance(kCDataEnd.data(), kCDataEnd.size());
            continue;
        }
        value.push_back(c);
        current.Advance(c);
    }
    return false;
}
