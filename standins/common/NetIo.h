#pragma once
// Socket helpers of the stand-ins: IPv4 TCP over POSIX. send never raises SIGPIPE and EINTR is
// retried everywhere.
#include <cstddef>
#include <cstdint>
#include <string>

#include "standins/common/UniqueFd.h"

namespace netio {

// Connects to host:port within timeoutMs (-1: no bound); an invalid descriptor and a message on
// failure, and there the system's error number when errorNumber is given (0 for a failed look-up).
UniqueFd connectTcp(const std::string& host, std::uint16_t port, int timeoutMs, std::string& error,
                    int* errorNumber = nullptr);
// Listens on host:port (port 0 picks a free one) with a backlog of 128.
UniqueFd listenTcp(const std::string& host, std::uint16_t port, std::string& error);
// The local port a socket is bound to, 0 when unknown.
std::uint16_t localPort(int fd);

// Writes every byte; false on failure (the peer went away, a timeout).
bool sendAll(int fd, const void* data, std::size_t size);
inline bool sendAll(int fd, const std::string& bytes) { return sendAll(fd, bytes.data(), bytes.size()); }

// Receive and send time-outs, so a silent peer cannot hold a thread for ever.
void setTimeouts(int fd, int timeoutMs);
void setNoDelay(int fd);

// "host" or "host:port"; port stays as given when there is none. False when the port is not
// a number from 0 to 65535 or the host is empty.
bool splitHostPort(const std::string& address, std::string& host, std::uint16_t& port);

}  // namespace netio
