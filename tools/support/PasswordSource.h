#pragma once
// Where the tools take a password from, in this order (the first one given wins):
//
//   --password PW          on the command line (every user on the machine sees it in `ps`)
//   --password-file FILE   the file's first line
//   BRINDLE_PASSWORD       the environment variable, for scripts
//   the terminal           asked without echo on /dev/tty, when standard input is a terminal
//
// The environment and the prompt serve a user name given with --user; the first two may also
// stand alone where a tool accepts a password without a user.
#include <optional>
#include <string>

class PasswordSource {
 public:
  static constexpr const char* EnvironmentVariable = "BRINDLE_PASSWORD";

  // The password from the option, the file or (with a user) the environment, without asking;
  // nullopt when none of them gives one. Throws UsageError when the file cannot be read.
  static std::optional<std::string> given(const std::optional<std::string>& option,
                                          const std::optional<std::string>& file, bool forUser);

  // Asks for user's password on the controlling terminal with echo off (and restores the
  // terminal, also when a signal ends the program while it asks). Throws UsageError when
  // standard input is not a terminal or nothing was typed before the end of input.
  static std::string ask(const std::string& tool, const std::string& user);

  // The first line of the file, without its line end.
  static std::string firstLineOf(const std::string& file);
};
