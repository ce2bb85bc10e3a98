#include <gtest/gtest.h>

#include "AdminTestSupport.h"
#include "admin/CurrentSession.h"
#include "common/AttributeTreeException.h"

namespace admin_test {
namespace {

// Which login function and which credentials it passes.
struct Caller {
    const char* name;
    std::int32_t (*login)(const char* server);
    const char* expectedField;  // the one credential field on the wire
    const char* expectedValue;
    const char* expectedPassword;  // "password" beside "user_id", else null
};

std::int32_t loginPassword(const char* server) { return besLogin(server, "old-pw"); }
std::int32_t loginNullPassword(const char* server) { return besLogin(server, nullptr); }
std::int32_t loginTicket(const char* server) { return besLoginTicket(server, "tkt"); }
std::int32_t loginUser(const char* server) { return besLoginUserPassword(server, "ann", "pw"); }
std::int32_t loginUserEmptyPassword(const char* server) {
    return besLoginUserPassword(server, "ann", "");
}

const Caller callers[] = {
    {"besLogin", loginPassword, "old_password", "old-pw", nullptr},
    {"besLoginNullPassword", loginNullPassword, "old_password", "", nullptr},
    {"besLoginTicket", loginTicket, "ticket", "tkt", nullptr},
    {"besLoginUserPassword", loginUser, "user_id", "ann", "pw"},
    {"besLoginUserEmptyPassword", loginUserEmptyPassword, "user_id", "ann", ""},
};

class LoginTest : public AdminTest {};

TEST_F(LoginTest, OpenServerIsLoggedIntoWithoutCredentials) {
    for (const Caller& caller : callers) {
        SCOPED_TRACE(caller.name);
        FakeReportServer server({{openLogin()}});
        EXPECT_EQ(caller.login(server.address().c_str()), 0);
        EXPECT_NE(CurrentSession::get(), nullptr);
        besLogout();
        server.stop();
        ASSERT_EQ(server.requestCount(), 1u);
        const RecordedRequest& request = server.connection(0).requests[0];
        EXPECT_EQ(request.header.getInteger("MessageType"), 2);
        EXPECT_EQ(request.header.getText("Agent"), "BRWebServer");
        EXPECT_EQ(request.data.getText("pre_login"), "1");
        EXPECT_EQ(request.data.childCount(), 1u);
    }
}

TEST_F(LoginTest, OpenServerPreLoginErrorCodeIsTheResult) {
    FakeReportServer server({{reply(openServer(), 17)}});
    EXPECT_EQ(besLogin(server.address().c_str(), "pw"), 17);
    EXPECT_EQ(CurrentSession::get(), nullptr);
    server.stop();
    EXPECT_EQ(server.requestCount(), 1u);
}

// How the pre-login reply decides whether credentials are sent.
struct ModeCase {
    const char* name;
    AttributeTree preLogin;
    bool secured;
};

TEST_F(LoginTest, PreLoginReplyDecidesWhetherTheServerIsSecured) {
    AttributeTree caseMode = passwordServer(1);
    caseMode.setText("Mode", "Password");
    caseMode.setText("ServerNamespace", "ns");
    caseMode.setText("ACL", "");
    const ModeCase cases[] = {
        {"password mode, Secured 0", passwordServer(0), false},
        {"password mode, Secured 1", passwordServer(1), true},
        {"password mode, Secured -3", passwordServer(-3), true},
        {"other mode, empty ACL", openServer(), false},
        {"other mode, ACL", aclServer("admins"), true},
        {"Mode differing in case is not the password mode", caseMode, false},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({{reply(c.preLogin), reply(permission(1))}});
        EXPECT_EQ(besLogin(server.address().c_str(), "pw"), 0);
        besLogout();
        server.stop();
        const auto& requests = server.connection(0).requests;
        ASSERT_EQ(requests.size(), c.secured ? 2u : 1u);
        if (c.secured) {
            EXPECT_EQ(requests[1].header.getInteger("MessageType"), 2);
            EXPECT_EQ(requests[1].data.getText("old_password"), "pw");
        }
    }
}

TEST_F(LoginTest, SecuredLoginSendsExactlyOneCredential) {
    for (const Caller& caller : callers) {
        SCOPED_TRACE(caller.name);
        FakeReportServer server({{reply(passwordServer(1)), reply(permission(1))}});
        EXPECT_EQ(caller.login(server.address().c_str()), 0);
        EXPECT_NE(CurrentSession::get(), nullptr);
        besLogout();
        server.stop();
        ASSERT_EQ(server.requestCount(), 2u);
        const AttributeTree& data = server.connection(0).requests[1].data;
        EXPECT_EQ(data.getText(caller.expectedField), caller.expectedValue);
        EXPECT_EQ(data.childCount(), caller.expectedPassword ? 2u : 1u);
        if (caller.expectedPassword) {
            EXPECT_EQ(data.getText("password"), caller.expectedPassword);
        }
    }
}

// The pre-login reply's ErrorCode decides nothing for a secured server: the credentials still go
// out, carrying that code in their header like every request after a reply.
TEST_F(LoginTest, SecuredServerIgnoresThePreLoginErrorCode) {
    FakeReportServer server({{reply(passwordServer(1), 17), reply(permission(1))}});
    EXPECT_EQ(besLogin(server.address().c_str(), "pw"), 0);
    EXPECT_NE(CurrentSession::get(), nullptr);
    besLogout();
    server.stop();
    const auto& requests = server.connection(0).requests;
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].data.getText("old_password"), "pw");
    EXPECT_EQ(requests[1].header.getInteger("ErrorCode"), 17);
}

TEST_F(LoginTest, SecuredLoginResults) {
    AttributeTree noPermission;
    AttributeTree textPermission;
    textPermission.setText("permission", "1");
    const struct {
        const char* name;
        ScriptedReply loginReply;
        std::int32_t result;
    } cases[] = {
        {"permission 1", reply(permission(1)), 0},
        {"permission 0", reply(permission(0)), 4},
        {"no permission", reply(noPermission), 4},
        {"permission as text", reply(textPermission), 4},
        {"server refuses", reply(permission(1), 1201), 1201},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({{reply(passwordServer(1)), c.loginReply}});
        EXPECT_EQ(besLoginUserPassword(server.address().c_str(), "ann", "pw"), c.result);
        EXPECT_EQ(CurrentSession::get() != nullptr, c.result == 0);
        server.stop();
        EXPECT_EQ(server.requestCount(), 2u);
    }
}

TEST_F(LoginTest, PreLoginReplyLackingAFieldRaisesNodeNotFound) {
    AttributeTree noMode;
    noMode.setText("ACL", "");
    AttributeTree noSecured;
    noSecured.setText("Mode", "password");
    AttributeTree noNamespace;
    noNamespace.setText("Mode", "nt");
    noNamespace.setText("ACL", "");
    AttributeTree noAcl;
    noAcl.setText("Mode", "nt");
    noAcl.setText("ServerNamespace", "ns");
    AttributeTree modeAsInteger;
    modeAsInteger.setInteger("Mode", 1);
    AttributeTree leaf;
    leaf.setText("x", "y");
    const struct {
        const char* name;
        ScriptedReply preLogin;
    } cases[] = {
        {"no Mode", reply(noMode)},
        {"password mode without Secured", reply(noSecured)},
        {"no ServerNamespace", reply(noNamespace)},
        {"no ACL", reply(noAcl)},
        {"Mode not a text", reply(modeAsInteger)},
        {"data is a leaf document", ScriptedReply::leafData(*leaf.find("x"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer earlier({{openLogin()}});
        ASSERT_EQ(besLogin(earlier.address().c_str(), "pw"), 0);
        FakeReportServer second({{c.preLogin}});
        EXPECT_THROW(besLogin(second.address().c_str(), "pw"), NodeNotFoundException);
        EXPECT_EQ(CurrentSession::get(), nullptr);
        second.stop();
        EXPECT_EQ(second.requestCount(), 1u);
        EXPECT_TRUE(second.connection(0).closedByClient);
    }
}

TEST_F(LoginTest, MissingArgumentsGiveThreeWithoutConnecting) {
    FakeReportServer server({{openLogin()}});
    const std::string address = server.address();
    const char* at = address.c_str();
    EXPECT_EQ(besLogin(nullptr, "pw"), 3);
    EXPECT_EQ(besLoginTicket(nullptr, "tkt"), 3);
    EXPECT_EQ(besLoginTicket(at, nullptr), 3);
    EXPECT_EQ(besLoginUserPassword(at, "ann", nullptr), 3);
    EXPECT_EQ(besLoginUserPassword(at, nullptr, "pw"), 3);
    EXPECT_EQ(besLoginUserPassword(nullptr, "ann", "pw"), 3);
    EXPECT_EQ(CurrentSession::get(), nullptr);
    server.stop();
    EXPECT_TRUE(server.connections().empty());
}

TEST_F(LoginTest, ArgumentErrorEndsAnEarlierSession) {
    FakeReportServer server({{openLogin()}});
    ASSERT_EQ(besLogin(server.address().c_str(), "pw"), 0);
    EXPECT_EQ(besLoginTicket(server.address().c_str(), nullptr), 3);
    EXPECT_EQ(CurrentSession::get(), nullptr);
}

TEST_F(LoginTest, UnreachableServerGivesFour) {
    RefusingPort refusing;
    EXPECT_EQ(besLogin(refusing.address().c_str(), "pw"), 4);
    EXPECT_EQ(besLogin("127.0.0.1:70000", "pw"), 4);
    EXPECT_EQ(CurrentSession::get(), nullptr);
}

TEST_F(LoginTest, ConnectionNotMadeGivesFourAndSendsNothing) {
    for (ConnectFailure failure : {ConnectFailure::HostNotFound, ConnectFailure::SendFails}) {
        SCOPED_TRACE(failure == ConnectFailure::HostNotFound ? "host not found" : "preamble not sent");
        FakeReportServer earlier({{openLogin()}});
        ASSERT_EQ(besLogin(earlier.address().c_str(), "pw"), 0);
        FakeReportServer server({{openLogin()}});
        {
            FailingSocketCalls failing(failure);
            EXPECT_EQ(besLoginTicket(server.address().c_str(), "tkt"), 4);
        }
        EXPECT_EQ(CurrentSession::get(), nullptr);
        server.stop();
        EXPECT_EQ(server.requestCount(), 0u);
    }
}

TEST_F(LoginTest, ServerClosingDuringTheDialogueGivesFour) {
    const struct {
        const char* name;
        FakeReportServer::ConnectionScript script;
    } cases[] = {
        {"no pre-login answer", {ScriptedReply::closeAtOnce()}},
        {"no login answer", {reply(passwordServer(1)), ScriptedReply::closeAtOnce()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({c.script});
        EXPECT_EQ(besLogin(server.address().c_str(), "pw"), 4);
        EXPECT_EQ(CurrentSession::get(), nullptr);
    }
}

TEST_F(LoginTest, LogoutWithoutSessionIsHarmless) {
    besLogout();
    besLogout();
    EXPECT_EQ(CurrentSession::get(), nullptr);
}

TEST_F(LoginTest, LogoutClosesTheConnectionAndSendsNothing) {
    FakeReportServer server({{openLogin()}});
    ASSERT_EQ(besLogin(server.address().c_str(), "pw"), 0);
    besLogout();
    EXPECT_EQ(CurrentSession::get(), nullptr);
    server.stop();
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_TRUE(server.connection(0).closedByClient);
}

}  // namespace
}  // namespace admin_test
