#pragma once
// Copies a text into a caller's character buffer of a given capacity, cut to fit,
// always NUL-terminated (nothing is written when the capacity is not positive).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace brindle::portal {

inline void CopyBounded(std::string_view text, char* buffer, int64_t capacity) {
  if (buffer == nullptr || capacity <= 0) return;
  const size_t length = std::min<size_t>(text.size(), static_cast<size_t>(capacity - 1));
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace brindle::portal
