#pragma once
// bradmtool's command line: the options before the command, the command and its options, the
// help texts, and the turning of every failure into one line on standard error.
//
// Exit status: 0 success, 1 the operation failed, 2 the command line is wrong.
#include <iosfwd>
#include <string>
#include <vector>

struct CommandDefinition;

class BradmTool {
 public:
  static constexpr const char* DefaultServer = "127.0.0.1:8010";
  static constexpr int Success = 0;
  static constexpr int Failed = 1;
  static constexpr int BadUsage = 2;

  BradmTool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  int run(const std::vector<std::string>& args);

 private:
  int runCommand(const CommandDefinition& command, const class CommandArguments& local,
                 const CommandArguments& globals);
  int printHelpTopic(const std::vector<std::string>& topic);
  void printUsage(std::ostream& stream) const;
  void printCommandHelp(const CommandDefinition& command) const;
  void printMirrorsHelp() const;
  static std::string transportReason(const std::string& fallback);
  // The one place a failure is printed: one line, and a line "hint: ..." when there is one.
  int fail(const std::string& where, const std::string& text, int status,
           const std::string& hint = "") const;

  std::ostream& out_;
  std::ostream& err_;
};
