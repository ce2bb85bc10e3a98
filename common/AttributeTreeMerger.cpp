#include "common/AttributeTreeMerger.h"

#include "common/AttributeTree.h"
#include "common/TreeValueText.h"

AttributeTreeMerger::AttributeTreeMerger(AttributeTree& target, std::int32_t stamp)
    : target_(&target), stamp_(stamp), stack_{target_} {}

AttributeTreeMerger::~AttributeTreeMerger() = default;

int AttributeTreeMerger::beginNode(const char* name, AttributeTree*) {
    AttributeTree* next = nullptr;
    try {
        AttributeNode* found = top().find(name);
        if (found->kind() == NodeKind::Branch)
            next = static_cast<AttributeTree*>(found);
    } catch (const NodeNotFoundException&) {
    }
    // Nothing there, or a leaf in place of the visited branch: an empty branch takes its place.
    if (next == nullptr)
        next = static_cast<AttributeTree*>(top().putOwned(name, std::make_unique<AttributeTree>()));
    stack_.push_back(next);
    return 1;
}

int AttributeTreeMerger::endNode(const char*, AttributeTree*) {
    if (stack_.size() > 1)
        stack_.pop_back();
    return 1;
}

int AttributeTreeMerger::text(const char* name, TextAttribute* leaf) {
    AttributeNode* found = nullptr;
    try {
        found = top().find(name);
    } catch (const NodeNotFoundException&) {
        top().putOwned(name, std::make_unique<TextAttribute>(leaf->text(), nullptr))->setIsSet(stamp_);
        return 1;
    }
    if (found->kind() == NodeKind::Text) {
        static_cast<TextAttribute*>(found)->setText(leaf->text());
        found->setIsSet(stamp_);
    } else if (found->kind() == NodeKind::Integer) {
        std::int32_t value = 0;
        if (tree_value_text::parseDigitsOnly(leaf->text(), value)) {
            static_cast<IntegerAttribute*>(found)->setValue(value);
            found->setIsSet(stamp_);
        }
    }
    return 1;
}

int AttributeTreeMerger::integer(const char* name, IntegerAttribute* leaf) {
    AttributeNode* found = nullptr;
    try {
        found = top().find(name);
    } catch (const NodeNotFoundException&) {
        top().setInteger(name, leaf->value(), nullptr)->setIsSet(stamp_);
        return 1;
    }
    if (found->kind() == NodeKind::Integer) {
        static_cast<IntegerAttribute*>(found)->setValue(leaf->value());
        found->setIsSet(stamp_);
    } else if (found->kind() == NodeKind::Text) {
        static_cast<TextAttribute*>(found)->setText(tree_value_text::signedDecimal(leaf->value()));
        found->setIsSet(stamp_);
    }
    return 1;
}

int AttributeTreeMerger::binary(const char* name, BinaryAttribute* leaf) {
    top().setBinary(name, leaf->length(), leaf->bytes());
    top().find(name)->setIsSet(stamp_);
    return 1;
}
