#pragma once
// The sockets layer: the few socket calls the transport needs, over POSIX.
//
// IPv4 stream sockets only. Every call goes through one process-wide table of
// calls (SocketCalls); a test can replace entries of the table with a
// ScopedSocketCalls, for instance to make send accept fewer bytes than asked or
// to make recv fail. The wrappers below add what every caller wants:
//   - EINTR is retried (connect waits for the interrupted attempt to finish);
//   - send never raises SIGPIPE on a closed peer (MSG_NOSIGNAL);
//   - the error number of the last failed call of this thread is kept and
//     returned by lastError(): errno for system calls, the getaddrinfo code
//     (a negative EAI_* value) for a failed host look-up.
// Starting the sockets library is not needed on this platform.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/types.h>

#if __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the byte-order helpers below assume a little-endian host"
#endif

namespace platform {

using SocketHandle = int;
inline constexpr SocketHandle InvalidSocket = -1;
inline constexpr int SocketError = -1;

// What a host look-up gives: the canonical name and the IPv4 addresses, each
// 4 bytes in network order, in the order the resolver gave them.
struct HostEntry {
  std::string name;
  std::vector<std::uint32_t> addresses;
  static constexpr int addressLength = 4;
};

// The raw calls. Each returns like its POSIX namesake and sets errno on failure;
// lookupHost returns 0 or a getaddrinfo error code.
struct SocketCalls {
  std::function<int(char* name, std::size_t size)> gethostname;
  std::function<int(const char* name, HostEntry& out)> lookupHost;
  std::function<SocketHandle(int family, int type, int protocol)> socket;
  std::function<int(SocketHandle, const sockaddr*, socklen_t)> connect;
  std::function<ssize_t(SocketHandle, void*, std::size_t, int flags)> recv;
  std::function<ssize_t(SocketHandle, const void*, std::size_t, int flags)> send;
  std::function<int(SocketHandle, int how)> shutdown;
  std::function<int(SocketHandle)> close;
  std::function<int(SocketHandle, int level, int name, const void*, socklen_t)> setsockopt;
};

// The table of the real POSIX calls.
const SocketCalls& posixSocketCalls();

// The table in use (the real calls unless a ScopedSocketCalls is alive).
SocketCalls& socketCalls();

// Replaces the table in use for the life of the object, then restores it.
// Not thread-safe: install it before starting threads that use sockets.
class ScopedSocketCalls {
 public:
  explicit ScopedSocketCalls(SocketCalls replacement);
  ~ScopedSocketCalls();
  ScopedSocketCalls(const ScopedSocketCalls&) = delete;
  ScopedSocketCalls& operator=(const ScopedSocketCalls&) = delete;

 private:
  SocketCalls saved_;
};

// Error number of the last failed call of this thread (0 when none failed yet).
int lastError();

// The wrappers; all return like their POSIX namesakes and record lastError().
int gethostname(char* name, std::size_t size);
// 0 and the entry, or SocketError (lastError() is the getaddrinfo code).
// Accepts a host name or a dotted IPv4 address.
int gethostbyname(const char* name, HostEntry& out);
SocketHandle socket(int family, int type, int protocol);
int connect(SocketHandle handle, const sockaddr* address, socklen_t length);
ssize_t recv(SocketHandle handle, void* buffer, std::size_t count, int flags);
ssize_t send(SocketHandle handle, const void* buffer, std::size_t count, int flags);
int shutdown(SocketHandle handle, int how);
int closesocket(SocketHandle handle);
int setsockopt(SocketHandle handle, int level, int name, const void* value, socklen_t length);

// Byte order of the wire (big-endian). Named apart from htons and friends,
// which the C library may define as macros.
inline std::uint16_t hostToNetwork16(std::uint16_t value) { return __builtin_bswap16(value); }
inline std::uint32_t hostToNetwork32(std::uint32_t value) { return __builtin_bswap32(value); }
inline std::uint16_t networkToHost16(std::uint16_t value) { return __builtin_bswap16(value); }
inline std::uint32_t networkToHost32(std::uint32_t value) { return __builtin_bswap32(value); }

}  // namespace platform
