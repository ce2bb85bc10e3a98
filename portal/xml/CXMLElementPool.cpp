#include "portal/xml/CXMLElementPool.h"

#include <new>

#include "portal/xml/CXMLElement.h"

CXMLElementPool::CXMLElementPool() = default;

CXMLElementPool::~CXMLElementPool() {
    // Elements of a reclaimed tree still point at their old children; drop those links first so
    // that destroying one element never reaches another.
    for (std::unique_ptr<CXMLElement[]>& block : m_blocks) {
        for (size_t i = 0; i < kBlockSize; ++i) {
            block[i].ForgetContents();
        }
    }
}

CXMLElement* CXMLElementPool::TakeSlowly() {
    if (!m_free.empty()) {
        CXMLElement* element = m_free.back();
        m_free.pop_back();
        return element;
    }
    if (m_nextSlot == kBlockSize) {
        ++m_nextBlock;
        m_nextSlot = 0;
    }
    if (m_nextBlock == m_blocks.size()) {
        std::unique_ptr<CXMLElement[]> block(new (std::nothrow) CXMLElement[kBlockSize]);
        if (!block) {
            return nullptr;
        }
        m_blocks.push_back(std::move(block));
    }
    CXMLElement* element = &m_blocks[m_nextBlock][m_nextSlot++];
    element->ForgetContents();
    return element;
}

void CXMLElementPool::Give(CXMLElement* element) noexcept {
    if (m_discarding) {
        return;
    }
    try {
        m_free.push_back(element);
    } catch (const std::bad_alloc&) {
        // The element stays unused until EndDiscard frees every element at once.
    }
}

void CXMLElementPool::EndDiscard() noexcept {
    m_discarding = false;
    m_free.clear();
    m_nextBlock = 0;
    m_nextSlot = 0;
}
