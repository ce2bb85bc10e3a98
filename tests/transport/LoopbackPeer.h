#pragma once
// A peer on 127.0.0.1 for socket tests, written with raw POSIX calls so that a
// replaced sockets-layer table never touches it. It accepts one connection
// (waiting at most a few seconds), runs the handler on it in a thread and
// closes it; the destructor joins the thread.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class LoopbackPeer {
 public:
  using Handler = std::function<void(int fd)>;
  static constexpr int TimeoutMs = 5000;

  LoopbackPeer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
      throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }

  ~LoopbackPeer() {
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }

  std::uint16_t port() const { return port_; }

  // Runs handler on the next connection (or not at all when none comes in time).
  void serve(Handler handler) {
    thread_ = std::thread([this, handler = std::move(handler)] {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, TimeoutMs) != 1) return;
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      timeval tv{TimeoutMs / 1000, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
      handler(fd);
      ::close(fd);
    });
  }

  void join() {
    if (thread_.joinable()) thread_.join();
  }

  static void sendAll(int fd, const void* data, std::size_t count) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (count > 0) {
      const ssize_t n = ::send(fd, p, count, MSG_NOSIGNAL);
      if (n <= 0) return;
      p += n;
      count -= static_cast<std::size_t>(n);
    }
  }
  static void sendAll(int fd, const std::vector<unsigned char>& bytes) { sendAll(fd, bytes.data(), bytes.size()); }

  // Up to count bytes; fewer when the peer closes or the time-out passes.
  static std::vector<unsigned char> receive(int fd, std::size_t count) {
    std::vector<unsigned char> out(count);
    std::size_t got = 0;
    while (got < count) {
      const ssize_t n = ::recv(fd, out.data() + got, count - got, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return out;
  }

  // Everything until the peer closes (or the time-out passes).
  static std::vector<unsigned char> receiveAll(int fd) {
    std::vector<unsigned char> out;
    unsigned char chunk[4096];
    for (;;) {
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      out.insert(out.end(), chunk, chunk + n);
    }
    return out;
  }

 private:
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::thread thread_;
};

// A port on 127.0.0.1 with nobody listening: bound once, then released.
inline std::uint16_t closedLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}
