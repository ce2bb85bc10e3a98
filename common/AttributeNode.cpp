#include "common/AttributeNode.h"

#include <cstring>
#include <new>

// Sanitizer builds give every node its own allocation, so that a node's whole life stays
// visible to them.
#if defined(__SANITIZE_ADDRESS__)
#define BRINDLE_NODE_CACHE 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRINDLE_NODE_CACHE 0
#endif
#endif
#ifndef BRINDLE_NODE_CACHE
#define BRINDLE_NODE_CACHE 1
#endif

namespace {

bool clearsTag(const char* tag) { return tag == nullptr || *tag == '\0' || std::strcmp(tag, "null") == 0; }

// The node cache: freed node blocks kept per thread in size classes of 16 bytes, up to a
// bound of memory per class, and handed out again before new memory is asked for. Every block
// is an allocation of its own of its class's full size, so a block may be freed on any thread
// and taken again by any node that fits its class; a thread's cache gives its blocks back when
// the thread ends, and frees after that go straight to the allocator.
constexpr std::size_t Granule = 16;
constexpr std::size_t ClassCount = 8;  // blocks of 16 to 128 bytes
constexpr std::size_t CachedBytesPerClass = 256 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

struct NodeCache {
    FreeBlock* head[ClassCount];
    std::size_t count[ClassCount];
    bool closerRegistered;
    bool closed;
};

// Zero-initialised and trivially destructible, so it stays usable to the very end of its
// thread; the closer below empties it.
thread_local NodeCache nodeCache;

struct NodeCacheCloser {
    ~NodeCacheCloser() {
        nodeCache.closed = true;
        for (std::size_t c = 0; c < ClassCount; ++c) {
            while (FreeBlock* block = nodeCache.head[c]) {
                nodeCache.head[c] = block->next;
                ::operator delete(block);
            }
            nodeCache.count[c] = 0;
        }
    }
};

void registerNodeCacheCloser() {
    thread_local NodeCacheCloser closer;
    static_cast<void>(closer);
    nodeCache.closerRegistered = true;
}

constexpr std::size_t classOf(std::size_t size) { return (size + Granule - 1) / Granule - 1; }
constexpr std::size_t classSize(std::size_t sizeClass) { return (sizeClass + 1) * Granule; }

}  // namespace

void* AttributeNode::operator new(std::size_t size) {
    const std::size_t sizeClass = classOf(size);
    if (!BRINDLE_NODE_CACHE || sizeClass >= ClassCount)
        return ::operator new(size);
    if (FreeBlock* block = nodeCache.head[sizeClass]) {
        nodeCache.head[sizeClass] = block->next;
        --nodeCache.count[sizeClass];
        return block;
    }
    return ::operator new(classSize(sizeClass));
}

void AttributeNode::operator delete(void* block, std::size_t size) noexcept {
    const std::size_t sizeClass = classOf(size);
    if (!BRINDLE_NODE_CACHE || sizeClass >= ClassCount || nodeCache.closed ||
        nodeCache.count[sizeClass] * classSize(sizeClass) >= CachedBytesPerClass) {
        ::operator delete(block);
        return;
    }
    if (!nodeCache.closerRegistered)
        registerNodeCacheCloser();
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = nodeCache.head[sizeClass];
    nodeCache.head[sizeClass] = freed;
    ++nodeCache.count[sizeClass];
}

AttributeNode::~AttributeNode() = default;

int AttributeNode::isLeaf() const { return 1; }

int AttributeNode::sameShape(const AttributeNode& other) const { return other.kind_ == kind_; }

void AttributeNode::setTag(const char* tag) {
    if (clearsTag(tag))
        tag_.clear();
    else
        tag_ = tag;
}

void AttributeNode::setTag(std::string tag) {
    if (tag == "null")
        tag.clear();
    tag_ = std::move(tag);
}
