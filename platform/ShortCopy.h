#pragma once
// A copy between buffers that do not overlap, for the many short names and values of the tree
// format and the XML reader: up to 16 bytes are moved as two overlapping words (or byte by
// byte below 4) without a library call; longer runs go to memcpy.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace platform {

inline void copyShort(void* to, const void* from, std::size_t count) {
  auto* out = static_cast<unsigned char*>(to);
  const auto* in = static_cast<const unsigned char*>(from);
  if (count > 16) {
    std::memcpy(out, in, count);
  } else if (count >= 8) {
    std::uint64_t head;
    std::uint64_t tail;
    std::memcpy(&head, in, 8);
    std::memcpy(&tail, in + count - 8, 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + count - 8, &tail, 8);
  } else if (count >= 4) {
    std::uint32_t head;
    std::uint32_t tail;
    std::memcpy(&head, in, 4);
    std::memcpy(&tail, in + count - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + count - 4, &tail, 4);
  } else {
    for (std::size_t i = 0; i < count; ++i) out[i] = in[i];
  }
}

}  // namespace platform
