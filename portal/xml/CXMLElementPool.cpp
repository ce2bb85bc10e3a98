#include "portal/xml/CXMLElementPool.h"

#include <new>

#include "portal/xml/CXMLElement.h"

namespace {

// The calling thread's spare blocks, kept in a pool of their own. Trivially destructible, so it
// stays readable to the very end of its thread; the closer below frees the blocks.
struct SparePool {
    CXMLElementPool* pool;
    bool closerRegistered;
    bool closed;
};

thread_local SparePool sparePool;

struct SparePoolCloser {
    ~SparePoolCloser() {
        sparePool.closed = true;
        delete sparePool.pool;
        sparePool.pool = nullptr;
    }
};

}  // namespace

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

void CXMLElementPool::GiveSpareBlocks() noexcept {
    if (sparePool.closed || m_blocks.empty() || m_blocks.size() > kMaxSpareBlocks) {
        return;
    }
    if (!sparePool.pool) {
        sparePool.pool = new (std::nothrow) CXMLElementPool;
        if (!sparePool.pool) {
            return;
        }
        if (!sparePool.closerRegistered) {
            thread_local SparePoolCloser closer;
            static_cast<void>(closer);
            sparePool.closerRegistered = true;
        }
    }
    if (sparePool.pool->m_blocks.empty()) {
        m_blocks.swap(sparePool.pool->m_blocks);
        EndDiscard();
    }
}

void CXMLElementPool::TakeSpareBlocks() noexcept {
    if (sparePool.closed || !sparePool.pool || !m_blocks.empty()) {
        return;
    }
    m_blocks.swap(sparePool.pool->m_blocks);
    EndDiscard();
}
