#include "portal/xml/CXMLElement.h"

#include <new>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLParser.h"
#include "portal/xml/XMLText.h"

namespace {

bool IsAcceptedRootVersion(const std::string& value) {
    return value.size() >= 2 || value == "-";
}

}  // namespace

void CXMLElementRecycler::operator()(CXMLElement* element) const noexcept {
    if (!element->m_pooled) {
        delete element;
        return;
    }
    CXMLDocument* document = element->m_pDocument;
    element->PrepareForReuse();
    document->m_pool.Give(element);
}

CXMLElement::CXMLElement(XMLNodeKind kind, CXMLDocument* document) : m_pDocument(document), m_kind(XMLStoredKind(kind)) {}

CXMLElement::~CXMLElement() = default;

// Empties the element but keeps its buffers; children go back to the pool first. Name and value
// keep their old bytes until the element is handed out again (Allocate empties them).
void CXMLElement::PrepareForReuse() {
    m_children.clear();
    m_attributeCount = 0;
    m_pParent = nullptr;
    m_pNextSibling = nullptr;
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
        m_pDocument->m_treeHoldsHeapElements = true;  // Reset must visit the tree to delete it
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
    // The views may show bytes of this element's own attributes, which storing may move or
    // overwrite: store from copies.
    const std::string ownName(name);
    const std::string ownValue(value);
    CXMLAttribute* slot = NextAttributeSlot();
    if (!slot) {
        return false;
    }
    xmltext::AssignBytes(slot->m_name, ownName);
    const char* end = ownValue.data() + ownValue.size();
    const char* special = xmlscan::FindFirst<'\r', '\n', '\t'>(ownValue.data(), end, end);
    if (special == end) {
        xmltext::AssignBytes(slot->m_value, ownValue);
    } else {
        xmltext::AssignRewritten<false, true>(slot->m_value, ownValue, static_cast<size_t>(special - ownValue.data()));
    }
    return CommitAttribute(*slot);
}

CXMLAttribute* CXMLElement::AddAttributeSlot() {
    if (m_attributeCount == UINT32_MAX) {
        return nullptr;  // the count is 32 bits wide; no real text comes near this
    }
    const CXMLAttribute* before = m_attributes.data();
    m_attributes.emplace_back();
    if (m_attributes.data() != before) {
        for (size_t i = 0; i + 1 < m_attributeCount; ++i) {
            m_attributes[i].m_pNext = &m_attributes[i + 1];
        }
    }
    return &m_attributes[m_attributeCount];
}

bool CXMLElement::IsRefusedRootAttribute(const CXMLAttribute& slot) {
    return slot.m_name == "version" && !IsAcceptedRootVersion(slot.m_value);
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
    return CXMLParser::Parse(*this, start, source);
}
