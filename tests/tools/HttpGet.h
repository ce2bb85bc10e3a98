#pragma once
// One HTTP/1.1 GET on loopback, for reading the portal's pages in tests. Bounded by a
// timeout; the connection is closed after the reply.
#include <string>

struct HttpReply {
  int status = 0;  // 0 when no reply could be read
  std::string body;
};

HttpReply httpGet(int port, const std::string& target, int timeoutMs = 5000);
