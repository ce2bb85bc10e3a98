#pragma once
// The elements of one document's parsed tree. They live in blocks that the pool owns and are
// handed out in order, so a tree lies in memory in document order, and each parse into the
// same document reuses the elements of the one before, with their name and value buffers and
// their child and attribute arrays. Elements made outside a parse are ordinary heap objects.
#include <cstddef>
#include <memory>
#include <vector>

#include "portal/xml/CXMLElement.h"

class CXMLElementPool {
public:
    CXMLElementPool();
    ~CXMLElementPool();
    CXMLElementPool(const CXMLElementPool&) = delete;
    CXMLElementPool& operator=(const CXMLElementPool&) = delete;

    // A free element of the pool, or nullptr when no memory can be had for one. Inline: the
    // parser takes one for every node.
    CXMLElement* Take() {
        if (m_free.empty() && m_nextSlot < kBlockSize && m_nextBlock < m_blocks.size()) {
            CXMLElement* element = &m_blocks[m_nextBlock][m_nextSlot++];
            element->ForgetContents();
            return element;
        }
        return TakeSlowly();
    }
    // Takes back one element that has no children left.
    void Give(CXMLElement* element) noexcept;
    // While the whole tree is destroyed, elements given back are not filed one by one:
    // EndDiscard makes every element of the pool free at once.
    void BeginDiscard() noexcept { m_discarding = true; }
    void EndDiscard() noexcept;
    // Makes every element free at once without visiting the tree they form; each one forgets
    // its old contents when it is taken again (or when the pool goes). Only for a tree made of
    // pool elements alone.
    void ReclaimAll() noexcept { EndDiscard(); }

    // A document that goes leaves its pool's blocks, with the buffers its elements grew, to the
    // next document made on the same thread, so that a new document per text parses as fast as
    // a kept one. Only a pool of a few blocks is kept, one per thread; only for a pool whose
    // elements are all free. TakeSpareBlocks is for a pool that holds no blocks yet.
    void GiveSpareBlocks() noexcept;
    void TakeSpareBlocks() noexcept;

private:
    static constexpr size_t kBlockSize = 128;
    static constexpr size_t kMaxSpareBlocks = 8;

    // Take when an element given back is at hand or a new block has to be begun.
    CXMLElement* TakeSlowly();

    std::vector<std::unique_ptr<CXMLElement[]>> m_blocks;
    size_t m_nextBlock = 0;            // the block the next fresh element comes from
    size_t m_nextSlot = 0;             // its slot in that block
    std::vector<CXMLElement*> m_free;  // elements given back singly since the last EndDiscard
    bool m_discarding = false;
};
