#pragma once
// Integer leaf: a 32-bit signed value with isSet and tag.
#include <cstdint>

#include "common/AttributeNode.h"

class BRINDLE_EXPORT IntegerAttribute : public AttributeNode {
public:
    explicit IntegerAttribute(std::int32_t value = 0, const char* tag = nullptr);
    ~IntegerAttribute() override;

    // Keeps tag and isSet.
    std::unique_ptr<AttributeNode> clone(int includeHidden, int depth) const override;

    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }

private:
    std::int32_t value_;
};
