#pragma once
// Binary leaf: a byte count and an owned buffer (none when the count is 0).
#include <cstdint>
#include <memory>

#include "common/AttributeNode.h"

class BRINDLE_EXPORT BinaryAttribute : public AttributeNode {
public:
    // Copies length bytes; null bytes store no data (length 0).
    explicit BinaryAttribute(std::uint32_t length = 0, const void* bytes = nullptr);
    ~BinaryAttribute() override;

    // Copies the bytes; the clone starts with isSet 0 and no tag.
    std::unique_ptr<AttributeNode> clone(int includeHidden, int depth) const override;

    std::uint32_t length() const { return length_; }
    // Null when length() is 0.
    const unsigned char* bytes() const { return bytes_.get(); }

    // Frees the old buffer and copies length bytes into a fresh one; null bytes store no data.
    void setData(std::uint32_t length, const void* bytes);
    // A buffer of length bytes for the caller to fill in place (a reader decoding straight into
    // the leaf): the old one when it has that size, else a fresh one, uninitialised. Null when
    // length is 0.
    unsigned char* allocate(std::uint32_t length);

private:
    // The tree format's reader hands over a buffer it filled as the bytes arrived.
    friend class FastTreeStreamer;

    std::uint32_t length_ = 0;
    std::unique_ptr<unsigned char[]> bytes_;
};
