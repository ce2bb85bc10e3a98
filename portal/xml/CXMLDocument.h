#pragma once
// An XML document: owns the root element (m_pXML) of the tree parsed from a CXMLSource,
// the option flags and the record of the first error of the last parse.
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "portal/xml/CXMLElement.h"
#include "portal/xml/CXMLElementPool.h"
#include "portal/xml/CXMLSource.h"
#include "portal/xml/XMLFlags.h"
#include "portal/xml/XMLNodeKind.h"
#include "portal/xml/XMLPosition.h"

// The first error of a parse. Positions are those of the element that reported it; both stay
// (0, 1, 1) and element stays empty for errors the document itself records.
struct XMLErrorRecord {
    int32_t flag = 0;      // nonzero once an error is recorded
    XMLPosition start;     // start position of the reporting element
    XMLPosition position;  // current position of the reporting element
    std::string element;   // its name, at most 1023 bytes
    std::string message;   // at most 1023 bytes
};

class CXMLDocument {
public:
    // Flags XML_MERGE_TEXT and a placeholder root: processing instruction "xml" with the
    // attributes version="1.0" and standalone="yes", discarded by the first Parse.
    CXMLDocument();
    ~CXMLDocument();
    CXMLDocument(const CXMLDocument&) = delete;
    CXMLDocument& operator=(const CXMLDocument&) = delete;

    // Clears the error record and destroys the tree (the root becomes nullptr).
    void Reset();
    uint32_t GetFlags() const { return m_flags; }
    // Returns the previous flags.
    uint32_t SetFlags(uint32_t flags);

    // Resets, then parses the whole text of source. True when it was parsed; false with the
    // first error in GetError(), and the tree holding what was complete before it.
    bool Parse(const CXMLSource& source);

    // Dotted path from the document. Without XML_FRAGMENT the root is the "<?xml" declaration
    // and the first component names a top-level element; with it, the first component names the
    // root element itself. nullptr when nothing matches or there is no tree.
    const CXMLElement* FindElement(std::string_view path) const;
    CXMLElement* FindElement(std::string_view path);

    CXMLElement* GetRoot() { return m_pXML.get(); }
    const CXMLElement* GetRoot() const { return m_pXML.get(); }

    const XMLErrorRecord& GetError() const { return m_error; }
    bool HasError() const { return m_error.flag != 0; }
    const std::string& GetErrorMessage() const { return m_error.message; }
    const std::string& GetErrorElement() const { return m_error.element; }

private:
    friend class CXMLElement;
    friend struct CXMLElementRecycler;

    void RecordError(const CXMLElement* element, const char* message);

    CXMLElementPool m_pool;  // declared before the tree: destroyed after it
    CXMLElement::Owned m_pXML;
    bool m_treeHoldsHeapElements = false;  // an element made outside the pool was added to the tree
    uint32_t m_flags = XML_DEFAULT_FLAGS;
    uint32_t m_longestText = 0;  // bytes of the longest text parsed
    static constexpr uint32_t kSpareTextLimit = 64 * 1024;
    XMLErrorRecord m_error;
};

// Pooled elements come from the document's pool and are reachable only through its tree, so the
// pool can take them all back when the tree goes. Every other element is a heap object. A pooled
// element keeps the buffers of its last use; name and value are emptied here unless the caller
// writes them over.
inline CXMLElement* CXMLElement::Allocate(XMLNodeKind kind, CXMLDocument* document, bool pooled, bool keepBuffers) {
    if (pooled && document) {
        CXMLElement* element = document->m_pool.Take();
        if (element) {
            element->Reinitialise(kind, document);
            element->m_pooled = true;
            if (!keepBuffers) {
                element->m_name.clear();
                element->m_value.clear();
            }
        }
        return element;
    }
    return new (std::nothrow) CXMLElement(kind, document);
}

inline CXMLElement* CXMLElement::NewChildToFill(CXMLElement& parent, XMLNodeKind kind) {
    CXMLElement* element = Allocate(kind, parent.m_pDocument, parent.m_pooled, true);
    if (element) {
        parent.AppendChild(Owned(element));
    }
    return element;
}
