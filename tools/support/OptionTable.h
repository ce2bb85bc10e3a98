#pragma once
// The options one command line (or one subcommand) knows, registered with a CLI11 app, and
// read back after the parse as CommandArguments: every value of every option given, in order.
//
// Options are long ("--depth 2" or "--depth=2"); the option "help" also answers to "-h".
#include <string>
#include <utility>
#include <vector>

#include "tools/support/CommandArguments.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

class OptionTable {
 public:
  OptionTable(CLI::App& app, const std::vector<KnownOption>& known);

  // What the parse found for these options, with the operands given.
  CommandArguments collect(std::vector<std::string> operands = {}) const;

  // Parses args[1...] (args[0] is the program) with the app; throws UsageError with a one-line
  // text when CLI11 refuses the command line.
  static void parse(CLI::App& app, const std::vector<std::string>& args);

 private:
  std::vector<std::pair<KnownOption, CLI::Option*>> options_;
};
