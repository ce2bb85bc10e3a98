// The sockets layer's seam: a send that takes one byte at a time, a recv interrupted by signals
// and a connection reset by the peer, seen through the exported functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>

#include "RobustnessSupport.h"
#include "common/CBRWebIOStreamException.h"
#include "fixtures/FakeReportServer.h"
#include "platform/Sockets.h"

namespace robustness {
namespace {

using fixtures::FakeReportServer;
using fixtures::ScriptedReply;

class SocketSeamTest : public RobustnessTest {};

platform::SocketCalls realCalls() { return platform::posixSocketCalls(); }

TEST_F(SocketSeamTest, SendTakingOneByteAtATimeStillSendsWholeRequests) {
    FakeReportServer reference({{ScriptedReply::message(openServerData()), ScriptedReply::message(objectData())}});
    FakeReportServer trickled({{ScriptedReply::message(openServerData()), ScriptedReply::message(objectData())}});
    AttributeTree first, second;
    ASSERT_EQ(besLogin(reference.address().c_str(), "secret"), 0);
    ASSERT_EQ(besGetProperties("/r", -1, 0, &first), 0);
    besLogout();
    {
        platform::SocketCalls calls = realCalls();
        std::size_t sends = 0;
        calls.send = [real = realCalls().send, &sends](platform::SocketHandle h, const void* b, std::size_t n, int f) {
            ++sends;
            return real(h, b, std::min<std::size_t>(n, 1), f);
        };
        platform::ScopedSocketCalls seam(calls);
        ASSERT_EQ(besLogin(trickled.address().c_str(), "secret"), 0);
        ASSERT_EQ(besGetProperties("/r", -1, 0, &second), 0);
        besLogout();
        EXPECT_GT(sends, 300u);
    }
    reference.stop();
    trickled.stop();
    ASSERT_EQ(trickled.connection(0).requests.size(), 2u);
    EXPECT_EQ(trickled.connection(0).preamble, reference.connection(0).preamble);
    for (std::size_t i = 0; i < 2; ++i)
        EXPECT_EQ(trickled.connection(0).requests[i].bytes, reference.connection(0).requests[i].bytes) << i;
    EXPECT_EQ(second.getText("Revision"), first.getText("Revision"));
}

TEST_F(SocketSeamTest, InterruptedReceivesAreRetried) {
    FakeReportServer server({{ScriptedReply::message(openServerData()), ScriptedReply::message(folderData())}});
    platform::SocketCalls calls = realCalls();
    std::size_t interruptions = 0;
    calls.recv = [real = realCalls().recv, &interruptions](platform::SocketHandle h, void* b, std::size_t n, int f) -> ssize_t {
        if (interruptions++ % 2 == 0) {
            errno = EINTR;
            return -1;
        }
        return real(h, b, n, f);
    };
    platform::ScopedSocketCalls seam(calls);
    AttributeTree listed;
    ASSERT_EQ(besLogin(server.address().c_str(), "secret"), 0);
    EXPECT_EQ(besList("/f", &listed), 0);
    EXPECT_EQ(listed.getText("b.Revision"), "3");
    EXPECT_GT(interruptions, 2u);
    besLogout();
    server.stop();
}

// recv fails with ECONNRESET on the n-th call (counting from the installation of the seam).
platform::SocketCalls resetOnReceive(std::size_t n, std::size_t& count) {
    platform::SocketCalls calls = realCalls();
    calls.recv = [real = realCalls().recv, n, &count](platform::SocketHandle h, void* b, std::size_t size, int f) -> ssize_t {
        if (++count == n) {
            errno = ECONNRESET;
            return -1;
        }
        return real(h, b, size, f);
    };
    return calls;
}

TEST_F(SocketSeamTest, ConnectionResetEndsEachKindOfCallAsDocumented) {
    // Login: the dialogue turns the failure into 4 and keeps no session.
    {
        FakeReportServer server({{ScriptedReply::message(openServerData())}});
        std::size_t count = 0;
        platform::ScopedSocketCalls seam(resetOnReceive(1, count));
        const Outcome outcome = Outcome::of([&] { return besLogin(server.address().c_str(), "secret"); });
        EXPECT_EQ(outcome.kind, Outcome::Kind::Returned) << outcome;
        EXPECT_EQ(outcome.code, 4);
        EXPECT_FALSE(outcome.sessionAfter);
        server.stop();
    }
    // Per call: the transport exception reaches the caller with the system's error number, and
    // the call's own session is gone.
    {
        FakeReportServer server({{ScriptedReply::message(publishData())}});
        std::size_t count = 0;
        platform::ScopedSocketCalls seam(resetOnReceive(1, count));
        int code = 0, systemError = 0;
        const Outcome outcome = Outcome::of([&] {
            char url[64] = "";
            try {
                return besPublishReport(server.address().c_str(), "n", "", "/tmp/r.brx", url, sizeof url);
            } catch (const CBRWebIOStreamException& e) {
                code = e.code;
                systemError = e.systemError;
                throw;
            }
        });
        EXPECT_EQ(outcome.kind, Outcome::Kind::TransportFailure) << outcome;
        EXPECT_EQ(code, 1071);
        EXPECT_EQ(systemError, ECONNRESET);
        EXPECT_FALSE(outcome.sessionAfter);
        server.stop();
    }
    // On the current session: the exception reaches the caller and the session stays current.
    {
        FakeReportServer server({{ScriptedReply::message(openServerData()), ScriptedReply::message(objectData())}});
        ASSERT_EQ(besLogin(server.address().c_str(), "secret"), 0);
        std::size_t count = 0;
        platform::ScopedSocketCalls seam(resetOnReceive(1, count));
        const Outcome outcome = Outcome::of([] { return besCopyObject("/r", "/s"); });
        EXPECT_EQ(outcome.kind, Outcome::Kind::TransportFailure) << outcome;
        EXPECT_TRUE(outcome.sessionAfter);
        besLogout();
        server.stop();
    }
}

}  // namespace
}  // namespace robustness
