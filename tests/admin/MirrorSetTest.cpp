#include <gtest/gtest.h>

#include "admin/CallerBuffer.h"
#include "admin/CommandWord.h"
#include "admin/MirrorSet.h"

namespace {

TEST(MirrorSet, OrdersByTheTextAfterTheFirstColonIgnoringCase) {
    MirrorSet set = MirrorSet::fromList("lpwq://b;;x:AZ;plain");
    set.insert("lpwq://a12");
    EXPECT_EQ(set.join(), "lpwq://a12;lpwq://b;x:AZ;plain");
}

TEST(MirrorSet, KeepsThePresentElementOnAnEqualInsert) {
    MirrorSet set = MirrorSet::fromList("lpwq://host/a");
    set.insert("other://HOST/A");
    EXPECT_EQ(set.join(), "lpwq://host/a");
}

TEST(MirrorSet, ErasesWhateverTheLetterCase) {
    MirrorSet set = MirrorSet::fromList("lpwq://HOST/A;lpwq://b");
    set.erase("lpwq://host/a");
    set.erase("lpwq://missing");
    EXPECT_EQ(set.join(), "lpwq://b");
}

TEST(MirrorSet, ComparesAnEntryWithoutColonByItsWholeText) {
    MirrorSet set = MirrorSet::fromList("//host/a;lpwq://c");
    set.erase("lpwq://host/a");
    EXPECT_EQ(set.join(), "lpwq://c");
}

TEST(MirrorSet, EmptyAndNullListsGiveTheEmptyText) {
    EXPECT_EQ(MirrorSet::fromList(nullptr).join(), "");
    EXPECT_EQ(MirrorSet::fromList(";;;").join(), "");
}

TEST(MirrorSet, MirrorReferenceAddsTheSlashesOnlyWhenMissing) {
    EXPECT_EQ(MirrorSet::mirrorReference("//host/a"), "lpwq://host/a");
    EXPECT_EQ(MirrorSet::mirrorReference("host/a"), "lpwq://host/a");
    EXPECT_EQ(MirrorSet::mirrorReference("/host"), "lpwq:///host");
}

TEST(CommandWord, MapsTheThreeWordsInAnyCase) {
    const struct {
        const char* word;
        int number;
    } cases[] = {{"enable", 1}, {"Enable", 1}, {"ENABLE", 1}, {"disable", 2}, {"DiSaBlE", 2},
                 {"kill", 3},   {"KILL", 3},   {"", 0},       {"ENABLED", 0}, {"ENABL", 0},
                 {"stop", 0},   {nullptr, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CommandWord::number(c.word), c.number) << (c.word ? c.word : "(null)");
    }
}

TEST(CallerBuffer, StoresOnlyWhatFitsWithItsNul) {
    char bytes[6] = {'o', 'l', 'd', '\0', 'x', 'y'};
    CallerBuffer buffer(bytes, 5);
    EXPECT_TRUE(buffer.store("abcd"));
    EXPECT_STREQ(bytes, "abcd");
    EXPECT_FALSE(buffer.store("abcde"));
    EXPECT_STREQ(bytes, "abcd");
    EXPECT_EQ(bytes[5], 'y');
}

TEST(CallerBuffer, ReadsItsCurrentTextNoFurtherThanItsCapacity) {
    char bytes[4] = {'a', 'b', 'c', 'd'};  // no NUL inside the capacity
    EXPECT_EQ(CallerBuffer(bytes, 3).currentText(), "abc");
    EXPECT_FALSE(CallerBuffer(nullptr, 3).usable());
    EXPECT_FALSE(CallerBuffer(bytes, 0).usable());
    EXPECT_FALSE(CallerBuffer(bytes, -1).usable());
}

}  // namespace
