#pragma once
// The options and operands of one command line, parsed against the options the command knows.
//
// Options are long ("--depth 2" or "--depth=2"); "-h" stands for "--help". "--" ends the
// options, so an operand may begin with "-". Options and operands may be mixed unless the
// parse is told to stop at the first operand (the tools do that for the options before a
// command name).
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
  // Parses args[first...]. Throws UsageError for an unknown option or a missing value.
  // With stopAtOperand the parse ends before the first operand; next() tells where.
  CommandArguments(const std::vector<std::string>& args, std::size_t first,
                   const std::vector<KnownOption>& known, bool stopAtOperand = false);

  bool has(const std::string& name) const { return values_.count(name) != 0; }
  // The last value given for the option, or fallback when it was not given.
  std::string value(const std::string& name, const std::string& fallback = "") const;
  // Every value given for a repeatable option, in order.
  std::vector<std::string> values(const std::string& name) const;
  const std::vector<std::string>& operands() const { return operands_; }
  // Index of the first argument the parse did not take (args.size() when it took them all).
  std::size_t next() const { return next_; }

  // A decimal 32-bit integer (optional sign); throws UsageError naming the option otherwise.
  static int parseInteger(const std::string& text, const std::string& what);

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> operands_;
  std::size_t next_ = 0;
};
