#pragma once
// The command words an object accepts, compared without regard to ASCII letter case:
// "ENABLE" 1, "DISABLE" 2, "KILL" 3.
#include <cstdint>

class CommandWord {
public:
    static constexpr std::int32_t None = 0;
    // The command number of word, or None for null or any other word.
    static std::int32_t number(const char* word);
};
