#include "tools/support/OptionTable.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "tools/support/UsageError.h"

namespace {

// CLI11's text for a refused command line, on one line; a missing value in our words.
std::string usageText(const CLI::ParseError& error) {
  std::string text = error.what();
  const std::string missing = " missing";
  if (error.get_name() == "ArgumentMismatch" && text.rfind("--", 0) == 0 &&
      text.size() > missing.size() && text.compare(text.size() - missing.size(), missing.size(), missing) == 0)
    return "option '" + text.substr(0, text.find(':')) + "' needs a value";
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

}  // namespace

OptionTable::OptionTable(CLI::App& app, const std::vector<KnownOption>& known) {
  for (const KnownOption& option : known) {
    std::string names = std::string("--") + option.name;
    if (names == "--help") names = "-h,--help";
    CLI::Option* registered =
        option.takesValue
            ? app.add_option(names)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
            : app.add_flag(names);
    options_.emplace_back(option, registered);
  }
}

CommandArguments OptionTable::collect(std::vector<std::string> operands) const {
  std::map<std::string, std::vector<std::string>> values;
  for (const auto& [option, registered] : options_) {
    if (registered->count() == 0) continue;
    values[option.name] = option.takesValue
                              ? registered->results()
                              : std::vector<std::string>(registered->count(), std::string());
  }
  return CommandArguments(std::move(values), std::move(operands));
}

void OptionTable::parse(CLI::App& app, const std::vector<std::string>& args) {
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  if (!reversed.empty()) reversed.pop_back();
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& error) {
    throw UsageError(usageText(error));
  }
}
