#pragma once
// The options and operands of one parsed command line (see OptionTable, which parses it with
// CLI11): every value of every option given, in order, and the operands.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

struct KnownOption {
  const char* name;         // without the leading "--"
  bool takesValue = false;  // "--name VALUE" rather than a switch
};

class CommandArguments {
 public:
  CommandArguments() = default;
  CommandArguments(std::map<std::string, std::vector<std::string>> values,
                   std::vector<std::string> operands)
      : values_(std::move(values)), operands_(std::move(operands)) {}

  bool has(const std::string& name) const { return values_.count(name) != 0; }
  // The last value given for the option, or fallback when it was not given.
  std::string value(const std::string& name, const std::string& fallback = "") const;
  // Every value given for a repeatable option, in order.
  std::vector<std::string> values(const std::string& name) const;
  const std::vector<std::string>& operands() const { return operands_; }

  // A decimal 32-bit integer (optional sign); throws UsageError naming the option otherwise.
  static int parseInteger(const std::string& text, const std::string& what);

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> operands_;
};
