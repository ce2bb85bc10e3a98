#pragma once
// bradmtool's command line parsed with CLI11: the global options (before or after the
// command), the command with its own options and operands, or the help asked for.
//
// Every command of BradmCommands is a subcommand ("mirrors add" one below "mirrors"); global
// options given after the command reach the top (a later value wins), "--" ends the options.
#include <string>
#include <vector>

#include "tools/support/CommandArguments.h"

struct CommandDefinition;

struct ParsedCommandLine {
  CommandArguments globals;
  const CommandDefinition* command = nullptr;  // null when no command was named
  CommandArguments local;                      // the command's own options and its operands
  bool helpCommand = false;                    // "help [COMMAND...]"
  std::vector<std::string> helpTopic;          // help's operands
  bool mirrorsAlone = false;                   // "mirrors" without "add" or "remove"
};

class BradmCommandLine {
 public:
  static const std::vector<KnownOption>& globalOptions();

  // Throws UsageError for a command line that cannot be run as written; where names the
  // command it was found in (empty before one), for the message.
  static ParsedCommandLine parse(const std::vector<std::string>& args, std::string& where);
};
