#include "tools/HttpGet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

HttpReply httpGet(int port, const std::string& target, int timeoutMs) {
  HttpReply reply;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return reply;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return reply;
  }
  const std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(port) + "\r\nConnection: close\r\n\r\n";
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    ::close(fd);
    return reply;
  }
  std::string raw;
  char buffer[8192];
  for (;;) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    raw.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  const std::size_t headerEnd = raw.find("\r\n\r\n");
  if (raw.compare(0, 5, "HTTP/") != 0 || headerEnd == std::string::npos) return reply;
  reply.status = std::atoi(raw.c_str() + raw.find(' ') + 1);
  reply.body = raw.substr(headerEnd + 4);
  return reply;
}
