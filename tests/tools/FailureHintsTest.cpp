// The hints below the failures people usually cause themselves, by the server's return code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/support/FailureHints.h"

namespace {

TEST(FailureHints, NameWhatToTypeForTheUsualReturnCodes) {
  struct Case {
    int code;
    std::string contains;  // "": no hint
  };
  const std::vector<Case> cases = {
      {9006, "--user NAME"},
      {9007, "--user NAME"},
      {9008, "--recursive"},
      {9012, "--publish-root"},
      {9012, "system temporary folder"},
      {0, ""},
      {4, ""},
      {9001, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const std::string hint = FailureHints::forReturnCode(c.code);
    if (c.contains.empty()) {
      EXPECT_EQ(hint, "");
    } else {
      EXPECT_NE(hint.find(c.contains), std::string::npos) << hint;
      EXPECT_EQ(hint.find('\n'), std::string::npos) << hint;
    }
  }
  EXPECT_NE(FailureHints::forRefusedSignOn().find("--user NAME"), std::string::npos);
}

}  // namespace
