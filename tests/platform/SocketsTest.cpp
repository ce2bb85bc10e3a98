#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/Sockets.h"

namespace {

TEST(Sockets, SendToAClosedPeerFailsWithoutSignal) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  ::close(pair[1]);
  // With the default SIGPIPE disposition this would end the process without MSG_NOSIGNAL.
  EXPECT_EQ(platform::send(pair[0], "x", 1, 0), -1);
  EXPECT_EQ(platform::lastError(), EPIPE);
  ::close(pair[0]);
}

TEST(Sockets, InterruptedConnectIsFinishedNotRepeated) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

  int attempts = 0;
  platform::SocketCalls calls = platform::posixSocketCalls();
  calls.connect = [&](int h, const sockaddr* a, socklen_t l) {
    ++attempts;
    ::connect(h, a, l);  // the attempt goes on, but the caller hears of a signal
    errno = EINTR;
    return -1;
  };
  platform::ScopedSocketCalls seam(calls);
  const int handle = platform::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_NE(handle, platform::InvalidSocket);
  EXPECT_EQ(platform::connect(handle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(attempts, 1);
  platform::closesocket(handle);
  ::close(listener);
}

TEST(Sockets, HostLookUpOfAddressesAndNames) {
  platform::HostEntry entry;
  ASSERT_EQ(platform::gethostbyname("127.0.0.1", entry), 0);
  ASSERT_FALSE(entry.addresses.empty());
  EXPECT_EQ(entry.addresses.front(), htonl(INADDR_LOOPBACK));
  platform::HostEntry local;
  ASSERT_EQ(platform::gethostbyname("localhost", local), 0);
  EXPECT_FALSE(local.addresses.empty());
}

TEST(Sockets, SeamIsRestoredAndErrorsArePerThread) {
  {
    platform::SocketCalls calls = platform::posixSocketCalls();
    calls.recv = [](int, void*, std::size_t, int) -> ssize_t {
      errno = ETIMEDOUT;
      return -1;
    };
    platform::ScopedSocketCalls seam(calls);
    char c;
    EXPECT_EQ(platform::recv(0, &c, 1, 0), -1);
    EXPECT_EQ(platform::lastError(), ETIMEDOUT);
    int other = -2;
    std::thread([&] { other = platform::lastError(); }).join();
    EXPECT_EQ(other, 0);
  }
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  ASSERT_EQ(::write(pair[1], "z", 1), 1);
  char c = 0;
  EXPECT_EQ(platform::recv(pair[0], &c, 1, 0), 1) << "the real call is back";
  EXPECT_EQ(c, 'z');
  ::close(pair[0]);
  ::close(pair[1]);
}

TEST(Sockets, ByteOrderIsBigEndianOnTheWire) {
  const std::uint32_t wire = platform::hostToNetwork32(0x01020304);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&wire);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[3], 4);
  EXPECT_EQ(platform::networkToHost32(wire), 0x01020304u);
  EXPECT_EQ(platform::hostToNetwork16(0x0102), htons(0x0102));
  EXPECT_EQ(platform::networkToHost16(htons(0xBEEF)), 0xBEEF);
}

}  // namespace
