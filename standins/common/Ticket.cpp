#include "standins/common/Ticket.h"

#include <cctype>

namespace {

constexpr std::string_view Prefix = "BT1:";

std::string toHex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 0xf]);
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> fromHex(std::string_view hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = hexValue(hex[i]);
        int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return out;
}

// Decimal digits only, at most 18 of them, so the value fits without overflow.
std::optional<std::int64_t> parseSeconds(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

// Splits off the text before the next ':'; false when there is none.
bool takeField(std::string_view& rest, std::string_view& field) {
    std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return false;
    field = rest.substr(0, colon);
    rest.remove_prefix(colon + 1);
    return true;
}

}  // namespace

std::string Ticket::encode() const {
    if (!key || user.empty() || user.size() > MaxUserLength || issued < 0 || expires < 0) return {};
    std::string body = std::string(Prefix) + std::to_string(issued) + ":" + std::to_string(expires) +
                       ":" + toHex(user);
    std::string seal = KeyedChecksum(*key).computeHex(body);
    if (seal.empty()) return {};
    std::string text = body + ":" + seal;
    return text.size() <= MaxLength ? text : std::string();
}

std::optional<Ticket> Ticket::decode(std::string_view text, const KeyedChecksum::Key& key) {
    if (text.size() > MaxLength || text.substr(0, Prefix.size()) != Prefix) return std::nullopt;
    std::size_t sealAt = text.rfind(':');
    if (sealAt == std::string_view::npos || sealAt < Prefix.size()) return std::nullopt;
    std::string_view body = text.substr(0, sealAt);
    std::string_view seal = text.substr(sealAt + 1);
    if (!KeyedChecksum(key).verifyHex(body, seal)) return std::nullopt;

    std::string_view rest = body.substr(Prefix.size());
    std::string_view issuedText, expiresText;
    if (!takeField(rest, issuedText) || !takeField(rest, expiresText)) return std::nullopt;
    auto issued = parseSeconds(issuedText);
    auto expires = parseSeconds(expiresText);
    auto user = fromHex(rest);
    if (!issued || !expires || !user || user->empty() || user->size() > MaxUserLength)
        return std::nullopt;
    Ticket t;
    t.user = std::move(*user);
    t.issued = *issued;
    t.expires = *expires;
    return t;
}

Ticket Ticket::issue(std::string user, std::int64_t now, const KeyedChecksum::Key& key, std::int64_t lifetime) {
    Ticket t;
    t.key = key;
    t.user = std::move(user);
    t.issued = now;
    t.expires = now + lifetime;
    return t;
}

bool Ticket::validAt(std::int64_t now, std::int64_t maxAge) const {
    if (now >= expires) return false;
    if (maxAge >= 0 && now - issued >= maxAge) return false;
    return now >= issued - 300;  // a ticket from the future beyond clock skew is refused
}
