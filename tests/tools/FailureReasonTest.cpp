// What the tools print when the report server or the portal cannot be reached or does not
// answer: one line naming the cause (and, for a wait that ran out, what to check), exit 1.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "BrindleServer.h"
#include "ChildProcess.h"
#include "fixtures/FakeReportServer.h"
#include "fixtures/RefusingPort.h"
#include "fixtures/StallingServer.h"

namespace {

using fixtures::FakeReportServer;
using fixtures::RefusingPort;
using fixtures::ScriptedReply;
using fixtures::StallingServer;

// The pre-login reply of a server that asks for no credentials.
ScriptedReply openPreLogin() {
  AttributeTree data;
  data.setText("Mode", "nt");
  data.setText("ServerNamespace", "ns");
  data.setText("ACL", "");
  return ScriptedReply::message(data);
}

ChildOptions resolvingNoNames() {
  ChildOptions options;
  options.environment = {"LD_PRELOAD=" + BrindleServer::buildDir() + "/lib/libbrtestnonames.so",
                         // the sanitizer build's runtime must otherwise come first
                         "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0"};
  return options;
}

ChildResult bradmtool(const std::vector<std::string>& args, const ChildOptions& options = {}) {
  std::vector<std::string> argv = {BrindleServer::program("bradmtool")};
  argv.insert(argv.end(), args.begin(), args.end());
  return ChildProcess::Run(argv, options);
}

TEST(FailureReasons, BradmtoolNamesTheCauseOnOneLine) {
  RefusingPort refusing;
  StallingServer silent({});
  const ScriptedReply preLogin = openPreLogin();
  FakeReportServer cut({{preLogin.cutAfter(preLogin.bytes().size() - 3)}});
  struct Case {
    const char* what;
    std::vector<std::string> args;
    ChildOptions options;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"refused", {"--server", refusing.address(), "list", "/"}, {},
       "bradmtool: list: login to " + refusing.address() + " failed: connection refused by " + refusing.address()},
      {"bad port", {"--server", "127.0.0.1:70000", "list", "/"}, {},
       "bradmtool: list: login to 127.0.0.1:70000 failed: port 70000 is outside 1..65535"},
      {"unknown host", {"--server", "reprots.example", "list", "/"}, resolvingNoNames(),
       "bradmtool: list: login to reprots.example failed: no such host 'reprots.example'"},
      {"timed out", {"--server", silent.address(), "--timeout", "0.5", "list", "/"}, {},
       "bradmtool: list: login to " + silent.address() + " failed: no reply from " + silent.address() +
           " within 0.5 s (is that the report server's port? see --timeout)"},
      {"cut reply", {"--server", "127.0.0.1:" + std::to_string(cut.port()), "list", "/"}, {},
       "bradmtool: list: login to 127.0.0.1:" + std::to_string(cut.port()) +
           " failed: the server closed the connection in the middle of its reply"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    const ChildResult result = bradmtool(c.args, c.options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.err, c.line + "\n");
    EXPECT_EQ(result.out, "");
  }
}

TEST(FailureReasons, TimeoutTakesSecondsOnly) {
  for (const std::string value : {"-1", "x", "", "1e9"}) {
    SCOPED_TRACE(value);
    const ChildResult result = bradmtool({"--timeout", value, "list", "/"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("--timeout needs a number of seconds"), std::string::npos) << result.err;
  }
}

// brpublish: the library's text, then what the report server's or the portal's library said.
TEST(FailureReasons, BrpublishPrintsTheUnderlyingReasonBeneathTheLibrarysText) {
  StallingServer silent({});
  BrindleServer server;
  ASSERT_TRUE(server.started()) << server.failure();
  const std::string report = server.scratch() + "/failure-reason-report.xml";
  std::ifstream source(BrindleServer::sourceDir() + "/tools/demo/sample-report.xml");
  std::ofstream(report) << source.rdbuf();

  struct Case {
    const char* what;
    std::string server, portal, first, reason;
  };
  const std::vector<Case> cases = {
      {"report server silent", silent.address(), "",
       "brpublish: Failed to publish the report to Brindle Enterprise Server.",
       "brpublish: reason: no reply from " + silent.address() + " within 0.5 s (is that the right server? see --timeout)"},
      {"portal silent", server.reportAddress(), silent.address(), "brpublish: Login to Lumora failed.",
       "brpublish: reason: no reply from the portal at " + silent.address() +
           " within 0.5 s (is that the right server? see --timeout)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> argv = {BrindleServer::program("brpublish"), "--server", c.server, "--report", report,
                                     "--name", "reason", "--box", "/Sales/Europe", "--user", "demo",
                                     "--password", "demo", "--timeout", "0.5", "--quiet"};
    if (!c.portal.empty()) {
      argv.push_back("--portal");
      argv.push_back(c.portal);
    }
    ChildOptions options;
    options.environment = {"TMPDIR=" + server.scratch()};
    const ChildResult result = ChildProcess::Run(argv, options);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.err, c.first + "\n" + c.reason + "\n");
  }
}

}  // namespace
