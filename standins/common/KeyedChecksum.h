#pragma once
// A keyed checksum (libsodium's crypto_auth, HMAC-SHA-512-256) over a byte string. The
// stand-ins use it to seal tickets: whoever holds the key can make and check them, nobody else
// can forge one.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class KeyedChecksum {
public:
    static constexpr std::size_t KeyBytes = 32;
    static constexpr std::size_t TagBytes = 32;
    using Key = std::array<std::uint8_t, KeyBytes>;

    explicit KeyedChecksum(const Key& key);

    // The checksum as 64 lower-case hex digits.
    std::string computeHex(std::string_view bytes) const;
    // True when hex is the checksum of bytes (compared in constant time).
    bool verifyHex(std::string_view bytes, std::string_view hex) const;

    // A new key from the system's random source; false when libsodium cannot start.
    static bool randomKey(Key& key);

private:
    Key key_;
};
