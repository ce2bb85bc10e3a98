#include "standins/common/KeyedChecksum.h"

namespace {

std::uint64_t rotl(std::uint64_t x, int b) { return (x << b) | (x >> (64 - b)); }

std::uint64_t readLittle64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

struct SipState {
    std::uint64_t v0, v1, v2, v3;
    void round() {
        v0 += v1; v1 = rotl(v1, 13); v1 ^= v0; v0 = rotl(v0, 32);
        v2 += v3; v3 = rotl(v3, 16); v3 ^= v2;
        v0 += v3; v3 = rotl(v3, 21); v3 ^= v0;
        v2 += v1; v1 = rotl(v1, 17); v1 ^= v2; v2 = rotl(v2, 32);
    }
    void absorb(std::uint64_t m) {
        v3 ^= m;
        round();
        round();
        v0 ^= m;
    }
};

}  // namespace

KeyedChecksum::KeyedChecksum(const Key& key)
    : k0_(readLittle64(key.data())), k1_(readLittle64(key.data() + 8)) {}

std::uint64_t KeyedChecksum::compute(std::string_view bytes) const {
    SipState s{k0_ ^ 0x736f6d6570736575ULL, k1_ ^ 0x646f72616e646f6dULL,
               k0_ ^ 0x6c7967656e657261ULL, k1_ ^ 0x7465646279746573ULL};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) s.absorb(readLittle64(p + i));
    std::uint64_t last = static_cast<std::uint64_t>(n & 0xff) << 56;
    for (std::size_t j = 0; i + j < n; ++j) last |= static_cast<std::uint64_t>(p[i + j]) << (8 * j);
    s.absorb(last);
    s.v2 ^= 0xff;
    for (int r = 0; r < 4; ++r) s.round();
    return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

std::string KeyedChecksum::computeHex(std::string_view bytes) const {
    static const char digits[] = "0123456789abcdef";
    std::uint64_t v = compute(bytes);
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = digits[v & 0xf];
        v >>= 4;
    }
    return out;
}
