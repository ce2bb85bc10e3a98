// Copying the host's report prompt options record.

#include <gtest/gtest.h>

#include "brindle/BRCUtil.h"

namespace {

CPromptProperties Record(std::initializer_list<const char*> keys, int32_t flag) {
  CPromptProperties record;
  record.m_bDimensionLineFiltering = flag;
  record.m_bCurrency = !flag;
  record.m_bLongShortNames = flag;
  record.m_bZeroSuppression = !flag;
  record.m_bSwap = flag;
  for (const char* key : keys) record.m_filterableLines.AddTail(key);
  record.m_nExtra = flag ? 1234 : 0;
  return record;
}

void ExpectSame(const CPromptProperties& a, const CPromptProperties& b) {
  EXPECT_EQ(a.m_bDimensionLineFiltering, b.m_bDimensionLineFiltering);
  EXPECT_EQ(a.m_bCurrency, b.m_bCurrency);
  EXPECT_EQ(a.m_bLongShortNames, b.m_bLongShortNames);
  EXPECT_EQ(a.m_bZeroSuppression, b.m_bZeroSuppression);
  EXPECT_EQ(a.m_bSwap, b.m_bSwap);
  EXPECT_EQ(a.m_filterableLines, b.m_filterableLines);
  EXPECT_EQ(a.m_nExtra, b.m_nExtra);
}

TEST(PromptProperties, AssignmentReplacesTheWholeList) {
  const CPromptProperties three = Record({"k1", "k2", "k3"}, 1);
  CPromptProperties five = Record({"a", "b", "c", "d", "e"}, 0);
  five = three;
  ExpectSame(five, three);
  ASSERT_EQ(five.m_filterableLines.GetCount(), 3);
  EXPECT_EQ(five.m_filterableLines.GetAt(0), "k1");
  EXPECT_EQ(five.m_filterableLines.GetAt(2), "k3");
}

TEST(PromptProperties, CopyConstructionCopiesEverything) {
  const CPromptProperties original = Record({"x", "y"}, 1);
  const CPromptProperties copy(original);
  ExpectSame(copy, original);
}

TEST(PromptProperties, SelfAssignmentKeepsTheList) {
  CPromptProperties record = Record({"k1", "k2"}, 1);
  CPromptProperties& alias = record;
  record = alias;
  EXPECT_EQ(record.m_filterableLines.GetCount(), 2);
  EXPECT_EQ(record.m_filterableLines.GetAt(1), "k2");
  EXPECT_EQ(record.m_nExtra, 1234);
}

}  // namespace
