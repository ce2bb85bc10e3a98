#include "common/CSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/time.h>
#include <time.h>

#include <netinet/in.h>
#include <netinet/tcp.h>

#include "common/CEndofStreamException.h"

namespace {

constexpr int LineSocketFailed = 109;
constexpr int LineNoHost = 115;
constexpr int LineConnectFailed = 124;
constexpr int LineNoHostName = 172;
constexpr int LineHostNotFound = 178;
constexpr int LinePeerClosed = 230;
constexpr int LineReceiveFailed = 234;
constexpr int LineSendFailed = 252;

constexpr std::size_t HostNameBufferSize = 260;

[[noreturn]] void fail(int code, int line) {
  throw CBRWebIOStreamException(code, platform::lastError(), SourceCSocket, line);
}


void setNoDelay(platform::SocketHandle handle) {
  const int on = 1;
  platform::setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // best effort
}

// The time-out of one socket option; 0 waits for ever.
void setTimeoutOption(platform::SocketHandle handle, int option, std::int32_t ms) {
  timeval value{};
  value.tv_sec = ms / 1000;
  value.tv_usec = (ms % 1000) * 1000;
  platform::setsockopt(handle, SOL_SOCKET, option, &value, sizeof value);  // best effort
}

bool timedOut(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS; }

// Milliseconds of the coarse monotonic clock: read from memory the kernel keeps up to date,
// never from the hardware, and fine to a few milliseconds, which is all a deadline needs.
std::int64_t coarseNowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

CSocket::CSocket() = default;

CSocket::CSocket(platform::SocketHandle connectedHandle) : handle_(connectedHandle) {
  if (handle_ == platform::InvalidSocket) return;
  connected_ = 1;
  setNoDelay(handle_);
}

CSocket::~CSocket() { close(); }

void CSocket::resolve(const char* hostName) {
  char ownName[HostNameBufferSize];
  if (hostName == nullptr) {
    if (platform::gethostname(ownName, sizeof ownName) != 0) fail(TransportHostNotFound, LineNoHostName);
    hostName = ownName;
  }
  platform::HostEntry entry;
  if (platform::gethostbyname(hostName, entry) != 0) fail(TransportHostNotFound, LineHostNotFound);
  host_ = std::move(entry);
}

void CSocket::connect(std::uint16_t port) {
  if (connected_ == 1) return;
  // A handle left by an earlier failed connect is replaced, not leaked.
  if (handle_ != platform::InvalidSocket) close();
  handle_ = platform::socket(AF_INET, SOCK_STREAM, 0);
  if (handle_ == platform::InvalidSocket) fail(TransportSocketFailed, LineSocketFailed);
  if (!host_ || host_->addresses.empty()) fail(TransportSocketFailed, LineNoHost);

  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = platform::hostToNetwork16(port);
  std::memcpy(&address.sin_addr, &host_->addresses.front(), platform::HostEntry::addressLength);
  static_assert(sizeof address == 16, "an internet socket address is 16 bytes");
  // The send time-out bounds a blocking connect too; it then fails with EINPROGRESS.
  if (connectTimeoutMs_ > 0) setTimeoutOption(handle_, SO_SNDTIMEO, connectTimeoutMs_);
  if (platform::connect(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (timedOut(platform::lastError())) {
      throw CBRWebIOStreamException(TransportSocketFailed, ETIMEDOUT, SourceCSocket, LineConnectFailed);
    }
    fail(TransportSocketFailed, LineConnectFailed);
  }
  setNoDelay(handle_);
  applyExchangeBound();
  connected_ = 1;
}

void CSocket::applyExchangeBound() {
  if (exchangeTimeoutMs_ > 0) {
    setTimeoutOption(handle_, SO_RCVTIMEO, exchangeTimeoutMs_);
    setTimeoutOption(handle_, SO_SNDTIMEO, exchangeTimeoutMs_);
  } else if (connectTimeoutMs_ > 0) {
    setTimeoutOption(handle_, SO_SNDTIMEO, 0);  // the connect's bound is not the sends'
  }
  waitBoundMs_ = exchangeTimeoutMs_;
}

void CSocket::setTimeouts(std::int32_t connectMs, std::int32_t exchangeMs) {
  connectTimeoutMs_ = std::max(connectMs, 0);
  exchangeTimeoutMs_ = std::max(exchangeMs, 0);
}

void CSocket::beginExchange() {
  receivedInExchange_ = 0;
  if (exchangeTimeoutMs_ == 0) return;
  deadlineMs_ = coarseNowMs() + exchangeTimeoutMs_;
  setWaitBound(exchangeTimeoutMs_);  // a call only after an exchange that shortened it
}

void CSocket::setWaitBound(std::int32_t ms) {
  if (ms == waitBoundMs_ || handle_ == platform::InvalidSocket) return;
  setTimeoutOption(handle_, SO_RCVTIMEO, ms);
  setTimeoutOption(handle_, SO_SNDTIMEO, ms);
  waitBoundMs_ = ms;
}

// A wait may overrun the deadline by the time the exchange had used when it began; the bound is
// shortened once that is more than a tenth of it, so only slow exchanges pay for the call.
void CSocket::limitWaitToDeadline(int code, int line) {
  if (deadlineMs_ < 0) return;
  const std::int64_t left = deadlineMs_ - coarseNowMs();
  if (left <= 0) failTimedOut(code, line);
  if (left < waitBoundMs_ - exchangeTimeoutMs_ / 10) setWaitBound(static_cast<std::int32_t>(left));
}

void CSocket::failTimedOut(int code, int line) {
  close();
  throw CBRWebIOStreamException(code, ETIMEDOUT, SourceCSocket, line);
}

void CSocket::close() {
  connected_ = 0;
  deadlineMs_ = -1;
  windowBegin_ = windowEnd_ = nullptr;
  if (handle_ != platform::InvalidSocket) {
    platform::shutdown(handle_, SHUT_RDWR);
    platform::closesocket(handle_);
    handle_ = platform::InvalidSocket;
  }
}

std::uint32_t CSocket::receive(void* buffer, std::uint32_t count) {
  limitWaitToDeadline(TransportReceiveFailed, LineReceiveFailed);
  const ssize_t got = platform::recv(handle_, buffer, count, 0);
  if (got == 0) throw CEndofStreamException(TransportEndOfStream, SourceCSocket, LinePeerClosed);
  if (got < 0) {
    if (waitBoundMs_ > 0 && timedOut(platform::lastError())) {
      failTimedOut(TransportReceiveFailed, LineReceiveFailed);
    }
    fail(TransportReceiveFailed, LineReceiveFailed);
  }
  receivedInExchange_ += static_cast<std::uint64_t>(got);
  return static_cast<std::uint32_t>(got);
}

void CSocket::readSome(void* buffer, std::uint32_t count, std::uint32_t& got) {
  got = 0;
  if (count == 0) return;
  if (windowSize() == 0) {
    if (count >= ReceiveBufferSize) {
      got = receive(buffer, count);
      return;
    }
    if (!receiveBuffer_) receiveBuffer_.reset(new unsigned char[ReceiveBufferSize]);
    const std::uint32_t received = receive(receiveBuffer_.get(), ReceiveBufferSize);
    windowBegin_ = receiveBuffer_.get();
    windowEnd_ = windowBegin_ + received;
  }
  got = takeFromWindow(buffer, count);
}

void CSocket::write(const void* buffer, std::uint32_t count, std::uint32_t& written) {
  written = count;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (count != 0) {
    limitWaitToDeadline(TransportSendFailed, LineSendFailed);
    const ssize_t n = platform::send(handle_, bytes, count, 0);
    if (n <= 0) {  // no progress on a non-empty send would loop for ever
      written = 0;
      if (n < 0 && waitBoundMs_ > 0 && timedOut(platform::lastError())) {
        failTimedOut(TransportSendFailed, LineSendFailed);
      }
      fail(TransportSendFailed, LineSendFailed);
    }
    bytes += n;
    count -= static_cast<std::uint32_t>(n);
  }
}
