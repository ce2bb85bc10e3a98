#include "tools/bradmtool/BradmCommandLine.h"

#include <CLI/CLI.hpp>

#include <memory>

#include "tools/bradmtool/BradmCommands.h"
#include "tools/support/OptionTable.h"
#include "tools/support/UsageError.h"

namespace {

struct Subcommand {
  const CommandDefinition* command = nullptr;
  CLI::App* app = nullptr;
  std::unique_ptr<OptionTable> options;
  std::vector<std::string> operands;
};

// One command a line: global options after it go up to the top, and once it is named its
// operands may have any name, that of another command too.
CLI::App* prepared(CLI::App* app) {
  app->fallthrough();
  app->set_help_flag();
  app->require_subcommand(0, 1);
  return app;
}

}  // namespace

const std::vector<KnownOption>& BradmCommandLine::globalOptions() {
  static const std::vector<KnownOption> options = {
      {"server", true}, {"user", true},  {"password", true}, {"password-file", true},
      {"ticket", true}, {"json", false}, {"help", false},    {"version", false},
      {"timeout", true},
  };
  return options;
}

ParsedCommandLine BradmCommandLine::parse(const std::vector<std::string>& args, std::string& where) {
  CLI::App app{"", "bradmtool"};
  prepared(&app);
  // Unknown words and options are reported below, in the tool's own words.
  app.allow_extras();
  const OptionTable globals(app, globalOptions());

  std::vector<std::unique_ptr<Subcommand>> subcommands;
  CLI::App* mirrors = nullptr;
  for (const CommandDefinition& command : BradmCommands::all()) {
    std::string name = command.name;
    CLI::App* parent = &app;
    const std::size_t space = name.find(' ');
    if (space != std::string::npos) {
      if (mirrors == nullptr) mirrors = prepared(app.add_subcommand(name.substr(0, space)));
      parent = mirrors;
      name = name.substr(space + 1);
    }
    auto subcommand = std::make_unique<Subcommand>();
    subcommand->command = &command;
    subcommand->app = prepared(parent->add_subcommand(name));
    subcommand->options = std::make_unique<OptionTable>(*subcommand->app, command.options);
    subcommand->app->add_option("operands", subcommand->operands);
    subcommands.push_back(std::move(subcommand));
  }
  ParsedCommandLine parsed;
  CLI::App* help = prepared(app.add_subcommand("help"));
  help->add_option("topic", parsed.helpTopic);

  const auto findCommand = [&] {
    for (const auto& subcommand : subcommands) {
      if (!subcommand->app->parsed()) continue;
      parsed.command = subcommand->command;
      where = subcommand->command->name;
      parsed.local = subcommand->options->collect(subcommand->operands);
    }
    if (parsed.command == nullptr && mirrors != nullptr && mirrors->parsed()) {
      parsed.mirrorsAlone = true;
      where = "mirrors";
    }
  };
  try {
    OptionTable::parse(app, args);
  } catch (const UsageError&) {
    findCommand();
    throw;
  }
  findCommand();
  parsed.globals = globals.collect();
  parsed.helpCommand = help->parsed();

  const std::vector<std::string> extras = app.remaining();
  if (!extras.empty()) {
    const std::string& first = extras.front();
    if (first.size() > 1 && first[0] == '-') throw UsageError("unknown option '" + first + "'");
    if (parsed.mirrorsAlone)
      throw UsageError("needs 'add' or 'remove', not '" + first + "' (see 'bradmtool mirrors --help')");
    if (parsed.command == nullptr && !parsed.helpCommand)
      throw UsageError("no command '" + first + "' (see 'bradmtool --help')");
    throw UsageError("unexpected operand '" + first + "'");
  }
  return parsed;
}
