// The tree format's byte helpers: exact bytes of each number and counted-string form, and the
// length field read back only when it is whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteCoding.h"
#include "transport/WireBytes.h"

namespace {

std::vector<unsigned char> bytesOf(const unsigned char* first, const unsigned char* last) {
    return std::vector<unsigned char>(first, last);
}

TEST(ByteCoding, NumbersAreBigEndianAndReadBack) {
    unsigned char buffer[8] = {};
    EXPECT_EQ(bytesOf(buffer, coding::put8(buffer, 0xA5)), fromHex("A5"));
    EXPECT_EQ(coding::get8(buffer), 0xA5);
    EXPECT_EQ(bytesOf(buffer, coding::put16(buffer, 0x1234)), fromHex("12 34"));
    EXPECT_EQ(coding::get16(buffer), 0x1234);
    EXPECT_EQ(bytesOf(buffer, coding::put16(buffer, 0xFFFE)), fromHex("FF FE"));
    EXPECT_EQ(coding::get16(buffer), 0xFFFE);
    EXPECT_EQ(bytesOf(buffer, coding::put32(buffer, 0x89ABCDEFu)), fromHex("89 AB CD EF"));
    EXPECT_EQ(coding::get32(buffer), 0x89ABCDEFu);
}

// The long form starts at 65535 bytes: FF FF then a u32 length.
TEST(ByteCoding, CountedStringsTakeTheShortFormBelow65535) {
    struct Case {
        std::uint32_t length;
        const char* field;
    };
    const Case cases[] = {
        {0, "00 00"},
        {9, "00 09"},
        {0xFFFE, "FF FE"},
        {0xFFFF, "FF FF 00 00 FF FF"},
        {0x12345678, "FF FF 12 34 56 78"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        unsigned char buffer[6] = {};
        const unsigned char* end = coding::putCountedLength(buffer, c.length);
        EXPECT_EQ(bytesOf(buffer, end), fromHex(c.field));
        EXPECT_EQ(coding::countedLengthSize(c.length), static_cast<std::size_t>(end - buffer));
        EXPECT_EQ(coding::countedSize(c.length), static_cast<std::size_t>(end - buffer) + c.length);
        std::uint32_t length = 0;
        std::size_t fieldSize = 0;
        ASSERT_TRUE(coding::getCountedLength(buffer, static_cast<std::size_t>(end - buffer), length, fieldSize));
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(fieldSize, static_cast<std::size_t>(end - buffer));
        // One byte short of the field: nothing is read.
        length = 7;
        EXPECT_FALSE(coding::getCountedLength(buffer, static_cast<std::size_t>(end - buffer) - 1, length, fieldSize));
        EXPECT_EQ(length, 7u);
    }
}

TEST(ByteCoding, CountedStringIsItsLengthFieldAndBytes) {
    unsigned char buffer[16] = {};
    const std::string text = "ATFormat2";
    const unsigned char* end = coding::putCounted(buffer, text.data(), static_cast<std::uint32_t>(text.size()));
    EXPECT_EQ(bytesOf(buffer, end), WireBytes().tag().bytes());
    EXPECT_EQ(bytesOf(buffer, coding::putCounted(buffer, nullptr, 0)), fromHex("00 00"));
}

}  // namespace
