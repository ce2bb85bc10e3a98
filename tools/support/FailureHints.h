#pragma once
// The hints the tools add below a failure that people usually make themselves: what to type
// instead. Each is one sentence without the tool's name; "" when there is nothing to add.
#include <string>

class FailureHints {
 public:
  // Return codes of the report server with a usual cause on the caller's side.
  enum Code {
    NotLoggedIn = 9006,
    LoginRefused = 9007,
    FolderNotEmpty = 9008,
    OutsidePublishRoots = 9012,
  };

  // The hint for a return code of libbradm.so.
  static std::string forReturnCode(int code);
  // The hint for a sign-on that the security system refused.
  static std::string forRefusedSignOn();
};
