#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/Tokenizer.h"

namespace {

struct TokenCase {
    const char* input;
    const char* delimiters;
    std::vector<std::string> tokens;
};

std::vector<std::string> tokensOf(const char* input, const char* delimiters) {
    Tokenizer tokenizer(input, delimiters);
    std::vector<std::string> tokens;
    for (int guard = 0; tokenizer.hasMoreTokens() && guard < 100; ++guard)
        tokens.emplace_back(tokenizer.nextToken());
    return tokens;
}

class TokenizerCases : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizerCases, YieldsTheMaximalRunsOfNonDelimiters) {
    const TokenCase& c = GetParam();
    EXPECT_EQ(tokensOf(c.input, c.delimiters), c.tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Splitting, TokenizerCases,
    ::testing::Values(TokenCase{"", ".{}", {}}, TokenCase{"...", ".{}", {}}, TokenCase{nullptr, ".{}", {}},
                      TokenCase{"header.MessageType", ".{}", {"header", "MessageType"}},
                      TokenCase{"a{b}c", ".{}", {"a", "b", "c"}}, TokenCase{"{a}{b}{c}", ".{}", {"a", "b", "c"}},
                      TokenCase{".a..b.c.", ".{}", {"a", "b", "c"}}, TokenCase{"x;;y;", ";", {"x", "y"}},
                      TokenCase{"a.b;c", ";", {"a.b", "c"}}, TokenCase{"A.a", "a", {"A."}},
                      TokenCase{"whole input", "", {"whole input"}}, TokenCase{"", "", {}},
                      TokenCase{"\xC3\xA9.\xFF", ".{}", {"\xC3\xA9", "\xFF"}}));

TEST(Tokenizer, NothingLeftMeansNoSuchElementAndTheStateStays) {
    Tokenizer tokenizer("only", ".");
    ASSERT_TRUE(tokenizer.hasMoreTokens());
    EXPECT_STREQ(tokenizer.nextToken(), "only");
    EXPECT_FALSE(tokenizer.hasMoreTokens());
    EXPECT_THROW(tokenizer.nextToken(), NoSuchElementException);
    EXPECT_FALSE(tokenizer.hasMoreTokens());
    EXPECT_THROW(tokenizer.nextToken(), NoSuchElementException);
}

TEST(Tokenizer, EmptyInputHasNoTokenAtOnce) {
    for (const char* input : {static_cast<const char*>(nullptr), "", "..{}"}) {
        Tokenizer tokenizer(input, ".{}");
        EXPECT_FALSE(tokenizer.hasMoreTokens());
        EXPECT_THROW(tokenizer.nextToken(), NoSuchElementException);
    }
}

TEST(Tokenizer, LeavesTheInputAloneAndKeepsEarlierTokensReadable) {
    char input[] = "one.two{three}";
    const std::string original = input;
    Tokenizer tokenizer(input, ".{}");
    std::vector<const char*> tokens;
    while (tokenizer.hasMoreTokens())
        tokens.push_back(tokenizer.nextToken());
    EXPECT_EQ(std::string(input), original);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_STREQ(tokens[0], "one");
    EXPECT_STREQ(tokens[1], "two");
    EXPECT_STREQ(tokens[2], "three");
    for (const char* token : tokens)
        EXPECT_TRUE(std::less<const char*>()(token, input) || !std::less<const char*>()(token, input + sizeof input))
            << "token points into the caller's string";
}

}  // namespace
