#include "tools/support/FailureHints.h"

namespace {

const char* const PasswordOptions =
    "--password PW, --password-file FILE or BRINDLE_PASSWORD, or typed when asked on the terminal";

}  // namespace

std::string FailureHints::forReturnCode(int code) {
  switch (code) {
    case NotLoggedIn:
      return std::string("this server asks for a login: give --user NAME and its password (") +
             PasswordOptions + ")";
    case LoginRefused:
      return std::string("log in as a user this server knows: --user NAME and its password (") +
             PasswordOptions + ")";
    case FolderNotEmpty:
      return "add --recursive to remove the folder with everything in it";
    case OutsidePublishRoots:
      return "the server publishes only files inside its publish roots (its --publish-root, by "
             "default the system temporary folder); copy the report there";
    default:
      return "";
  }
}

std::string FailureHints::forRefusedSignOn() {
  return std::string("sign on as a user the server knows: --user NAME and its password (") +
         PasswordOptions + ")";
}
