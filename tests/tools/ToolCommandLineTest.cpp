// What every tool answers the same way: --version as "NAME VERSION" and -h/--help as its usage.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "tools/BrindleServer.h"
#include "tools/ChildProcess.h"

namespace {

ChildResult run(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {BrindleServer::program(program)};
  argv.insert(argv.end(), args.begin(), args.end());
  return ChildProcess::Run(argv);
}

struct VersionCase {
  std::string program;
  std::vector<std::string> args;
};

TEST(ToolCommandLine, VersionIsTheProjectVersionInOneShape) {
  const std::vector<VersionCase> cases = {
      {"bradmtool", {"--version"}},
      {"bradmtool", {"list", "--version"}},
      {"brpublish", {"--version"}},
      {"brpublish", {"--report", "/nonexistent", "--version"}},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.program + " " + c.args.front());
    const ChildResult result = run(c.program, c.args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, c.program + " " + BRINDLE_TEST_VERSION + "\n");
    EXPECT_EQ(result.err, "");
  }
}

TEST(ToolCommandLine, ShortAndLongHelpPrintTheUsage) {
  for (const std::string program : {"bradmtool", "brpublish", "brindle-server"}) {
    for (const std::string option : {"-h", "--help"}) {
      SCOPED_TRACE(program + " " + option);
      const ChildResult result = run(program, {option});
      EXPECT_EQ(result.status, 0) << result.err;
      // "usage:" or "Usage:", as CLI11 writes it.
      std::string start = result.out.substr(0, 7);
      for (char& c : start) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(start, "usage: ") << result.out;
      EXPECT_EQ(result.out.find(program + " "), 7u) << result.out;
    }
  }
}

}  // namespace
