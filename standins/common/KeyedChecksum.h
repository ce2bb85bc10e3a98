#pragma once
// A keyed 64-bit checksum (SipHash-2-4) over a byte string. The stand-ins use it to seal
// tickets: whoever knows the key can make and check them, nobody else can forge one.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class KeyedChecksum {
public:
    using Key = std::array<std::uint8_t, 16>;

    explicit KeyedChecksum(const Key& key);

    std::uint64_t compute(std::string_view bytes) const;
    // The checksum as 16 lower-case hex digits.
    std::string computeHex(std::string_view bytes) const;

private:
    std::uint64_t k0_;
    std::uint64_t k1_;
};
