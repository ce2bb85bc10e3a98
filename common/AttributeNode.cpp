#include "common/AttributeNode.h"

#include <cstring>

namespace {
bool clearsTag(const char* tag) { return tag == nullptr || *tag == '\0' || std::strcmp(tag, "null") == 0; }
}  // namespace

AttributeNode::~AttributeNode() = default;

int AttributeNode::isLeaf() const { return 1; }

int AttributeNode::sameShape(const AttributeNode& other) const { return other.kind_ == kind_; }

void AttributeNode::setTag(const char* tag) {
    if (clearsTag(tag))
        tag_.clear();
    else
        tag_ = tag;
}

void AttributeNode::setTag(std::string tag) {
    if (tag == "null")
        tag.clear();
    tag_ = std::move(tag);
}
