#pragma once
// The XML parser: reads the text of a CXMLSource from a start position and builds the
// CXMLElement tree below the element it is given. It holds all state of one parse; the
// options of the document (text merging) are chosen once per parse, not at every node.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "portal/xml/XMLPosition.h"

class CXMLElement;
class CXMLSource;

class CXMLParser {
public:
    // Parses one node into element starting at start and, for markup that opens content,
    // everything up to its end tag; the element's kind says what is expected there (text, or
    // markup of any kind). Uses the flags of the element's document (none without one). Leaves
    // the element's current position just after what was consumed. Failures are reported with
    // CXMLElement::ReportError (the first one wins) and give false; the tree then holds what
    // was complete before the failure.
    static bool Parse(CXMLElement& element, const XMLPosition& start, const CXMLSource& source);

private:
    // What one read of an item found out about it besides its extent.
    struct ItemFacts {
        size_t firstBlank = 0;   // index of the first blank; the item's length when there is none
        bool hasEquals = false;  // an "=" lies in the item: attributes may follow the name
        bool cutAtTagEnd = false;  // the item ends at its first ">" (not a comment or CDATA read)
    };

    explicit CXMLParser(const CXMLSource& source);

    template <bool MergeText>
    bool ParseNode(CXMLElement& node, const XMLPosition& start, int depth);
    template <bool MergeText>
    bool ParseNodeInto(CXMLElement& node, const XMLPosition& start, int depth, bool& valueWritten);
    template <bool MergeText>
    // plainEndTag: the element's end tag may be taken by ClosesWithPlainEndTag (asked once per element).
    bool ParseContent(CXMLElement& node, int depth, bool& valueWritten, bool plainEndTag);
    template <bool MergeText>
    bool ParseChild(CXMLElement& node, int depth, bool markup);

    void ParseText(CXMLElement& node);
    bool MergeTextRun(CXMLElement& node);
    bool ClosesWithPlainEndTag(CXMLElement& node) const;
    bool ReadItem(CXMLElement& node, std::string_view& item, ItemFacts& facts);
    bool ReadUntil(CXMLElement& node, std::string_view terminator, std::string_view& item);

    // The steps that write a node's value set valueWritten.
    bool AnalyseTag(CXMLElement& node, std::string_view item, const ItemFacts& facts, bool& valueWritten);
    bool AnalyseBangTag(CXMLElement& node, std::string_view item, std::string_view name, std::string_view rest,
                        bool namedByWholeTag, bool hasAttributes, bool& valueWritten);
    bool AnalyseNameAndAttributes(CXMLElement& node, std::string_view name, std::string_view rest, bool hasAttributes);
    bool ReadAttributes(CXMLElement& node, std::string_view rest);
    bool StoreAttribute(CXMLElement& node, std::string_view name, std::string_view value, size_t special);
    bool ReadCData(CXMLElement& node, std::string_view item);
    bool HoldsAt(uint64_t offset, std::string_view bytes) const;

    std::string m_copy;            // the text, when the source does not hold it in one block
    const char* m_text = nullptr;  // the whole text in one block
    const char* m_end = nullptr;   // m_text + m_length
    uint32_t m_length = 0;
};
