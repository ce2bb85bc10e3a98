#include "common/CSocket.h"

#include <algorithm>
#include <cstring>

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
  if (platform::connect(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    fail(TransportSocketFailed, LineConnectFailed);
  }
  setNoDelay(handle_);
  connected_ = 1;
}

void CSocket::close() {
  connected_ = 0;
  windowBegin_ = windowEnd_ = nullptr;
  if (handle_ != platform::InvalidSocket) {
    platform::shutdown(handle_, SHUT_RDWR);
    platform::closesocket(handle_);
    handle_ = platform::InvalidSocket;
  }
}

std::uint32_t CSocket::receive(void* buffer, std::uint32_t count) {
  const ssize_t got = platform::recv(handle_, buffer, count, 0);
  if (got == 0) throw CEndofStreamException(TransportEndOfStream, SourceCSocket, LinePeerClosed);
  if (got < 0) fail(TransportReceiveFailed, LineReceiveFailed);
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
    const ssize_t n = platform::send(handle_, bytes, count, 0);
    if (n <= 0) {  // no progress on a non-empty send would loop for ever
      written = 0;
      fail(TransportSendFailed, LineSendFailed);
    }
    bytes += n;
    count -= static_cast<std::uint32_t>(n);
  }
}
