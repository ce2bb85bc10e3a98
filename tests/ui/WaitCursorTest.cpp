#include "platform/ui/CWaitCursor.h"

#include <gtest/gtest.h>

namespace {

TEST(WaitCursorTest, CountsNestedWaitsAndNeverGoesBelowNone) {
  const int before = CWaitCursor::Count();
  {
    CWaitCursor outer;
    EXPECT_TRUE(CWaitCursor::IsShown());
    {
      CWaitCursor inner;
      EXPECT_EQ(before + 2, CWaitCursor::Count());
    }
    EXPECT_EQ(before + 1, CWaitCursor::Count());
  }
  EXPECT_EQ(before, CWaitCursor::Count());
  CWaitCursor::End();  // more ends than begins
  CWaitCursor::End();
  EXPECT_EQ(0, CWaitCursor::Count());
}

TEST(WaitCursorTest, EndedByAPageThenRestored) {
  CWaitCursor wait;
  CWaitCursor::End();  // as a page's set-up ends the host's wait cursor
  EXPECT_FALSE(CWaitCursor::IsShown());
  wait.Restore();
  EXPECT_TRUE(CWaitCursor::IsShown());
}

}  // namespace
