#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AdminTestSupport.h"
#include "admin/CurrentSession.h"

namespace admin_test {
namespace {

// Every function that works on the current session, called with harmless arguments.
struct SessionCall {
    const char* name;
    std::function<std::int32_t()> call;
};

std::vector<SessionCall> sessionCalls() {
    static AttributeTree tree;
    return {
        {"besBulkPublish", [] { return besBulkPublish("/r"); }},
        {"besCreateObject", [] { return besCreateObject("Report", "/r", "d", "l", "m"); }},
        {"besAppendMR", [] { return besAppendMR("/r", "//host/a"); }},
        {"besCopyObject", [] { return besCopyObject("/r", "/s"); }},
        {"besEnableObject", [] { return besEnableObject("/r", "ENABLE"); }},
        {"besGetProperties", [] { return besGetProperties("/r", -1, 0, &tree); }},
        {"besList", [] { return besList("/r", &tree); }},
        {"besMoveObject", [] { return besMoveObject("/r", "/s"); }},
        {"besRemoveObject", [] { return besRemoveObject("/r"); }},
        {"besRemoveFolder", [] { return besRemoveFolder("/r"); }},
        {"besRemovePath", [] { return besRemovePath("/r", 0); }},
        {"besRemoveMR", [] { return besRemoveMR("/r", "//host/a"); }},
        {"besResetBelow", [] { return besResetBelow("/r", &tree); }},
        {"besResetProperties", [] { return besResetProperties("/r", &tree); }},
        {"besSetProperties", [] { return besSetProperties("/r", &tree); }},
    };
}

void expectEveryCallReturnsOne() {
    for (const SessionCall& c : sessionCalls()) EXPECT_EQ(c.call(), 1) << c.name;
}

class SessionDisciplineTest : public AdminTest {};

TEST_F(SessionDisciplineTest, EveryOperationReturnsOneBeforeLogin) { expectEveryCallReturnsOne(); }

TEST_F(SessionDisciplineTest, EveryOperationReturnsOneAfterLogoutAndSendsNothing) {
    FakeReportServer server({{openLogin()}});
    logIn(server);
    besLogout();
    expectEveryCallReturnsOne();
    server.stop();
    EXPECT_EQ(server.requestCount(), 1u);
}

// Each per-call function, against a server that answers it, then leaves no session behind.
struct PerCall {
    const char* name;
    std::function<std::int32_t(const std::string& address)> call;
    std::size_t requests;
    std::int32_t result;
};

TEST_F(SessionDisciplineTest, PerCallOperationEndsAnEarlierLogin) {
    const PerCall perCalls[] = {
        {"besPublishReport",
         [](const std::string& a) {
             char url[64] = "";
             return besPublishReport(a.c_str(), "n", "d", "/tmp/r.brx", url, sizeof url);
         },
         1, 0},
        {"brwebPublishReport",
         [](const std::string& a) {
             char url[64] = "";
             return brwebPublishReport(a.c_str(), "n", "d", "/tmp/r.brx", url, sizeof url);
         },
         1, 0},
        {"besPublishReportLumora",
         [](const std::string& a) {
             char gateway[64] = "", content[64] = "";
             return besPublishReportLumora(a.c_str(), "n", "d", "/tmp/r.brx", gateway,
                                           sizeof gateway, content, sizeof content);
         },
         1, 0},
        {"besPublishReportEx",
         [](const std::string& a) {
             return besPublishReportEx(a.c_str(), nullptr, "x", nullptr, nullptr, "y", nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
         },
         0, 1},
        {"besGetLumoraServerInfo",
         [](const std::string& a) {
             char url[64] = "", port[12] = "";
             return besGetLumoraServerInfo(a.c_str(), url, sizeof url, port, sizeof port);
         },
         1, 0},
    };
    AttributeTree answer;
    answer.setText("URL", "u");
    answer.setText("gateway", "g");
    answer.setText("content", "c");
    for (const PerCall& perCall : perCalls) {
        SCOPED_TRACE(perCall.name);
        FakeReportServer login({{openLogin()}});
        logIn(login);
        FakeReportServer server({{reply(answer)}});
        EXPECT_EQ(perCall.call(server.address()), perCall.result);
        EXPECT_EQ(CurrentSession::get(), nullptr);
        expectEveryCallReturnsOne();
        login.stop();
        server.stop();
        EXPECT_EQ(login.requestCount(), 1u);                    // nothing more on the old session
        EXPECT_TRUE(login.connection(0).closedByClient);        // which was closed
        EXPECT_EQ(server.requestCount(), perCall.requests);
    }
}

TEST_F(SessionDisciplineTest, ANewLoginReplacesTheCurrentSession) {
    FakeReportServer first({{openLogin()}});
    FakeReportServer second({{openLogin("sd-2"), errorReply(0)}});
    logIn(first);
    logIn(second);
    EXPECT_EQ(besRemoveObject("/r"), 0);
    first.stop();
    second.stop();
    EXPECT_TRUE(first.connection(0).closedByClient);
    EXPECT_EQ(first.requestCount(), 1u);
    EXPECT_EQ(second.requestCount(), 2u);
}

TEST_F(SessionDisciplineTest, LoginSecurityDescriptorTravelsInEveryLaterRequest) {
    const AttributeTree folder = object("3");
    AttributeTree listing;
    listing.put("Content", &folder);
    FakeReportServer server({{
        reply(passwordServer(1), 0, "sd-pre"),
        reply(permission(1), 0, "sd-login"),
        reply(object("3"), 0, "sd-login"),    // getObject of besSetProperties
        reply(AttributeTree(), 0, "sd-login"),  // its setObject
        reply(listing, 0, "sd-next"),         // besList; the server hands out a new one
        errorReply(0),                        // besCopyObject
    }});
    ASSERT_EQ(besLogin(server.address().c_str(), "pw"), 0);
    AttributeTree properties;
    properties.setText("Name", "renamed");
    EXPECT_EQ(besSetProperties("/r", &properties), 0);
    AttributeTree tree;
    EXPECT_EQ(besList("/", &tree), 0);
    EXPECT_EQ(besCopyObject("/r", "/s"), 0);
    server.stop();
    const auto& requests = server.connection(0).requests;
    ASSERT_EQ(requests.size(), 6u);
    const char* expected[] = {"", "sd-pre", "sd-login", "sd-login", "sd-login", "sd-next"};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].header.getText("SecurityDescriptor"), expected[i]) << i;
        EXPECT_EQ(requests[i].header.getText("Agent"), "BRWebServer") << i;
        EXPECT_EQ(requests[i].header.getInteger("MessageType"), i < 2 ? 2 : 4) << i;
    }
}

TEST_F(SessionDisciplineTest, ServerCodeOfTheLastReplyTravelsInTheNextRequest) {
    ReplyHeader failed;
    failed.errorCode = 7;
    failed.protocolVersion = 3;
    FakeReportServer server({{openLogin(), ScriptedReply::message(failed), errorReply(0)}});
    logIn(server);
    EXPECT_EQ(besRemoveObject("/r"), 7);
    EXPECT_EQ(besRemoveObject("/r"), 0);
    server.stop();
    const auto& requests = server.connection(0).requests;
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].header.getInteger("ErrorCode"), 0);
    EXPECT_EQ(requests[0].header.getInteger("ProtocolVersion"), 1);
    EXPECT_EQ(requests[1].header.getInteger("ErrorCode"), 0);
    EXPECT_EQ(requests[2].header.getInteger("ErrorCode"), 7);
    EXPECT_EQ(requests[2].header.getInteger("ProtocolVersion"), 3);
}

}  // namespace
}  // namespace admin_test
