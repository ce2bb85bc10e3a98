#pragma once
// Base of every node of an attribute tree: a fixed kind, the isSet flag and an optional tag.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "brindle/export.h"

// Kind codes as they travel on the wire; there is no 0 and nothing above 5.
enum class NodeKind : std::int32_t {
    Branch = 1,        // AttributeTree
    Integer = 2,       // IntegerAttribute
    Text = 3,          // TextAttribute
    PlainInteger = 4,  // PlainIntegerAttribute
    Binary = 5,        // BinaryAttribute
};

class BRINDLE_EXPORT AttributeNode {
public:
    virtual ~AttributeNode();

    // Nonzero for every kind but Branch.
    virtual int isLeaf() const;
    // A new node the caller owns. includeHidden: keep children whose name begins with "~";
    // depth: levels of children to copy, -1 unlimited. Leaves ignore both.
    virtual std::unique_ptr<AttributeNode> clone(int includeHidden, int depth) const = 0;
    // Leaves: nonzero when other has the same kind; values are not compared.
    virtual int sameShape(const AttributeNode& other) const;

    NodeKind kind() const { return kind_; }

    int isSet() const { return isSet_; }
    void setIsSet(int isSet) { isSet_ = isSet; }

    // Null when there is no tag.
    const char* tag() const { return tag_.empty() ? nullptr : tag_.c_str(); }
    // Null, "" and "null" clear the tag; anything else is stored as a copy.
    void setTag(const char* tag);
    void setTag(std::string tag);
    void clearTag() { tag_.clear(); }

    // Nodes are allocated through a per-thread cache of freed node blocks, so that trees that
    // are built and dropped over and over (every message of a connection) cost no trip to the
    // general allocator per node. Any thread may free a node another thread made.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    static void* operator new(std::size_t, void* where) noexcept { return where; }
    static void operator delete(void*, void*) noexcept {}

protected:
    explicit AttributeNode(NodeKind kind) : kind_(kind) {}
    AttributeNode(const AttributeNode&) = default;
    AttributeNode& operator=(const AttributeNode&) = default;
    AttributeNode(AttributeNode&&) = default;
    AttributeNode& operator=(AttributeNode&&) = default;

private:
    // The tree format's reader overwrites the values of recycled nodes in place.
    friend class FastTreeStreamer;

    std::int32_t isSet_ = 0;
    std::string tag_;  // empty means no tag
    NodeKind kind_;
};
