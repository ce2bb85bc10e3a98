#pragma once
// Conversions between text and integer values shared by the merge and fill visitors.
#include <cstdint>
#include <string>

namespace tree_value_text {

// True when every byte is '0' to '9' (the empty text qualifies); value then holds the decimal
// value, wrapping modulo 2^32 (0 for the empty text). Signs, spaces and other bytes fail.
inline bool parseDigitsOnly(const std::string& text, std::int32_t& value) {
    std::uint32_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        result = result * 10u + static_cast<std::uint32_t>(c - '0');
    }
    value = static_cast<std::int32_t>(result);
    return true;
}

inline std::string signedDecimal(std::int32_t value) { return std::to_string(value); }

}  // namespace tree_value_text
