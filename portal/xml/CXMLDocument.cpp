#include "portal/xml/CXMLDocument.h"

#include <algorithm>
#include <new>

namespace {

const char kCannotAllocate[] = "Can't allocate memory.";
const char kNoDeclaration[] = "Can't find beginning-of-XML tag (<?xml).";
const char kNoDeclarationAnyCase[] = "Can't find beginning-of-XML tag (<?xml) regardless of case.";
const char kNoDeclarationEnd[] = "Can't find the end of the end of the beginning-of-XML tag (?>).";

const std::string_view kDeclarationStart = "<?xml";
const std::string_view kDeclarationEnd = "?>";

// The error record's text fields hold at most 1023 bytes.
constexpr size_t kErrorTextLimit = 1023;

void AssignLimited(std::string& field, std::string_view text) {
    field.assign(text.substr(0, kErrorTextLimit));
}

}  // namespace

CXMLDocument::CXMLDocument() {
    m_pool.TakeSpareBlocks();
    CXMLElement* root = CXMLElement::Allocate(XML_KIND_PROCESSING_INSTRUCTION, this, true);
    if (!root) {
        throw std::bad_alloc();
    }
    m_pXML.reset(root);
    root->m_name = "xml";
    root->AddAttribute("version", "1.0");
    root->AddAttribute("standalone", "yes");
}

CXMLDocument::~CXMLDocument() {
    Reset();
    // Element buffers grow to the longest name or value they held; only those of short texts
    // are worth keeping for the next document.
    if (m_longestText <= kSpareTextLimit) {
        m_pool.GiveSpareBlocks();
    }
}

void CXMLDocument::Reset() {
    m_error.flag = 0;
    m_error.start = XMLPosition();
    m_error.position = XMLPosition();
    m_error.element.clear();
    m_error.message.clear();
    if (m_treeHoldsHeapElements) {
        m_pool.BeginDiscard();
        m_pXML.reset();
        m_pool.EndDiscard();
        m_treeHoldsHeapElements = false;
    } else {
        (void)m_pXML.release();  // every element is the pool's: take them back without a walk
        m_pool.ReclaimAll();
    }
}

uint32_t CXMLDocument::SetFlags(uint32_t flags) {
    const uint32_t previous = m_flags;
    m_flags = flags;
    return previous;
}

bool CXMLDocument::Parse(const CXMLSource& source) {
    Reset();
    m_longestText = std::max(m_longestText, source.GetLength());
    CXMLElement* root = CXMLElement::Allocate(XML_KIND_PROCESSING_INSTRUCTION, this, true);
    if (!root) {
        RecordError(nullptr, kCannotAllocate);
        return false;
    }
    m_pXML.reset(root);

    XMLPosition start;
    if (!source.Find(XMLPosition(), kDeclarationStart, start)) {
        if (m_flags & XML_FRAGMENT) {
            start = XMLPosition();
        } else if (m_flags & XML_PROLOG_ANY_CASE) {
            if (!source.FindNoCase(XMLPosition(), kDeclarationStart, start)) {
                RecordError(nullptr, kNoDeclarationAnyCase);
                return false;
            }
        } else {
            RecordError(nullptr, kNoDeclaration);
            return false;
        }
    }
    // Only checked: where the declaration ends does not matter further, and a fragment needs none.
    XMLPosition declarationEnd;
    if (!(m_flags & XML_FRAGMENT) && !source.Find(start, kDeclarationEnd, declarationEnd)) {
        RecordError(nullptr, kNoDeclarationEnd);
        return false;
    }
    return root->Parse(start, source);
}

const CXMLElement* CXMLDocument::FindElement(std::string_view path) const {
    const CXMLElement* root = m_pXML.get();
    if (!root) {
        return nullptr;
    }
    if (!(m_flags & XML_FRAGMENT)) {
        return root->FindChild(path);
    }
    const size_t dot = path.find('.');
    if (path.substr(0, dot) != root->GetName()) {
        return nullptr;
    }
    return dot == std::string_view::npos ? root : root->FindChild(path.substr(dot + 1));
}

CXMLElement* CXMLDocument::FindElement(std::string_view path) {
    return const_cast<CXMLElement*>(static_cast<const CXMLDocument*>(this)->FindElement(path));
}

void CXMLDocument::RecordError(const CXMLElement* element, const char* message) {
    if (m_error.flag) {
        return;
    }
    m_error.flag = 1;
    if (element) {
        AssignLimited(m_error.element, element->GetName());
        m_error.start = element->GetStartPosition();
        m_error.position = element->GetCurrentPosition();
    }
    AssignLimited(m_error.message, message ? std::string_view(message) : std::string_view());
}
