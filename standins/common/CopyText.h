#pragma once
// Copies a text into a caller's buffer of capacity bytes, NUL included, never past its end.
// Returns true when the whole text fitted; otherwise as much as fits is stored (and the NUL).
#include <cstddef>
#include <cstring>
#include <string_view>

inline bool copyText(char* destination, std::size_t capacity, std::string_view text) {
    if (!destination || capacity == 0) return false;
    std::size_t n = text.size() < capacity ? text.size() : capacity - 1;
    std::memcpy(destination, text.data(), n);
    destination[n] = '\0';
    return n == text.size();
}
