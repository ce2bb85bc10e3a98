#pragma once
// Integer leaf without tag; no traversal reports it and the wire format has no form for it.
#include <cstdint>

#include "common/AttributeNode.h"

class BRINDLE_EXPORT PlainIntegerAttribute : public AttributeNode {
public:
    explicit PlainIntegerAttribute(std::int32_t value = 0);
    ~PlainIntegerAttribute() override;

    // The clone starts with isSet 0 and no tag.
    std::unique_ptr<AttributeNode> clone(int includeHidden, int depth) const override;

    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }

private:
    std::int32_t value_;
};
