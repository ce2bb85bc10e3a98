#include "platform/Sockets.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include <netdb.h>
#include <sys/time.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

namespace platform {
namespace {

thread_local int tlsLastError = 0;

int recordFailure() {
  tlsLastError = errno;
  return SocketError;
}

int posixLookupHost(const char* name, HostEntry& out) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(name, nullptr, &hints, &found);
  if (rc != 0) return rc;
  out.name = found->ai_canonname ? found->ai_canonname : name;
  out.addresses.clear();
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    out.addresses.push_back(in->sin_addr.s_addr);
  }
  ::freeaddrinfo(found);
  return out.addresses.empty() ? EAI_NONAME : 0;
}

SocketCalls makePosixCalls() {
  SocketCalls calls;
  calls.gethostname = [](char* name, std::size_t size) { return ::gethostname(name, size); };
  calls.lookupHost = posixLookupHost;
  calls.socket = [](int family, int type, int protocol) { return ::socket(family, type, protocol); };
  calls.connect = [](SocketHandle h, const sockaddr* a, socklen_t l) { return ::connect(h, a, l); };
  calls.recv = [](SocketHandle h, void* b, std::size_t n, int f) { return ::recv(h, b, n, f); };
  calls.send = [](SocketHandle h, const void* b, std::size_t n, int f) { return ::send(h, b, n, f); };
  calls.shutdown = [](SocketHandle h, int how) { return ::shutdown(h, how); };
  calls.close = [](SocketHandle h) { return ::close(h); };
  calls.setsockopt = [](SocketHandle h, int level, int name, const void* v, socklen_t l) {
    return ::setsockopt(h, level, name, v, l);
  };
  return calls;
}

// The socket's send time-out in milliseconds, -1 (for ever) when it has none.
int sendTimeoutMs(SocketHandle handle) {
  timeval value{};
  socklen_t length = sizeof value;
  if (::getsockopt(handle, SOL_SOCKET, SO_SNDTIMEO, &value, &length) != 0) return -1;
  const long long ms = static_cast<long long>(value.tv_sec) * 1000 + value.tv_usec / 1000;
  return ms > 0 ? static_cast<int>(std::min<long long>(ms, INT_MAX)) : -1;
}

// An interrupted connect goes on in the background; wait for it (within the
// socket's send time-out, which bounds a connect) and fetch its outcome
// instead of starting a second attempt.
int finishInterruptedConnect(SocketHandle handle) {
  pollfd p{handle, POLLOUT, 0};
  const int timeoutMs = sendTimeoutMs(handle);
  int rc;
  do {
    rc = ::poll(&p, 1, timeoutMs);
  } while (rc < 0 && errno == EINTR);
  if (rc < 0) return recordFailure();
  if (rc == 0) {
    tlsLastError = EINPROGRESS;  // as a connect that ran out of its send time-out
    return SocketError;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(handle, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return recordFailure();
  if (error != 0) {
    tlsLastError = error;
    return SocketError;
  }
  return 0;
}

}  // namespace

const SocketCalls& posixSocketCalls() {
  static const SocketCalls calls = makePosixCalls();
  return calls;
}

SocketCalls& socketCalls() {
  static SocketCalls calls = posixSocketCalls();
  return calls;
}

ScopedSocketCalls::ScopedSocketCalls(SocketCalls replacement) : saved_(socketCalls()) {
  socketCalls() = std::move(replacement);
}

ScopedSocketCalls::~ScopedSocketCalls() { socketCalls() = std::move(saved_); }

int lastError() { return tlsLastError; }

int gethostname(char* name, std::size_t size) {
  if (socketCalls().gethostname(name, size) != 0) return recordFailure();
  if (size > 0) name[size - 1] = '\0';  // POSIX leaves truncation unterminated
  return 0;
}

int gethostbyname(const char* name, HostEntry& out) {
  const int rc = socketCalls().lookupHost(name, out);
  if (rc == 0) return 0;
  tlsLastError = rc == EAI_SYSTEM ? errno : rc;
  return SocketError;
}

SocketHandle socket(int family, int type, int protocol) {
  const SocketHandle h = socketCalls().socket(family, type | SOCK_CLOEXEC, protocol);
  if (h < 0) {
    recordFailure();
    return InvalidSocket;
  }
  return h;
}

int connect(SocketHandle handle, const sockaddr* address, socklen_t length) {
  if (socketCalls().connect(handle, address, length) == 0) return 0;
  if (errno == EINTR) return finishInterruptedConnect(handle);
  return recordFailure();
}

ssize_t recv(SocketHandle handle, void* buffer, std::size_t count, int flags) {
  for (;;) {
    const ssize_t n = socketCalls().recv(handle, buffer, count, flags);
    if (n >= 0) return n;
    if (errno != EINTR) return recordFailure();
  }
}

ssize_t send(SocketHandle handle, const void* buffer, std::size_t count, int flags) {
  for (;;) {
    const ssize_t n = socketCalls().send(handle, buffer, count, flags | MSG_NOSIGNAL);
    if (n >= 0) return n;
    if (errno != EINTR) return recordFailure();
  }
}

int shutdown(SocketHandle handle, int how) {
  return socketCalls().shutdown(handle, how) == 0 ? 0 : recordFailure();
}

int closesocket(SocketHandle handle) {
  // close is not retried on EINTR: the descriptor is gone either way.
  return socketCalls().close(handle) == 0 ? 0 : recordFailure();
}

int setsockopt(SocketHandle handle, int level, int name, const void* value, socklen_t length) {
  return socketCalls().setsockopt(handle, level, name, value, length) == 0 ? 0 : recordFailure();
}

}  // namespace platform
