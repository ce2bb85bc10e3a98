#pragma once
// What a bradmtool command runs with: the server, the credential, the output format, the two
// output streams, and the session, which a command opens once its operands are checked.
#include <iosfwd>
#include <memory>
#include <string>

#include "tools/bradmtool/ServerSession.h"

struct CommandContext {
  std::string server;
  Credentials credentials;
  bool json = false;
  std::ostream& out;
  std::ostream& err;
  std::unique_ptr<ServerSession> session;

  // Logs in (once); throws ToolFailure when the login fails.
  void login() {
    if (!session) session = std::make_unique<ServerSession>(server, credentials);
  }
};
