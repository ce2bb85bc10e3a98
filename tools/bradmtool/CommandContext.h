#pragma once
// What a bradmtool command runs with: the server, the credential, the output format, the two
// output streams, and the session, which a command opens once its operands are checked.
#include <iosfwd>
#include <memory>
#include <string>

#include "tools/bradmtool/ServerSession.h"
#include "tools/support/PasswordSource.h"

struct CommandContext {
  std::string server;
  Credentials credentials;
  bool json = false;
  std::ostream& out;
  std::ostream& err;
  std::unique_ptr<ServerSession> session;

  // Logs in (once), first asking for the password of a user given without one; throws
  // ToolFailure when the login fails, UsageError when there is no password to be had.
  void login() {
    if (session) return;
    if (credentials.hasUser && !credentials.hasPassword) {
      credentials.password = PasswordSource::ask("bradmtool", credentials.user);
      credentials.hasPassword = true;
    }
    session = std::make_unique<ServerSession>(server, credentials);
  }
};
