// The server cuts its reply after every byte offset in turn; each call must end the way a
// transport failure of that kind of operation ends, and nothing may crash or leak.
#include <gtest/gtest.h>

#include "AdminTestSupport.h"
#include "admin/CurrentSession.h"
#include "common/CBRWebIOStreamException.h"

namespace admin_test {
namespace {

class FaultTest : public AdminTest {};

TEST_F(FaultTest, LoginCutAnywhereGivesFour) {
    const ScriptedReply preLogin = reply(passwordServer(1), 0, "sd");
    const ScriptedReply login = reply(permission(1));
    for (std::size_t cut = 0; cut < preLogin.bytes().size(); ++cut) {
        SCOPED_TRACE("pre-login reply cut after " + std::to_string(cut));
        FakeReportServer server({{preLogin.cutAfter(cut)}});
        ASSERT_EQ(besLogin(server.address().c_str(), "pw"), 4);
        ASSERT_EQ(CurrentSession::get(), nullptr);
    }
    for (std::size_t cut = 0; cut < login.bytes().size(); ++cut) {
        SCOPED_TRACE("login reply cut after " + std::to_string(cut));
        FakeReportServer server({{preLogin, login.cutAfter(cut)}});
        ASSERT_EQ(besLoginTicket(server.address().c_str(), "tkt"), 4);
        ASSERT_EQ(CurrentSession::get(), nullptr);
    }
    FakeReportServer whole({{preLogin, login}});
    EXPECT_EQ(besLoginTicket(whole.address().c_str(), "tkt"), 0);
}

TEST_F(FaultTest, PublishCutAnywhereRaisesAndDropsTheSession) {
    AttributeTree answer;
    answer.setText("URL", "http://server/gateway?DC=R&E=C");
    const ScriptedReply published = reply(answer);
    for (std::size_t cut = 0; cut < published.bytes().size(); ++cut) {
        SCOPED_TRACE("publish reply cut after " + std::to_string(cut));
        FakeReportServer server({{published.cutAfter(cut)}});
        char url[64] = "keep";
        ASSERT_THROW(besPublishReport(server.address().c_str(), "n", "d", "/r.brx", url, 64),
                     CBRWebIOStreamException);
        ASSERT_STREQ(url, "keep");
        ASSERT_EQ(CurrentSession::get(), nullptr);
    }
}

TEST_F(FaultTest, UpdateCutAnywhereRaisesAndKeepsTheSession) {
    AttributeTree current = object("9");
    current.setText("Mirrors", "lpwq://b");
    const ScriptedReply read = reply(current);
    const ScriptedReply written = errorReply(0);
    const struct {
        const char* name;
        const ScriptedReply& cutReply;
        bool cutsTheWrite;
    } phases[] = {{"getObject reply", read, false}, {"setObject reply", written, true}};
    for (const auto& phase : phases) {
        for (std::size_t cut = 0; cut < phase.cutReply.bytes().size(); ++cut) {
            SCOPED_TRACE(std::string(phase.name) + " cut after " + std::to_string(cut));
            FakeReportServer::ConnectionScript script{openLogin()};
            if (phase.cutsTheWrite) {
                script.push_back(read);
                script.push_back(written.cutAfter(cut));
            } else {
                script.push_back(read.cutAfter(cut));
            }
            FakeReportServer server({script});
            ASSERT_EQ(besLogin(server.address().c_str(), "pw"), 0);
            ASSERT_THROW(besAppendMR("/r", "//host/a"), CBRWebIOStreamException);
            ASSERT_NE(CurrentSession::get(), nullptr);
            besLogout();
            server.stop();
            ASSERT_EQ(server.requestCount(), phase.cutsTheWrite ? 3u : 2u);
        }
    }
}

}  // namespace
}  // namespace admin_test
