#pragma once
// A TCP client socket (IPv4) over the sockets layer of platform/Sockets.h.
//
// Order of use: construct, resolve, connect, reads and writes, close (or
// destroy, which closes). A closed socket can be connected again.
//
// Reads are served from a receive buffer of the socket: when it is empty,
// readSome makes one recv of up to ReceiveBufferSize bytes (or straight into
// the caller's buffer when that asks for at least as much), then hands out at
// least one and at most count bytes. So reading a message field by field costs
// a system call only when the buffer runs dry. End of stream and recv failures
// raise exactly when the recv that needed the bytes reports them.
// TCP_NODELAY is set on every connection: a message leaves in one write, and
// the small writes that remain must not wait for the peer's delayed ACK.
//
// Failures (code, systemError, "common\CSocket", line):
//   socket fails                 1020, lastError, 109
//   connect with no resolved host 1020, lastError, 115
//   connect fails                1020, lastError, 124
//   gethostname fails            1070, lastError, 172
//   host look-up finds nothing   1070, lastError, 178
//   peer closed during a read    CEndofStreamException, 1055, 230
//   recv fails                   1071, lastError, 234
//   send fails                   1072, lastError, 252
//
// Deadlines (setTimeouts, all off by default: every wait is unbounded). A
// connect that takes longer than its bound fails as connect does (1020, 124)
// with ETIMEDOUT. Once connected, an exchange started with beginExchange gives
// up when it has taken its bound, however slowly the bytes arrive: the recv or
// send that would wait beyond it fails with ETIMEDOUT (1071, 234 or 1072, 252)
// and the socket is closed first, so no late reply is ever read as the answer
// to a later request. The bound is a receive and send time-out set once per
// connection, shortened only in an exchange that has used a tenth of its time,
// and a reading of the coarse clock before each recv and send: no system call
// is added to an exchange that keeps its time.

#include <cstdint>
#include <memory>
#include <optional>

#include "common/CIOStream.h"
#include "platform/Sockets.h"

class CSocket : public CIOStream {
 public:
  static constexpr std::uint32_t ReceiveBufferSize = 64u * 1024u;

  CSocket();
  // Takes over a handle that is already connected (a server's accepted
  // connection, one end of a socket pair): connected, no host, closed by this
  // object. TCP_NODELAY is set where it applies.
  explicit CSocket(platform::SocketHandle connectedHandle);
  ~CSocket() override;

  // Shuts the connection down and closes the handle; drops buffered input.
  void close() override;
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override;
  // Sends until all is sent (send may accept fewer bytes than asked).
  void write(const void* buffer, std::uint32_t count, std::uint32_t& written) override;

  // Looks hostName up (a name or a dotted address); null means this machine's
  // own name. Replaces the host of an earlier look-up.
  void resolve(const char* hostName);
  // Connects to port (host order) of the resolved host's first address. Does
  // nothing when already connected.
  void connect(std::uint16_t port);

  // Bounds in milliseconds for the next connect and for each exchange on the
  // connection it makes; 0 or less waits for ever.
  void setTimeouts(std::int32_t connectMs, std::int32_t exchangeMs);
  // Starts the clock of one exchange (a request written and its reply read).
  void beginExchange();
  // Bytes received since beginExchange.
  std::uint64_t receivedInExchange() const { return receivedInExchange_; }

  bool connected() const { return connected_ != 0; }
  platform::SocketHandle handle() const { return handle_; }
  const platform::HostEntry* host() const { return host_ ? &*host_ : nullptr; }
  // Bytes received but not handed out yet.
  std::uint32_t buffered() const { return windowSize(); }

 private:
  std::uint32_t receive(void* buffer, std::uint32_t count);
  // Before a recv or send of an exchange with a deadline: fails with ETIMEDOUT
  // (code, line) when none of its time is left, and shortens the socket's
  // time-out to what is left when that is less.
  void limitWaitToDeadline(int code, int line);
  [[noreturn]] void failTimedOut(int code, int line);
  void applyExchangeBound();
  void setWaitBound(std::int32_t ms);

  platform::SocketHandle handle_ = platform::InvalidSocket;
  std::optional<platform::HostEntry> host_;
  int connected_ = 0;
  // Received bytes not handed out yet are the read window over this buffer.
  std::unique_ptr<unsigned char[]> receiveBuffer_;

  std::int32_t connectTimeoutMs_ = 0;
  std::int32_t exchangeTimeoutMs_ = 0;
  std::int32_t waitBoundMs_ = 0;  // the receive and send time-out the socket has now
  std::int64_t deadlineMs_ = -1;  // on the coarse monotonic clock; -1: none
  std::uint64_t receivedInExchange_ = 0;
};
