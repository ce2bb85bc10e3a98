#pragma once
// One node of an XML element tree: an element, a text run, a comment, a CDATA section, a
// processing instruction or a declaration. An element owns its children and its attributes;
// its document and parent links are plain back references.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "portal/xml/CXMLAttribute.h"
#include "portal/xml/XMLNodeKind.h"
#include "portal/xml/XMLPosition.h"

class CXMLDocument;
class CXMLElement;
class CXMLSource;

// Disposes of a child element: back into its document's store of spare elements (so the next
// parse reuses it and its buffers), or deleted when it belongs to no document.
struct CXMLElementRecycler {
    void operator()(CXMLElement* element) const noexcept;
};

// Kinds outside 0..6 are stored as 0.
inline XMLNodeKind XMLStoredKind(XMLNodeKind kind) {
    return (kind < XML_KIND_UNKNOWN || kind > XML_KIND_DECLARATION) ? XML_KIND_UNKNOWN : kind;
}

class CXMLElement {
public:
    using Owned = std::unique_ptr<CXMLElement, CXMLElementRecycler>;

    ~CXMLElement();
    CXMLElement(const CXMLElement&) = delete;
    CXMLElement& operator=(const CXMLElement&) = delete;

    // A new child of the given kind appended to parent (which owns it); its document is the
    // parent's. nullptr when it cannot be allocated. Kinds outside 0..6 are stored as 0.
    static CXMLElement* NewElement(CXMLElement& parent, XMLNodeKind kind);
    // A free-standing element (no parent) owned by the caller; document may be null. An element
    // linked to a document must not outlive it. nullptr when it cannot be allocated.
    static std::unique_ptr<CXMLElement> NewElement(XMLNodeKind kind, CXMLDocument* document);

    // Appends child after the last child and links it (and its subtree) to this element's
    // document. Returns the child, now owned by this element; nullptr for a null child.
    CXMLElement* AddChild(std::unique_ptr<CXMLElement> child);
    // Unlinks child and destroys it with its subtree; a pointer that is not a child changes nothing.
    void RemoveChild(const CXMLElement* child);
    // Clears closed, destroys all children and attributes, empties name and value. The kind,
    // the positions and the other flags stay.
    void Clear();
    // Adds an attribute after the last one; its value's carriage return/line feed pairs and
    // remaining carriage returns, line feeds and tabs each become one space. Refused (false) on an
    // element without parent when name is "version" and the value is neither "-" nor at least
    // two bytes long.
    bool AddAttribute(std::string_view name, std::string_view value);

    // Dotted path below this element: the first child named by the first component, then that
    // child's lookup of the rest (a later child of the same name is not tried). Names compare
    // byte for byte; an empty component names the first child with an empty name.
    const CXMLElement* FindChild(std::string_view path) const;
    CXMLElement* FindChild(std::string_view path);
    // The first later sibling named name, or nullptr.
    const CXMLElement* FindNextSibling(std::string_view name) const;
    CXMLElement* FindNextSibling(std::string_view name);
    // The first attribute named name in the order added, or nullptr.
    const CXMLAttribute* FindAttribute(std::string_view name) const;

    // Records message (nullptr: an empty one) with this element's name and positions in the
    // document's error record, unless the element has no document or an error is already there.
    void ReportError(const char* message);

    // Parses one node starting at start and, for markup that opens content, everything up to its
    // end tag, with the options of its document (CXMLParser). Leaves the current position just
    // after what was consumed. Failures are reported with ReportError (the first one wins) and
    // give false.
    bool Parse(const XMLPosition& start, const CXMLSource& source);

    const std::string& GetName() const { return m_name; }
    const std::string& GetValue() const { return m_value; }
    XMLNodeKind GetKind() const { return m_kind; }
    const XMLPosition& GetStartPosition() const { return m_start; }
    const XMLPosition& GetCurrentPosition() const { return m_current; }
    bool IsClosed() const { return m_closed; }
    bool IsWhitespaceOnly() const { return m_whitespaceOnly; }
    bool IsSelfClosed() const { return m_selfClosed; }

    CXMLDocument* GetDocument() const { return m_pDocument; }
    CXMLElement* GetParent() const { return m_pParent; }
    CXMLElement* GetFirstChild() const { return m_children.empty() ? nullptr : m_children.front().get(); }
    CXMLElement* GetLastChild() const { return m_children.empty() ? nullptr : m_children.back().get(); }
    CXMLElement* GetNextSibling() const { return m_pNextSibling; }
    size_t GetChildCount() const { return m_children.size(); }
    CXMLElement* GetChild(size_t index) const { return index < m_children.size() ? m_children[index].get() : nullptr; }

    const CXMLAttribute* GetFirstAttribute() const { return m_attributeCount ? &m_attributes[0] : nullptr; }
    size_t GetAttributeCount() const { return m_attributeCount; }
    const CXMLAttribute* GetAttribute(size_t index) const {
        return index < m_attributeCount ? &m_attributes[index] : nullptr;
    }

private:
    friend class CXMLDocument;
    friend class CXMLElementPool;
    friend class CXMLParser;
    friend struct CXMLElementRecycler;

    explicit CXMLElement(XMLNodeKind kind = XML_KIND_UNKNOWN, CXMLDocument* document = nullptr);
    // keepBuffers: a pooled element's name and value keep the bytes of their last use, for a
    // parser that writes both over. Allocate and NewChildToFill are defined inline in
    // CXMLDocument.h, where the pool is known: the parser takes an element for every node.
    static CXMLElement* Allocate(XMLNodeKind kind, CXMLDocument* document, bool pooled, bool keepBuffers = false);
    // A new last child for the parser to fill: as NewElement, with buffers kept.
    static CXMLElement* NewChildToFill(CXMLElement& parent, XMLNodeKind kind);
    void Reinitialise(XMLNodeKind kind, CXMLDocument* document) {
        m_pDocument = document;
        m_pParent = nullptr;
        m_pNextSibling = nullptr;
        m_kind = XMLStoredKind(kind);
        m_start = XMLPosition();
        m_current = XMLPosition();
        m_closed = false;
        m_whitespaceOnly = false;
        m_selfClosed = false;
    }
    void PrepareForReuse();
    // Drops the element's contents without destroying its children: they belong to a tree that
    // the pool has taken back as a whole. Name and value keep their old bytes, as in PrepareForReuse.
    void ForgetContents() noexcept {
        // One pass from the back: a release loop followed by clear() became a memset and a
        // second pass that read every link back (about 2% of a portal reply parse).
        while (!m_children.empty()) {
            (void)m_children.back().release();
            m_children.pop_back();
        }
        m_attributeCount = 0;
    }
    void AppendChild(Owned child) {
        CXMLElement* added = child.get();
        added->m_pParent = this;
        added->m_pNextSibling = nullptr;
        m_children.push_back(std::move(child));
        if (m_children.size() > 1) {
            m_children[m_children.size() - 2]->m_pNextSibling = added;
        }
    }
    void AdoptIntoDocument(CXMLDocument* document);
    int Depth() const;

    // The slot for the next attribute, with the buffers of an earlier use; nullptr when the
    // element holds as many attributes as it can count. CommitAttribute then adds it, unless the
    // root's version rule refuses it.
    // Inline: the parser stores every attribute through them; a slot of an earlier use is at hand
    // in all but the first parse into an element.
    CXMLAttribute* NextAttributeSlot() {
        if (m_attributeCount < m_attributes.size() && m_attributeCount != UINT32_MAX) {
            return &m_attributes[m_attributeCount];
        }
        return AddAttributeSlot();
    }
    bool CommitAttribute(CXMLAttribute& slot) {
        if (!m_pParent && IsRefusedRootAttribute(slot)) {
            return false;
        }
        slot.m_pNext = nullptr;
        if (m_attributeCount > 0) {
            m_attributes[m_attributeCount - 1].m_pNext = &slot;
        }
        ++m_attributeCount;
        return true;
    }
    CXMLAttribute* AddAttributeSlot();  // a new slot at the end; nullptr at the count's limit
    static bool IsRefusedRootAttribute(const CXMLAttribute& slot);

    CXMLDocument* m_pDocument = nullptr;
    CXMLElement* m_pParent = nullptr;
    std::vector<Owned> m_children;
    CXMLElement* m_pNextSibling = nullptr;
    std::vector<CXMLAttribute> m_attributes;  // slots past m_attributeCount keep their buffers
    std::string m_value;
    std::string m_name;
    XMLNodeKind m_kind = XML_KIND_UNKNOWN;
    XMLPosition m_start;
    XMLPosition m_current;
    uint32_t m_attributeCount = 0;
    bool m_closed = false;
    bool m_whitespaceOnly = false;
    bool m_selfClosed = false;
    bool m_pooled = false;  // lives in its document's pool rather than on the heap
};
