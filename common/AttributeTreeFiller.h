#pragma once
// Fills the text and integer leaves of a visited (query) tree with the values found at the same
// paths in a source tree, converting between text and integer values; a filled leaf gets
// isSet 1. The source is never changed. Where the source has nothing, or a leaf, in place of a
// visited branch, an empty placeholder branch stands in for it while that branch is visited.
#include <memory>
#include <vector>

#include "common/AttributeTreeVisitor.h"

class BRINDLE_EXPORT AttributeTreeFiller : public AttributeTreeVisitor {
public:
    // The source is not owned and must outlive the filler.
    explicit AttributeTreeFiller(const AttributeTree& source);
    ~AttributeTreeFiller() override;

    int beginNode(const char* name, AttributeTree* branch) override;
    int endNode(const char* name, AttributeTree* branch) override;
    int text(const char* name, TextAttribute* leaf) override;
    int integer(const char* name, IntegerAttribute* leaf) override;
    int binary(const char* name, BinaryAttribute* leaf) override;

private:
    struct Level {
        const AttributeTree* branch;
        std::unique_ptr<AttributeTree> placeholder;  // owned stand-in, destroyed on leaving
    };
    const AttributeTree& top() const { return *stack_.back().branch; }

    const AttributeTree* source_;
    std::vector<Level> stack_;
};
