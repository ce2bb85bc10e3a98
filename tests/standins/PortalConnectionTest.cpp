// The portal stand-in through libLUMORACONNECT.so, bound by ordinal as the publisher binds it.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "platform/DynamicLibrary.h"
#include "platform/external/LumoraConnect.h"
#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "standins/HttpFetch.h"
#include "standins/ServerProcess.h"
#include "standins/TestTickets.h"

namespace {

std::int64_t now() { return static_cast<std::int64_t>(std::time(nullptr)); }

class Lumora {
public:
    Lumora() : library_("LUMORACONNECT.dll") {
        setUp = library_.function<LC_SetUp_fn>(LC_ORDINAL_SET_UP);
        logOn = library_.function<LC_LogOn_fn>(LC_ORDINAL_LOG_ON);
        send = library_.function<LC_Send_fn>(LC_ORDINAL_SEND);
        logOff = library_.function<LC_LogOff_fn>(LC_ORDINAL_LOG_OFF);
        shutDown = library_.function<LC_ShutDown_fn>(LC_ORDINAL_SHUT_DOWN);
        fetch = library_.function<LC_FetchReply_fn>(LC_ORDINAL_FETCH_REPLY);
    }
    bool bound() const { return setUp && logOn && send && logOff && shutDown && fetch; }

    // A request as the publisher sends it: a 10000-byte buffer, the rest through ordinal 7.
    std::string request(LC_HANDLE handle, const std::string& text, int32_t* sendResult = nullptr) {
        std::vector<char> buffer(LC_REPLY_BUFFER_SIZE);
        uint32_t size = LC_REPLY_BUFFER_SIZE;
        int32_t rc = send(handle, text.c_str(), buffer.data(), &size, "en-ca");
        if (sendResult) *sendResult = rc;
        if (rc == LC_MORE_DATA) {
            std::vector<char> whole(size + 1);
            if (fetch(handle, whole.data(), &size) != LC_OK) return "<fetch failed>";
            return whole.data();
        }
        return buffer.data();
    }

    LC_SetUp_fn setUp = nullptr;
    LC_LogOn_fn logOn = nullptr;
    LC_Send_fn send = nullptr;
    LC_LogOff_fn logOff = nullptr;
    LC_ShutDown_fn shutDown = nullptr;
    LC_FetchReply_fn fetch = nullptr;

private:
    platform::DynamicLibrary library_;
};

// A reply parsed as the publisher parses it.
struct Reply {
    explicit Reply(const std::string& text) {
        document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
        CXMLMemorySource source;
        source.SetText(text);
        document.Parse(source);
    }
    std::string resultCode() const {
        const CXMLElement* r = document.FindElement("Result.Standard_Result");
        const CXMLAttribute* a = r ? r->FindAttribute("ResultCode") : nullptr;
        return a ? a->GetValue() : "<none>";
    }
    std::string value(const char* path) const {
        const CXMLElement* e = document.FindElement(path);
        return e ? e->GetValue() : "<none>";
    }
    CXMLDocument document;
};

class PortalConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lumora.bound());
        ASSERT_TRUE(server.start()) << server.error();
        lumora.shutDown();
        address = "127.0.0.1:" + std::to_string(server.portalPort());
        ASSERT_EQ(lumora.setUp(address.c_str(), 1), LC_OK);
        ASSERT_EQ(lumora.logOn(&handle, Ticket::issue("demo", now(), testTicketKey()).encode().c_str()), LC_OK);
        ASSERT_NE(handle, 0u);
    }
    void TearDown() override {
        if (handle) lumora.logOff(handle);
        lumora.shutDown();
        // A clean stop (exit status 0) also shows the server met no sanitizer finding.
        EXPECT_EQ(server.stop(), 0);
    }

    std::string boxId(const Reply& boxes, const std::string& fullName) {
        for (const CXMLElement* b = boxes.document.FindElement("Result.NewsBox"); b; b = b->FindNextSibling("NewsBox")) {
            const CXMLElement* name = b->FindChild("FullName");
            const CXMLElement* id = b->FindChild("Id");
            if (name && id && name->GetValue() == fullName) return id->GetValue();
        }
        return "";
    }

    Lumora lumora;
    ServerProcess server;
    std::string address;
    LC_HANDLE handle = 0;
};

const char* const ListRequest =
    "<DescribeNewsBox NumLevels=\"All\" ObjectTypes=\"NewsBoxes\"><Filter><Condition>up.canwrite</Condition>"
    "</Filter></DescribeNewsBox>";

TEST_F(PortalConnectionTest, ListsWritableNewsBoxesInALongReply) {
    int32_t sendResult = -1;
    std::string text = lumora.request(handle, ListRequest, &sendResult);
    EXPECT_EQ(sendResult, LC_MORE_DATA);
    EXPECT_GT(text.size(), static_cast<std::size_t>(LC_REPLY_BUFFER_SIZE));
    Reply boxes(text);
    EXPECT_EQ(boxes.resultCode(), "Success");
    for (const char* name : {"/Sales", "/Sales/Europe", "/Finance/Monthly"}) EXPECT_NE(boxId(boxes, name), "") << name;
    EXPECT_EQ(boxId(boxes, "/Executive"), "");
    // Without the filter the box the default user may not write to is listed too.
    EXPECT_NE(boxId(Reply(lumora.request(handle, "<DescribeNewsBox NumLevels=\"All\" ObjectTypes=\"NewsBoxes\"/>")),
                    "/Executive"),
              "");
}

TEST_F(PortalConnectionTest, NewsItemLifeCycle) {
    Reply boxes(lumora.request(handle, ListRequest));
    std::string europe = boxId(boxes, "/Sales/Europe");
    ASSERT_NE(europe, "");

    // Values arrive unescaped, as the publisher concatenates them, and leave escaped.
    Reply created(lumora.request(handle,
        "<CreateNewsItem><Name>Q1 & Q2</Name><ParentId>" + europe + "</ParentId><ProviderType>BRN</ProviderType>"
        "<Description>Sales</Description><Action><Name>View</Name><Label>View</Label><URL>dummy</URL></Action>"
        "<DefaultAction>View</DefaultAction></CreateNewsItem>"));
    ASSERT_EQ(created.resultCode(), "Success");
    std::string id = created.value("Result.Id");
    ASSERT_NE(id, "<none>");

    std::string set = "<SetNewsItemProperties><Id>" + id + "</Id><BIGateway>http://h:1/gateway</BIGateway>"
                      "<ContentName>R7</ContentName><DefaultAction>R</DefaultAction>"
                      "<Action><Name>R</Name><Label>View</Label><URL></URL></Action>"
                      "<Action><Name>Q</Name><URL></URL></Action></SetNewsItemProperties>";
    EXPECT_EQ(Reply(lumora.request(handle, set)).resultCode(), "Success");

    std::string describeText = lumora.request(handle, "<DescribeNewsItem><Id>" + id + "</Id></DescribeNewsItem>");
    EXPECT_NE(describeText.find("<Name>Q1 &amp; Q2</Name>"), std::string::npos) << describeText;
    Reply described(describeText);
    ASSERT_EQ(described.resultCode(), "Success");
    EXPECT_EQ(described.value("Result.NewsItem.Name"), "Q1 & Q2");
    EXPECT_EQ(described.value("Result.NewsItem.Description"), "Sales");
    EXPECT_EQ(described.value("Result.NewsItem.ParentId"), europe);
    EXPECT_EQ(described.value("Result.NewsItem.BIGateway"), "http://h:1/gateway");
    EXPECT_EQ(described.value("Result.NewsItem.ContentName"), "R7");
    EXPECT_EQ(described.value("Result.NewsItem.DefaultAction"), "R");
    EXPECT_EQ(described.value("Result.NewsItem.Action.Name"), "R");
    const CXMLElement* second = described.document.FindElement("Result.NewsItem.Action")->FindNextSibling("Action");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->FindChild("Name")->GetValue(), "Q");

    // The home page lists the item under its box.
    HttpMessage page = httpFetch(server.portalPort(), "GET", "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("Q1 &amp; Q2"), std::string::npos);
    EXPECT_NE(page.body.find("/gateway?DC=R&amp;E=R7"), std::string::npos);

    EXPECT_EQ(Reply(lumora.request(handle, "<DeleteNewsItem><Id>" + id + "</Id></DeleteNewsItem>")).resultCode(),
              "Success");
    Reply gone(lumora.request(handle, "<DescribeNewsItem><Id>" + id + "</Id></DescribeNewsItem>"));
    EXPECT_EQ(gone.resultCode(), "NotFound");
    EXPECT_NE(gone.value("Result.Standard_Result.Message"), "<none>");
}

TEST_F(PortalConnectionTest, FailuresComeBackAsResults) {
    Reply boxes(lumora.request(handle, "<DescribeNewsBox NumLevels=\"All\" ObjectTypes=\"NewsBoxes\"/>"));
    std::string executive = boxId(boxes, "/Executive");
    ASSERT_NE(executive, "");
    struct Case {
        std::string request;
        const char* code;
    } cases[] = {
        {"<CreateNewsItem><Name>x</Name><ParentId>" + executive + "</ParentId></CreateNewsItem>", "AccessDenied"},
        {"<CreateNewsItem><Name>x</Name><ParentId>NB999</ParentId></CreateNewsItem>", "NotFound"},
        {"<CreateNewsItem><ParentId>NB1</ParentId></CreateNewsItem>", "BadRequest"},
        {"<SetNewsItemProperties><Id>NI999</Id></SetNewsItemProperties>", "NotFound"},
        {"<DeleteNewsItem></DeleteNewsItem>", "BadRequest"},
        {"<Unheard/>", "BadRequest"},
        {"not xml at all", "BadRequest"},
    };
    for (const Case& c : cases) {
        Reply reply(lumora.request(handle, c.request));
        EXPECT_EQ(reply.resultCode(), c.code) << c.request;
        EXPECT_NE(reply.value("Result.Standard_Result.Message"), "<none>") << c.request;
    }
}

TEST_F(PortalConnectionTest, RepliesNeverPassTheirBuffers) {
    char small[16];
    std::memset(small, 'x', sizeof small);
    uint32_t size = 8;
    ASSERT_EQ(lumora.send(handle, ListRequest, small, &size, "en-ca"), LC_MORE_DATA);
    EXPECT_EQ(std::strlen(small), 7u);
    EXPECT_EQ(small[8], 'x');
    // Ordinal 7 with a size still too small keeps the reply and tells its length again.
    uint32_t tooSmall = 10;
    std::vector<char> buffer(tooSmall + 1);
    EXPECT_EQ(lumora.fetch(handle, buffer.data(), &tooSmall), LC_MORE_DATA);
    EXPECT_EQ(tooSmall, size);
    std::vector<char> whole(size + 1);
    EXPECT_EQ(lumora.fetch(handle, whole.data(), &size), LC_OK);
    EXPECT_EQ(std::strlen(whole.data()), size);
    EXPECT_EQ(lumora.fetch(handle, whole.data(), &size), LC_NO_REPLY);
}

TEST_F(PortalConnectionTest, RefusesUnknownHandlesAndClosedOnes) {
    char buffer[64];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(lumora.send(handle + 100, ListRequest, buffer, &size, "en-ca"), LC_BAD_HANDLE);
    EXPECT_EQ(lumora.logOff(handle), LC_OK);
    EXPECT_EQ(lumora.send(handle, ListRequest, buffer, &size, "en-ca"), LC_BAD_HANDLE);
    handle = 0;
}

TEST_F(PortalConnectionTest, RefusedTicketsGiveTwelve) {
    std::string forged = Ticket::issue("demo", now(), testTicketKey()).encode();
    forged[forged.size() - 1] = forged.back() == '0' ? '1' : '0';
    const std::string tickets[] = {
        Ticket::issue("demo", now() - 7200, testTicketKey(), 3600).encode(),  // expired
        forged,
        "not a ticket",
    };
    for (const std::string& ticket : tickets) {
        LC_HANDLE refused = 5;
        EXPECT_EQ(lumora.logOn(&refused, ticket.c_str()), LC_TICKET_REFUSED) << ticket;
        EXPECT_EQ(refused, 0u);
    }
}

TEST(PortalConnectionSetUp, LogOnBeforeSetUpGivesFourteen) {
    Lumora lumora;
    ASSERT_TRUE(lumora.bound());
    lumora.shutDown();
    LC_HANDLE handle = 9;
    std::string ticket = Ticket::issue("demo", now(), testTicketKey()).encode();
    EXPECT_EQ(lumora.logOn(&handle, ticket.c_str()), LC_NOT_SET_UP);
    EXPECT_EQ(handle, 0u);
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    std::string address = "127.0.0.1:" + std::to_string(server.portalPort());
    ASSERT_EQ(lumora.setUp(address.c_str(), 1), LC_OK);
    ASSERT_EQ(lumora.logOn(&handle, ticket.c_str()), LC_OK);
    // Shutting down ends the connections and the set-up.
    lumora.shutDown();
    char buffer[64];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(lumora.send(handle, ListRequest, buffer, &size, "en-ca"), LC_BAD_HANDLE);
    EXPECT_EQ(lumora.logOn(&handle, ticket.c_str()), LC_NOT_SET_UP);
    EXPECT_EQ(lumora.setUp("", 1), LC_BAD_ARGUMENT);
    EXPECT_EQ(lumora.setUp("host:99999", 1), LC_BAD_ARGUMENT);
}

TEST(PortalTicketLifetime, TheServersLifetimeBoundsTheTicketsAge) {
    Lumora lumora;
    ASSERT_TRUE(lumora.bound());
    ServerProcess server;
    ASSERT_TRUE(server.start({"--ticket-lifetime", "0"})) << server.error();
    lumora.shutDown();
    std::string address = "127.0.0.1:" + std::to_string(server.portalPort());
    ASSERT_EQ(lumora.setUp(address.c_str(), 1), LC_OK);
    LC_HANDLE handle = 0;
    EXPECT_EQ(lumora.logOn(&handle, Ticket::issue("demo", now(), testTicketKey()).encode().c_str()), LC_TICKET_REFUSED);
    lumora.shutDown();
}

TEST(PortalUnreachable, LogOnToNoPortalFails) {
    Lumora lumora;
    ASSERT_TRUE(lumora.bound());
    std::uint16_t port;
    {
        ServerProcess server;
        ASSERT_TRUE(server.start()) << server.error();
        port = server.portalPort();
    }  // stopped: nothing listens there now
    lumora.shutDown();
    ASSERT_EQ(lumora.setUp(("127.0.0.1:" + std::to_string(port)).c_str(), 1), LC_OK);
    LC_HANDLE handle = 0;
    EXPECT_EQ(lumora.logOn(&handle, Ticket::issue("demo", now(), testTicketKey()).encode().c_str()), LC_CONNECT_FAILED);
    lumora.shutDown();
}

TEST(PortalHttp, ServesPagesAndRefusesTheRest) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    struct Case {
        const char* method;
        const char* target;
        int status;
    } cases[] = {
        {"GET", "/", 200},
        {"GET", "/gateway?DC=R&E=R404", 404},
        {"GET", "/gateway?DC=R&E=../portal.xml", 404},
        {"GET", "/gateway?E=R1", 400},
        {"GET", "/lumora", 200},  // a page for a browser that links to /
        {"PUT", "/lumora", 405},
        {"GET", "/elsewhere", 404},
        {"POST", "/lumora/logon", 401},
    };
    for (const Case& c : cases) EXPECT_EQ(httpFetch(server.portalPort(), c.method, c.target).status, c.status) << c.target;
}

}  // namespace
