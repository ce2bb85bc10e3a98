// The reading primitives of the in-memory source, with their boundary rules.
#include <gtest/gtest.h>

#include <string>

#include "portal/xml/CXMLMemorySource.h"

namespace {

XMLPosition At(uint32_t offset, int32_t column, int32_t line) {
    return XMLPosition(offset, column, line);
}

TEST(XMLPosition, LineFeedsStartNewLinesCarriageReturnsDoNot) {
    XMLPosition position;
    const std::string text = "ab\r\ncd\n\nx";
    position.Advance(text.data(), text.size());
    EXPECT_EQ(position, At(9, 2, 4));
    XMLPosition stepwise;
    for (char c : text) {
        stepwise.Advance(c);
    }
    EXPECT_EQ(stepwise, position);
}

TEST(XMLMemorySourceFind, NeedsOneByteAfterTheMatch) {
    CXMLMemorySource source;
    source.SetText("ab?>");
    XMLPosition out = At(5, 5, 5);
    EXPECT_FALSE(source.Find(XMLPosition(), "?>", out));
    EXPECT_EQ(out, XMLPosition());
    source.SetText("ab?>\n");
    EXPECT_TRUE(source.Find(XMLPosition(), "?>", out));
    EXPECT_EQ(out, At(2, 3, 1));
}

// Long texts are copied in slices and searched for "?" on the way; the declaration must still
// be found wherever it lies, and not where the "?" is the last byte.
TEST(XMLMemorySourceFind, FindsTheDeclarationAnywhereInALongText) {
    struct Case {
        size_t before;       // bytes before the pattern
        const char* pattern;
        const char* after;
        bool found;
    };
    const Case cases[] = {
        {0, "<?xml", " ", true},
        {32 * 1024 - 1, "<?xml", "\n", true},   // across the first slice's end
        {32 * 1024, "<?xml", "\n", true},
        {100000, "<?xml", "\n", true},
        {100000, "<?xml", "", false},          // nothing follows the match
        {70000, "?>", "", false},
        {70000, "?>", "x", true},
        {70000, "<?XML", "\n", false},        // Find compares case
    };
    for (const Case& c : cases) {
        std::string text(c.before, 'a');
        for (size_t i = 50; i < c.before; i += 97) {
            text[i] = '\n';
        }
        if (c.before > 10) {
            text[5] = '?';   // a "?" that begins no match
        }
        text += c.pattern;
        text += c.after;
        CXMLMemorySource source;
        ASSERT_TRUE(source.SetText(text));
        XMLPosition out;
        EXPECT_EQ(source.Find(XMLPosition(), "<?xml", out) || source.Find(XMLPosition(6, 7, 1), "?>", out), c.found)
            << c.before << " " << c.pattern;
        if (c.found) {
            EXPECT_EQ(out.offset, c.before);
            XMLPosition expected;
            expected.Advance(text.data(), c.before);
            EXPECT_EQ(out.line, expected.line);
            EXPECT_EQ(out.column, expected.column);
        }
    }
}

TEST(XMLMemorySourceFind, CountsLinesUpToTheMatchAndFailsPastTheEnd) {
    CXMLMemorySource source;
    source.SetText("x\ny\n <?xml ?>z");
    XMLPosition out;
    ASSERT_TRUE(source.Find(At(1, 2, 1), "<?xml", out));
    EXPECT_EQ(out, At(5, 2, 3));
    EXPECT_FALSE(source.Find(At(6, 3, 3), "<?xml", out));
    EXPECT_FALSE(source.Find(At(14, 1, 1), "z", out));
    EXPECT_FALSE(source.Find(At(99, 1, 1), "z", out));
    EXPECT_EQ(out, XMLPosition());
    CXMLMemorySource empty;
    EXPECT_FALSE(empty.Find(XMLPosition(), "", out));
}

TEST(XMLMemorySourceFind, NoCaseIgnoresLetterCaseOnly) {
    CXMLMemorySource source;
    source.SetText("  <?XmL version?>\n");
    XMLPosition out;
    EXPECT_FALSE(source.Find(XMLPosition(), "<?xml", out));
    ASSERT_TRUE(source.FindNoCase(XMLPosition(), "<?xml", out));
    EXPECT_EQ(out.offset, 2u);
    EXPECT_FALSE(source.FindNoCase(XMLPosition(), "<!xml", out));
    source.SetText("<?xml");
    EXPECT_FALSE(source.FindNoCase(XMLPosition(), "<?XML", out));   // nothing follows it
}

TEST(XMLMemorySourceReadUntil, DoesNotSeeThePatternAtTheStart) {
    CXMLMemorySource source;
    source.SetText("-->ab-->c");
    XMLPosition position;
    std::string out;
    ASSERT_TRUE(source.ReadUntil(position, "-->", out));
    EXPECT_EQ(out, "-->ab-->");
    EXPECT_EQ(position, At(8, 9, 1));
}

TEST(XMLMemorySourceReadUntil, MayEndWithTheText) {
    CXMLMemorySource source;
    source.SetText("a\n-->");
    XMLPosition position;
    std::string out;
    ASSERT_TRUE(source.ReadUntil(position, "-->", out));
    EXPECT_EQ(out, "a\n-->");
    EXPECT_EQ(position, At(5, 4, 2));
}

TEST(XMLMemorySourceReadUntil, KeepsWhatItTookOnFailure) {
    CXMLMemorySource source;
    source.SetText("abcdef");
    XMLPosition position;
    std::string out = "old";
    EXPECT_FALSE(source.ReadUntil(position, "xy", out));
    EXPECT_EQ(out, "abcde");
    EXPECT_EQ(position.offset, 5u);
    position = At(5, 6, 1);
    EXPECT_FALSE(source.ReadUntil(position, "xyz", out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(source.ReadUntil(position = At(6, 1, 1), "x", out));
}

TEST(XMLMemorySourceReadUntilChar, TakesThroughTheByte) {
    CXMLMemorySource source;
    source.SetText(">a\n>b");
    XMLPosition position;
    std::string out;
    ASSERT_TRUE(source.ReadUntilChar(position, '>', out));   // the byte at the start counts
    EXPECT_EQ(out, ">");
    ASSERT_TRUE(source.ReadUntilChar(position, '>', out));
    EXPECT_EQ(out, "a\n>");
    EXPECT_EQ(position, At(4, 2, 2));
    EXPECT_FALSE(source.ReadUntilChar(position, '>', out));
    EXPECT_EQ(out, "b");
    EXPECT_EQ(position.offset, 5u);
    EXPECT_FALSE(source.ReadUntilChar(position, '>', out));
    EXPECT_EQ(out, "");
}

TEST(XMLMemorySourceReadCount, NeedsOneByteAfterTheCount) {
    CXMLMemorySource source;
    source.SetText("abcd");
    XMLPosition position;
    std::string out;
    EXPECT_FALSE(source.ReadCount(position, 4, out));
    EXPECT_EQ(position.offset, 0u);
    ASSERT_TRUE(source.ReadCount(position, 3, out));
    EXPECT_EQ(out, "abc");
    EXPECT_EQ(position, At(3, 4, 1));
    EXPECT_FALSE(source.ReadCount(position, 1, out));
    EXPECT_EQ(out, "");
}

TEST(XMLMemorySource, CharAtLengthSetTextAndClear) {
    CXMLMemorySource source;
    EXPECT_TRUE(source.SetText("xyz"));
    EXPECT_EQ(source.GetLength(), 3u);
    EXPECT_EQ(source.CharAt(2), 'z');
    EXPECT_EQ(source.CharAt(3), '\0');
    EXPECT_EQ(source.CharAt(UINT32_MAX), '\0');
    EXPECT_TRUE(source.SetText(static_cast<const char*>(nullptr)));
    EXPECT_EQ(source.GetLength(), 0u);
    source.SetText("again");
    source.Clear();
    EXPECT_EQ(source.GetLength(), 0u);
    EXPECT_EQ(source.CharAt(0), '\0');
}

}  // namespace
