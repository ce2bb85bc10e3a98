// brpublish end to end: a new NewsItem, the same item republished with a changed report, a
// failure, and the wizard driven from piped input with the logon dialog on a terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fixtures/TerminalScreen.h"
#include "tools/BrindleServer.h"
#include "tools/ChildProcess.h"
#include "tools/HttpGet.h"

namespace {

std::string sample(const std::string& name) {
  return BrindleServer::sourceDir() + "/tools/demo/" + name;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The value of "KEY=" on a line of its own in text, or "".
std::string lineValue(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return "";
}

// The gateway link of the portal page's entry for the NewsItem id ("[ID]").
std::string gatewayOf(const std::string& page, const std::string& id) {
  const std::size_t item = page.find("[" + id + "]");
  if (item == std::string::npos) return "";
  const std::size_t href = page.rfind("href=\"", item);
  if (href == std::string::npos) return "";
  std::string link = page.substr(href + 6, page.find('"', href + 6) - href - 6);
  for (std::size_t at = link.find("&amp;"); at != std::string::npos; at = link.find("&amp;"))
    link.replace(at, 5, "&");
  return link;
}

class BrpublishTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.started()) << server_.failure();
    tmp_ = server_.scratch() + "/tmp";
    std::filesystem::create_directories(tmp_);
  }

  ChildResult brpublish(std::vector<std::string> args) {
    args.insert(args.begin(), {BrindleServer::program("brpublish"), "--server", server_.reportAddress()});
    ChildOptions options;
    options.environment = {"TMPDIR=" + tmp_};
    return ChildProcess::Run(args, options);
  }

  bool temporaryFolderEmpty() const { return std::filesystem::is_empty(tmp_); }

  std::string portalPage() { return httpGet(server_.portalPort(), "/").body; }

  BrindleServer server_;
  std::string tmp_;
};

TEST_F(BrpublishTest, CreatesThenRepublishesTheSameNewsItem) {
  const ChildResult created =
      brpublish({"--report", sample("sample-report.xml"), "--name", "Tool test sales", "--box",
                 "/sales/EUROPE", "--description", "first", "--user", "demo", "--password", "demo"});
  ASSERT_EQ(created.status, 0) << created.err;
  const std::string id = lineValue(created.out, "NewsItemId");
  ASSERT_FALSE(id.empty()) << created.out;
  EXPECT_EQ(created.out, "NewsItemId=" + id + "\nPortal=" + server_.portalAddress() + "\n");
  for (const char* step : {"signing on as demo", "finding the portal", "saved the report as " ,
                           "publishing to the report server", "updating the NewsItem", "done"})
    EXPECT_NE(created.err.find(step), std::string::npos) << step << "\n" << created.err;
  EXPECT_TRUE(temporaryFolderEmpty());

  std::string page = portalPage();
  EXPECT_NE(page.find("Tool test sales"), std::string::npos) << page;
  const std::string gateway = gatewayOf(page, id);
  ASSERT_FALSE(gateway.empty()) << page;
  EXPECT_EQ(httpGet(server_.portalPort(), gateway).body, readFile(sample("sample-report.xml")));

  const ChildResult again =
      brpublish({"--report", sample("sample-report-v2.xml"), "--item", id, "--portal",
                 server_.portalAddress(), "--description", "second", "--user", "demo",
                 "--password", "demo"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(lineValue(again.out, "NewsItemId"), id);
  EXPECT_EQ(lineValue(again.out, "Portal"), server_.portalAddress());
  EXPECT_EQ(again.err.find("finding the portal"), std::string::npos) << again.err;
  EXPECT_TRUE(temporaryFolderEmpty());

  page = portalPage();
  EXPECT_NE(page.find("second"), std::string::npos) << page;
  EXPECT_EQ(httpGet(server_.portalPort(), gatewayOf(page, id)).body,
            readFile(sample("sample-report-v2.xml")));
}

TEST_F(BrpublishTest, FailuresGiveTheLibrarysTextAndStatusOne) {
  struct Case {
    std::vector<std::string> args;
    std::string text;
    std::string hint;  // "": no hint line
  };
  const std::vector<Case> cases = {
      {{"--name", "x", "--box", "/No/Such/Box", "--user", "demo", "--password", "demo"},
       "Failed to find NewsBox.", ""},
      {{"--name", "x", "--box", "/Sales", "--user", "demo", "--password", "wrong"},
       "Login to Sentrel failed.", "--user NAME and its password"},
      {{"--item", "NI424242", "--user", "demo", "--password", "demo"}, "NI424242", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> args = {"--report", sample("sample-report.xml")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ChildResult result = brpublish(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    const std::size_t hintAt = result.err.find("brpublish: hint: ");
    const std::string failure = result.err.substr(0, hintAt);
    const std::string last = failure.substr(failure.rfind("brpublish: "));
    EXPECT_NE(last.find(c.text), std::string::npos) << result.err;
    if (c.hint.empty()) {
      EXPECT_EQ(hintAt, std::string::npos) << result.err;
    } else {
      ASSERT_NE(hintAt, std::string::npos) << result.err;
      const std::string hint = result.err.substr(hintAt);
      EXPECT_NE(hint.find(c.hint), std::string::npos) << result.err;
      EXPECT_EQ(hint.find('\n'), hint.size() - 1) << result.err;
    }
    EXPECT_TRUE(temporaryFolderEmpty());
  }
}

TEST_F(BrpublishTest, WrongCommandLinesGiveStatusTwo) {
  const std::vector<std::vector<std::string>> wrong = {
      {"--name", "x", "--box", "/Sales"},
      {"--report", sample("sample-report.xml"), "--name", "x"},
      {"--report", sample("sample-report.xml"), "--item", "NI1", "--box", "/Sales"},
      {"--report", sample("no-such-report.xml"), "--item", "NI1"},
      {"--report", sample("sample-report.xml"), "--item", "NI1", "--user", "demo"},
      {"--report", sample("sample-report.xml"), "--wizard", "--user", "demo", "--password", "demo"},
      {"--report", sample("sample-report.xml"), "--ui", "window"},
      {"--report", sample("sample-report.xml"), "--wizard", "--ui", "desktop"},
  };
  for (const auto& args : wrong) {
    const ChildResult result = brpublish(args);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
  }
}

TEST_F(BrpublishTest, WizardRunFromPipedInput) {
  ChildOptions options;
  options.environment = {"TMPDIR=" + tmp_};
  options.input =
      "name Wizard sales\n"
      "description Published by the wizard\n"
      "next\n"
      "box /finance/MONTHLY\n"
      "next\n"
      "next\n"
      "finish\n";
  options.terminalAnswers = {{"User name: ", "demo"}, {"Password: ", "demo"}};
  const ChildResult result = ChildProcess::WithTerminal(
      {BrindleServer::program("brpublish"), "--server", server_.reportAddress(), "--report",
       sample("sample-report.xml"), "--wizard", "--ui", "terminal"},
      options);
  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_NE(result.out.find("page 1 of 4"), std::string::npos) << result.out;
  // Each page, with the prompt after it, fits a terminal of 80 x 24.
  int screens = 0;
  for (std::size_t start = result.out.find("\n---"); start != std::string::npos;
       start = result.out.find("\n---", start + 1)) {
    const std::string screen = result.out.substr(start + 1, result.out.find("\n> ", start) + 3 - start - 1);
    EXPECT_TRUE(fixtures::fitsTerminal(screen));
    ++screens;
  }
  EXPECT_GE(screens, 4) << result.out;
  EXPECT_NE(result.out.find("A NewsItem was successfully published or updated."), std::string::npos)
      << result.out;
  const std::string id = lineValue(result.out, "NewsItemId");
  ASSERT_FALSE(id.empty()) << result.out;
  EXPECT_EQ(lineValue(result.out, "Portal"), server_.portalAddress());
  EXPECT_TRUE(temporaryFolderEmpty());

  const std::string page = portalPage();
  const std::size_t box = page.find("/Finance/Monthly");
  const std::size_t item = page.find("Wizard sales");
  ASSERT_NE(item, std::string::npos) << page;
  // The item is listed under its box: no other box comes between them.
  EXPECT_LT(box, item);
  EXPECT_GT(page.find("<li>/", box + 1), item) << page;
}

TEST_F(BrpublishTest, WizardWithoutTerminalSaysWhy) {
  const ChildResult result =
      brpublish({"--report", sample("sample-report.xml"), "--wizard", "--ui", "terminal"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("needs a terminal"), std::string::npos) << result.err;
}

TEST_F(BrpublishTest, WizardWindowWithoutADisplaySaysWhy) {
  struct Case {
    std::vector<std::string> environment;
    std::string why;
  };
  const std::vector<Case> cases = {
      {{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, "no display"},
      // A display number nobody serves: refused before Qt would end the process.
      {{"DISPLAY=:64999", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, "cannot open display :64999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ChildOptions options;
    options.environment = c.environment;
    options.environment.push_back("TMPDIR=" + tmp_);
    const ChildResult result = ChildProcess::Run({BrindleServer::program("brpublish"), "--server",
                                                  server_.reportAddress(), "--report", sample("sample-report.xml"),
                                                  "--wizard", "--ui", "window"},
                                                 options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    const bool loaded = result.err.find("cannot load the window driver") == std::string::npos;
    if (loaded) {
      EXPECT_NE(result.err.find(c.why), std::string::npos) << result.err;
    }
    EXPECT_TRUE(temporaryFolderEmpty());
  }
}

}  // namespace
