#include "common/IntegerAttribute.h"

IntegerAttribute::IntegerAttribute(std::int32_t value, const char* tag)
    : AttributeNode(NodeKind::Integer), value_(value) {
    setTag(tag);
}

IntegerAttribute::~IntegerAttribute() = default;

std::unique_ptr<AttributeNode> IntegerAttribute::clone(int, int) const {
    return std::make_unique<IntegerAttribute>(*this);
}
