// The tree reader's counted strings, read from a connection that delivers few bytes at a
// time: the string's memory grows with what has arrived, never to the announced length first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"
#include "common/CInputStream.h"

namespace {

// Hands out its bytes at most 1000 a read, without a read window, and notes the most bytes a
// read asked for: the room the reader had made ready for them.
class TrickleStream : public CInputStream {
public:
    explicit TrickleStream(std::string bytes) : bytes_(std::move(bytes)) {}
    void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
        largestAsk = std::max(largestAsk, count);
        if (at_ == bytes_.size()) throw CEndofStreamException(TransportEndOfStream, "test", 1);
        got = static_cast<std::uint32_t>(std::min<std::size_t>({count, 1000, bytes_.size() - at_}));
        std::memcpy(buffer, bytes_.data() + at_, got);
        at_ += got;
    }
    std::uint32_t largestAsk = 0;

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

std::string longLength(std::uint32_t n) {
    return std::string("\xff\xff", 2) + std::string{static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                                                    static_cast<char>(n >> 8), static_cast<char>(n)};
}

TEST(CountedStringRead, AnnouncedButUnsentBytesTakeNoMemory) {
    const std::uint32_t announced = CInputStream::MaxStringLength;
    TrickleStream stream(longLength(announced) + std::string(100000, 'x'));
    std::string target = "old";
    EXPECT_THROW(stream.readString(target), CBRWebIOStreamException);
    EXPECT_EQ(target, "") << "a string is assigned whole or not at all";
    EXPECT_LE(stream.largestAsk, 2 * 100000u + CInputStream::FirstGrowth) << "room grew with the bytes";
    EXPECT_LT(target.capacity(), 1u << 20);
}

TEST(CountedStringRead, LongStringsArriveWholeAndStopAtTheirFirstNul) {
    const struct {
        std::string bytes;
        std::string expected;
    } cases[] = {
        {std::string(300001, 'a'), std::string(300001, 'a')},
        {std::string(70000, 'b') + std::string(1, '\0') + std::string(200000, 'c'), std::string(70000, 'b')},
        {std::string(65535, 'd'), std::string(65535, 'd')},
    };
    for (const auto& c : cases) {
        TrickleStream stream(longLength(static_cast<std::uint32_t>(c.bytes.size())) + c.bytes + "\x01\x02");
        std::string target;
        stream.readString(target);
        EXPECT_EQ(target.size(), c.expected.size());
        EXPECT_TRUE(target == c.expected);
        EXPECT_EQ(stream.readU16(), 0x0102) << "positioned behind the string";
    }
}

TEST(CountedStringRead, ALengthPastTheBoundIsStillRefusedAtOnce) {
    TrickleStream stream(longLength(CInputStream::MaxStringLength + 1) + "abc");
    std::string target;
    try {
        stream.readString(target);
        ADD_FAILURE() << "no exception";
    } catch (const CBRWebIOStreamException& e) {
        EXPECT_EQ(e.code, TransportBadTreeFormat);
    }
    EXPECT_LE(stream.largestAsk, 4u) << "nothing but the length was asked for";
}

}  // namespace
