#pragma once
// A logged-in session of libbradm.so for the lifetime of the object: the constructor logs in
// with the credential given (or with none, which suffices for a server that asks for none),
// the destructor logs out.
#include <string>

struct Credentials {
  std::string user;
  std::string password;
  std::string ticket;
  bool hasUser = false;
  bool hasPassword = false;
  bool hasTicket = false;
};

class ServerSession {
 public:
  // Throws ToolFailure when the login fails.
  ServerSession(const std::string& server, const Credentials& credentials);
  ~ServerSession();
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;
};
