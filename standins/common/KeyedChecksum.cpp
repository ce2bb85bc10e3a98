#include "standins/common/KeyedChecksum.h"

#include <sodium.h>

static_assert(KeyedChecksum::KeyBytes == crypto_auth_KEYBYTES, "the key is crypto_auth's");
static_assert(KeyedChecksum::TagBytes == crypto_auth_BYTES, "the checksum is crypto_auth's");

namespace {

bool started() {
    static const bool ok = sodium_init() >= 0;
    return ok;
}

}  // namespace

KeyedChecksum::KeyedChecksum(const Key& key) : key_(key) {}

std::string KeyedChecksum::computeHex(std::string_view bytes) const {
    if (!started()) return {};
    unsigned char tag[crypto_auth_BYTES];
    crypto_auth(tag, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), key_.data());
    char hex[crypto_auth_BYTES * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, tag, sizeof tag);
    return std::string(hex, crypto_auth_BYTES * 2);
}

bool KeyedChecksum::verifyHex(std::string_view bytes, std::string_view hex) const {
    if (!started() || hex.size() != crypto_auth_BYTES * 2) return false;
    for (char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    unsigned char tag[crypto_auth_BYTES];
    std::size_t length = 0;
    if (sodium_hex2bin(tag, sizeof tag, hex.data(), hex.size(), nullptr, &length, nullptr) != 0 ||
        length != sizeof tag)
        return false;
    return crypto_auth_verify(tag, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              key_.data()) == 0;
}

bool KeyedChecksum::randomKey(Key& key) {
    if (!started()) return false;
    crypto_auth_keygen(key.data());
    return true;
}
