#pragma once
// The commands of bradmtool: their names, operands, options, help and what each runs.
#include <string>
#include <vector>

#include "tools/bradmtool/CommandContext.h"
#include "tools/support/CommandArguments.h"

struct CommandDefinition {
  enum class Session {
    LoggedIn,  // logs in (context.login()) once its operands are checked, out at the end
    PerCall,   // the library function opens its own connection
    None,      // no server at all
  };
  using Handler = void (*)(CommandContext& context, const CommandArguments& arguments);

  const char* name;      // "list", "mirrors add"
  const char* operands;  // "PATH [--depth N]", shown in the usage line
  const char* summary;   // one line for the command list
  const char* details;   // the rest of the command's help: what it does, its options
  std::vector<KnownOption> options;
  std::size_t minOperands;
  std::size_t maxOperands;  // SIZE_MAX: no limit
  Session session;
  Handler handler;
};

class BradmCommands {
 public:
  static const std::vector<CommandDefinition>& all();
  // Null when there is no command of that name.
  static const CommandDefinition* find(const std::string& name);
};
