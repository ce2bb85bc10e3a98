#include "common/BinaryAttribute.h"

#include <cstring>

BinaryAttribute::BinaryAttribute(std::uint32_t length, const void* bytes)
    : AttributeNode(NodeKind::Binary) {
    setData(length, bytes);
}

BinaryAttribute::~BinaryAttribute() = default;

std::unique_ptr<AttributeNode> BinaryAttribute::clone(int, int) const {
    return std::make_unique<BinaryAttribute>(length_, bytes_.get());
}

void BinaryAttribute::setData(std::uint32_t length, const void* bytes) {
    if (bytes == nullptr)
        length = 0;
    // Copy before freeing: bytes may point into the current buffer.
    std::unique_ptr<unsigned char[]> fresh;
    if (length != 0) {
        fresh.reset(new unsigned char[length]);
        std::memcpy(fresh.get(), bytes, length);
    }
    bytes_ = std::move(fresh);
    length_ = length;
}

unsigned char* BinaryAttribute::allocate(std::uint32_t length) {
    if (length == length_)
        return bytes_.get();  // a buffer of that size is there to be overwritten
    bytes_.reset(length != 0 ? new unsigned char[length] : nullptr);
    length_ = length;
    return bytes_.get();
}
