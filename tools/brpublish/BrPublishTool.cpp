#include "tools/brpublish/BrPublishTool.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <ostream>

#include "brindle/BRCUtil.h"
#include "platform/ui/CStringArray.h"
#include "platform/ui/CUiApp.h"
#include "brindle/BRCUtil.h"
#include "tools/brpublish/PublishSteps.h"
#include "tools/brpublish/ReportSnapshot.h"
#include "tools/brpublish/WizardUi.h"
#include "tools/support/CommandArguments.h"
#include "tools/support/UsageError.h"

namespace {

const std::vector<KnownOption> Options = {
    {"server", true}, {"report", true},      {"name", true},     {"box", true},
    {"item", true},   {"portal", true},      {"description", true}, {"user", true},
    {"password", true}, {"wizard", false},   {"quiet", false},   {"help", false},
    {"ui", true},
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
  bool wizard = false;
  std::string ui;
};

int BrPublishTool::run(const std::vector<std::string>& args) {
  try {
    const CommandArguments arguments(args, 1, Options);
    if (arguments.has("help")) {
      printUsage();
      return Success;
    }
    const Request request = parse(arguments);
    PublishSteps::setQuiet(arguments.has("quiet"));
    return publish(request);
  } catch (const UsageError& error) {
    err_ << "brpublish: " << error.what() << " (see 'brpublish --help')\n";
    return BadUsage;
  } catch (const std::exception& failure) {
    err_ << "brpublish: " << failure.what() << '\n';
    return Failed;
  }
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
  request.password = arguments.value("password");
  request.wizard = arguments.has("wizard");
  request.ui = arguments.value("ui");
  if (arguments.has("ui") && !request.wizard) throw UsageError("--ui chooses where the wizard shows; add --wizard");
  WizardUi::Choose(request.ui);

  if (request.server.empty()) throw UsageError("--server HOST[:PORT] is required");
  if (request.reportFile.empty()) throw UsageError("--report FILE is required");
  if (!std::ifstream(request.reportFile, std::ios::binary))
    throw UsageError("cannot read the report file " + request.reportFile);
  request.reportFile = absolutePath(request.reportFile);
  if (arguments.has("user") != arguments.has("password"))
    throw UsageError("--user and --password go together");
  if (arguments.has("item") && request.item.empty()) throw UsageError("--item needs an Id");
  if (request.wizard) {
    if (arguments.has("user"))
      throw UsageError("the wizard signs on through the logon dialog; drop --user and --password");
    if (arguments.has("box")) throw UsageError("the wizard asks for the NewsBox; drop --box");
    return request;
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

  if (!request.portal.empty()) PublishSteps::report("using the portal " + request.portal);
  const std::string signOn =
      request.user.empty() ? "signing on (the logon dialog asks for the user)"
                           : "signing on as " + request.user;
  if (request.wizard) {
    const WizardUi::Kind where = WizardUi::Choose(request.ui);
    if (where == WizardUi::Kind::Terminal && !hasControllingTerminal()) {
      err_ << "brpublish: the wizard signs on through the logon dialog, which needs a terminal "
              "(this process has none)\n";
      return Failed;
    }
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
    err_ << "brpublish: "
         << (error.IsEmpty() ? "publishing failed, and the library gave no reason" : error.GetString())
         << '\n';
    return Failed;
  }
  PublishSteps::report("done");
  out_ << "NewsItemId=" << newsItemId.GetString() << "\nPortal=" << portal.GetString() << '\n';
  out_.flush();
  return Success;
}

void BrPublishTool::printUsage() const {
  out_ << "usage: brpublish --server HOST[:PORT] --report FILE\n"
          "                 [--name NAME --box FULLNAME | --item ID] [--portal HOST:PORT]\n"
          "                 [--description TEXT] [--user NAME --password PW]\n"
          "                 [--wizard [--ui window|terminal]] [--quiet]\n"
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
          "  --user, --password    the user to sign on as; without them the logon dialog asks\n"
          "  --wizard              run the publishing wizard (in the terminal, type '?' there\n"
          "                        for its commands); it signs on through the logon dialog,\n"
          "                        asks for the NewsBox and proposes --name (or the file's name)\n"
          "  --ui window|terminal  where the wizard shows: in a window (the default when\n"
          "                        DISPLAY or WAYLAND_DISPLAY is set; needs Qt 6 and\n"
          "                        libbrui-qt.so) or in the terminal\n"
          "  --quiet               do not report the steps\n"
          "\n"
          "Steps are reported on standard error as they happen. On success two lines go to\n"
          "standard output: NewsItemId=ID and Portal=HOST:PORT. On failure the reason goes to\n"
          "standard error and the exit status is 1.\n";
}
