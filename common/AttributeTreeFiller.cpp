#include "common/AttributeTreeFiller.h"

#include "common/AttributeTree.h"
#include "common/TreeValueText.h"

namespace {
// The source node at the path, or null when there is none.
const AttributeNode* lookup(const AttributeTree& branch, const char* path) {
    try {
        return branch.find(path);
    } catch (const NodeNotFoundException&) {
        return nullptr;
    }
}
}  // namespace

AttributeTreeFiller::AttributeTreeFiller(const AttributeTree& source) : source_(&source) {
    stack_.push_back(Level{source_, nullptr});
}

AttributeTreeFiller::~AttributeTreeFiller() = default;

int AttributeTreeFiller::beginNode(const char* name, AttributeTree*) {
    const AttributeNode* found = lookup(top(), name);
    if (found != nullptr && found->kind() == NodeKind::Branch) {
        stack_.push_back(Level{static_cast<const AttributeTree*>(found), nullptr});
    } else {
        // Nothing there, or a leaf in place of the visited branch: an empty stand-in.
        auto placeholder = std::make_unique<AttributeTree>();
        const AttributeTree* branch = placeholder.get();
        stack_.push_back(Level{branch, std::move(placeholder)});
    }
    return 1;
}

int AttributeTreeFiller::endNode(const char*, AttributeTree*) {
    if (stack_.size() > 1)
        stack_.pop_back();
    return 1;
}

int AttributeTreeFiller::text(const char* name, TextAttribute* leaf) {
    const AttributeNode* found = lookup(top(), name);
    if (found == nullptr)
        return 1;
    if (found->kind() == NodeKind::Text) {
        leaf->setText(static_cast<const TextAttribute*>(found)->text());
        leaf->setIsSet(1);
    } else if (found->kind() == NodeKind::Integer) {
        leaf->setText(tree_value_text::signedDecimal(static_cast<const IntegerAttribute*>(found)->value()));
        leaf->setIsSet(1);
    }
    return 1;
}

int AttributeTreeFiller::integer(const char* name, IntegerAttribute* leaf) {
    const AttributeNode* found = lookup(top(), name);
    if (found == nullptr)
        return 1;
    std::int32_t value = 0;
    if (found->kind() == NodeKind::Integer) {
        leaf->setValue(static_cast<const IntegerAttribute*>(found)->value());
        leaf->setIsSet(1);
    } else if (found->kind() == NodeKind::Text &&
               tree_value_text::parseDigitsOnly(static_cast<const TextAttribute*>(found)->text(), value)) {
        leaf->setValue(value);
        leaf->setIsSet(1);
    }
    return 1;
}

int AttributeTreeFiller::binary(const char*, BinaryAttribute*) { return 1; }
