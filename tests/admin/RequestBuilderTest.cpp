#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AdminTestSupport.h"
#include "admin/ServerAddress.h"
#include "admin/ServerConnection.h"
#include "tree/TreeTestSupport.h"

namespace admin_test {
namespace {

// Wire pieces written out by hand, so the expected bytes do not come from our own writer.
std::string u16(unsigned value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}
std::string i32(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}
std::string counted(const std::string& text) { return u16(text.size()) + text; }
std::string textEntry(const std::string& name, const std::string& text, unsigned flag = 0) {
    return u16(4) + counted(name) + counted(text) + u16(flag) + u16(0);
}
std::string integerEntry(const std::string& name, std::int32_t value, unsigned flag = 0) {
    return u16(3) + counted(name) + i32(value) + u16(flag) + u16(0);
}
std::string branchDocument(const std::string& contents) {
    return counted("ATFormat2") + u16(1) + u16(0) + contents + u16(2) + u16(0) + u16(6);
}
std::string requestHeader(const std::string& agent, std::int32_t messageType) {
    return branchDocument(textEntry("Agent", agent) + integerEntry("ErrorCode", 0) +
                          integerEntry("MessageType", messageType) +
                          integerEntry("ProtocolVersion", 1) + textEntry("SecurityDescriptor", ""));
}

class RequestBuilderTest : public ::testing::Test {
protected:
    // A connection to a server that answers every request with an empty reply.
    ServerConnection& connect(const char* agent, std::size_t replies) {
        server_ = std::make_unique<FakeReportServer>(std::vector<FakeReportServer::ConnectionScript>{
            FakeReportServer::ConnectionScript(replies, ScriptedReply::message())});
        connection_ = std::make_unique<ServerConnection>(agent);
        EXPECT_TRUE(connection_->connect("127.0.0.1", server_->port()));
        return *connection_;
    }
    const std::vector<RecordedRequest>& requests() {
        connection_->disconnect();
        server_->stop();
        return server_->connection(0).requests;
    }

    std::unique_ptr<FakeReportServer> server_;
    std::unique_ptr<ServerConnection> connection_;
};

TEST_F(RequestBuilderTest, PreLoginIsExactOnTheWire) {
    ServerConnection& connection = connect("BRWebServer", 1);
    connection.preLogin();
    const auto& sent = requests();
    EXPECT_EQ(server_->connection(0).preamble, std::string("\0\0\0\x09", 4));
    ASSERT_EQ(sent.size(), 1u);
    const std::string data = branchDocument(textEntry("pre_login", "1"));
    ASSERT_EQ(data.size(), 41u);
    EXPECT_EQ(sent[0].bytes, requestHeader("BRWebServer", 2) + data);
}

TEST_F(RequestBuilderTest, PublishRequestHeaderIsThe142ByteDocument) {
    ServerConnection& connection = connect("Publish", 1);
    connection.publishReport("n", nullptr, nullptr, "", 10);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 1u);
    const std::string header = requestHeader("Publish", 4);
    ASSERT_EQ(header.size(), 142u);
    const std::string data =
        branchDocument(textEntry("brx", "") + textEntry("description", "") + textEntry("name", "n") +
                       integerEntry("type", 107) + textEntry("url", "") +
                       integerEntry("urlsize", 10));
    EXPECT_EQ(sent[0].bytes, header + data);
}

TEST_F(RequestBuilderTest, LoginSendsExactlyOneCredential) {
    const struct {
        const char* name;
        const char* ticket;
        const char* userId;
        const char* password;
        const char* oldPassword;
        std::string expected;  // the data document's contents
    } cases[] = {
        {"ticket wins", "t", "u", "p", "o", textEntry("ticket", "t")},
        {"user and password win over old password", nullptr, "u", "p", "o",
         textEntry("password", "p") + textEntry("user_id", "u")},
        {"user without password falls to old password", nullptr, "u", nullptr, "o",
         textEntry("old_password", "o")},
        {"empty old password", nullptr, nullptr, nullptr, "", textEntry("old_password", "")},
        {"nothing", nullptr, nullptr, nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServerConnection& connection = connect("BRWebServer", 1);
        connection.login(c.ticket, c.userId, c.password, c.oldPassword);
        const auto& sent = requests();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].bytes, requestHeader("BRWebServer", 2) + branchDocument(c.expected));
    }
}

TEST_F(RequestBuilderTest, SetObjectLeavesOutUnsetLeavesButNoBranch) {
    AttributeTree value;
    value.setText("a", "kept")->setIsSet(1);
    value.setText("b", "dropped");
    value.setInteger("c", 5);
    value.setText("sub.inner", "dropped");
    ServerConnection& connection = connect("BRWebServer", 1);
    connection.setObject("/o", "r1", value);
    const auto& sent = requests();
    ASSERT_EQ(sent.size(), 1u);
    const std::string data = branchDocument(
        textEntry("object", "/o", 1) + textEntry("revision", "r1", 1) + integerEntry("type", 101, 1) +
        u16(1) + counted("value") + textEntry("a", "kept", 1) + u16(1) + counted("sub") + u16(2) +
        u16(0) + u16(2) + u16(0));
    EXPECT_EQ(sent[0].bytes, requestHeader("BRWebServer", 4) + data);
}

// Every field of every request as the server reads it back: name, kind, value, isSet flag and
// tag, and nothing else.
TEST_F(RequestBuilderTest, EveryBuilderSendsExactlyItsFields) {
    AttributeTree properties;
    properties.setText("Name", "n")->setIsSet(1);
    properties.setInteger("Size", 3);
    AttributeTree value;
    value.setText("Kept", "k")->setIsSet(1);
    value.setInteger("Count", 2)->setIsSet(1);
    value.setText("Unset", "u");
    const std::string t = " set=0 tag=-";  // a field the builder leaves unflagged
    const std::string f = " set=1 tag=-";  // a field the builder flags
    const struct {
        const char* name;
        std::function<void(ServerConnection&)> build;
        int type;
        std::string data;  // the data document as read back
    } cases[] = {
        {"getObject", [](ServerConnection& c) { c.getObject("/o", -1, 1); }, 100,
         "{depth: Integer[-1]" + t + ", object: Text[/o]" + t + ", thumbnail: Integer[1]" + t +
             ", type: Integer[100]" + t + "}" + t},
        {"setObject", [&](ServerConnection& c) { c.setObject("/o", "r7", value); }, 101,
         "{object: Text[/o]" + f + ", revision: Text[r7]" + f + ", type: Integer[101]" + f +
             ", value: {Count: Integer[2]" + f + ", Kept: Text[k]" + f + "}" + t + "}" + t},
        {"createObject", [&](ServerConnection& c) { c.createObject("/o", properties); }, 102,
         "{object: Text[/o]" + t + ", props: {Name: Text[n]" + f + ", Size: Integer[3]" + t + "}" +
             t + ", type: Integer[102]" + t + "}" + t},
        {"removeObject", [](ServerConnection& c) { c.removeObject("/o", 1); }, 103,
         "{object: Text[/o]" + t + ", recurse: Integer[1]" + t + ", type: Integer[103]" + t + "}" +
             t},
        {"moveObject", [](ServerConnection& c) { c.moveObject("/o", "/b"); }, 104,
         "{newname: Text[/b]" + t + ", object: Text[/o]" + t + ", type: Integer[104]" + t + "}" + t},
        {"copyObject", [](ServerConnection& c) { c.copyObject(nullptr, nullptr); }, 105,
         "{newname: Text[]" + t + ", object: Text[]" + t + ", type: Integer[105]" + t + "}" + t},
        {"commandObject", [](ServerConnection& c) { c.commandObject("/o", "r7", 2); }, 106,
         "{command: Integer[2]" + t + ", object: Text[/o]" + t + ", revision: Text[r7]" + f +
             ", type: Integer[106]" + t + "}" + t},
        {"publishReport", [](ServerConnection& c) { c.publishReport("n", "d", "f", "u", 5); }, 107,
         "{brx: Text[f]" + t + ", description: Text[d]" + t + ", name: Text[n]" + t +
             ", type: Integer[107]" + t + ", url: Text[u]" + t + ", urlsize: Integer[5]" + t + "}" + t},
        {"bulkPublish", [](ServerConnection& c) { c.bulkPublish("/o"); }, 111,
         "{object: Text[/o]" + t + ", type: Integer[111]" + t + "}" + t},
        {"publishPortalReport",
         [](ServerConnection& c) { c.publishPortalReport("n", nullptr, "f", "g", 6, "c", 7); }, 113,
         "{brx: Text[f]" + t + ", content: Text[c]" + t + ", contentsize: Integer[7]" + t +
             ", description: Text[]" + t + ", gateway: Text[g]" + t + ", gatewaysize: Integer[6]" + t +
             ", name: Text[n]" + t + ", type: Integer[113]" + t + "}" + t},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServerConnection& connection = connect("Publish", 1);
        c.build(connection);
        const auto& sent = requests();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].header.getInteger("MessageType"), 4);
        EXPECT_EQ(sent[0].header.getText("Agent"), "Publish");
        EXPECT_EQ(sent[0].data.getInteger("type"), c.type);
        EXPECT_EQ(tree_test::describe(sent[0].data), c.data);
    }
}

TEST_F(RequestBuilderTest, ConnectFailsWithoutThrowing) {
    RefusingPort refusing;
    ServerConnection connection("Publish");
    EXPECT_FALSE(connection.connect("127.0.0.1", ServerAddress(refusing.address().c_str()).port()));
    {
        FailingSocketCalls failing(ConnectFailure::HostNotFound);
        EXPECT_FALSE(connection.connect("reports", 8010));
    }
    {
        FakeReportServer server({FakeReportServer::ConnectionScript{}});
        ServerConnection unsent("Publish");
        FailingSocketCalls failing(ConnectFailure::SendFails);
        EXPECT_FALSE(unsent.connect("127.0.0.1", server.port()));
    }
    connection.disconnect();
    connection.disconnect();
}

}  // namespace
}  // namespace admin_test
