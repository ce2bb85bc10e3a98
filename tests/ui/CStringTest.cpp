#include "platform/ui/CString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unordered_set>

namespace {

TEST(CStringTest, ConstructionFromNothingIsEmpty) {
  const char* none = nullptr;
  CString fromNull(none);
  CString fromNullWithLength(none, 5);
  CString negativeLength("abc", -1);
  EXPECT_TRUE(fromNull.IsEmpty());
  EXPECT_TRUE(fromNullWithLength.IsEmpty());
  EXPECT_TRUE(negativeLength.IsEmpty());
  EXPECT_STREQ("", static_cast<const char*>(fromNull));
  CString assigned("x");
  assigned = none;
  EXPECT_TRUE(assigned.IsEmpty());
}

TEST(CStringTest, KeepsEmbeddedBytesGivenByLength) {
  const char bytes[] = {'a', '\0', 'b'};
  CString text(bytes, 3);
  EXPECT_EQ(3, text.GetLength());
  EXPECT_EQ('b', text[2]);
  EXPECT_EQ('\0', text.GetAt(3));   // outside: never read
  EXPECT_EQ('\0', text.GetAt(-1));
}

struct CompareCase {
  const char* a;
  const char* b;
  int exact;
  int noCase;
};

TEST(CStringTest, CompareWithAndWithoutCase) {
  const CompareCase cases[] = {
      {"Success", "Success", 0, 0},
      {"success", "SUCCESS", 1, 0},
      {"abc", "abd", -1, -1},
      {"ab", "abc", -1, -1},
      {"abc", "AB", 1, 1},
      {"", "", 0, 0},
      {"", "a", -1, -1},
      {"Z", "a", -1, 1},          // exact: 'Z' < 'a'; without case: z > a
      {"\xC4", "\xE4", -1, -1},   // only ASCII letters fold
      {"BRINDLE.hlp", "brindle.HLP", -1, 0},
  };
  for (const CompareCase& c : cases) {
    const CString a(c.a);
    EXPECT_EQ(c.exact, a.Compare(c.b)) << c.a << " vs " << c.b;
    EXPECT_EQ(c.noCase, a.CompareNoCase(c.b)) << c.a << " vs " << c.b;
  }
  EXPECT_EQ(1, CString("a").CompareNoCase(nullptr));
}

TEST(CStringTest, EqualityOperatorsAgainstTextAndStrings) {
  const CString text("abc");
  EXPECT_TRUE(text == "abc");
  EXPECT_TRUE("abc" == text);
  EXPECT_TRUE(text != "ABC");
  EXPECT_TRUE(text == CString("abc"));
  EXPECT_TRUE(CString("a") < CString("b"));
  std::unordered_set<CString> set{text};
  EXPECT_EQ(1u, set.count(CString("abc")));
}

struct FindCase {
  const char* text;
  const char* sub;
  int start;
  int expected;
};

TEST(CStringTest, FindSubstring) {
  const FindCase cases[] = {
      {"http://host:8020/x", "://", 0, 4},
      {"DATE=5&E=abc", "E=", 0, 3},  // plain substring search: matches inside DATE=
      {"abcabc", "abc", 1, 3},
      {"abc", "abc", 3, -1},
      {"abc", "", 0, 0},
      {"abc", "", 3, 3},             // empty text at the end
      {"abc", "", 4, -1},            // start past the end
      {"abc", "c", -5, 2},           // negative start: from the beginning
      {"abc", "abcd", 0, -1},
      {"", "a", 0, -1},
      {"a?b", "?", 0, 1},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(c.expected, CString(c.text).Find(c.sub, c.start)) << c.text << " / " << c.sub << " @" << c.start;
  }
}

TEST(CStringTest, FindCharacterAndReverse) {
  const CString path("/A//B/C");
  EXPECT_EQ(0, path.Find('/'));
  EXPECT_EQ(2, path.Find('/', 1));
  EXPECT_EQ(-1, path.Find('/', 100));
  EXPECT_EQ(5, path.ReverseFind('/'));
  EXPECT_EQ(-1, path.ReverseFind('x'));
  EXPECT_EQ(1, path.FindOneOf("BA"));
  EXPECT_EQ(-1, path.FindOneOf(""));
}

struct MidCase {
  int first;
  int count;  // -1: Mid(first)
  const char* expected;
};

TEST(CStringTest, MidClampsToTheText) {
  const CString text("abcdef");
  const MidCase cases[] = {
      {0, -1, "abcdef"}, {2, -1, "cdef"},  {6, -1, ""},    {7, -1, ""},   {-3, -1, "abcdef"},
      {1, 2, "bc"},      {4, 10, "ef"},    {0, 0, ""},     {3, -5, ""},   {-2, 3, "abc"},
      {6, 1, ""},        {100, 100, ""},   {5, 1, "f"},
  };
  for (const MidCase& c : cases) {
    const CString part = c.count == -1 ? text.Mid(c.first) : text.Mid(c.first, c.count);
    EXPECT_EQ(CString(c.expected), part) << "Mid(" << c.first << ", " << c.count << ")";
  }
}

TEST(CStringTest, LeftAndRightClamp) {
  const CString text("abc");
  EXPECT_EQ("ab", text.Left(2));
  EXPECT_EQ("abc", text.Left(10));
  EXPECT_EQ("", text.Left(-1));
  EXPECT_EQ("bc", text.Right(2));
  EXPECT_EQ("abc", text.Right(10));
  EXPECT_EQ("", text.Right(-4));
}

TEST(CStringTest, ConcatenationAndAppend) {
  CString text("Result");
  text += '.';
  text += "NewsItem";
  EXPECT_EQ("Result.NewsItem", text);
  EXPECT_EQ("a?DC=R&E=b", CString("a") + "?DC=R&E=" + CString("b"));
  EXPECT_EQ("xa", 'x' + CString("a"));
  EXPECT_EQ("ax", CString("a") + 'x');
  EXPECT_EQ("pre-a", "pre-" + CString("a"));
}

TEST(CStringTest, CaseChangesAndReplace) {
  CString path("c:/Help/Brindle.hlp");
  path.MakeUpper();
  EXPECT_EQ("C:/HELP/BRINDLE.HLP", path);
  path.MakeLower();
  EXPECT_EQ("c:/help/brindle.hlp", path);
  CString text("a&b&c");
  EXPECT_EQ(2, text.Replace("&", "&amp;"));
  EXPECT_EQ("a&amp;b&amp;c", text);
  EXPECT_EQ(0, text.Replace("", "x"));
  EXPECT_EQ(2, text.Remove('&'));
  CString blanks("  x y \t\n");
  EXPECT_EQ("x y", blanks.Trim());
}

TEST(CStringTest, FormatGrowsAsNeeded) {
  CString text;
  const std::string big(5000, 'x');
  text.Format("%s-%d", big.c_str(), 42);
  EXPECT_EQ(5003, text.GetLength());
  EXPECT_EQ("-42", text.Right(3));
  text.AppendFormat("%c", '!');
  EXPECT_EQ('!', text[text.GetLength() - 1]);
}

TEST(CStringTest, BufferAccessEndsAtTheFirstNul) {
  CString url("http://old");
  char* buffer = url.GetBuffer(3072);
  EXPECT_STREQ("http://old", buffer);  // the text is kept
  std::strcpy(buffer, "http://new/longer");
  url.ReleaseBuffer();
  EXPECT_EQ("http://new/longer", url);

  CString exact;
  char* raw = exact.GetBuffer(4);
  std::memcpy(raw, "abcd", 4);  // no NUL written: the whole buffer is the text
  exact.ReleaseBuffer();
  EXPECT_EQ("abcd", exact);

  CString cut("abcdef");
  cut.GetBuffer(0);
  cut.ReleaseBuffer(100);  // clamped to what the buffer holds
  EXPECT_EQ("abcdef", cut);
  cut.ReleaseBuffer(2);
  EXPECT_EQ("ab", cut);
}

}  // namespace
