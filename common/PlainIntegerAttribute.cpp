#include "common/PlainIntegerAttribute.h"

PlainIntegerAttribute::PlainIntegerAttribute(std::int32_t value)
    : AttributeNode(NodeKind::PlainInteger), value_(value) {}

PlainIntegerAttribute::~PlainIntegerAttribute() = default;

std::unique_ptr<AttributeNode> PlainIntegerAttribute::clone(int, int) const {
    return std::make_unique<PlainIntegerAttribute>(value_);
}
