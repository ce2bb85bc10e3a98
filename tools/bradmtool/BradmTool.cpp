#include "tools/bradmtool/BradmTool.h"

#include <optional>
#include <ostream>

#include "brindle/bradm.h"
#include "common/AttributeTreeException.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"
#include "tools/bradmtool/BradmCommandLine.h"
#include "tools/bradmtool/BradmCommands.h"
#include "tools/bradmtool/ToolFailure.h"
#include "tools/support/CommandArguments.h"
#include "tools/support/FailureHints.h"
#include "tools/support/PasswordSource.h"
#include "tools/support/UsageError.h"
#include "tools/support/WaitBound.h"

namespace {

std::optional<std::string> optional(const CommandArguments& arguments, const std::string& name) {
  if (!arguments.has(name)) return std::nullopt;
  return arguments.value(name);
}

}  // namespace

int BradmTool::run(const std::vector<std::string>& args) {
  std::string where;
  try {
    const ParsedCommandLine line = BradmCommandLine::parse(args, where);
    const CommandArguments& globals = line.globals;
    if (globals.has("version")) {
      out_ << "bradmtool " << BRINDLE_VERSION << '\n';
      return Success;
    }
    if (line.helpCommand) return printHelpTopic(line.helpTopic);
    if (line.mirrorsAlone) {
      if (!globals.has("help"))
        throw UsageError("needs 'add' or 'remove' (see 'bradmtool mirrors --help')");
      printMirrorsHelp();
      return Success;
    }
    if (line.command == nullptr) {
      if (!globals.has("help")) throw UsageError("no command given (see 'bradmtool --help')");
      printUsage(out_);
      return Success;
    }
    return runCommand(*line.command, line.local, globals);
  } catch (const UsageError& error) {
    return fail(where, error.what(), BadUsage);
  } catch (const ToolFailure& failure) {
    return fail(where, failure.what(), Failed, FailureHints::forReturnCode(failure.code()));
  } catch (const CEndofStreamException&) {
    return fail(where, transportReason("the server closed the connection"), Failed);
  } catch (const CBRWebIOStreamException& failure) {
    return fail(where, transportReason(std::string("connection to the server failed: ") + failure.what()),
                Failed);
  } catch (const NodeNotFoundException&) {
    return fail(where, "the server's reply lacks a field the command needs", Failed);
  } catch (const std::exception& failure) {
    return fail(where, failure.what(), Failed);
  } catch (...) {
    return fail(where, "unexpected failure", Failed);
  }
}

// The library's reason for a transport failure, with advice when a wait ran out; fallback when
// it gave none.
std::string BradmTool::transportReason(const std::string& fallback) {
  const std::string reason = ReturnCodeMessages::lastReason();
  if (reason.empty()) return fallback;
  return WaitBound::withTimeoutAdvice(reason, "the report server's port");
}

int BradmTool::printHelpTopic(const std::vector<std::string>& topic) {
  if (topic.empty()) {
    printUsage(out_);
    return Success;
  }
  std::string name = topic[0];
  if (name == "mirrors" && topic.size() > 1) name += " " + topic[1];
  if (name == "mirrors") {
    printMirrorsHelp();
    return Success;
  }
  const CommandDefinition* command = BradmCommands::find(name);
  if (command == nullptr) throw UsageError("no command '" + name + "'");
  printCommandHelp(*command);
  return Success;
}

int BradmTool::runCommand(const CommandDefinition& command, const CommandArguments& local,
                          const CommandArguments& globals) {
  if (globals.has("help")) {
    printCommandHelp(command);
    return Success;
  }
  const std::size_t count = local.operands().size();
  if (count < command.minOperands)
    throw UsageError(std::string("missing operands; usage: bradmtool ") + command.name + " " +
                     command.operands);
  if (count > command.maxOperands)
    throw UsageError("unexpected operand '" + local.operands()[command.maxOperands] +
                     "'; usage: bradmtool " + command.name + " " + command.operands);

  CommandContext context{globals.value("server", DefaultServer), {}, globals.has("json"), out_,
                         err_, nullptr};
  Credentials& credentials = context.credentials;
  credentials.hasUser = globals.has("user");
  credentials.hasTicket = globals.has("ticket");
  credentials.user = globals.value("user");
  credentials.ticket = globals.value("ticket");
  const std::optional<std::string> passwordOption = optional(globals, "password");
  const std::optional<std::string> passwordFile = optional(globals, "password-file");
  if (credentials.hasTicket && (credentials.hasUser || passwordOption || passwordFile))
    throw UsageError("give either --ticket or --user and a password, not both");
  if (passwordOption && passwordFile)
    throw UsageError("give either --password or --password-file, not both");
  // A user without any password given is asked on the terminal once the command logs in.
  const std::optional<std::string> password =
      PasswordSource::given(passwordOption, passwordFile, credentials.hasUser);
  credentials.hasPassword = password.has_value();
  credentials.password = password.value_or("");
  if (context.server.empty()) throw UsageError("--server needs a HOST[:PORT]");
  const int bound = WaitBound::milliseconds(globals);
  besSetTimeouts(bound, bound);

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
  stream << "usage: bradmtool [--server HOST[:PORT]] [--user NAME [--password PW | --password-file FILE]\n"
            "                  | --ticket T | --password PW] [--json] [--timeout SECONDS]\n"
            "                 COMMAND [ARGS...]\n"
            "\n"
            "Administers a report server through libbradm.so. Commands log in (with the\n"
            "credential given, or with none when the server asks for none), run one operation\n"
            "and log out. Trees print as an indented outline, or as JSON with --json. Failures\n"
            "print one line on standard error (and a line \"hint: ...\" for the usual mistakes);\n"
            "the exit status is 0 on success, 1 when the operation failed and 2 for a wrong\n"
            "command line.\n"
            "\n"
            "  --server HOST[:PORT]  the report server (default "
         << DefaultServer
         << ")\n"
            "  --user NAME           log in as this user, with the first password given of:\n"
            "    --password PW         the option (every user of the machine sees it in ps),\n"
            "    --password-file FILE  the file's first line,\n"
            "    BRINDLE_PASSWORD      the environment variable, for scripts,\n"
            "                          or else asked on the terminal, without echo, when\n"
            "                          standard input is a terminal\n"
            "  --ticket T            log in with a ticket instead: the security library\n"
            "                        (SentrelAPI) issues one when a user signs on, as a host\n"
            "                        does before it publishes; bradmtool cannot get one itself\n"
            "  --password PW         alone (or --password-file alone): the old password login,\n"
            "                        without a user\n"
            "  --json                print trees and results as JSON\n"
            "  --timeout SECONDS     give up when connecting, or waiting for an answer, takes\n"
            "                        longer (default 60; 0 waits for ever)\n"
            "  -h, --help            this text; 'bradmtool COMMAND --help' explains a command\n"
            "  --version             print \"bradmtool VERSION\" and exit\n"
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

void BradmTool::printMirrorsHelp() const {
  for (const char* sub : {"mirrors add", "mirrors remove"}) printCommandHelp(*BradmCommands::find(sub));
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
  out_ << "\nGlobal options (before or after the command): --server HOST[:PORT], --user NAME\n"
          "[--password PW | --password-file FILE], --ticket T, --password PW, --json,\n"
          "--timeout SECONDS;\n"
          "see 'bradmtool --help'.\n";
}
