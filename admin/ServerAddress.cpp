#include "admin/ServerAddress.h"

#include <cstring>

namespace {

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The value the C library's decimal conversion would give, saturated far beyond any port so
// that long digit runs cannot overflow.
long long decimalPrefix(const char* text) {
    constexpr long long saturation = 1LL << 40;
    while (isBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < saturation) value = value * 10 + (*text - '0');
    }
    return negative ? -value : value;
}

}  // namespace

ServerAddress::ServerAddress(const char* text) {
    if (!text) text = "";
    const char* colon = std::strchr(text, ':');
    if (!colon) {
        host_ = text;
        return;
    }
    host_.assign(text, colon);
    const long long value = decimalPrefix(colon + 1);
    if (value == 0) return;  // default port
    if (value < 1 || value > 65535) {
        validPort_ = false;
        rejectedPort_ = value;
        return;
    }
    port_ = static_cast<std::uint16_t>(value);
}
