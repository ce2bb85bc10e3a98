#include "tools/bradmtool/BradmTool.h"

#include <ostream>

#include "brindle/bradm.h"
#include "common/AttributeTreeException.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"
#include "tools/bradmtool/BradmCommands.h"
#include "tools/bradmtool/ToolFailure.h"
#include "tools/support/CommandArguments.h"
#include "tools/support/FailureHints.h"
#include "tools/support/UsageError.h"

namespace {

const std::vector<KnownOption> GlobalOptions = {
    {"server", true}, {"user", true}, {"password", true}, {"ticket", true},
    {"json", false},  {"help", false}, {"version", false},
};

// A global option given after the command wins over the same option given before it.
std::string setting(const CommandArguments& local, const CommandArguments& globals,
                    const std::string& name, const std::string& fallback = "") {
  return local.has(name) ? local.value(name) : globals.value(name, fallback);
}

bool given(const CommandArguments& local, const CommandArguments& globals, const std::string& name) {
  return local.has(name) || globals.has(name);
}

}  // namespace

int BradmTool::run(const std::vector<std::string>& args) {
  std::string where;
  try {
    const CommandArguments globals(args, 1, GlobalOptions, /*stopAtOperand=*/true);
    if (globals.has("version")) {
      out_ << "bradmtool " << BRINDLE_VERSION << '\n';
      return Success;
    }
    std::size_t next = globals.next();
    if (next == args.size()) {
      if (globals.has("help")) {
        printUsage(out_);
        return Success;
      }
      throw UsageError("no command given (see 'bradmtool --help')");
    }
    std::string name = args[next++];
    if (name == "help") {
      if (next == args.size()) {
        printUsage(out_);
        return Success;
      }
      name = args[next];
      if (name == "mirrors" && next + 1 < args.size()) name += " " + args[next + 1];
      const CommandDefinition* command = BradmCommands::find(name);
      if (command == nullptr && name != "mirrors") throw UsageError("no command '" + name + "'");
      if (command != nullptr) printCommandHelp(*command);
      else for (const char* sub : {"mirrors add", "mirrors remove"}) printCommandHelp(*BradmCommands::find(sub));
      return Success;
    }
    if (name == "mirrors") {
      if (next < args.size() && (args[next] == "add" || args[next] == "remove")) {
        name += " " + args[next++];
      } else if (next < args.size() && (args[next] == "--help" || args[next] == "-h")) {
        for (const char* sub : {"mirrors add", "mirrors remove"}) printCommandHelp(*BradmCommands::find(sub));
        return Success;
      } else {
        where = "mirrors";
        throw UsageError("needs 'add' or 'remove' (see 'bradmtool mirrors --help')");
      }
    }
    const CommandDefinition* command = BradmCommands::find(name);
    if (command == nullptr)
      throw UsageError("no command '" + name + "' (see 'bradmtool --help')");
    where = command->name;
    return runCommand(*command, args, next, globals);
  } catch (const UsageError& error) {
    return fail(where, error.what(), BadUsage);
  } catch (const ToolFailure& failure) {
    return fail(where, failure.what(), Failed, FailureHints::forReturnCode(failure.code()));
  } catch (const CEndofStreamException&) {
    return fail(where, "the server closed the connection", Failed);
  } catch (const CBRWebIOStreamException& failure) {
    return fail(where, std::string("connection to the server failed: ") + failure.what(), Failed);
  } catch (const NodeNotFoundException&) {
    return fail(where, "the server's reply lacks a field the command needs", Failed);
  } catch (const std::exception& failure) {
    return fail(where, failure.what(), Failed);
  } catch (...) {
    return fail(where, "unexpected failure", Failed);
  }
}

int BradmTool::runCommand(const CommandDefinition& command, const std::vector<std::string>& args,
                          std::size_t first, const CommandArguments& globals) {
  std::vector<KnownOption> known = command.options;
  known.insert(known.end(), GlobalOptions.begin(), GlobalOptions.end());
  const CommandArguments local(args, first, known);
  if (given(local, globals, "help")) {
    printCommandHelp(command);
    return Success;
  }
  if (given(local, globals, "version")) {
    out_ << "bradmtool " << BRINDLE_VERSION << '\n';
    return Success;
  }
  const std::size_t count = local.operands().size();
  if (count < command.minOperands)
    throw UsageError(std::string("missing operands; usage: bradmtool ") + command.name + " " +
                     command.operands);
  if (count > command.maxOperands)
    throw UsageError("unexpected operand '" + local.operands()[command.maxOperands] +
                     "'; usage: bradmtool " + command.name + " " + command.operands);

  CommandContext context{setting(local, globals, "server", DefaultServer), {},
                         given(local, globals, "json"), out_, err_, nullptr};
  Credentials& credentials = context.credentials;
  credentials.hasUser = given(local, globals, "user");
  credentials.hasPassword = given(local, globals, "password");
  credentials.hasTicket = given(local, globals, "ticket");
  credentials.user = setting(local, globals, "user");
  credentials.password = setting(local, globals, "password");
  credentials.ticket = setting(local, globals, "ticket");
  if (credentials.hasUser && !credentials.hasPassword)
    throw UsageError("--user needs --password");
  if (credentials.hasTicket && (credentials.hasUser || credentials.hasPassword))
    throw UsageError("give either --ticket or --user and --password, not both");
  if (context.server.empty()) throw UsageError("--server needs a HOST[:PORT]");

  // A command on the current session logs in itself once its operands are checked, so a
  // wrong operand is reported before any connection is made; the session ends with context.
  command.handler(context, local);
  out_.flush();
  return Success;
}

int BradmTool::fail(const std::string& where, const std::string& text, int status,
                    const std::string& hint) const {
  out_.flush();
  err_ << "bradmtool: " << (where.empty() ? "" : where + ": ") << text << '\n';
  if (!hint.empty()) err_ << "bradmtool: hint: " << hint << '\n';
  return status;
}

void BradmTool::printUsage(std::ostream& stream) const {
  stream << "usage: bradmtool [--server HOST[:PORT]] [--user NAME --password PW | --ticket T |\n"
            "                  --password PW] [--json] COMMAND [ARGS...]\n"
            "\n"
            "Administers a report server through libbradm.so. The server defaults to "
         << DefaultServer
         << ".\n"
            "Commands log in (with the credential given, or with none when the server asks for\n"
            "none), run one operation and log out. Trees print as an indented outline, or as\n"
            "JSON with --json. Failures print one line on standard error; the exit status is 0\n"
            "on success, 1 when the operation failed and 2 for a wrong command line.\n"
            "\n"
            "  -h, --help     this text; 'bradmtool COMMAND --help' explains one command\n"
            "  --version      print \"bradmtool VERSION\" and exit\n"
            "\n"
            "Commands:\n";
  for (const CommandDefinition& command : BradmCommands::all()) {
    std::string left = std::string(command.name) + " " + command.operands;
    const std::size_t cut = left.find(" [--");
    if (cut != std::string::npos) left = left.substr(0, cut) + " [OPTIONS]";
    stream << "  " << left << std::string(left.size() < 30 ? 30 - left.size() : 1, ' ')
           << command.summary << '\n';
  }
  stream << "\nRun 'bradmtool COMMAND --help' for a command's options.\n";
}

void BradmTool::printCommandHelp(const CommandDefinition& command) const {
  out_ << "usage: bradmtool [GLOBAL OPTIONS] " << command.name << " " << command.operands << "\n\n"
       << command.details;
  switch (command.session) {
    case CommandDefinition::Session::LoggedIn:
      out_ << "\nLogs in with the credential given (or none), runs, and logs out.\n";
      break;
    case CommandDefinition::Session::PerCall:
      out_ << "\nConnects for this one call without a login; credentials are not used.\n";
      break;
    case CommandDefinition::Session::None:
      out_ << "\nNeeds no server.\n";
      break;
  }
  out_ << "\nGlobal options (before or after the command): --server HOST[:PORT], "
          "--user NAME --password PW,\n--ticket T, --password PW, --json.\n";
}
