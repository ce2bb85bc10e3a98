// bradmtool end to end against brindle-server: every command once, JSON read back, and the
// one-line errors of a wrong command line, an unreachable server and a refused login.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/BrindleServer.h"
#include "tools/ChildProcess.h"

namespace {

ChildResult bradmtool(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<std::string> argv = {BrindleServer::program("bradmtool")};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildOptions options;
  options.input = input;
  return ChildProcess::Run(argv, options);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// One line, ending in a newline, naming the tool.
void expectOneLineError(const ChildResult& result) {
  EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  EXPECT_EQ(result.err.rfind("bradmtool: ", 0), 0u) << result.err;
}

// The failure's line, then a hint naming what to type.
void expectErrorWithHint(const ChildResult& result, const std::string& hintContains) {
  const std::size_t lineEnd = result.err.find('\n');
  ASSERT_NE(lineEnd, std::string::npos) << result.err;
  EXPECT_EQ(result.err.rfind("bradmtool: ", 0), 0u) << result.err;
  const std::string hint = result.err.substr(lineEnd + 1);
  EXPECT_EQ(hint.rfind("bradmtool: hint: ", 0), 0u) << result.err;
  EXPECT_EQ(hint.find('\n'), hint.size() - 1) << result.err;
  EXPECT_NE(hint.find(hintContains), std::string::npos) << result.err;
}

// A loopback port where nothing listens: bound once, then released.
int closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// The pre-login request's data document (41 bytes) after the connection preamble, then a
// leaf document holding the integer 7.
constexpr char CapturedBytes[] =
    "\x00\x00\x00\x09"
    "\x00\x09" "ATFormat2" "\x00\x01\x00\x00"
    "\x00\x04\x00\x09" "pre_login" "\x00\x01" "1" "\x00\x01\x00\x00"
    "\x00\x02\x00\x00\x00\x06"
    "\x00\x09" "ATFormat2" "\x00\x03\x00\x00\x00\x00\x00\x07\x00\x00\x00\x00";
const std::string CapturedTraffic(CapturedBytes, sizeof CapturedBytes - 1);

class BradmtoolTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new BrindleServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server_->started()) << server_->failure(); }

  ChildResult onServer(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"--server", server_->reportAddress()});
    return bradmtool(args, input);
  }

  static BrindleServer* server_;
};

BrindleServer* BradmtoolTest::server_ = nullptr;

struct CommandCase {
  std::vector<std::string> args;
  int status;
  std::string outContains;  // "{portal}" stands for the portal's port
  std::string outLacks;
  std::string errContains;
};

// The steps build on each other: a folder and a report are made, changed, copied, moved,
// commanded and removed again.
TEST_F(BradmtoolTest, EveryCommandAgainstTheServer) {
  // The server publishes only from its publish roots (the temporary folder the scratch is in).
  const std::string report = server_->scratch() + "/sample-report.xml";
  std::filesystem::copy_file(BrindleServer::sourceDir() + "/tools/demo/sample-report.xml", report);
  const std::vector<CommandCase> cases = {
      {{"create", "Folder", "/T", "--description", "Tool tests"}, 0, "", "", ""},
      {{"create", "Report", "/T/r", "--source", "/tmp/r.xml", "--mirrors", "lpwq://m/one"}, 0, "", "", ""},
      {{"list", "/T"}, 0, "Report  1  -  r\n", "", ""},
      {{"list", "/T", "--long"}, 0, "r\n  Class = \"Report\"", "", ""},
      {{"get", "/T", "--field", "Description"}, 0, "Description = \"Tool tests\"\n", "", ""},
      {{"set", "/T/r", "Owner=tests", "Limits.Max:=5"}, 0, "", "", ""},
      {{"get", "/T/r", "--field", "Owner", "--field", "Limits.Max"}, 0,
       "Owner = \"tests\"\nLimits.Max = \"5\"\n", "", ""},
      {{"get", "/T/r", "--depth", "1"}, 0, "  Max = 5\n", "", ""},
      {{"reset", "/T/r", "Owner=again"}, 0, "", "", ""},
      {{"get", "/T/r", "--field", "Owner"}, 0, "Owner = \"again\"", "", ""},
      {{"copy", "/T/r", "/T/c"}, 0, "", "", ""},
      {{"move", "/T/c", "/T/m"}, 0, "", "", ""},
      {{"get", "/T/c"}, 1, "", "", "error 9001"},
      {{"enable", "/T/m"}, 0, "", "", ""},
      {{"disable", "/T/m"}, 0, "", "", ""},
      {{"kill", "/T/m"}, 0, "", "", ""},
      {{"mirrors", "add", "/T/m", "//host/a;host/b"}, 0, "", "", ""},
      {{"get", "/T/m", "--field", "Mirrors"}, 0, "lpwq://host/a;lpwq://host/b", "", ""},
      {{"mirrors", "remove", "/T/m", "//HOST/A"}, 0, "", "", ""},
      {{"get", "/T/m", "--field", "Mirrors"}, 0, "lpwq://host/b", "host/a", ""},
      {{"remove-path", "/T/m"}, 0, "", "", ""},
      {{"get", "/T/m", "--field", "Path"}, 0, "Path = \"\"\n", "", ""},
      {{"bulk-publish", "/T/m"}, 0, "", "", ""},
      {{"publish", "tool-test", report, "--description", "from the tests"}, 0,
       "http://127.0.0.1:{portal}/gateway?DC=R&E=", "", ""},
      {{"portal-info"}, 0, "url=http://127.0.0.1:{portal}/lumora\nport={portal}\n", "", ""},
      {{"remove", "/T"}, 1, "", "", "error 9008"},  // with a hint: see below
      {{"remove", "/T", "--recursive"}, 0, "", "", ""},
      {{"list", "/"}, 0, "  Published\n", "  T\n", ""},
  };
  const std::string portal = std::to_string(server_->portalPort());
  for (const CommandCase& c : cases) {
    std::string shown;
    for (const std::string& arg : c.args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const ChildResult result = onServer(c.args);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.out.find(replaceAll(c.outContains, "{portal}", portal)), std::string::npos)
        << result.out;
    if (!c.outLacks.empty()) {
      EXPECT_EQ(result.out.find(c.outLacks), std::string::npos) << result.out;
    }
    if (c.status == 0) {
      EXPECT_EQ(result.err, "");
    } else if (c.errContains == "error 9008") {
      expectErrorWithHint(result, "add --recursive");
    } else {
      expectOneLineError(result);
      EXPECT_NE(result.err.find(c.errContains), std::string::npos) << result.err;
    }
  }
}

TEST_F(BradmtoolTest, ListShowsOneLinePerObjectLongAndJsonTheWholeTree) {
  ASSERT_EQ(onServer({"create", "Folder", "/L"}).status, 0);
  ASSERT_EQ(onServer({"create", "Report", "/L/a", "--description", "first"}).status, 0);
  ASSERT_EQ(onServer({"create", "Folder", "/L/b"}).status, 0);
  ASSERT_EQ(onServer({"create", "Report", "/L/c d "}).status, 0);
  ASSERT_EQ(onServer({"disable", "/L/a"}).status, 0);

  const ChildResult listing = onServer({"list", "/L"});
  EXPECT_EQ(listing.status, 0) << listing.err;
  EXPECT_EQ(listing.out,
            "Report  2  Disabled  a\n"
            "Folder  1  -         b\n"
            "Report  1  -         \"c d \"\n");

  const ChildResult outline = onServer({"list", "/L", "--long"});
  EXPECT_EQ(outline.status, 0) << outline.err;
  EXPECT_NE(outline.out.find("a\n  Class = \"Report\"\n  Description = \"first\"\n"),
            std::string::npos)
      << outline.out;
  EXPECT_NE(outline.out.find("  Status = \"Disabled\"\n"), std::string::npos) << outline.out;

  const nlohmann::json json = nlohmann::json::parse(onServer({"--json", "list", "/L"}).out);
  EXPECT_EQ(json.at("a").at("Description").get<std::string>(), "first");
  EXPECT_EQ(json.at("a").at("Status").get<std::string>(), "Disabled");
  EXPECT_EQ(json.at("b").at("Class").get<std::string>(), "Folder");
  EXPECT_EQ(onServer({"remove", "/L", "--recursive"}).status, 0);
}

TEST_F(BradmtoolTest, JsonOutputReadsBack) {
  ASSERT_EQ(onServer({"create", "Report", "/J", "--description", "quote \" and \\ and \x01"}).status, 0);
  ASSERT_EQ(onServer({"set", "/J", "Count:=-12", "Deep.Er.Text=x"}).status, 0);

  const nlohmann::json object = nlohmann::json::parse(onServer({"--json", "get", "/J"}).out);
  EXPECT_EQ(object.at("Class").get<std::string>(), "Report");
  EXPECT_EQ(object.at("Description").get<std::string>(), "quote \" and \\ and \x01");
  EXPECT_EQ(object.at("Count").get<long>(), -12);
  EXPECT_EQ(object.at("Deep").at("Er").at("Text").get<std::string>(), "x");

  // Texts that are not UTF-8 come out as the code points of their bytes; UTF-8 as it is.
  ASSERT_EQ(onServer({"set", "/J", "Latin=caf\xe9", "Utf8=gr\xc3\xbc\xc3\x9f"}).status, 0);
  const nlohmann::json texts = nlohmann::json::parse(onServer({"--json", "get", "/J"}).out);
  EXPECT_EQ(texts.at("Latin").get<std::string>(), "caf\xc3\xa9");
  EXPECT_EQ(texts.at("Utf8").get<std::string>(), "gr\xc3\xbc\xc3\x9f");

  const nlohmann::json listing = nlohmann::json::parse(onServer({"list", "/", "--json"}).out);
  EXPECT_EQ(listing.at("J").at("Name").get<std::string>(), "/J");
  EXPECT_TRUE(listing.at("Published").is_object());

  const nlohmann::json fields = nlohmann::json::parse(onServer({"--json", "get", "/J", "--field", "Count"}).out);
  EXPECT_EQ(fields.at("Count").get<std::string>(), "-12");

  const nlohmann::json portal = nlohmann::json::parse(onServer({"--json", "portal-info"}).out);
  EXPECT_EQ(portal.at("port").get<long>(), server_->portalPort());
  EXPECT_EQ(portal.at("url").get<std::string>(), "http://" + server_->portalAddress() + "/lumora");

  const nlohmann::json decoded = nlohmann::json::parse(bradmtool({"decode", "--json"}, CapturedTraffic).out);
  EXPECT_TRUE(decoded.at("preamble").get<bool>());
  EXPECT_EQ(decoded.at("documents").at(0).at("offset").get<long>(), 4);
  EXPECT_EQ(decoded.at("documents").at(0).at("tree").at("pre_login").get<std::string>(), "1");
  EXPECT_EQ(decoded.at("documents").at(1).at("tree").get<long>(), 7);
  EXPECT_EQ(onServer({"remove", "/J"}).status, 0);
}

TEST(BradmtoolDecode, PrintsDocumentsFromStandardInputAndFiles) {
  const ChildResult fromInput = bradmtool({"decode"}, CapturedTraffic);
  EXPECT_EQ(fromInput.status, 0) << fromInput.err;
  EXPECT_EQ(fromInput.out,
            "connection preamble 00 00 00 09\n"
            "document 1 at byte 4\n"
            "  pre_login = \"1\" [set]\n"
            "document 2 at byte 45 (leaf)\n"
            "  value = 7\n");

  char path[] = "/tmp/bradmtool-decode-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  // Cut inside the second document.
  ASSERT_EQ(::write(fd, CapturedTraffic.data(), CapturedTraffic.size() - 3),
            static_cast<ssize_t>(CapturedTraffic.size() - 3));
  ::close(fd);
  const ChildResult truncated = bradmtool({"decode", path});
  ::unlink(path);
  EXPECT_EQ(truncated.status, 1);
  EXPECT_NE(truncated.out.find("pre_login"), std::string::npos);
  expectOneLineError(truncated);
  EXPECT_NE(truncated.err.find("byte 45"), std::string::npos) << truncated.err;
}

TEST(BradmtoolErrors, WrongCommandLinesGiveOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"frobnicate"},
      {"get"},
      {"copy", "/a"},
      {"list", "/", "extra"},
      {"get", "/", "--depth", "deep"},
      {"list", "/", "--no-such-option"},
      {"set", "/a", "no-equals-sign"},
      {"set", "/a", "N:=12x"},
      {"mirrors"},
      {"mirrors", "add", "/a", "ab"},
      {"--user", "alice", "list", "/"},
      {"--ticket", "t", "--password", "p", "list", "/"},
  };
  for (const auto& args : wrong) {
    SCOPED_TRACE(args.empty() ? "(nothing)" : args[0] + (args.size() > 1 ? " " + args[1] : ""));
    const ChildResult result = bradmtool(args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    expectOneLineError(result);
  }
}

TEST(BradmtoolErrors, HelpIsThereForEveryCommand) {
  for (const char* command : {"list", "get", "set", "reset", "create", "copy", "move", "remove",
                              "enable", "disable", "kill", "remove-path", "bulk-publish",
                              "publish", "portal-info", "decode"}) {
    SCOPED_TRACE(command);
    const ChildResult result = bradmtool({command, "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind(std::string("usage: bradmtool [GLOBAL OPTIONS] ") + command, 0), 0u)
        << result.out;
  }
  const ChildResult mirrors = bradmtool({"mirrors", "--help"});
  EXPECT_NE(mirrors.out.find("mirrors add PATH REFS"), std::string::npos);
  EXPECT_NE(mirrors.out.find("mirrors remove PATH REFS"), std::string::npos);
  const ChildResult overall = bradmtool({"--help"});
  EXPECT_EQ(overall.status, 0);
  EXPECT_NE(overall.out.find("decode [FILE]"), std::string::npos);
}

TEST(BradmtoolErrors, UnreachableServerIsOneLineWithTheReason) {
  const std::string address = "127.0.0.1:" + std::to_string(closedPort());
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"list", "/"}, {"portal-info"}}) {
    std::vector<std::string> args = {"--server", address};
    args.insert(args.end(), command.begin(), command.end());
    const ChildResult result = bradmtool(args);
    EXPECT_EQ(result.status, 1);
    expectOneLineError(result);
    // The library's reason for its code 4.
    EXPECT_NE(result.err.find("connection refused by " + address), std::string::npos) << result.err;
  }
}

TEST(BradmtoolErrors, WrongPasswordIsRefusedRightOneIsTaken) {
  char users[] = "/tmp/bradmtool-users-XXXXXX";
  const int fd = ::mkstemp(users);
  ASSERT_GE(fd, 0);
  ::close(fd);
  std::ofstream(users) << "alice:secret\n";
  BrindleServer secured({"--users", users});
  ::unlink(users);
  ASSERT_TRUE(secured.started()) << secured.failure();

  const ChildResult wrong = bradmtool(
      {"--server", secured.reportAddress(), "--user", "alice", "--password", "wrong", "list", "/"});
  EXPECT_EQ(wrong.status, 1);
  expectErrorWithHint(wrong, "--user NAME");
  EXPECT_NE(wrong.err.find("login to " + secured.reportAddress() + " failed: error "),
            std::string::npos)
      << wrong.err;

  const ChildResult none = bradmtool({"--server", secured.reportAddress(), "list", "/"});
  EXPECT_EQ(none.status, 1);
  expectErrorWithHint(none, "--user NAME");

  const ChildResult right = bradmtool(
      {"--server", secured.reportAddress(), "--user", "alice", "--password", "secret", "list", "/"});
  EXPECT_EQ(right.status, 0) << right.err;
  EXPECT_NE(right.out.find("Published"), std::string::npos);
}

}  // namespace
