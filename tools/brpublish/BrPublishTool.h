#pragma once
// brpublish's command line and its three ways to publish: a new NewsItem without a window
// (brPublishToLumoraNoUi), the known NewsItem again (brRepublishToLumoraNoUi), or the wizard
// (brPublishToLumora2) shown in the terminal.
//
// Exit status: 0 published, 1 the publication failed, 2 the command line is wrong.
#include <iosfwd>
#include <string>
#include <vector>

class CommandArguments;

class BrPublishTool {
 public:
  static constexpr int Success = 0;
  static constexpr int Failed = 1;
  static constexpr int BadUsage = 2;

  BrPublishTool(std::istream& in, std::ostream& out, std::ostream& err)
      : in_(in), out_(out), err_(err) {}

  int run(const std::vector<std::string>& args);

 private:
  struct Request;
  static CommandArguments parseCommandLine(const std::vector<std::string>& args);
  Request parse(const CommandArguments& arguments) const;
  int publish(const Request& request);
  void printUsage() const;
  // The one place a failure is printed: the reason on one line, a line "reason: ..." for each
  // underlying cause, and a line "hint: ..." when there is one. Returns the exit status for a
  // failed publication.
  int fail(const std::string& reason, const std::string& hint = "",
           const std::vector<std::string>& because = {});
  static std::string hintFor(const std::string& reason);
  static std::vector<std::string> underlyingReasons();

  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
};
