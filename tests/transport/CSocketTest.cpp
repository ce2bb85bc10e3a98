// CSocket against a real loopback peer, and its failures through the sockets seam.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <netdb.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <cerrno>
#include <string>
#include <vector>

#include "common/CEndofStreamException.h"
#include "common/CSocket.h"
#include "platform/Sockets.h"
#include "transport/LoopbackPeer.h"

namespace {

struct Expected {
  int code;
  int line;
};

template <typename Action>
CBRWebIOStreamException expectSocketFailure(Action action, Expected expected) {
  try {
    action();
  } catch (const CBRWebIOStreamException& e) {
    EXPECT_EQ(e.code, expected.code);
    EXPECT_EQ(e.sourceLine, expected.line);
    EXPECT_STREQ(e.sourceFile, "common\\CSocket");
    return e;
  }
  ADD_FAILURE() << "no exception";
  return CBRWebIOStreamException(0, 0, "", 0);
}

void connectTo(CSocket& socket, std::uint16_t port) {
  socket.resolve("127.0.0.1");
  socket.connect(port);
}

// Waits (bounded) until the kernel holds count bytes for the socket.
bool waitUntilReadable(int fd, int count) {
  for (int i = 0; i < 500; ++i) {
    int available = 0;
    if (::ioctl(fd, FIONREAD, &available) == 0 && available >= count) return true;
    ::usleep(2000);
  }
  return false;
}

TEST(CSocket, PeerClosingInTheMiddleOfAFieldRaisesEndOfStream) {
  LoopbackPeer peer;
  peer.serve([](int fd) {
    const unsigned char half[] = {0x00, 0x05, 'a', 'b'};
    LoopbackPeer::sendAll(fd, half, sizeof half);
  });
  CSocket socket;
  connectTo(socket, peer.port());
  std::string target;
  try {
    socket.readString(target);
    FAIL() << "no exception";
  } catch (const CEndofStreamException& e) {
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(e.systemError, 1055);
    EXPECT_STREQ(e.sourceFile, "common\\CSocket");
    EXPECT_EQ(e.sourceLine, 230);
  }
}

TEST(CSocket, ConnectToAClosedPortFails) {
  CSocket socket;
  socket.resolve("127.0.0.1");
  const auto e = expectSocketFailure([&] { socket.connect(closedLoopbackPort()); }, {1020, 124});
  EXPECT_EQ(e.systemError, ECONNREFUSED);
  EXPECT_FALSE(socket.connected());
  socket.close();
  socket.close();  // idempotent
}

TEST(CSocket, ConnectWithoutResolvingFails) {
  CSocket socket;
  expectSocketFailure([&] { socket.connect(1); }, {1020, 115});
}

TEST(CSocket, ConnectsAndIsQuietWhenAlreadyConnected) {
  LoopbackPeer peer;
  peer.serve([](int fd) { LoopbackPeer::sendAll(fd, std::vector<unsigned char>{0x00, 0x02, 'o', 'k'}); });
  CSocket socket;
  socket.resolve("localhost");
  socket.connect(peer.port());
  const int handle = socket.handle();
  socket.connect(peer.port());
  EXPECT_EQ(socket.handle(), handle);
  int noDelay = 0;
  socklen_t length = sizeof noDelay;
  ASSERT_EQ(::getsockopt(handle, IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
  EXPECT_NE(noDelay, 0);
  std::string text;
  socket.readString(text);
  EXPECT_EQ(text, "ok");
  socket.close();
  EXPECT_FALSE(socket.connected());
  EXPECT_EQ(socket.handle(), platform::InvalidSocket);
}

TEST(CSocket, ClosedSocketConnectsAgain) {
  for (int round = 0; round < 2; ++round) {
    LoopbackPeer peer;
    peer.serve([round](int fd) {
      const unsigned char byte = static_cast<unsigned char>(round);
      LoopbackPeer::sendAll(fd, &byte, 1);
    });
    static CSocket socket;  // the same object both rounds
    socket.resolve("127.0.0.1");
    socket.connect(peer.port());
    unsigned char byte = 0xFF;
    socket.readFully(&byte, 1);
    EXPECT_EQ(byte, round);
    socket.close();
  }
}

// Counts the recv calls of the sockets layer while passing them on.
struct CountingRecv {
  std::atomic<int> calls{0};
  platform::SocketCalls table() {
    platform::SocketCalls t = platform::posixSocketCalls();
    t.recv = [this](int h, void* b, std::size_t n, int f) {
      ++calls;
      return ::recv(h, b, n, f);
    };
    return t;
  }
};

TEST(CSocket, SmallReadsAreServedFromOneReceive) {
  std::vector<unsigned char> message(300);
  for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<unsigned char>(i);
  LoopbackPeer peer;
  peer.serve([&](int fd) {
    LoopbackPeer::sendAll(fd, message);
    LoopbackPeer::receive(fd, 1);  // stay open until the client is done
  });
  CountingRecv counter;
  platform::ScopedSocketCalls seam(counter.table());
  CSocket socket;
  connectTo(socket, peer.port());
  ASSERT_TRUE(waitUntilReadable(socket.handle(), static_cast<int>(message.size())));

  std::vector<unsigned char> got(message.size());
  std::size_t at = 0;
  while (at < message.size()) {
    std::uint32_t n = 0;
    socket.readSome(got.data() + at, 7, n);
    ASSERT_GE(n, 1u);
    ASSERT_LE(n, 7u);
    at += n;
  }
  EXPECT_EQ(got, message);
  EXPECT_EQ(counter.calls, 1) << "buffered bytes cost no system call";
  EXPECT_EQ(socket.buffered(), 0u);
  socket.close();
}

TEST(CSocket, ReadSomeHandsOutWhatIsBufferedThenReportsTheEnd) {
  LoopbackPeer peer;
  peer.serve([](int fd) { LoopbackPeer::sendAll(fd, std::vector<unsigned char>{1, 2, 3}); });
  CSocket socket;
  connectTo(socket, peer.port());
  peer.join();  // all three bytes sent and the connection closed
  ASSERT_TRUE(waitUntilReadable(socket.handle(), 3));
  unsigned char out[10] = {};
  socket.readFully(out, 2);
  std::uint32_t got = 0;
  socket.readSome(out, 10, got);
  EXPECT_EQ(got, 1u) << "at most what is there, at least one";
  EXPECT_EQ(out[0], 3);
  EXPECT_THROW(socket.readSome(out, 10, got), CEndofStreamException);
}

TEST(CSocket, TakesOverAConnectedHandle) {
  int pair[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  {
    CSocket a(pair[0]);
    CSocket b(pair[1]);
    EXPECT_TRUE(a.connected());
    a.writeString("over a pair");
    std::string text;
    b.readString(text);
    EXPECT_EQ(text, "over a pair");
    a.close();
    EXPECT_THROW(b.readString(text), CEndofStreamException);
  }
  EXPECT_EQ(::fcntl(pair[1], F_GETFD), -1) << "the handle is closed with its socket";
}

TEST(CSocket, LargeReadsGoStraightThrough) {
  std::vector<unsigned char> message(3 * CSocket::ReceiveBufferSize + 17);
  for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<unsigned char>(i * 13);
  LoopbackPeer peer;
  peer.serve([&](int fd) { LoopbackPeer::sendAll(fd, message); });
  CSocket socket;
  connectTo(socket, peer.port());
  std::vector<unsigned char> got(message.size());
  socket.readFully(got.data(), 1);
  socket.readFully(got.data() + 1, static_cast<std::uint32_t>(message.size() - 1));
  EXPECT_EQ(got, message);
}

TEST(CSocket, PartialSendsStillWriteEverything) {
  std::vector<unsigned char> message(10000);
  for (std::size_t i = 0; i < message.size(); ++i) message[i] = static_cast<unsigned char>(i * 7);
  std::vector<unsigned char> received;
  LoopbackPeer peer;
  peer.serve([&](int fd) { received = LoopbackPeer::receiveAll(fd); });

  int sends = 0;
  platform::SocketCalls t = platform::posixSocketCalls();
  t.send = [&sends](int h, const void* b, std::size_t n, int f) {
    ++sends;
    return ::send(h, b, n < 3 ? n : 3, f);
  };
  platform::ScopedSocketCalls seam(t);
  CSocket socket;
  connectTo(socket, peer.port());
  std::uint32_t written = 0;
  socket.write(message.data(), static_cast<std::uint32_t>(message.size()), written);
  EXPECT_EQ(written, message.size());
  socket.close();
  peer.join();
  EXPECT_EQ(received, message);
  EXPECT_EQ(sends, static_cast<int>((message.size() + 2) / 3));
}

TEST(CSocket, InterruptedCallsAreRetried) {
  LoopbackPeer peer;
  std::vector<unsigned char> received;
  peer.serve([&](int fd) {
    received = LoopbackPeer::receive(fd, 2);
    LoopbackPeer::sendAll(fd, std::vector<unsigned char>{'r'});
  });
  int interruptions = 0;
  platform::SocketCalls t = platform::posixSocketCalls();
  t.send = [&](int h, const void* b, std::size_t n, int f) -> ssize_t {
    if (interruptions++ % 2 == 0) {
      errno = EINTR;
      return -1;
    }
    return ::send(h, b, n, f);
  };
  t.recv = [&](int h, void* b, std::size_t n, int f) -> ssize_t {
    if (interruptions++ % 2 == 0) {
      errno = EINTR;
      return -1;
    }
    return ::recv(h, b, n, f);
  };
  platform::ScopedSocketCalls seam(t);
  CSocket socket;
  connectTo(socket, peer.port());
  socket.writeAll("hi", 2);
  char reply = 0;
  socket.readFully(&reply, 1);
  EXPECT_EQ(reply, 'r');
  peer.join();
  EXPECT_EQ(received, (std::vector<unsigned char>{'h', 'i'}));
  EXPECT_GE(interruptions, 4);
}

TEST(CSocket, WritingToAClosedPeerRaisesInsteadOfKillingTheProcess) {
  LoopbackPeer peer;
  peer.serve([](int) {});  // accept and close at once
  CSocket socket;
  connectTo(socket, peer.port());
  peer.join();
  std::vector<unsigned char> chunk(65536, 'x');
  std::uint32_t written = 1;
  const auto e = expectSocketFailure(
      [&] {
        for (int i = 0; i < 200; ++i) socket.write(chunk.data(), static_cast<std::uint32_t>(chunk.size()), written);
      },
      {1072, 252});
  EXPECT_TRUE(e.systemError == EPIPE || e.systemError == ECONNRESET) << e.systemError;
  EXPECT_EQ(written, 0u);
}

TEST(CSocket, FailuresThroughTheSeam) {
  struct Case {
    const char* name;
    bool connects;  // whether the socket reaches the peer before failing
    std::function<void(platform::SocketCalls&)> breakIt;
    std::function<void(CSocket&, std::uint16_t port)> act;
    Expected expected;
    int systemError;
  };
  const Case cases[] = {
      {"socket fails", false,
       [](platform::SocketCalls& t) { t.socket = [](int, int, int) { errno = EMFILE; return -1; }; },
       [](CSocket& s, std::uint16_t port) { connectTo(s, port); }, {1020, 109}, EMFILE},
      {"recv fails", true,
       [](platform::SocketCalls& t) {
         t.recv = [](int, void*, std::size_t, int) -> ssize_t { errno = ECONNRESET; return -1; };
       },
       [](CSocket& s, std::uint16_t port) {
         connectTo(s, port);
         char c;
         s.readFully(&c, 1);
       },
       {1071, 234}, ECONNRESET},
      {"send fails", true,
       [](platform::SocketCalls& t) {
         t.send = [](int, const void*, std::size_t, int) -> ssize_t { errno = ENOBUFS; return -1; };
       },
       [](CSocket& s, std::uint16_t port) {
         connectTo(s, port);
         s.writeAll("x", 1);
       },
       {1072, 252}, ENOBUFS},
      {"unknown host", false,
       [](platform::SocketCalls& t) { t.lookupHost = [](const char*, platform::HostEntry&) { return EAI_NONAME; }; },
       [](CSocket& s, std::uint16_t) { s.resolve("no-such-host.invalid"); }, {1070, 178}, EAI_NONAME},
      {"own name unknown", false,
       [](platform::SocketCalls& t) { t.gethostname = [](char*, std::size_t) { errno = EFAULT; return -1; }; },
       [](CSocket& s, std::uint16_t) { s.resolve(nullptr); }, {1070, 172}, EFAULT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    if (c.connects) peer.serve([](int fd) { LoopbackPeer::receive(fd, 1); });
    platform::SocketCalls t = platform::posixSocketCalls();
    c.breakIt(t);
    platform::ScopedSocketCalls seam(t);
    CSocket socket;
    const auto e = expectSocketFailure([&] { c.act(socket, peer.port()); }, c.expected);
    EXPECT_EQ(e.systemError, c.systemError);
  }
}

TEST(CSocket, ResolvingNullLooksUpThisMachinesName) {
  std::string lookedUp;
  platform::SocketCalls t = platform::posixSocketCalls();
  t.gethostname = [](char* name, std::size_t size) {
    EXPECT_EQ(size, 260u);
    std::snprintf(name, size, "%s", "this-machine");
    return 0;
  };
  t.lookupHost = [&](const char* name, platform::HostEntry& out) {
    lookedUp = name;
    out.name = name;
    out.addresses = {htonl(INADDR_LOOPBACK)};
    return 0;
  };
  platform::ScopedSocketCalls seam(t);
  CSocket socket;
  socket.resolve(nullptr);
  EXPECT_EQ(lookedUp, "this-machine");
  ASSERT_NE(socket.host(), nullptr);
  EXPECT_EQ(socket.host()->addresses.front(), htonl(INADDR_LOOPBACK));
}

}  // namespace
