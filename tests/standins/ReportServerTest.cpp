// brindle-server's report half through our own transport: the login dialogue, the object life
// cycle, publishing, restart, many clients and bad input.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/CBRWebIOStreamException.h"
#include "standins/HttpFetch.h"
#include "standins/ReportClient.h"
#include "standins/ServerProcess.h"
#include "standins/TestTickets.h"
#include "standins/server/DataFolder.h"
#include "standins/server/ServerErrors.h"

namespace {

class ReportServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start()) << server.error();
        client.connect(server.reportPort());
    }
    // A clean stop (exit status 0) also shows the server met no sanitizer finding.
    void TearDown() override {
        client.close();
        EXPECT_EQ(server.stop(), 0);
    }

    std::string text(const char* path) { return client.reply().getText(path, "<missing>"); }

    ServerProcess server;
    ReportClient client;
};

TEST_F(ReportServerTest, UnsecuredPreLoginNeedsNoCredentials) {
    BRMessage& m = client.preLogin();
    EXPECT_EQ(m.ErrorCode, 0);
    EXPECT_EQ(m.MessageType, 2);
    EXPECT_EQ(text("Mode"), "none");
    EXPECT_EQ(client.reply().getInteger("Secured", -1), 0);
    EXPECT_EQ(text("ServerNamespace"), "Brindle");
    EXPECT_EQ(text("ACL"), "");
    // Operations work without any login.
    EXPECT_EQ(client.createObject("/Open", ReportClient::properties("/Open", "Folder")).ErrorCode, 0);
}

TEST_F(ReportServerTest, RootPointsAtItsOwnPortal) {
    BRMessage& m = client.getObject("/", -1, 0);
    ASSERT_EQ(m.ErrorCode, 0);
    EXPECT_EQ(text("FLD.Publish.Lumora_url"), "http://127.0.0.1:" + std::to_string(server.portalPort()) + "/lumora");
    EXPECT_EQ(client.reply().getInteger("FLD.Publish.Lumora_port", -1), server.portalPort());
    EXPECT_EQ(text("Class"), "Folder");
    EXPECT_NE(client.reply().getBranch("Content.Published"), nullptr);
}

TEST_F(ReportServerTest, ObjectLifeCycle) {
    ASSERT_EQ(client.createObject("/Life", ReportClient::properties("/Life", "Folder", "a folder")).ErrorCode, 0);
    ASSERT_EQ(client.createObject("/Life/Q1", ReportClient::properties("/Life/Q1", "Report", "first")).ErrorCode, 0);

    BRMessage& got = client.getObject("/Life/Q1");
    ASSERT_EQ(got.ErrorCode, 0);
    EXPECT_EQ(text("Revision"), "1");
    EXPECT_EQ(text("Description"), "first");
    EXPECT_EQ(text("Path"), "/Life/Q1");
    EXPECT_EQ(text("Lumora_URL"), "");
    // Reply leaves are not marked set, so a revision-guarded write sends back only its changes.
    EXPECT_EQ(client.reply().find("Description")->isSet(), 0);

    AttributeTree change;
    change.setText("Description", "changed")->setIsSet(1);
    change.setText("Mirrors", "lpwq://host/a")->setIsSet(1);
    change.setText("Name", "not sent")->setIsSet(0);
    EXPECT_EQ(client.setObject("/Life/Q1", "1", change).ErrorCode, 0);
    EXPECT_EQ(client.setObject("/Life/Q1", "1", change).ErrorCode, ErrorStaleRevision);
    client.getObject("/Life/Q1");
    EXPECT_EQ(text("Revision"), "2");
    EXPECT_EQ(text("Description"), "changed");
    EXPECT_EQ(text("Mirrors"), "lpwq://host/a");
    EXPECT_EQ(text("Name"), "/Life/Q1");

    EXPECT_EQ(client.copyObject("/Life/Q1", "/Life/Q2").ErrorCode, 0);
    EXPECT_EQ(client.moveObject("/Life/Q2", "Q3").ErrorCode, 0);
    EXPECT_EQ(client.getObject("/Life/Q2").ErrorCode, ErrorObjectNotFound);
    ASSERT_EQ(client.getObject("/Life/Q3").ErrorCode, 0);
    EXPECT_EQ(text("Description"), "changed");
    EXPECT_EQ(text("Path"), "/Life/Q3");

    std::string revision = client.revisionOf("/Life/Q3");
    EXPECT_EQ(client.commandObject("/Life/Q3", revision, 1).ErrorCode, 0);
    client.getObject("/Life/Q3");
    EXPECT_EQ(text("Status"), "Enabled");
    EXPECT_EQ(client.commandObject("/Life/Q3", revision, 2).ErrorCode, ErrorStaleRevision);
    EXPECT_EQ(client.commandObject("/Life/Q3", client.revisionOf("/Life/Q3"), 2).ErrorCode, 0);
    client.getObject("/Life/Q3");
    EXPECT_EQ(text("Status"), "Disabled");

    ASSERT_EQ(client.getObject("/Life", -1, 1).ErrorCode, 0);
    const AttributeTree* content = client.reply().getBranch("Content");
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->childCount(), 2u);
    EXPECT_EQ(client.reply().getText("Content.Q1.Description", ""), "changed");

    EXPECT_EQ(client.bulkPublish("/Life").ErrorCode, 0);
    EXPECT_EQ(client.reply().getInteger("count", -1), 2);

    EXPECT_EQ(client.removeObject("/Life", 0).ErrorCode, ErrorFolderNotEmpty);
    EXPECT_EQ(client.removeObject("/Life", 1).ErrorCode, 0);
    EXPECT_EQ(client.getObject("/Life/Q1").ErrorCode, ErrorObjectNotFound);
}

TEST_F(ReportServerTest, RefusesBadOperationsWithTheirCodes) {
    ASSERT_EQ(client.createObject("/F", ReportClient::properties("/F", "Folder")).ErrorCode, 0);
    ASSERT_EQ(client.createObject("/F/R", ReportClient::properties("/F/R", "Report")).ErrorCode, 0);
    struct Case {
        const char* what;
        std::function<BRMessage&()> request;
        std::int32_t code;
    } cases[] = {
        {"missing object", [&]() -> BRMessage& { return client.getObject("/Nowhere"); }, ErrorObjectNotFound},
        {"missing parent", [&]() -> BRMessage& { return client.createObject("/No/X", ReportClient::properties("x", "Report")); }, ErrorObjectNotFound},
        {"parent not a folder", [&]() -> BRMessage& { return client.createObject("/F/R/X", ReportClient::properties("x", "Report")); }, ErrorBadRequest},
        {"exists", [&]() -> BRMessage& { return client.createObject("/F", ReportClient::properties("/F", "Folder")); }, ErrorAlreadyExists},
        {"bad name", [&]() -> BRMessage& { return client.createObject("/F/a.b", ReportClient::properties("x", "Report")); }, ErrorBadRequest},
        {"remove root", [&]() -> BRMessage& { return client.removeObject("/", 1); }, ErrorNotPermitted},
        {"move into itself", [&]() -> BRMessage& { return client.moveObject("/F", "/F/R/Deeper"); }, ErrorNotPermitted},
        {"copy onto existing", [&]() -> BRMessage& { return client.copyObject("/F/R", "/F"); }, ErrorAlreadyExists},
        {"unknown command", [&]() -> BRMessage& { return client.commandObject("/F/R", "1", 9); }, ErrorBadRequest},
        {"unknown operation", [&]() -> BRMessage& { AttributeTree d; d.setInteger("type", 108); d.setText("object", "/"); return client.exchange(4, d); }, ErrorBadRequest},
        {"no object field", [&]() -> BRMessage& { AttributeTree d; d.setInteger("type", 100); return client.exchange(4, d); }, ErrorBadRequest},
        {"unknown message type", [&]() -> BRMessage& { AttributeTree d; return client.exchange(7, d); }, ErrorBadRequest},
    };
    for (const Case& c : cases) {
        BRMessage& m = c.request();
        EXPECT_EQ(m.ErrorCode, c.code) << c.what;
        EXPECT_FALSE(client.reply().getText("ErrorText", "").empty()) << c.what;
    }
    for (std::int32_t code : {ErrorObjectNotFound, ErrorAlreadyExists, ErrorStaleRevision, ErrorBadRequest,
                              ErrorFileUnreadable, ErrorNotLoggedIn}) {
        for (std::int32_t reserved : {0, 1, 3, 4, 1102}) EXPECT_NE(code, reserved);
    }
}

TEST_F(ReportServerTest, PublishesAndRepublishesARealFile) {
    std::string file = server.writeScratchFile("report.xml", "<Report>first</Report>");
    BRMessage& m = client.publishReport("NI1", "Sales figures", file, "", 3072);
    ASSERT_EQ(m.ErrorCode, 0) << text("ErrorText");
    std::string url = text("URL");
    std::string gateway = "http://127.0.0.1:" + std::to_string(server.portalPort()) + "/gateway?DC=R&E=";
    ASSERT_EQ(url.rfind(gateway, 0), 0u) << url;
    std::string content = url.substr(gateway.size());

    HttpMessage fetched = httpFetch(server.portalPort(), "GET", "/gateway?DC=R&E=" + content);
    EXPECT_EQ(fetched.status, 200);
    EXPECT_EQ(fetched.body, "<Report>first</Report>");

    // The copy is the server's own: changing the file and publishing with the URL replaces it.
    server.writeScratchFile("report.xml", "<Report>second</Report>");
    ASSERT_EQ(client.publishReport("NI1", "", file, url, static_cast<int>(url.size()) + 1).ErrorCode, 0);
    EXPECT_EQ(text("URL"), url);
    EXPECT_EQ(httpFetch(server.portalPort(), "GET", "/gateway?DC=R&E=" + content).body, "<Report>second</Report>");

    ASSERT_EQ(client.getObject("/Published/" + content).ErrorCode, 0);
    EXPECT_EQ(text("Name"), "NI1");
    EXPECT_EQ(text("Lumora_URL"), url);
    EXPECT_EQ(text("Revision"), "2");

    // A publish without a URL is a new content.
    ASSERT_EQ(client.publishReport("NI2", "", file, "", 3072).ErrorCode, 0);
    EXPECT_NE(text("URL"), url);
}

TEST_F(ReportServerTest, PortalPublishAnswersGatewayAndContent) {
    std::string file = server.writeScratchFile("p.xml", "<Report/>");
    ASSERT_EQ(client.publishPortalReport("NI5", file, "", 256, 64).ErrorCode, 0);
    EXPECT_EQ(text("gateway"), "http://127.0.0.1:" + std::to_string(server.portalPort()) + "/gateway");
    std::string content = text("content");
    EXPECT_FALSE(content.empty());
    ASSERT_EQ(client.publishPortalReport("NI5", file, content, 256, 64).ErrorCode, 0);
    EXPECT_EQ(text("content"), content);
}

TEST_F(ReportServerTest, PublishRefusesWhatItCannotServe) {
    std::string file = server.writeScratchFile("r.xml", "<Report/>");
    EXPECT_EQ(client.publishReport("N", "", server.dataFolder() + "/missing.xml", "", 3072).ErrorCode,
              ErrorFileUnreadable);
    EXPECT_EQ(client.publishReport("N", "", server.dataFolder(), "", 3072).ErrorCode, ErrorFileUnreadable);
    EXPECT_EQ(client.publishReport("N", "", "", "", 3072).ErrorCode, ErrorBadRequest);
    // The answer needs the URL and its NUL within urlsize.
    EXPECT_EQ(client.publishReport("N", "", file, "", 20).ErrorCode, ErrorBufferTooSmall);
    EXPECT_TRUE(client.reply().findText("URL") == nullptr);
}

TEST(ReportServerRestart, StateSurvivesARestart) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    std::string url;
    {
        ReportClient client;
        client.connect(server.reportPort());
        ASSERT_EQ(client.createObject("/Kept", ReportClient::properties("/Kept", "Folder", "kept")).ErrorCode, 0);
        std::string file = server.writeScratchFile("k.xml", "<Report>kept</Report>");
        ASSERT_EQ(client.publishReport("NI9", "", file, "", 3072).ErrorCode, 0);
        url = client.reply().getText("URL", "");
    }
    EXPECT_EQ(server.stop(), 0);
    ASSERT_TRUE(server.start()) << server.error();
    ReportClient client;
    client.connect(server.reportPort());
    ASSERT_EQ(client.getObject("/Kept").ErrorCode, 0);
    EXPECT_EQ(client.reply().getText("Description", ""), "kept");
    // The root follows the portal of this run, whose port is new.
    client.getObject("/", 0, 0);
    EXPECT_EQ(client.reply().getInteger("FLD.Publish.Lumora_port", -1), server.portalPort());
    std::string content = url.substr(url.find("E=") + 2);
    EXPECT_EQ(httpFetch(server.portalPort(), "GET", "/gateway?DC=R&E=" + content).body, "<Report>kept</Report>");
}

TEST(ReportServerRestart, RefusesToStartOnUnreadableState) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    EXPECT_EQ(server.stop(), 0);
    for (const char* file : {"/objects.atf", "/portal.xml"}) {
        std::string path = server.dataFolder() + file;
        std::string saved, error;
        ASSERT_TRUE(DataFolder::readAnyFile(path, saved, error, 1 << 24)) << error;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string("\0\x09" "ATFormat2\0\x07", 13);
        EXPECT_FALSE(server.start()) << file;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << saved;
    }
    EXPECT_TRUE(server.start()) << server.error();
}

TEST(ReportServerLoad, EightClientsTwoHundredExchangesEachLoseNothing) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    constexpr int Clients = 8;
    constexpr int Exchanges = 200;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < Clients; ++c) {
        threads.emplace_back([&, c] {
            try {
                ReportClient client;
                client.connect(server.reportPort());
                std::string path = "/Load" + std::to_string(c);
                if (client.createObject(path, ReportClient::properties(path, "Report")).ErrorCode != 0) ++failures;
                int revision = 1;
                for (int i = 1; i < Exchanges; i += 2) {
                    AttributeTree change;
                    change.setText("Counter", std::to_string(i).c_str())->setIsSet(1);
                    if (client.setObject(path, std::to_string(revision), change).ErrorCode != 0) ++failures;
                    ++revision;
                    BRMessage& m = client.getObject(path, 0, 0);
                    if (m.ErrorCode != 0 || client.reply().getText("Counter", "") != std::to_string(i) ||
                        client.reply().getText("Revision", "") != std::to_string(revision))
                        ++failures;
                }
            } catch (const std::exception&) {
                ++failures;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(server.running());
    ReportClient check;
    check.connect(server.reportPort());
    ASSERT_EQ(check.getObject("/", 1, 0).ErrorCode, 0);
    for (int c = 0; c < Clients; ++c)
        EXPECT_EQ(check.reply().getText(("Content.Load" + std::to_string(c) + ".Revision").c_str(), ""),
                  std::to_string(1 + Exchanges / 2));
}

TEST_F(ReportServerTest, HeaderWithoutItsValuesGetsAnErrorReply) {
    // A message whose header lacks the five values: the documents are read in step, so the
    // server answers and the connection goes on.
    static const unsigned char emptyBranch[] = {0, 9, 'A', 'T', 'F', 'o', 'r', 'm', 'a', 't', '2',
                                                0, 1, 0, 0, 0, 2, 0, 0, 0, 6};
    client.socket().writeAll(emptyBranch, sizeof emptyBranch);
    client.socket().writeAll(emptyBranch, sizeof emptyBranch);
    client.message().receive(client.socket());
    EXPECT_EQ(client.message().ErrorCode, ErrorBadRequest);
    EXPECT_EQ(client.getObject("/").ErrorCode, 0);
}

TEST(ReportServerInput, BrokenInputClosesOnlyThatConnection) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    const std::vector<std::string> inputs = {
        std::string("\0\0\0\x08", 4),                                       // wrong preamble
        std::string("\0\0\0\x09", 4) + "garbage that is no document",       // not a document
        std::string("\0\0\0\x09\0\x09" "ATFormat2\0\x01\0\0\0\x09", 20),    // unknown entry code
        std::string("\0\0\0\x09\0\x09" "ATFormat2\0\x04\0\0\xff\xff\xff\xff\xff\xff", 22),  // huge text
    };
    for (const std::string& input : inputs) {
        CSocket socket;
        socket.resolve("127.0.0.1");
        socket.connect(server.reportPort());
        socket.writeAll(input.data(), static_cast<std::uint32_t>(input.size()));
        ::shutdown(socket.handle(), SHUT_WR);
        char c;
        std::uint32_t got = 0;
        EXPECT_THROW(socket.readSome(&c, 1, got), CBRWebIOStreamException);
    }
    ReportClient client;
    client.connect(server.reportPort());
    EXPECT_EQ(client.getObject("/").ErrorCode, 0);
    client.close();
    EXPECT_EQ(server.stop(), 0);
}

TEST(ReportServerStop, InterruptStopsItCleanlyWithClientsConnected) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    ReportClient idle;
    idle.connect(server.reportPort());
    idle.getObject("/");
    // A portal connection kept alive after its first request.
    std::string error;
    UniqueFd portal = netio::connectTcp("127.0.0.1", server.portalPort(), 5000, error);
    ASSERT_TRUE(portal.valid()) << error;
    netio::setTimeouts(portal.get(), 5000);
    netio::sendAll(portal.get(), HttpMessage::formatRequest("GET", "/", "127.0.0.1", {}, ""));
    HttpMessage page;
    HttpReader reader(portal.get(), 1 << 20);
    ASSERT_EQ(reader.readResponse(page), HttpReader::Result::Ok);
    EXPECT_TRUE(page.keepAlive());
    EXPECT_EQ(server.stop(SIGINT), 0);
}

class SecuredReportServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        users = server.writeScratchFile("users", "# test users\nalice:wonder land\ndemo:not the default\n");
        ASSERT_TRUE(server.start({"--users", users})) << server.error();
        client.connect(server.reportPort());
    }
    void TearDown() override {
        client.close();
        EXPECT_EQ(server.stop(), 0);
    }
    ServerProcess server;
    ReportClient client;
    std::string users;
};

// Only the login dialogue is answered without a login: every operation, reading and
// publishing included, is refused, and a refused publish stores nothing.
TEST_F(SecuredReportServerTest, AnswersNothingButTheLoginDialogueWithoutALogin) {
    client.preLogin();
    EXPECT_EQ(client.reply().getText("Mode", ""), "password");
    EXPECT_EQ(client.reply().getInteger("Secured", 0), 1);
    std::string file = server.writeScratchFile("secret.xml", "<Report/>");
    struct Case {
        const char* what;
        std::function<BRMessage&()> request;
    } cases[] = {
        {"get", [&]() -> BRMessage& { return client.getObject("/"); }},
        {"get with thumbnails", [&]() -> BRMessage& { return client.getObject("/", -1, 1); }},
        {"create", [&]() -> BRMessage& { return client.createObject("/S", ReportClient::properties("/S", "Folder")); }},
        {"set", [&]() -> BRMessage& { return client.setObject("/", "1", AttributeTree()); }},
        {"bulk publish", [&]() -> BRMessage& { return client.bulkPublish("/"); }},
        {"publish", [&]() -> BRMessage& { return client.publishReport("N", "", file, "", 3072); }},
        {"portal publish", [&]() -> BRMessage& { return client.publishPortalReport("N", file, "", 256, 64); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.request().ErrorCode, ErrorNotLoggedIn) << c.what;
        EXPECT_EQ(client.reply().findText("URL"), nullptr) << c.what;
        EXPECT_EQ(client.reply().findText("Revision"), nullptr) << c.what;
    }
    EXPECT_TRUE(std::filesystem::is_empty(server.dataFolder() + "/content"));
    ASSERT_EQ(client.loginUser("alice", "wonder land").ErrorCode, 0);
    EXPECT_EQ(client.getObject("/Published", 1, 0).ErrorCode, 0);
    EXPECT_EQ(client.reply().getBranch("Content")->childCount(), 0u);
}

TEST_F(SecuredReportServerTest, ChecksEachKindOfCredential) {
    std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    const KeyedChecksum::Key key = testTicketKey(users);
    KeyedChecksum::Key otherKey = key;
    otherKey[0] ^= 1;
    struct Case {
        const char* what;
        std::function<BRMessage&(ReportClient&)> login;
        std::int32_t code;
    } cases[] = {
        {"user and password", [](ReportClient& c) -> BRMessage& { return c.loginUser("alice", "wonder land"); }, 0},
        {"wrong password", [](ReportClient& c) -> BRMessage& { return c.loginUser("alice", "wonder"); }, ErrorLoginRefused},
        {"unknown user", [](ReportClient& c) -> BRMessage& { return c.loginUser("bob", "x"); }, ErrorLoginRefused},
        {"built-in user not in the file", [](ReportClient& c) -> BRMessage& { return c.loginUser("demo", "demo"); }, ErrorLoginRefused},
        {"default user from the file", [](ReportClient& c) -> BRMessage& { return c.loginUser("demo", "not the default"); }, 0},
        {"old password", [](ReportClient& c) -> BRMessage& { return c.loginOldPassword("not the default"); }, 0},
        {"built-in old password", [](ReportClient& c) -> BRMessage& { return c.loginOldPassword("demo"); }, ErrorLoginRefused},
        {"ticket", [&](ReportClient& c) -> BRMessage& { return c.loginTicket(Ticket::issue("alice", now, key).encode()); }, 0},
        {"expired ticket", [&](ReportClient& c) -> BRMessage& { return c.loginTicket(Ticket::issue("alice", now - 7200, key, 3600).encode()); }, ErrorLoginRefused},
        {"forged ticket", [&](ReportClient& c) -> BRMessage& {
             std::string t = Ticket::issue("alice", now, key).encode();
             t[5] = t[5] == '1' ? '2' : '1';
             return c.loginTicket(t); }, ErrorLoginRefused},
        {"ticket sealed with another key", [&](ReportClient& c) -> BRMessage& { return c.loginTicket(Ticket::issue("alice", now, otherKey).encode()); }, ErrorLoginRefused},
        {"ticket of the key without a users file", [&](ReportClient& c) -> BRMessage& { return c.loginTicket(Ticket::issue("alice", now, testTicketKey()).encode()); }, ErrorLoginRefused},
    };
    for (const Case& c : cases) {
        ReportClient session;
        session.connect(server.reportPort());
        session.preLogin();
        BRMessage& m = c.login(session);
        EXPECT_EQ(m.ErrorCode, c.code) << c.what;
        if (c.code == 0) {
            EXPECT_EQ(session.reply().getInteger("permission", 0), 1) << c.what;
            EXPECT_FALSE(m.SecurityDescriptor.empty()) << c.what;
            std::string path = std::string("/") + std::to_string(&c - cases);
            EXPECT_EQ(session.createObject(path, ReportClient::properties(path, "Folder")).ErrorCode, 0) << c.what;
        } else {
            EXPECT_EQ(session.createObject("/X", ReportClient::properties("/X", "Folder")).ErrorCode, ErrorNotLoggedIn);
        }
    }
}

// The key is made at random, beside the users file, readable by its owner only; a second start
// keeps it, so tickets stay valid across restarts.
TEST_F(SecuredReportServerTest, KeepsItsRandomKeyBesideTheUsersFile) {
    struct stat st;
    ASSERT_EQ(::stat((users + ".key").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_size, 32);
    std::string ticket = Ticket::issue("alice", static_cast<std::int64_t>(std::time(nullptr)), testTicketKey(users)).encode();
    client.close();
    ASSERT_EQ(server.stop(), 0);
    ASSERT_TRUE(server.start({"--users", users})) << server.error();
    client.connect(server.reportPort());
    client.preLogin();
    EXPECT_EQ(client.loginTicket(ticket).ErrorCode, 0);
    // A key file that others may read is refused, and the server does not start.
    client.close();
    ASSERT_EQ(server.stop(), 0);
    ASSERT_EQ(::chmod((users + ".key").c_str(), 0644), 0);
    EXPECT_FALSE(server.start({"--users", users}));
    ASSERT_EQ(::chmod((users + ".key").c_str(), 0600), 0);
    ASSERT_TRUE(server.start({"--users", users})) << server.error();
    client.connect(server.reportPort());
}

TEST_F(SecuredReportServerTest, LaterRequestsMustCarryTheSecurityDescriptor) {
    client.preLogin();
    ASSERT_EQ(client.loginUser("alice", "wonder land").ErrorCode, 0);
    client.message().SecurityDescriptor = "SD1:alice:0000000000000000";
    EXPECT_EQ(client.createObject("/Y", ReportClient::properties("/Y", "Folder")).ErrorCode, ErrorNotLoggedIn);
}

}  // namespace
