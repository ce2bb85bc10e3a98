// Deadlines (besSetTimeouts) and failure reasons (besGetLastErrorText): servers that stall in each
// way a server can, with and without bounds set; the one-line reason of each kind of failure.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "AdminTestSupport.h"
#include "admin/CurrentSession.h"
#include "common/CBRWebIOStreamException.h"
#include "fixtures/StallingServer.h"

namespace admin_test {
namespace {

using fixtures::FullListener;
using fixtures::StallingServer;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Slack for a loaded machine between a deadline and the moment the call returns.
constexpr milliseconds kMargin{1500};

std::string lastErrorText() {
    char text[512];
    EXPECT_EQ(besGetLastErrorText(text, sizeof text), 0);
    return text;
}

milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

// The portal settings of a report server: a getObject of "/" answered with these.
ScriptedReply settingsReply() {
    AttributeTree data;
    data.setText("FLD.Publish.Lumora_url", "http://portal/lumora");
    data.setInteger("FLD.Publish.Lumora_port", 8020);
    return reply(data);
}

std::int32_t readSettings(const std::string& server) {
    char url[256] = "", port[32] = "";
    return besGetLumoraServerInfo(server.c_str(), url, sizeof url, port, sizeof port);
}

class DeadlineTest : public AdminTest {
protected:
    void TearDown() override {
        besSetTimeouts(0, 0);
        AdminTest::TearDown();
    }
};

// A server that stalls, in each way; the exchange gives up at its bound however the bytes
// arrive, with ETIMEDOUT at the receive, and closes the connection.
struct StallCase {
    const char* name;
    StallingServer::Mode mode;
    std::size_t holdAfter;
};

class StalledExchangeTest : public DeadlineTest, public ::testing::WithParamInterface<StallCase> {};

TEST_P(StalledExchangeTest, GivesUpAtTheBoundAndClosesTheConnection) {
    const StallCase& c = GetParam();
    StallingServer::Behaviour behaviour;
    behaviour.mode = c.mode;
    behaviour.reply = settingsReply().bytes();
    behaviour.holdAfter = c.holdAfter;
    behaviour.trickleInterval = milliseconds(100);
    StallingServer server(behaviour);
    const std::int32_t bound = 600;
    besSetTimeouts(1000, bound);

    const auto start = Clock::now();
    try {
        readSettings(server.address());
        FAIL() << "the exchange did not give up";
    } catch (const CBRWebIOStreamException& failure) {
        EXPECT_EQ(failure.code, 1071);
        EXPECT_EQ(failure.systemError, ETIMEDOUT);
        EXPECT_STREQ(failure.sourceFile, "common\\CSocket");
        EXPECT_EQ(failure.sourceLine, 234);
    }
    const milliseconds took = since(start);
    EXPECT_GE(took, milliseconds(bound - 20));
    EXPECT_LT(took, milliseconds(bound) + kMargin);
    EXPECT_EQ(lastErrorText(), "no reply from " + server.address() + " within 0.6 s");
    EXPECT_TRUE(server.waitClosedByClient(1, milliseconds(2000))) << "the timed-out connection stays open";
    EXPECT_EQ(CurrentSession::get(), nullptr);

    // The next call, on a fresh connection, is answered.
    FakeReportServer healthy({{settingsReply()}});
    EXPECT_EQ(readSettings(healthy.address()), 0);
    EXPECT_EQ(lastErrorText(), "");
}

INSTANTIATE_TEST_SUITE_P(Stalls, StalledExchangeTest,
                         ::testing::Values(StallCase{"Silent", StallingServer::Mode::Silent, 0},
                                           StallCase{"StopsInTheHeader", StallingServer::Mode::Hold, 5},
                                           StallCase{"StopsBeforeTheLastByte", StallingServer::Mode::Hold,
                                                     settingsReply().bytes().size() - 1},
                                           StallCase{"TricklesOneByteAtATime", StallingServer::Mode::Trickle, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeadlineTest, LoginToASilentServerGivesFourAtTheBound) {
    StallingServer server({});
    besSetTimeouts(1000, 400);
    const auto start = Clock::now();
    EXPECT_EQ(besLogin(server.address().c_str(), "pw"), 4);
    EXPECT_LT(since(start), milliseconds(400) + kMargin);
    EXPECT_EQ(CurrentSession::get(), nullptr);
    EXPECT_EQ(lastErrorText(), "no reply from " + server.address() + " within 0.4 s");
}

TEST_F(DeadlineTest, ConnectThatNeverCompletesGivesFourAtTheBound) {
    FullListener listener;
    if (!listener.full()) GTEST_SKIP() << "this system completes connects to a full accept queue";
    besSetTimeouts(300, 0);
    const auto start = Clock::now();
    EXPECT_EQ(besLogin(listener.address().c_str(), "pw"), 4);
    const milliseconds took = since(start);
    EXPECT_GE(took, milliseconds(280));
    EXPECT_LT(took, milliseconds(300) + kMargin);
    EXPECT_EQ(lastErrorText(), "no connection to " + listener.address() + " within 0.3 s");
}

// Bounds set and a server that answers in time: the exchanges are those of no bounds at all.
TEST_F(DeadlineTest, BoundsDoNotChangeAnExchangeInTime) {
    besSetTimeouts(2000, 2000);
    AttributeTree folder;
    folder.setText("Content.report.Name", "sales");
    FakeReportServer server({{openLogin(), reply(folder), reply(folder)}, {settingsReply()}});
    logIn(server);
    for (int i = 0; i < 2; ++i) {
        AttributeTree content;
        EXPECT_EQ(besList("/", &content), 0);
        EXPECT_STREQ(content.findText("report.Name"), "sales");
    }
    EXPECT_EQ(readSettings(server.address()), 0);
    EXPECT_EQ(lastErrorText(), "");
}

TEST_F(DeadlineTest, NegativeBoundsWaitForEver) {
    besSetTimeouts(-5, -1);
    StallingServer server({StallingServer::Mode::Hold, settingsReply().bytes(), 3, milliseconds(1000),
                           milliseconds(1200)});
    // With no bound the client waits until the server gives up after its lifetime and closes.
    const auto start = Clock::now();
    EXPECT_THROW(readSettings(server.address()), CBRWebIOStreamException);
    EXPECT_GE(since(start), milliseconds(1000));
    EXPECT_EQ(lastErrorText(), "the server closed the connection in the middle of its reply");
}

// The reason of each kind of failure, one line.
TEST_F(DeadlineTest, EachFailureSaysWhy) {
    RefusingPort refusing;
    EXPECT_EQ(besLogin(refusing.address().c_str(), "pw"), 4);
    EXPECT_EQ(lastErrorText(), "connection refused by " + refusing.address());

    EXPECT_EQ(besLogin("127.0.0.1:70000", "pw"), 4);
    EXPECT_EQ(lastErrorText(), "port 70000 is outside 1..65535");

    {
        FailingSocketCalls noNames(ConnectFailure::HostNotFound);
        EXPECT_EQ(besLogin("reprots.example", "pw"), 4);
        EXPECT_EQ(lastErrorText(), "no such host 'reprots.example'");
    }
    {
        FakeReportServer server({{settingsReply().cutAfter(settingsReply().bytes().size() - 2)}});
        EXPECT_THROW(readSettings(server.address()), CBRWebIOStreamException);
        EXPECT_EQ(lastErrorText(), "the server closed the connection in the middle of its reply");
    }
    {
        FakeReportServer server({{ScriptedReply::closeAtOnce()}});
        EXPECT_THROW(readSettings(server.address()), CBRWebIOStreamException);
        EXPECT_EQ(lastErrorText(), "the server at " + server.address() + " closed the connection without replying");
    }
    {
        FakeReportServer server({{errorReply(9007)}});
        EXPECT_EQ(readSettings(server.address()), 9007);
        EXPECT_EQ(lastErrorText(), "The report server refused the login.");
    }
    {
        FakeReportServer server({{reply(passwordServer(1)), reply(permission(0))}});
        EXPECT_EQ(besLogin(server.address().c_str(), "pw"), 4);
        EXPECT_EQ(lastErrorText(), "the report server granted this login no permission");
    }
    AttributeTree tree;
    EXPECT_EQ(besList("/", &tree), 1);
    EXPECT_EQ(lastErrorText(), "there is no current session; log in first");
    EXPECT_EQ(readSettings(""), 3);
    EXPECT_EQ(lastErrorText(), "a required argument is missing or empty");
}

TEST_F(DeadlineTest, LastErrorTextIsWrittenWithinItsCapacity) {
    RefusingPort refusing;
    ASSERT_EQ(besLogin(refusing.address().c_str(), "pw"), 4);
    const std::string reason = "connection refused by " + refusing.address();

    std::vector<char> exact(reason.size() + 1, 'x');
    EXPECT_EQ(besGetLastErrorText(exact.data(), static_cast<std::int32_t>(exact.size())), 0);
    EXPECT_EQ(std::string(exact.data()), reason);

    std::vector<char> short_(reason.size(), 'x');
    EXPECT_EQ(besGetLastErrorText(short_.data(), static_cast<std::int32_t>(short_.size())), 1);
    EXPECT_EQ(std::string(short_.begin(), short_.end()), std::string(reason.size(), 'x'));

    char one[1] = {'x'};
    EXPECT_EQ(besGetLastErrorText(nullptr, 10), 3);
    EXPECT_EQ(besGetLastErrorText(one, 0), 3);
    EXPECT_EQ(one[0], 'x');
}

TEST_F(DeadlineTest, TheReasonBelongsToTheCallingThread) {
    RefusingPort refusing;
    ASSERT_EQ(besLogin(refusing.address().c_str(), "pw"), 4);
    std::string other = "unset";
    std::thread([&] { other = lastErrorText(); }).join();
    EXPECT_EQ(other, "");
    EXPECT_NE(lastErrorText(), "");
}

// Calls from several threads at once queue instead of racing on the one current session: under
// the sanitizer build a race here is a use after free of a session or its connection.
TEST_F(DeadlineTest, ConcurrentCallsQueueOnTheCurrentSession) {
    AttributeTree answer = openServer();
    answer.setText("Content.report.Name", "sales");
    const ScriptedReply any = reply(answer);
    constexpr int kRounds = 20;
    std::vector<FakeReportServer::ConnectionScript> scripts(kRounds * 2,
                                                            FakeReportServer::ConnectionScript(kRounds * 2 + 1, any));
    FakeReportServer server(scripts);
    const std::string address = server.address();

    std::atomic<int> unexpected{0};
    std::thread loginThread([&] {
        for (int i = 0; i < kRounds; ++i) {
            if (besLogin(address.c_str(), "pw") != 0) ++unexpected;
        }
    });
    std::thread listThread([&] {
        for (int i = 0; i < kRounds; ++i) {
            AttributeTree tree;
            const std::int32_t result = besList("/", &tree);
            if (result != 0 && result != 1) ++unexpected;
            if (result == 0 && tree.findText("report.Name") == nullptr) ++unexpected;
        }
    });
    std::thread logoutThread([&] {
        for (int i = 0; i < kRounds; ++i) {
            besLogout();
            std::this_thread::yield();
        }
    });
    loginThread.join();
    listThread.join();
    logoutThread.join();
    besLogout();
    EXPECT_EQ(unexpected, 0);
}

}  // namespace
}  // namespace admin_test
