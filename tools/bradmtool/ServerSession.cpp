#include "tools/bradmtool/ServerSession.h"

#include "brindle/bradm.h"
#include "tools/bradmtool/ToolFailure.h"

ServerSession::ServerSession(const std::string& server, const Credentials& credentials) {
  std::int32_t code = 0;
  if (credentials.hasTicket)
    code = besLoginTicket(server.c_str(), credentials.ticket.c_str());
  else if (credentials.hasUser)
    code = besLoginUserPassword(server.c_str(), credentials.user.c_str(),
                                credentials.password.c_str());
  else
    code = besLogin(server.c_str(), credentials.hasPassword ? credentials.password.c_str()
                                                            : nullptr);
  ToolFailure::check(code, "login to " + server + " failed");
}

ServerSession::~ServerSession() { besLogout(); }
