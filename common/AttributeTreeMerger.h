#pragma once
// Applies the values of a visited tree onto a target tree: adds what is missing and converts
// between text and integer values. Every leaf it stores or changes gets isSet = stamp. It never
// copies a tag or an isSet from the visited tree and removes nothing from the target except
// what a binary value replaces.
#include <cstdint>
#include <vector>

#include "common/AttributeTreeVisitor.h"

class BRINDLE_EXPORT AttributeTreeMerger : public AttributeTreeVisitor {
public:
    // The target is not owned and must outlive the merger.
    AttributeTreeMerger(AttributeTree& target, std::int32_t stamp);
    ~AttributeTreeMerger() override;

    int beginNode(const char* name, AttributeTree* branch) override;
    int endNode(const char* name, AttributeTree* branch) override;
    int text(const char* name, TextAttribute* leaf) override;
    int integer(const char* name, IntegerAttribute* leaf) override;
    // Replaces whatever stands under the name; an empty name throws CantAlterShapeException.
    int binary(const char* name, BinaryAttribute* leaf) override;

private:
    AttributeTree& top() { return *stack_.back(); }

    AttributeTree* target_;
    std::int32_t stamp_;
    std::vector<AttributeTree*> stack_;  // target branch matching the visited branch
};
