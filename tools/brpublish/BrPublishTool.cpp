#include "tools/brpublish/BrPublishTool.h"

#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>

#include "brindle/BRCUtil.h"
#include "brindle/bradm.h"
#include "platform/ui/CStringArray.h"
#include "platform/ui/CUiApp.h"
#include "tools/brpublish/PortalConnectionExtras.h"
#include "tools/brpublish/PublishSteps.h"
#include "tools/brpublish/ReportSnapshot.h"
#include "tools/brpublish/WizardUi.h"
#include "tools/support/CommandArguments.h"
#include "tools/support/FailureHints.h"
#include "tools/support/OptionTable.h"
#include "tools/support/PasswordSource.h"
#include "tools/support/UsageError.h"
#include "tools/support/WaitBound.h"

namespace {

const std::vector<KnownOption> Options = {
    {"server", true},   {"report", true},        {"name", true},        {"box", true},
    {"item", true},     {"portal", true},        {"description", true}, {"user", true},
    {"password", true}, {"password-file", true}, {"wizard", false},     {"quiet", false},
    {"help", false},    {"version", false}, {"ui", true},        {"timeout", true},
};

// The NewsItem name the wizard proposes: the report file's name without folder and extension.
std::string documentName(const std::string& reportFile) {
  std::string name = reportFile.substr(reportFile.find_last_of('/') + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

// The logon dialog of the wizard asks on the controlling terminal; without one it cancels.
bool hasControllingTerminal() {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// The report server reads the saved copy itself; an absolute path keeps messages clear.
std::string absolutePath(const std::string& file) {
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(file.c_str(), nullptr), &std::free);
  return resolved ? std::string(resolved.get()) : file;
}

}  // namespace

struct BrPublishTool::Request {
  std::string server;
  std::string reportFile;
  std::string name;
  std::string box;
  std::string item;
  std::string portal;
  std::string description;
  std::string user;
  std::string password;
  bool askPassword = false;  // --user without a password given: ask on the terminal
  bool wizard = false;
  std::string ui;
  int timeoutMs = WaitBound::DefaultSeconds * 1000;
};

int BrPublishTool::run(const std::vector<std::string>& args) {
  try {
    const CommandArguments arguments = parseCommandLine(args);
    if (arguments.has("help")) {
      printUsage();
      return Success;
    }
    if (arguments.has("version")) {
      out_ << "brpublish " << BRINDLE_VERSION << '\n';
      return Success;
    }
    Request request = parse(arguments);
    if (request.askPassword) request.password = PasswordSource::ask("brpublish", request.user);
    PublishSteps::setQuiet(arguments.has("quiet"));
    return publish(request);
  } catch (const UsageError& error) {
    err_ << "brpublish: " << error.what() << " (see 'brpublish --help')\n";
    return BadUsage;
  } catch (const std::exception& failure) {
    return fail(failure.what());
  }
}

CommandArguments BrPublishTool::parseCommandLine(const std::vector<std::string>& args) {
  CLI::App app{"", "brpublish"};
  app.set_help_flag();
  // Unknown options and operands are reported in the tool's own words.
  app.allow_extras();
  const OptionTable table(app, Options);
  OptionTable::parse(app, args);
  std::vector<std::string> operands;
  for (const std::string& extra : app.remaining()) {
    if (extra.size() > 1 && extra[0] == '-') throw UsageError("unknown option '" + extra + "'");
    operands.push_back(extra);
  }
  return table.collect(operands);
}

BrPublishTool::Request BrPublishTool::parse(const CommandArguments& arguments) const {
  if (!arguments.operands().empty())
    throw UsageError("unexpected operand '" + arguments.operands().front() + "'");
  Request request;
  request.server = arguments.value("server");
  request.reportFile = arguments.value("report");
  request.name = arguments.value("name");
  request.box = arguments.value("box");
  request.item = arguments.value("item");
  request.portal = arguments.value("portal");
  request.description = arguments.value("description");
  request.user = arguments.value("user");
  request.wizard = arguments.has("wizard");
  request.ui = arguments.value("ui");
  request.timeoutMs = WaitBound::milliseconds(arguments);
  if (arguments.has("ui") && !request.wizard) throw UsageError("--ui chooses where the wizard shows; add --wizard");
  WizardUi::Choose(request.ui);

  if (request.server.empty()) throw UsageError("--server HOST[:PORT] is required");
  if (request.reportFile.empty()) throw UsageError("--report FILE is required");
  if (!std::ifstream(request.reportFile, std::ios::binary))
    throw UsageError("cannot read the report file " + request.reportFile);
  request.reportFile = absolutePath(request.reportFile);
  const bool passwordGiven = arguments.has("password") || arguments.has("password-file");
  if (passwordGiven && !arguments.has("user"))
    throw UsageError("--password and --password-file go with --user");
  if (arguments.has("password") && arguments.has("password-file"))
    throw UsageError("give either --password or --password-file, not both");
  if (arguments.has("item") && request.item.empty()) throw UsageError("--item needs an Id");
  if (request.wizard) {
    if (arguments.has("user"))
      throw UsageError("the wizard signs on through the logon dialog; drop --user and --password");
    if (arguments.has("box")) throw UsageError("the wizard asks for the NewsBox; drop --box");
    return request;
  }
  if (arguments.has("user")) {
    const auto option = arguments.has("password") ? std::optional<std::string>(arguments.value("password"))
                                                  : std::nullopt;
    const auto file = arguments.has("password-file")
                          ? std::optional<std::string>(arguments.value("password-file"))
                          : std::nullopt;
    const std::optional<std::string> password = PasswordSource::given(option, file, true);
    request.password = password.value_or("");
    request.askPassword = !password;
  }
  if (request.item.empty()) {
    if (request.name.empty() || request.box.empty())
      throw UsageError("a new NewsItem needs --name NAME and --box FULLNAME (or --item ID)");
  } else if (arguments.has("name") || arguments.has("box")) {
    throw UsageError("--item republishes a known NewsItem; --name and --box do not apply");
  }
  return request;
}

int BrPublishTool::publish(const Request& request) {
  ReportSnapshot snapshot(request.reportFile);
  CString portal(request.portal.c_str());
  CString newsItemId(request.item.c_str());
  CString error;
  unsigned char published = 0;

  besSetTimeouts(request.timeoutMs, request.timeoutMs);
  PortalConnectionExtras::setTimeouts(request.timeoutMs, request.timeoutMs);
  if (!request.portal.empty()) PublishSteps::report("using the portal " + request.portal);
  const std::string signOn =
      request.user.empty() ? "signing on (the logon dialog asks for the user)"
                           : "signing on as " + request.user;
  if (request.wizard) {
    const WizardUi::Kind where = WizardUi::Choose(request.ui);
    if (where == WizardUi::Kind::Terminal && !hasControllingTerminal())
      return fail("the wizard signs on through the logon dialog, which needs a terminal (this "
                  "process has none)");
    WizardUi ui(where, in_, out_);
    CUiDriverScope scope(ui.driver());
    PublishSteps::report(signOn);
    CStringArray lineKeys;
    CStringArray lineNames;
    CPromptProperties options;
    std::uint32_t pdfOptions = 0;
    const std::string name = request.name.empty() ? documentName(request.reportFile) : request.name;
    published = brPublishToLumora2(nullptr, name.c_str(),
                                   request.server.c_str(), &portal, &ReportSnapshot::SaveReport, 0,
                                   &lineKeys, &lineNames, &options, &pdfOptions, 0, &newsItemId);
    if (!published) error = "the wizard did not publish (cancelled, or ended before Finish)";
  } else if (request.item.empty()) {
    PublishSteps::report(signOn + ", then creating the NewsItem \"" + request.name + "\" in " +
                         request.box);
    published = brPublishToLumoraNoUi(request.name.c_str(), request.description.c_str(),
                                      request.box.c_str(), request.server.c_str(), &portal,
                                      &ReportSnapshot::SaveReport, 0, request.user.c_str(),
                                      request.password.c_str(), &error, &newsItemId);
  } else {
    PublishSteps::report(signOn + ", then republishing the NewsItem " + request.item);
    published = brRepublishToLumoraNoUi(request.description.c_str(), request.server.c_str(),
                                        &portal, &ReportSnapshot::SaveReport, 0,
                                        request.user.c_str(), request.password.c_str(), &error,
                                        &newsItemId);
  }

  if (!published) {
    const std::string reason =
        error.IsEmpty() ? "publishing failed, and the library gave no text for it" : error.GetString();
    return fail(reason, hintFor(reason), underlyingReasons());
  }
  PublishSteps::report("done");
  out_ << "NewsItemId=" << newsItemId.GetString() << "\nPortal=" << portal.GetString() << '\n';
  out_.flush();
  return Success;
}

std::string BrPublishTool::hintFor(const std::string& reason) {
  // The library's own text for a sign-on the security system refused.
  if (reason.rfind("Login to Sentrel failed", 0) == 0) return FailureHints::forRefusedSignOn();
  return FailureHints::forReturnCode(PublishSteps::lastFailedReturnCode());
}

// What the report server's library and the portal connection library said of their last
// failures, beneath the publishing library's own text.
std::vector<std::string> BrPublishTool::underlyingReasons() {
  std::vector<std::string> reasons;
  for (const std::string& reason : {PublishSteps::lastReason(), PortalConnectionExtras::lastReason()}) {
    if (reason.empty()) continue;
    const std::string advised = WaitBound::withTimeoutAdvice(reason, "the right server");
    if (std::find(reasons.begin(), reasons.end(), advised) == reasons.end()) reasons.push_back(advised);
  }
  return reasons;
}

int BrPublishTool::fail(const std::string& reason, const std::string& hint,
                        const std::vector<std::string>& because) {
  out_.flush();
  err_ << "brpublish: " << reason << '\n';
  for (const std::string& cause : because) err_ << "brpublish: reason: " << cause << '\n';
  if (!hint.empty()) err_ << "brpublish: hint: " << hint << '\n';
  return Failed;
}

void BrPublishTool::printUsage() const {
  out_ << "usage: brpublish --server HOST[:PORT] --report FILE\n"
          "                 [--name NAME --box FULLNAME | --item ID] [--portal HOST:PORT]\n"
          "                 [--description TEXT] [--user NAME [--password PW | --password-file FILE]]\n"
          "                 [--wizard [--ui window|terminal]] [--timeout SECONDS] [--quiet]\n"
          "\n"
          "Publishes a report file (a report saved as XML) to the portal as a NewsItem, the way\n"
          "the desktop host does, through libBRCUtil.so.\n"
          "\n"
          "  --server HOST[:PORT]  the report server (port 8010 when none is given)\n"
          "  --report FILE         the report; each save copies it to a fresh temporary file\n"
          "  --name NAME           the new NewsItem's name\n"
          "  --box FULLNAME        its NewsBox, by full name (\"/Sales/Europe\"), any letter case\n"
          "  --item ID             publish again to the known NewsItem ID and update it\n"
          "  --portal HOST:PORT    the portal (read from the report server when not given)\n"
          "  --description TEXT    the NewsItem's and the report's description\n"
          "  --user NAME           the user to sign on as (without it the logon dialog asks for\n"
          "                        user and password); the password is the first given of:\n"
          "    --password PW         the option (every user of the machine sees it in ps),\n"
          "    --password-file FILE  the file's first line,\n"
          "    BRINDLE_PASSWORD      the environment variable, for scripts,\n"
          "                          or else asked on the terminal, without echo, when\n"
          "                          standard input is a terminal\n"
          "  --wizard              run the publishing wizard (in the terminal, type '?' there\n"
          "                        for its commands); it signs on through the logon dialog,\n"
          "                        asks for the NewsBox and proposes --name (or the file's name)\n"
          "  --ui window|terminal  where the wizard shows: in a window (the default when\n"
          "                        DISPLAY or WAYLAND_DISPLAY is set; needs Qt 6 and\n"
          "                        libbrui-qt.so) or in the terminal\n"
          "  --timeout SECONDS     give up when connecting to the report server or the portal,\n"
          "                        or waiting for one of their answers, takes longer (default\n"
          "                        60; 0 waits for ever)\n"
          "  --quiet               do not report the steps\n"
          "  -h, --help            this text\n"
          "  --version             print \"brpublish VERSION\" and exit\n"
          "\n"
          "Steps are reported on standard error as they happen. On success two lines go to\n"
          "standard output: NewsItemId=ID and Portal=HOST:PORT. On failure the reason goes to\n"
          "standard error and the exit status is 1.\n";
}
