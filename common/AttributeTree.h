#pragma once
// A branch of an attribute tree: named children, each an owned node, in byte order of the names
// (unsigned bytes, a proper prefix first). Children are addressed by paths: tokens separated by
// any of '.', '{' and '}' (data.props, data{props} and {data}{props} all name "props" under
// "data"); a path without tokens (null, "", only delimiters) is the branch itself.
//
// A branch that had names stored out of order puts them in order at its next walk (iteration,
// accept, a copy), so a tree is changed and walked by one thread at a time.
//
// Pointers returned into the tree stay valid until that node, or a branch above it, is replaced
// or removed. Storing a node always stores a deep copy; the caller keeps what it passed.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/AttributeChildren.h"
#include "common/AttributeNode.h"
#include "common/AttributeTreeException.h"
#include "common/BinaryAttribute.h"
#include "common/IntegerAttribute.h"
#include "common/PlainIntegerAttribute.h"
#include "common/TextAttribute.h"

class AttributeTreeVisitor;

class BRINDLE_EXPORT AttributeTree : public AttributeNode {
public:
    // Name order is bytewise on unsigned values; lookups take a std::string_view, so no
    // std::string is built for them. Read like an ordered map of name to owned node.
    using Children = AttributeChildren;

    AttributeTree();
    // Deep copies: isSet, tag and every child (hidden ones included) to unlimited depth.
    AttributeTree(const AttributeTree& other);
    AttributeTree& operator=(const AttributeTree& other);
    // Takes over the children, isSet and tag; other is left empty.
    AttributeTree(AttributeTree&& other) noexcept;
    AttributeTree& operator=(AttributeTree&& other) noexcept;
    ~AttributeTree() override;

    int isLeaf() const override;
    // A new branch with isSet 0 and no tag; with depth 0 (or below, other than -1) it is empty.
    std::unique_ptr<AttributeNode> clone(int includeHidden, int depth) const override;
    // Other must be a branch; children are paired in name order until the shorter list ends,
    // each pair with names equal regardless of ASCII case and children of the same shape.
    int sameShape(const AttributeNode& other) const override;

    // --- Lookups --------------------------------------------------------------------------
    // The node at the path; throws NodeNotFoundException.
    AttributeNode* find(const char* path);
    const AttributeNode* find(const char* path) const;
    // The node at the path when it is a branch, else null; throws NodeNotFoundException when
    // nothing is there.
    AttributeTree* getBranch(const char* path);
    const AttributeTree* getBranch(const char* path) const;

    // Value of the Integer leaf at the path; throws NodeNotFoundException otherwise.
    virtual std::int32_t getInteger(const char* path) const;
    // Value of the Integer leaf at the path, else defaultValue. Never throws.
    std::int32_t getInteger(const char* path, std::int32_t defaultValue) const;
    // Copy of the text of the Text leaf at the path; throws NodeNotFoundException otherwise.
    virtual std::string getText(const char* path) const;
    // Copy of the text of the Text leaf at the path, else of defaultValue (null reads as "").
    std::string getText(const char* path, const char* defaultValue) const;
    // Text of the Text leaf at the path ("" when empty), else null. Points into the tree.
    virtual const char* findText(const char* path) const;
    // Value of an Integer leaf, or the decimal value of a Text leaf (leading white space, an
    // optional sign, digits up to the first non-digit, 0 without digits, wrapping modulo 2^32);
    // throws NodeNotFoundException for anything else.
    virtual std::int32_t getIntegerValue(const char* path) const;

    // --- Changes --------------------------------------------------------------------------
    // Stores node->clone(1, -1) at the path and returns the stored copy. Missing branches on the
    // way are made, leaves in the way are replaced by empty branches. A null node removes the
    // last name (returning null). With an empty path the node must be a branch: its children
    // replace this branch's children and this branch is returned; a leaf or null throws
    // CantAlterShapeException. The copy is taken before anything is replaced, so node may lie
    // inside the part of the tree it replaces.
    AttributeNode* put(const char* path, const AttributeNode* node);
    // As put, but stores node itself, with no copy. Null removes like put(path, nullptr).
    AttributeNode* putOwned(const char* path, std::unique_ptr<AttributeNode> node);
    // Replaces every child by a deep copy of other's children; own isSet and tag stay.
    void assign(const AttributeTree& other);
    // Store a new leaf (isSet 0, the given tag) at the path; an empty path throws
    // CantAlterShapeException.
    TextAttribute* setText(const char* path, const char* text, const char* tag = nullptr);
    IntegerAttribute* setInteger(const char* path, std::int32_t value, const char* tag = nullptr);
    virtual void setBinary(const char* path, std::uint32_t length, const void* bytes);
    virtual void setPlainInteger(const char* path, std::int32_t value);
    // Removes the node at the path; a missing node, a path through a leaf or an empty path
    // change nothing. Never throws.
    void remove(const char* path);

    std::size_t childCount() const { return children_.size(); }
    // Removes every child; isSet and tag stay.
    void clear();

    // --- Direct access for readers, writers and visitors ------------------------------------
    // Children in name order.
    const Children& children() const { return children_; }
    // Stores node under exactly this name (no path splitting, no copy), replacing any child of
    // that name, and returns the stored pointer. Appending names in ascending order costs O(1)
    // each, storing them in any other order O(log n) amortised. A null node removes the child
    // of that name and returns null.
    AttributeNode* adopt(std::string name, std::unique_ptr<AttributeNode> node);
    // Stores node under exactly this name as adopt does and hands back the child it replaces
    // (null when there was none); a null node takes that child out and stores nothing.
    std::unique_ptr<AttributeNode> exchange(std::string_view name, std::unique_ptr<AttributeNode> node);

    // Traversal: beginNode(name, this); unless it returned 0 and when depth is above 0 or -1,
    // the leaves in name order (Text, Integer, Binary; PlainInteger is not reported), then each
    // child branch in name order with depth - 1 (-1 stays -1); then endNode(name, this).
    void accept(AttributeTreeVisitor& visitor, const char* name, int depth);

private:
    // The tree format's reader appends children as they arrive and restores their order when
    // a branch is complete (FastTreeStreamer::readTree).
    friend class FastTreeStreamer;

    AttributeTree* branchOnPath(std::string_view name);

    Children children_;
};
