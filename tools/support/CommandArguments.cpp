#include "tools/support/CommandArguments.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "tools/support/UsageError.h"

namespace {

const KnownOption* findOption(const std::vector<KnownOption>& known, const std::string& name) {
  for (const KnownOption& option : known)
    if (name == option.name) return &option;
  return nullptr;
}

}  // namespace

CommandArguments::CommandArguments(const std::vector<std::string>& args, std::size_t first,
                                   const std::vector<KnownOption>& known, bool stopAtOperand) {
  bool optionsEnded = false;
  std::size_t i = first;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool looksLikeOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!looksLikeOption) {
      if (stopAtOperand) break;
      operands_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name;
    std::string inlineValue;
    bool hasInlineValue = false;
    if (arg == "-h") {
      name = "help";
    } else if (arg.compare(0, 2, "--") == 0) {
      const std::size_t equals = arg.find('=');
      name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
      if (equals != std::string::npos) {
        inlineValue = arg.substr(equals + 1);
        hasInlineValue = true;
      }
    } else {
      throw UsageError("unknown option '" + arg + "'");
    }
    const KnownOption* option = findOption(known, name);
    if (option == nullptr) throw UsageError("unknown option '--" + name + "'");
    if (!option->takesValue) {
      if (hasInlineValue) throw UsageError("option '--" + name + "' takes no value");
      values_[name].push_back("");
      continue;
    }
    if (!hasInlineValue) {
      if (i + 1 >= args.size()) throw UsageError("option '--" + name + "' needs a value");
      inlineValue = args[++i];
    }
    values_[name].push_back(inlineValue);
  }
  next_ = i;
}

std::string CommandArguments::value(const std::string& name, const std::string& fallback) const {
  const auto found = values_.find(name);
  return found == values_.end() ? fallback : found->second.back();
}

std::vector<std::string> CommandArguments::values(const std::string& name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? std::vector<std::string>() : found->second;
}

int CommandArguments::parseInteger(const std::string& text, const std::string& what) {
  if (text.empty()) throw UsageError(what + " must be a number, not an empty text");
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || std::isspace(static_cast<unsigned char>(text[0])) || value < INT_MIN || value > INT_MAX)
    throw UsageError(what + " must be a 32-bit decimal number, not '" + text + "'");
  return static_cast<int>(value);
}
