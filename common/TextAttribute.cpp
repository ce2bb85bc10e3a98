#include "common/TextAttribute.h"

TextAttribute::TextAttribute(const char* text, const char* tag)
    : AttributeNode(NodeKind::Text), text_(text ? text : "") {
    setTag(tag);
}

TextAttribute::TextAttribute(std::string text, const char* tag)
    : AttributeNode(NodeKind::Text), text_(std::move(text)) {
    setTag(tag);
}

TextAttribute::~TextAttribute() = default;

std::unique_ptr<AttributeNode> TextAttribute::clone(int, int) const {
    return std::make_unique<TextAttribute>(*this);
}
