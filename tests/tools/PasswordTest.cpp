// Where the tools take a password from and which source wins: --password, then
// --password-file, then BRINDLE_PASSWORD, then a prompt on the terminal without echo.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tools/BrindleServer.h"
#include "tools/ChildProcess.h"

namespace {

class PasswordTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/brindle-password-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::ofstream(folder_ + "/users") << "alice:secret\n";
    // The first line counts, without its line end (a CRLF file too).
    std::ofstream(folder_ + "/right") << "secret\r\nnot this line\n";
    std::ofstream(folder_ + "/wrong") << "wrong\n";
    server_ = new BrindleServer({"--users", folder_ + "/users"});
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    std::remove((folder_ + "/users").c_str());
    std::remove((folder_ + "/right").c_str());
    std::remove((folder_ + "/wrong").c_str());
    ::rmdir(folder_.c_str());
  }
  void SetUp() override { ASSERT_TRUE(server_->started()) << server_->failure(); }

  static std::vector<std::string> bradmtool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {BrindleServer::program("bradmtool"), "--server",
                                     server_->reportAddress()};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"list", "/"});
    return argv;
  }

  static std::string file(const std::string& name) { return folder_ + "/" + name; }

  static std::string folder_;
  static BrindleServer* server_;
};

std::string PasswordTest::folder_;
BrindleServer* PasswordTest::server_ = nullptr;

struct SourceCase {
  std::vector<std::string> args;  // after the server, before the command
  std::string environment;        // BRINDLE_PASSWORD's value; "-": not set
  int status;
  std::string errContains;
};

TEST_F(PasswordTest, OptionThenFileThenEnvironment) {
  const std::vector<SourceCase> cases = {
      {{"--user", "alice", "--password", "secret"}, "-", 0, ""},
      {{"--user", "alice", "--password-file", file("right")}, "-", 0, ""},
      {{"--user", "alice"}, "secret", 0, ""},
      {{"--user", "alice", "--password", "secret"}, "wrong", 0, ""},
      {{"--user", "alice", "--password", "wrong"}, "secret", 1, "error 9007"},
      {{"--user", "alice", "--password-file", file("right")}, "wrong", 0, ""},
      {{"--user", "alice", "--password-file", file("wrong")}, "secret", 1, "error 9007"},
      // Without a terminal there is nobody to ask.
      {{"--user", "alice"}, "-", 2, "--password-file"},
      {{"--user", "alice", "--password-file", file("missing")}, "-", 2, "cannot read the password file"},
      {{"--user", "alice", "--password", "secret", "--password-file", file("right")}, "-", 2, "not both"},
      {{"--ticket", "T", "--password-file", file("right")}, "-", 2, "not both"},
  };
  for (const SourceCase& c : cases) {
    std::string shown = "BRINDLE_PASSWORD=" + c.environment;
    for (const std::string& arg : c.args) shown += " " + arg;
    SCOPED_TRACE(shown);
    ChildOptions options;
    options.environment = {c.environment == "-" ? "BRINDLE_PASSWORD" : "BRINDLE_PASSWORD=" + c.environment};
    const ChildResult result = ChildProcess::Run(bradmtool(c.args), options);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.status == 0) {
      EXPECT_NE(result.out.find("Published"), std::string::npos) << result.out;
    } else {
      EXPECT_NE(result.err.find(c.errContains), std::string::npos) << result.err;
    }
  }
}

TEST_F(PasswordTest, UserWithoutPasswordIsAskedOnTheTerminalWithoutEcho) {
  struct PromptCase {
    std::string answer;
    int status;
  };
  for (const PromptCase& c : {PromptCase{"secret", 0}, PromptCase{"wrong", 1}}) {
    SCOPED_TRACE(c.answer);
    ChildOptions options;
    options.environment = {"BRINDLE_PASSWORD"};
    options.inputFromTerminal = true;
    options.timeoutMs = 15000;
    options.terminalAnswers = {{"bradmtool: password for alice: ", c.answer}};
    const ChildResult result = ChildProcess::WithTerminal(bradmtool({"--user", "alice"}), options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.err.find("bradmtool: password for alice: "), std::string::npos) << result.err;
    // What was typed is not shown on the terminal.
    EXPECT_EQ(result.err.find(c.answer), std::string::npos) << result.err;
    if (c.status == 0) {
      EXPECT_NE(result.out.find("Published"), std::string::npos) << result.out;
    }
  }
}

TEST_F(PasswordTest, BrpublishTakesTheSameSources) {
  // The security stand-in knows the user demo with the password demo. The report server asks
  // for no login here: brpublish publishes the way the desktop host does, without one.
  BrindleServer open;
  ASSERT_TRUE(open.started()) << open.failure();
  std::ofstream(file("demo")) << "demo\n";
  const std::string tmp = open.scratch();
  const std::vector<std::string> publish = {
      BrindleServer::program("brpublish"), "--server", open.reportAddress(), "--report",
      BrindleServer::sourceDir() + "/tools/demo/sample-report.xml", "--name", "password test",
      "--box", "/Sales/Europe", "--quiet", "--user", "demo"};
  const std::vector<SourceCase> cases = {
      {{"--password-file", file("demo")}, "-", 0, ""},
      {{}, "demo", 0, ""},
      {{"--password-file", file("wrong")}, "demo", 1, "Login to Sentrel failed."},
      {{}, "-", 2, "--password-file"},
  };
  for (const SourceCase& c : cases) {
    std::string shown = "BRINDLE_PASSWORD=" + c.environment;
    for (const std::string& arg : c.args) shown += " " + arg;
    SCOPED_TRACE(shown);
    std::vector<std::string> argv = publish;
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    ChildOptions options;
    options.environment = {"TMPDIR=" + tmp,
                           c.environment == "-" ? "BRINDLE_PASSWORD" : "BRINDLE_PASSWORD=" + c.environment};
    const ChildResult result = ChildProcess::Run(argv, options);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.status == 0) {
      EXPECT_NE(result.out.find("NewsItemId="), std::string::npos) << result.out;
    } else {
      EXPECT_NE(result.err.find(c.errContains), std::string::npos) << result.err;
    }
  }

  ChildOptions asked;
  asked.environment = {"TMPDIR=" + tmp, "BRINDLE_PASSWORD"};
  asked.inputFromTerminal = true;
  asked.timeoutMs = 15000;
  asked.terminalAnswers = {{"brpublish: password for demo: ", "demo"}};
  const ChildResult result = ChildProcess::WithTerminal(publish, asked);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("NewsItemId="), std::string::npos) << result.out;
  const std::string prompt = "brpublish: password for demo: ";
  const std::size_t promptAt = result.err.find(prompt);
  ASSERT_NE(promptAt, std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("demo", promptAt + prompt.size()), std::string::npos) << result.err;
  std::remove(file("demo").c_str());
}

}  // namespace
