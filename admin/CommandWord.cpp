#include "admin/CommandWord.h"

#include <cstring>

namespace {

bool equalsIgnoringAsciiCase(const char* word, const char* upper) {
    for (; *word && *upper; ++word, ++upper) {
        char c = *word;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
        if (c != *upper) return false;
    }
    return *word == '\0' && *upper == '\0';
}

}  // namespace

std::int32_t CommandWord::number(const char* word) {
    if (!word) return None;
    static constexpr struct {
        const char* word;
        std::int32_t number;
    } commands[] = {{"ENABLE", 1}, {"DISABLE", 2}, {"KILL", 3}};
    for (const auto& command : commands) {
        if (equalsIgnoringAsciiCase(word, command.word)) return command.number;
    }
    return None;
}
