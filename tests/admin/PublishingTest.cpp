#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AdminTestSupport.h"
#include "admin/CurrentSession.h"
#include "common/CBRWebIOStreamException.h"

namespace admin_test {
namespace {

class PublishingTest : public AdminTest {};

AttributeTree urlAnswer(const char* url) {
    AttributeTree data;
    data.setText("URL", url);
    return data;
}

using PublishFunction = std::int32_t (*)(const char*, const char*, const char*, const char*, char*,
                                         std::int32_t);

TEST_F(PublishingTest, PublishSendsTheRequestFieldsAndCopiesTheUrl) {
    for (PublishFunction publish : {&besPublishReport, &brwebPublishReport}) {
        FakeReportServer server({{reply(urlAnswer("http://h:1/gateway?DC=R&E=C"))}});
        char url[64] = "previous";
        EXPECT_EQ(publish(server.address().c_str(), "Sales", "Q3 figures", "/tmp/sales.brx", url,
                          sizeof url),
                  0);
        EXPECT_STREQ(url, "http://h:1/gateway?DC=R&E=C");
        EXPECT_EQ(CurrentSession::get(), nullptr);
        server.stop();
        ASSERT_EQ(server.requestCount(), 1u);
        const RecordedRequest& request = server.connection(0).requests[0];
        EXPECT_TRUE(server.connection(0).preambleOk);
        EXPECT_EQ(request.header.getInteger("MessageType"), 4);
        EXPECT_EQ(request.header.getText("Agent"), "Publish");
        const AttributeTree& data = request.data;
        EXPECT_EQ(data.getInteger("type"), 107);
        EXPECT_EQ(data.getText("name"), "Sales");
        EXPECT_EQ(data.getText("description"), "Q3 figures");
        EXPECT_EQ(data.getText("brx"), "/tmp/sales.brx");
        EXPECT_EQ(data.getText("url"), "previous");
        EXPECT_EQ(data.getInteger("urlsize"), 64);
        EXPECT_EQ(data.childCount(), 6u);
        EXPECT_TRUE(server.connection(0).closedByClient);
    }
}

TEST_F(PublishingTest, NullAndEmptyDescriptionGoOutAsEmptyText) {
    for (const char* description : {static_cast<const char*>(nullptr), ""}) {
        FakeReportServer server({{reply(urlAnswer("u"))}});
        char url[8] = "";
        EXPECT_EQ(besPublishReport(server.address().c_str(), "n", description, "/r.brx", url, 8), 0);
        server.stop();
        ASSERT_EQ(server.requestCount(), 1u);
        EXPECT_EQ(server.connection(0).requests[0].data.getText("description"), "");
    }
}

TEST_F(PublishingTest, AnswersThatCannotBeCopiedGiveOneAndLeaveTheBuffer) {
    AttributeTree urlAsInteger;
    urlAsInteger.setInteger("URL", 5);
    const struct {
        const char* name;
        ScriptedReply answer;
        std::int32_t result;
    } cases[] = {
        {"no URL", reply(AttributeTree()), 1},
        {"URL not a text", reply(urlAsInteger), 1},
        {"data is a leaf document", ScriptedReply::leafData(TextAttribute("http://x")), 1},
        {"URL one byte too long", reply(urlAnswer("12345678")), 1},
        {"server code", reply(urlAnswer("u"), 512), 512},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({{c.answer}});
        char url[10] = "keep";
        url[8] = 'Z';
        EXPECT_EQ(besPublishReport(server.address().c_str(), "n", "d", "/r.brx", url, 8), c.result);
        EXPECT_STREQ(url, "keep");
        EXPECT_EQ(url[8], 'Z');
        EXPECT_EQ(CurrentSession::get(), nullptr);
    }
}

TEST_F(PublishingTest, UrlThatJustFitsIsCopied) {
    FakeReportServer server({{reply(urlAnswer("1234567"))}});
    char url[9] = "xxxxxxxx";
    EXPECT_EQ(besPublishReport(server.address().c_str(), "n", "d", "/r.brx", url, 8), 0);
    EXPECT_STREQ(url, "1234567");
    EXPECT_EQ(url[8], '\0');
}

TEST_F(PublishingTest, UnterminatedUrlBufferIsReadWithinItsCapacity) {
    FakeReportServer server({{reply(urlAnswer("u"))}});
    char url[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(besPublishReport(server.address().c_str(), "n", "d", "/r.brx", url, 4), 0);
    server.stop();
    EXPECT_EQ(server.connection(0).requests.at(0).data.getText("url"), "abcd");
}

TEST_F(PublishingTest, MissingArgumentsGiveThreeWithoutConnecting) {
    FakeReportServer server({{reply(urlAnswer("u"))}});
    const std::string address = server.address();
    const char* at = address.c_str();
    char url[8] = "keep";
    EXPECT_EQ(besPublishReport(nullptr, "n", "d", "/r", url, 8), 3);
    EXPECT_EQ(besPublishReport("", "n", "d", "/r", url, 8), 3);
    EXPECT_EQ(besPublishReport(at, nullptr, "d", "/r", url, 8), 3);
    EXPECT_EQ(besPublishReport(at, "", "d", "/r", url, 8), 3);
    EXPECT_EQ(besPublishReport(at, "n", "d", nullptr, url, 8), 3);
    EXPECT_EQ(besPublishReport(at, "n", "d", "", url, 8), 3);
    EXPECT_EQ(besPublishReport(at, "n", "d", "/r", nullptr, 8), 3);
    EXPECT_EQ(besPublishReport(at, "n", "d", "/r", url, 0), 3);
    EXPECT_EQ(besPublishReport(at, "n", "d", "/r", url, -4), 3);
    char gateway[8] = "", content[8] = "";
    EXPECT_EQ(besPublishReportLumora(at, "n", "d", "", gateway, 8, content, 8), 3);
    EXPECT_EQ(besPublishReportLumora(at, "n", "d", "/r", nullptr, 8, content, 8), 3);
    EXPECT_EQ(besPublishReportLumora(at, "n", "d", "/r", gateway, 8, content, 0), 3);
    char port[12] = "";
    EXPECT_EQ(besGetLumoraServerInfo(nullptr, url, 8, port, 12), 3);
    EXPECT_EQ(besGetLumoraServerInfo("", url, 8, port, 12), 3);
    EXPECT_EQ(besGetLumoraServerInfo(at, nullptr, 8, port, 12), 3);
    EXPECT_EQ(besGetLumoraServerInfo(at, url, 8, port, 0), 3);
    EXPECT_EQ(besPublishReportEx(at, nullptr, "", nullptr, nullptr, "y", nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr),
              3);
    EXPECT_EQ(besPublishReportEx(at, nullptr, "x", nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
              3);
    EXPECT_EQ(besPublishReportEx(nullptr, nullptr, "x", nullptr, nullptr, "y", nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
              3);
    EXPECT_STREQ(url, "keep");
    server.stop();
    EXPECT_TRUE(server.connections().empty());
}

TEST_F(PublishingTest, UnreachableServerGivesFour) {
    RefusingPort refusing;
    char url[8] = "keep", gateway[8] = "", content[8] = "", port[12] = "";
    const char* at = refusing.address().c_str();
    EXPECT_EQ(besPublishReport(at, "n", "d", "/r", url, 8), 4);
    EXPECT_EQ(besPublishReportLumora(at, "n", "d", "/r", gateway, 8, content, 8), 4);
    EXPECT_EQ(besGetLumoraServerInfo(at, url, 8, port, 12), 4);
    EXPECT_EQ(besPublishReportEx(at, nullptr, "x", nullptr, nullptr, "y", nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
              4);
    EXPECT_STREQ(url, "keep");
}

TEST_F(PublishingTest, ConnectionNotMadeGivesFourAndLeavesTheBuffers) {
    for (ConnectFailure failure : {ConnectFailure::HostNotFound, ConnectFailure::SendFails}) {
        SCOPED_TRACE(failure == ConnectFailure::HostNotFound ? "host not found" : "preamble not sent");
        FakeReportServer server({{reply(urlAnswer("u"))}, {reply(urlAnswer("u"))},
                                 {reply(urlAnswer("u"))}});
        const std::string address = server.address();
        char url[8] = "keep", gateway[8] = "g0", content[8] = "c0", port[12] = "p0";
        {
            FailingSocketCalls failing(failure);
            EXPECT_EQ(besPublishReport(address.c_str(), "n", "d", "/r", url, 8), 4);
            EXPECT_EQ(besPublishReportLumora(address.c_str(), "n", "d", "/r", gateway, 8, content, 8),
                      4);
            EXPECT_EQ(besGetLumoraServerInfo(address.c_str(), url, 8, port, 12), 4);
        }
        EXPECT_STREQ(url, "keep");
        EXPECT_STREQ(gateway, "g0");
        EXPECT_STREQ(content, "c0");
        EXPECT_STREQ(port, "p0");
        EXPECT_EQ(CurrentSession::get(), nullptr);
        server.stop();
        EXPECT_EQ(server.requestCount(), 0u);
    }
}

TEST_F(PublishingTest, TransportFailureReachesTheCallerAndDropsTheSession) {
    FakeReportServer server({{ScriptedReply::closeAtOnce()}});
    char url[8] = "keep";
    EXPECT_THROW(besPublishReport(server.address().c_str(), "n", "d", "/r", url, 8),
                 CBRWebIOStreamException);
    EXPECT_STREQ(url, "keep");
    EXPECT_EQ(CurrentSession::get(), nullptr);

    FakeReportServer info({{ScriptedReply::closeAtOnce()}});
    char port[12] = "p0";
    EXPECT_THROW(besGetLumoraServerInfo(info.address().c_str(), url, 8, port, 12),
                 CBRWebIOStreamException);
    EXPECT_STREQ(url, "keep");
    EXPECT_STREQ(port, "p0");
    EXPECT_EQ(CurrentSession::get(), nullptr);
}

TEST_F(PublishingTest, PublishReportExSendsOnlyThePreamble) {
    FakeReportServer server({{reply(urlAnswer("u"))}});
    EXPECT_EQ(besPublishReportEx(server.address().c_str(), nullptr, "x", nullptr, nullptr, "y",
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(CurrentSession::get(), nullptr);
    server.stop();
    ASSERT_EQ(server.connections().size(), 1u);
    EXPECT_EQ(server.connection(0).preamble, std::string("\0\0\0\x09", 4));
    EXPECT_TRUE(server.connection(0).requests.empty());
    EXPECT_TRUE(server.connection(0).closedByClient);
}

AttributeTree portalAnswer(const char* gateway, const char* content) {
    AttributeTree data;
    if (gateway) data.setText("gateway", gateway);
    if (content) data.setText("content", content);
    return data;
}

TEST_F(PublishingTest, PublishReportLumoraSendsItsFieldsAndCopiesBothTexts) {
    FakeReportServer server({{reply(portalAnswer("http://h/gw", "R1"))}});
    char gateway[16] = "g0", content[8] = "c0";
    EXPECT_EQ(besPublishReportLumora(server.address().c_str(), "Sales", nullptr, "/s.brx", gateway,
                                     sizeof gateway, content, sizeof content),
              0);
    EXPECT_STREQ(gateway, "http://h/gw");
    EXPECT_STREQ(content, "R1");
    server.stop();
    const AttributeTree& data = server.connection(0).requests.at(0).data;
    EXPECT_EQ(data.getInteger("type"), 113);
    EXPECT_EQ(data.getText("name"), "Sales");
    EXPECT_EQ(data.getText("description"), "");
    EXPECT_EQ(data.getText("brx"), "/s.brx");
    EXPECT_EQ(data.getText("gateway"), "g0");
    EXPECT_EQ(data.getInteger("gatewaysize"), 16);
    EXPECT_EQ(data.getText("content"), "c0");
    EXPECT_EQ(data.getInteger("contentsize"), 8);
    EXPECT_EQ(data.childCount(), 8u);
    EXPECT_EQ(server.connection(0).requests[0].header.getText("Agent"), "Publish");
}

TEST_F(PublishingTest, PublishReportLumoraIncompleteAnswers) {
    const struct {
        const char* name;
        AttributeTree answer;
        const char* gateway;  // buffer contents afterwards
        const char* content;
    } cases[] = {
        {"no gateway", portalAnswer(nullptr, "R1"), "g0", "c0"},
        {"gateway too long", portalAnswer("0123456789", "R1"), "g0", "c0"},
        {"no content", portalAnswer("gw", nullptr), "gw", "c0"},
        {"content too long", portalAnswer("gw", "0123456789"), "gw", "c0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({{reply(c.answer)}});
        char gateway[8] = "g0", content[8] = "c0";
        EXPECT_EQ(besPublishReportLumora(server.address().c_str(), "n", "d", "/r", gateway, 8,
                                         content, 8),
                  1);
        EXPECT_STREQ(gateway, c.gateway);
        EXPECT_STREQ(content, c.content);
    }
}

AttributeTree rootProperties(const char* url, const int* port) {
    AttributeTree data;
    if (url) data.setText("FLD.Publish.Lumora_url", url);
    if (port) data.setInteger("FLD.Publish.Lumora_port", *port);
    data.setText("Name", "/");
    return data;
}

TEST_F(PublishingTest, LumoraServerInfoReadsTheRootProperties) {
    const int port8010 = 8010, minusOne = -1, minimum = INT32_MIN;
    AttributeTree portAsText = rootProperties("http://portal/", nullptr);
    portAsText.setText("FLD.Publish.Lumora_port", "8020");
    AttributeTree noFld;
    noFld.setText("Name", "/");
    const struct {
        const char* name;
        ScriptedReply answer;
        const char* url;
        const char* port;
    } cases[] = {
        {"url and port", reply(rootProperties("http://portal:8020/", &port8010)),
         "http://portal:8020/", "8010"},
        {"negative port", reply(rootProperties("http://p/", &minusOne)), "http://p/", "-1"},
        {"most negative port", reply(rootProperties("", &minimum)), "", "-2147483648"},
        {"no FLD", reply(noFld), "", "0"},
        {"port not an integer", reply(portAsText), "http://portal/", "0"},
        {"data is a leaf document", ScriptedReply::leafData(IntegerAttribute(3)), "", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({{c.answer}});
        char url[32] = "old-url", port[12] = "old";
        EXPECT_EQ(besGetLumoraServerInfo(server.address().c_str(), url, sizeof url, port,
                                         sizeof port),
                  0);
        EXPECT_STREQ(url, c.url);
        EXPECT_STREQ(port, c.port);
        EXPECT_EQ(CurrentSession::get(), nullptr);
        server.stop();
        const RecordedRequest& request = server.connection(0).requests.at(0);
        EXPECT_EQ(request.header.getText("Agent"), "BRWebServer");
        EXPECT_EQ(request.data.getInteger("type"), 100);
        EXPECT_EQ(request.data.getText("object"), "/");
        EXPECT_EQ(request.data.getInteger("depth"), -1);
        EXPECT_EQ(request.data.getInteger("thumbnail"), 0);
    }
}

TEST_F(PublishingTest, LumoraServerInfoThatDoesNotFitChangesNeitherBuffer) {
    const int port8010 = 8010;
    const struct {
        const char* name;
        int urlCapacity;
        int portCapacity;
    } cases[] = {{"url too long", 5, 12}, {"port too long", 32, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeReportServer server({{reply(rootProperties("http://p/", &port8010))}});
        char url[32] = "old-url", port[12] = "old";
        EXPECT_EQ(besGetLumoraServerInfo(server.address().c_str(), url, c.urlCapacity, port,
                                         c.portCapacity),
                  1);
        EXPECT_STREQ(url, "old-url");
        EXPECT_STREQ(port, "old");
    }
}

TEST_F(PublishingTest, LumoraServerInfoPassesTheServerCode) {
    FakeReportServer server({{errorReply(33)}});
    char url[8] = "old", port[12] = "old";
    EXPECT_EQ(besGetLumoraServerInfo(server.address().c_str(), url, 8, port, 12), 33);
    EXPECT_STREQ(url, "old");
    EXPECT_STREQ(port, "old");
}

TEST_F(PublishingTest, BulkPublishRunsOnTheCurrentSession) {
    FakeReportServer server({{openLogin(), errorReply(0), errorReply(61)}});
    logIn(server);
    EXPECT_EQ(besBulkPublish("/reports/a"), 0);
    EXPECT_EQ(besBulkPublish(nullptr), 61);
    EXPECT_NE(CurrentSession::get(), nullptr);
    server.stop();
    const auto& requests = server.connection(0).requests;
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(typeOf(requests[1]), 111);
    EXPECT_EQ(requests[1].data.getText("object"), "/reports/a");
    EXPECT_EQ(requests[1].data.childCount(), 2u);
    EXPECT_EQ(requests[2].data.getText("object"), "");
}

}  // namespace
}  // namespace admin_test
