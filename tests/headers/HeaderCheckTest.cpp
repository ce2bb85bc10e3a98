// Each installed header compiles alone: a translation unit holding only its #include, with
// -Wall -Wextra -pedantic, the project's include roots and nothing else. The headers are the
// ones the install copies (the build writes their list to packaging/installed-headers.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/ChildProcess.h"

namespace {

std::string environmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string sourceDir() { return environmentOr("BRINDLE_SOURCE_DIR", BRINDLE_SOURCE_DIR); }

std::vector<std::string> installedHeaders() {
  std::ifstream list(environmentOr("BRINDLE_BUILD_DIR", BRINDLE_BUILD_DIR) +
                     std::string("/packaging/installed-headers.txt"));
  std::vector<std::string> headers;
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) headers.push_back(line);
  return headers;
}

// "include/brindle/bradm.h" is included as "brindle/bradm.h", the others by their path.
std::string includedAs(const std::string& header) {
  const std::string prefix = "include/";
  return header.rfind(prefix, 0) == 0 ? header.substr(prefix.size()) : header;
}

// A name GoogleTest accepts for the case: letters and digits only.
std::string caseName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

class HeaderCheck : public ::testing::TestWithParam<std::string> {};

TEST_P(HeaderCheck, CompilesAloneWithoutWarnings) {
  ChildOptions options;
  options.input = "#include \"" + includedAs(GetParam()) + "\"\n";
  options.timeoutMs = 120000;
  const ChildResult result = ChildProcess::Run(
      {BRINDLE_TEST_CXX_COMPILER, "-std=c++17", "-Wall", "-Wextra", "-pedantic", "-fsyntax-only",
       "-I" + sourceDir(), "-I" + sourceDir() + "/include", "-x", "c++", "-"},
      options);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "") << "warnings in " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Installed, HeaderCheck, ::testing::ValuesIn(installedHeaders()), caseName);

TEST(HeaderCheckList, HoldsThePublicHeaders) {
  const std::vector<std::string> headers = installedHeaders();
  for (const char* expected : {"include/brindle/bradm.h", "include/brindle/BRCUtil.h",
                               "common/AttributeChildren.h", "platform/ui/CString.h"}) {
    EXPECT_NE(std::find(headers.begin(), headers.end(), expected), headers.end()) << expected;
  }
}

std::string fileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The libraries' own helpers stay out: changing a branch's children, and the per-thread cache
// of node memory (only operator new and delete of the nodes are declared).
TEST(HeaderCheckList, LeavesTheInternalHelpersOut) {
  const std::vector<std::string> headers = installedHeaders();
  ASSERT_FALSE(headers.empty());
  for (const char* internal : {"common/AttributeChildrenEditor.h", "common/FastTreeStreamer.h"}) {
    EXPECT_EQ(std::find(headers.begin(), headers.end(), internal), headers.end()) << internal;
  }
  for (const std::string& header : headers) {
    const std::string text = fileText(sourceDir() + "/" + header);
    ASSERT_FALSE(text.empty()) << header;
    for (const char* word : {"thread_local", "NodeCache", "insertOrAssign", "appendUnordered", "restoreOrder"}) {
      EXPECT_EQ(text.find(word), std::string::npos) << word << " in " << header;
    }
  }
}

}  // namespace
