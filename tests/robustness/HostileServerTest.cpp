// A hostile report server: lengths past the bound, a tree nested past the bound, a header
// document that never ends. Each must end the call with a clear transport error (code 1074, the
// tree format's failure) without allocating what the server announced, and the session rules
// still hold.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "RobustnessSupport.h"
#include "common/CInputStream.h"
#include "common/FastTreeStreamer.h"
#include "robustness/MemoryProbe.h"
#include "robustness/fixtures/ResponderServer.h"

namespace robustness {
namespace {

std::string u16(std::uint16_t v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
std::string u32(std::uint32_t v) { return u16(static_cast<std::uint16_t>(v >> 16)) + u16(static_cast<std::uint16_t>(v)); }
std::string counted(const std::string& s) { return u16(static_cast<std::uint16_t>(s.size())) + s; }
const std::string Tag = counted("ATFormat2");
const std::string EmptyDataDocument = Tag + u16(1) + counted("") + u16(2) + counted("") + u16(6);

// A header document whose first entry is a text leaf "Agent" with a long-form length, followed
// by a few bytes only.
std::string headerWithTextLength(std::uint32_t length) {
    return Tag + u16(1) + counted("") + u16(4) + counted("Agent") + u16(0xFFFF) + u32(length) + "abc";
}

std::string headerWithBinaryLength(std::uint32_t length) {
    return Tag + u16(1) + counted("") + u16(5) + counted("Blob") + u32(length) + "abc";
}

// A reply whose data document nests depth branches (the root counts), then closes them all.
std::string replyNested(int depth) {
    std::string data = Tag + u16(1) + counted("");
    for (int i = 1; i < depth; ++i) data += u16(1) + counted("b");
    for (int i = 0; i < depth; ++i) data += u16(2) + counted("");
    data += u16(6);
    AttributeTree empty;
    const std::string reply = replyBytes(empty);
    return reply.substr(0, reply.size() - EmptyDataDocument.size()) + data;
}

struct CallResult {
    Outcome outcome;
    int code = -1;  // the transport exception's code, when one left the call
};

CallResult publishThrough(const ResponderServer& server) {
    CallResult result;
    result.outcome = Outcome::of([&] {
        char url[256] = "";
        try {
            return besPublishReport(server.address().c_str(), "sales", "", "/tmp/sales.brx", url, sizeof url);
        } catch (const CBRWebIOStreamException& e) {
            result.code = e.code;
            throw;
        }
    });
    return result;
}

class HostileServerTest : public RobustnessTest {};

TEST_F(HostileServerTest, LengthsPastTheBoundAreRefusedBeforeAnyAllocation) {
    struct Case {
        const char* what;
        std::string reply;
    };
    const Case cases[] = {
        {"text length one past the bound", headerWithTextLength(CInputStream::MaxStringLength + 1)},
        {"text length 4 GiB - 1", headerWithTextLength(0xFFFFFFFFu)},
        {"binary length one past the bound", headerWithBinaryLength(CInputStream::MaxStringLength + 1)},
        {"binary length 4 GiB - 1", headerWithBinaryLength(0xFFFFFFFFu)},
    };
    for (const Case& c : cases) {
        ResponderServer server([&](std::size_t, const AttributeTree&, ReplyChannel& channel) {
            channel.send(c.reply);  // and keep the connection open: the client must not wait
        });
        MemoryProbe memory;
        const CallResult result = publishThrough(server);
        EXPECT_EQ(result.outcome.kind, Outcome::Kind::TransportFailure) << c.what << ": " << result.outcome;
        EXPECT_EQ(result.code, 1074) << c.what;
        EXPECT_FALSE(result.outcome.sessionAfter) << c.what;
        EXPECT_LT(memory.growthBytes(), 16u << 20) << c.what << ": memory grew by " << memory.growthBytes();
        server.stop();
    }
}

TEST_F(HostileServerTest, NestingIsAcceptedUpToTheBoundAndRefusedPastIt) {
    for (int depth : {FastTreeStreamer::MaxDepth, FastTreeStreamer::MaxDepth + 1, 100000}) {
        ResponderServer server([&](std::size_t, const AttributeTree&, ReplyChannel& channel) {
            channel.send(replyNested(depth));
        });
        const CallResult result = publishThrough(server);
        if (depth <= FastTreeStreamer::MaxDepth) {
            // Read whole; the reply simply has no "URL".
            EXPECT_EQ(result.outcome.kind, Outcome::Kind::Returned) << depth << ": " << result.outcome;
            EXPECT_EQ(result.outcome.code, 1) << depth;
        } else {
            EXPECT_EQ(result.outcome.kind, Outcome::Kind::TransportFailure) << depth << ": " << result.outcome;
            EXPECT_EQ(result.code, 1074) << depth;
        }
        EXPECT_FALSE(result.outcome.sessionAfter);
        server.stop();
    }
}

// The server opens a header document and then sends text entries without end (the same name
// again and again, so the client's memory would stay flat even if it kept reading). The reader
// must give up with the format failure after a bounded number of entries; the server sends at
// most EntryCap of them and then ends the connection, which would give end of stream instead.
TEST_F(HostileServerTest, HeaderDocumentThatNeverEndsIsRefused) {
    constexpr std::size_t EntryCap = std::size_t{3} << 20;
    constexpr std::size_t EntriesPerChunk = 4096;
    const std::string entry = u16(4) + counted("Agent") + counted("x") + u16(0) + counted("");
    std::string chunk;
    for (std::size_t i = 0; i < EntriesPerChunk; ++i) chunk += entry;
    std::size_t entriesSent = 0;
    ResponderServer server([&](std::size_t, const AttributeTree&, ReplyChannel& channel) {
        if (!channel.send(Tag + u16(1) + counted(""))) return;
        while (entriesSent < EntryCap && channel.send(chunk)) entriesSent += EntriesPerChunk;
        channel.close();
    });
    MemoryProbe memory;
    const CallResult result = publishThrough(server);
    server.stop();
    EXPECT_EQ(result.outcome.kind, Outcome::Kind::TransportFailure) << result.outcome;
    EXPECT_EQ(result.code, 1074) << "the reader took " << entriesSent
                                 << " entries of one document without a bound (code 0 is end of stream)";
    EXPECT_LT(entriesSent, EntryCap);
    EXPECT_LT(memory.growthBytes(), 64u << 20);
    EXPECT_FALSE(result.outcome.sessionAfter);
}

// The same for a login: the dialogue turns the failure into 4 and keeps no session.
TEST_F(HostileServerTest, LoginAgainstAHostileServerFailsWithFour) {
    ResponderServer server([&](std::size_t, const AttributeTree&, ReplyChannel& channel) {
        channel.send(headerWithTextLength(0xFFFFFFF0u));
    });
    const Outcome outcome = Outcome::of([&] { return besLogin(server.address().c_str(), "secret"); });
    EXPECT_EQ(outcome.kind, Outcome::Kind::Returned) << outcome;
    EXPECT_EQ(outcome.code, 4);
    EXPECT_FALSE(outcome.sessionAfter);
}

}  // namespace
}  // namespace robustness
