// The message envelope: exact request bytes, one write per message, header
// values carried across exchanges, and replies that must be refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/BRMessage.h"
#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "common/CSocket.h"
#include "common/FastTreeStreamer.h"
#include "platform/Sockets.h"
#include "transport/LoopbackPeer.h"
#include "transport/WireBytes.h"

namespace {

// Records every write call and the bytes, like a socket would see them.
class RecordingStream : public CIOStream {
 public:
  void readSome(void*, std::uint32_t, std::uint32_t&) override { ADD_FAILURE() << "read from a write-only stream"; }
  void write(const void* buffer, std::uint32_t count, std::uint32_t& written) override {
    ++writes;
    const auto* b = static_cast<const unsigned char*>(buffer);
    bytes.insert(bytes.end(), b, b + count);
    written = count;
  }
  int writes = 0;
  std::vector<unsigned char> bytes;
};

WireBytes headerDocument(const std::string& agent, std::int32_t errorCode, std::int32_t messageType,
                         std::int32_t protocolVersion, const std::string& securityDescriptor) {
  return WireBytes()
      .tag()
      .begin("")
      .text("Agent", agent)
      .integer("ErrorCode", errorCode)
      .integer("MessageType", messageType)
      .integer("ProtocolVersion", protocolVersion)
      .text("SecurityDescriptor", securityDescriptor)
      .end()
      .endOfTree();
}

const WireBytes EmptyBranchDocument = WireBytes().tag().begin("").end().endOfTree();

TEST(BRMessage, FirstRequestIsTheHeaderDocumentThenTheDataDocumentInOneWrite) {
  BRMessage message;
  message.Agent = "Publish";
  message.MessageType = 4;
  RecordingStream out;
  message.send(out, 0);
  const auto expectedHeader = fromHex(
      "00 09 41 54 46 6F 72 6D 61 74 32"
      "00 01 00 00"
      "00 04 00 05 41 67 65 6E 74 00 07 50 75 62 6C 69 73 68 00 00 00 00"
      "00 03 00 09 45 72 72 6F 72 43 6F 64 65 00 00 00 00 00 00 00 00"
      "00 03 00 0B 4D 65 73 73 61 67 65 54 79 70 65 00 00 00 04 00 00 00 00"
      "00 03 00 0F 50 72 6F 74 6F 63 6F 6C 56 65 72 73 69 6F 6E 00 00 00 01 00 00 00 00"
      "00 04 00 12 53 65 63 75 72 69 74 79 44 65 73 63 72 69 70 74 6F 72 00 00 00 00 00 00"
      "00 02 00 00"
      "00 06");
  ASSERT_EQ(expectedHeader.size(), 142u);
  std::vector<unsigned char> expected = expectedHeader;
  expected.insert(expected.end(), EmptyBranchDocument.bytes().begin(), EmptyBranchDocument.bytes().end());
  EXPECT_EQ(out.bytes, expected);
  EXPECT_EQ(out.writes, 1);
}

// The header document as the tree format's writer gives it for a header that holds the five
// values as leaves.
std::vector<unsigned char> writtenHeader(const BRMessage& values) {
  AttributeTree header;
  header.setText("Agent", values.Agent.c_str());
  header.setInteger("ErrorCode", values.ErrorCode);
  header.setInteger("MessageType", values.MessageType);
  header.setInteger("ProtocolVersion", values.ProtocolVersion);
  header.setText("SecurityDescriptor", values.SecurityDescriptor.c_str());
  CMemoryStream out;
  FastTreeStreamer().writeTree(out, header, "", -1, 0);
  return out.bytes();
}

// Requests sent one after another on one message, with values of every length and sign: each
// starts with the header document the writer gives for its values.
TEST(BRMessage, EveryRequestCarriesTheHeaderDocumentOfItsValues) {
  const struct {
    const char* what;
    std::string agent;
    std::int32_t errorCode, messageType, protocolVersion;
    std::string descriptor;
  } cases[] = {
      {"the defaults", "", 0, 0, 1, ""},
      {"short values", "Publish", 7, 4, 3, "S-1-5-21-3623811015"},
      {"extreme numbers", "a", INT32_MIN, INT32_MAX, -1, "d"},
      {"texts cut short at a NUL", std::string("Pub\0lish", 8), 0, 4, 1, std::string("\0hidden", 7)},
      {"a long text", std::string(300, 'a'), 1, 2, 3, std::string(1000, 's')},
      {"a text in the long string form", "Publish", 0, 4, 1, std::string(70000, 'x')},
      {"back to short values", "Publish", 7, 4, 3, "S-1"},
  };
  BRMessage message;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    message.clear();
    message.Agent = c.agent;
    message.ErrorCode = c.errorCode;
    message.MessageType = c.messageType;
    message.ProtocolVersion = c.protocolVersion;
    message.SecurityDescriptor = c.descriptor;
    RecordingStream out;
    message.send(out, 0);
    std::vector<unsigned char> expected = writtenHeader(message);
    expected.insert(expected.end(), EmptyBranchDocument.bytes().begin(), EmptyBranchDocument.bytes().end());
    EXPECT_EQ(out.bytes, expected);
  }
}

TEST(BRMessage, SelectiveAppliesToTheDataDocumentOnly) {
  BRMessage message;
  message.Agent = "a";
  message.header().setText("Unset", "dropped only if selective applied here");
  message.dataBranch()->setText("unset", "x");
  message.dataBranch()->setText("set", "y")->setIsSet(1);
  message.dataBranch()->setBinary("bin", 1, "b");
  message.dataBranch()->setInteger("sub.unset", 1);
  RecordingStream out;
  message.send(out, 1);
  const auto expected = WireBytes()
                            .tag()
                            .begin("")
                            .text("Agent", "a")
                            .integer("ErrorCode", 0)
                            .integer("MessageType", 0)
                            .integer("ProtocolVersion", 1)
                            .text("SecurityDescriptor", "")
                            .text("Unset", "dropped only if selective applied here")
                            .end()
                            .endOfTree()
                            .append(WireBytes()
                                        .tag()
                                        .begin("")
                                        .binary("bin", "b")
                                        .text("set", "y", 1)
                                        .begin("sub")
                                        .end()
                                        .end()
                                        .endOfTree());
  EXPECT_EQ(out.bytes, expected.bytes());
}

TEST(BRMessage, ReplyValuesTravelInTheNextRequestAndClearDropsExtraLeaves) {
  WireBytes reply = WireBytes()
                        .tag()
                        .begin("")
                        .text("Agent", "Server")
                        .integer("ErrorCode", 7)
                        .text("Extra", "kept until clear")
                        .integer("MessageType", 4)
                        .integer("ProtocolVersion", 3)
                        .text("SecurityDescriptor", "sd-42")
                        .end()
                        .endOfTree()
                        .append(WireBytes().tag().begin("").text("answer", "yes").end().endOfTree());
  BRMessage message;
  CMemoryStream in = reply.stream();
  message.receive(in);
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_EQ(message.ErrorCode, 7);
  EXPECT_EQ(message.ProtocolVersion, 3);
  EXPECT_EQ(message.SecurityDescriptor, "sd-42");
  EXPECT_EQ(message.Agent, "Server");
  EXPECT_EQ(message.MessageType, 4);
  EXPECT_EQ(message.header().getText("Extra"), "kept until clear");
  EXPECT_EQ(message.dataBranch()->getText("answer"), "yes");

  message.clear();
  message.Agent = "Publish";
  message.MessageType = 4;
  RecordingStream out;
  message.send(out, 0);
  std::vector<unsigned char> expected = headerDocument("Publish", 7, 4, 3, "sd-42").bytes();
  expected.insert(expected.end(), EmptyBranchDocument.bytes().begin(), EmptyBranchDocument.bytes().end());
  EXPECT_EQ(out.bytes, expected);
}

TEST(BRMessage, HeaderWithAValueOfTheWrongKindTakesTheEarlierValuesOnly) {
  WireBytes reply = WireBytes()
                        .tag()
                        .begin("")
                        .text("Agent", "Server")
                        .integer("ErrorCode", 5)
                        .integer("MessageType", 2)
                        .text("ProtocolVersion", "9")
                        .text("SecurityDescriptor", "sd")
                        .end()
                        .endOfTree()
                        .append(EmptyBranchDocument);
  BRMessage message;
  CMemoryStream in = reply.stream();
  EXPECT_THROW(message.receive(in), NodeNotFoundException);
  EXPECT_EQ(message.MessageType, 2);
  EXPECT_EQ(message.ErrorCode, 5);
  EXPECT_EQ(message.SecurityDescriptor, "sd");
  EXPECT_EQ(message.Agent, "Server");
  EXPECT_EQ(message.ProtocolVersion, 1) << "not taken";
}

TEST(BRMessage, LeafDataDocumentIsStoredAsALeaf) {
  WireBytes reply = headerDocument("S", 0, 4, 1, "").append(WireBytes().tag().integer("", 12));
  BRMessage message;
  CMemoryStream in = reply.stream();
  message.receive(in);
  EXPECT_EQ(message.dataBranch(), nullptr);
  ASSERT_EQ(message.data().kind(), NodeKind::Integer);
  EXPECT_EQ(static_cast<IntegerAttribute&>(message.data()).value(), 12);
}

TEST(BRMessage, LeafHeaderDocumentIsRefusedAndTheMessageStaysUsable) {
  WireBytes wire = WireBytes()
                       .tag()
                       .text("", "not a header")
                       .append(WireBytes().tag().begin("").integer("n", 1).end().endOfTree())
                       .append(headerDocument("Server", 0, 4, 2, "good"))
                       .append(EmptyBranchDocument);
  BRMessage message;
  message.ErrorCode = 3;
  CMemoryStream in = wire.stream();
  EXPECT_THROW(message.receive(in), NodeNotFoundException);
  EXPECT_EQ(message.ErrorCode, 3) << "no value taken";
  EXPECT_EQ(message.header().childCount(), 0u);
  EXPECT_EQ(message.dataBranch()->getInteger("n"), 1);

  RecordingStream out;
  EXPECT_NO_THROW(message.send(out, 0));
  // Both documents of the bad reply were consumed: the next reply reads cleanly.
  message.receive(in);
  EXPECT_EQ(message.SecurityDescriptor, "good");
  EXPECT_EQ(message.ProtocolVersion, 2);
}

TEST(BRMessage, FailuresWhileReadingLeaveWhatWasNotReadUnchanged) {
  BRMessage message;
  message.dataBranch()->setText("request", "kept");
  message.header().setText("old", "header");
  {
    // The header document breaks: nothing changes.
    CMemoryStream in = WireBytes().tag().begin("").u16(9).str("x").stream();
    EXPECT_THROW(message.receive(in), CBRWebIOStreamException);
    EXPECT_EQ(message.header().getText("old"), "header");
    EXPECT_EQ(message.dataBranch()->getText("request"), "kept");
  }
  {
    // The data document is cut short: the new header is stored, the data is not.
    CMemoryStream in = headerDocument("S", 1, 4, 1, "").append(WireBytes().tag().begin("")).stream();
    EXPECT_THROW(message.receive(in), CEndofStreamException);
    EXPECT_EQ(message.header().findText("old"), nullptr);
    EXPECT_EQ(message.header().getInteger("ErrorCode"), 1);
    EXPECT_EQ(message.dataBranch()->getText("request"), "kept");
    EXPECT_EQ(message.ErrorCode, 0) << "values are taken only after both documents";
  }
}

TEST(BRMessage, AccessorsMakeMissingHalves) {
  BRMessage message;
  EXPECT_EQ(message.tree().childCount(), 0u);
  EXPECT_EQ(message.header().childCount(), 0u);
  EXPECT_NE(message.dataBranch(), nullptr);
  EXPECT_EQ(message.tree().childCount(), 2u);
  message.tree().setText("header", "a leaf in the way");
  EXPECT_EQ(message.header().kind(), NodeKind::Branch);
  message.clear();
  EXPECT_EQ(message.tree().childCount(), 0u);
}

TEST(BRMessage, ExchangeOverALoopbackSocket) {
  const std::vector<unsigned char> reply =
      headerDocument("Server", 0, 4, 1, "ticket").append(WireBytes().tag().begin("").text("url", "http://x").end().endOfTree()).bytes();
  std::vector<unsigned char> request;
  BRMessage message;
  message.Agent = "Publish";
  message.MessageType = 4;
  message.dataBranch()->setText("path", "/tmp/report")->setIsSet(1);
  RecordingStream expected;
  {
    BRMessage copy;
    copy.Agent = "Publish";
    copy.MessageType = 4;
    copy.dataBranch()->setText("path", "/tmp/report")->setIsSet(1);
    copy.send(expected, 1);
  }
  LoopbackPeer peer;
  peer.serve([&](int fd) {
    request = LoopbackPeer::receive(fd, expected.bytes.size());
    LoopbackPeer::sendAll(fd, reply);
  });
  int sends = 0, receives = 0;
  platform::SocketCalls counting = platform::posixSocketCalls();
  counting.send = [&](int h, const void* b, std::size_t n, int f) {
    ++sends;
    return ::send(h, b, n, f);
  };
  counting.recv = [&](int h, void* b, std::size_t n, int f) {
    ++receives;
    return ::recv(h, b, n, f);
  };
  platform::ScopedSocketCalls seam(counting);
  CSocket socket;
  socket.resolve("127.0.0.1");
  socket.connect(peer.port());
  message.send(socket, 1);
  message.receive(socket);
  peer.join();
  EXPECT_EQ(request, expected.bytes);
  EXPECT_EQ(sends, 1) << "the whole request in one send";
  EXPECT_LE(receives, 2) << "the reply's fields come out of the receive buffer";
  EXPECT_EQ(message.SecurityDescriptor, "ticket");
  EXPECT_EQ(message.dataBranch()->getText("url"), "http://x");
}

}  // namespace
