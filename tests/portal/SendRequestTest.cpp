// Sending a request and judging its reply: long replies fetched whole, empty replies,
// and the Standard_Result check.

#include <gtest/gtest.h>

#include "PortalFakes.h"
#include "platform/ui/CWaitCursor.h"

namespace portal_test {
namespace {

std::unique_ptr<PortalPublisher> ConnectedPublisher(PortalScript& script) {
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  ConnectPublisher(*publisher);
  script.calls.clear();
  script.requests.clear();
  return publisher;
}

TEST(PublisherSendRequest, LongReplyIsFetchedWhole) {
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  std::vector<std::pair<std::string, std::string>> boxes;
  for (int i = 0; i < 400; ++i) boxes.emplace_back("Box/" + std::to_string(i), "id-" + std::to_string(i));
  const std::string reply = NewsBoxListReply(boxes);
  ASSERT_GT(reply.size(), 10000u);
  script.replies["DescribeNewsBox"] = reply;

  ASSERT_TRUE(publisher->ListNewsBoxes());
  EXPECT_EQ(script.calls, (std::vector<std::string>{"send", "fetch"}));
  EXPECT_EQ(script.fetchSizes, std::vector<uint32_t>{static_cast<uint32_t>(reply.size())});
  EXPECT_TRUE(publisher->FindNewsBox("box/399"));
  EXPECT_EQ(publisher->m_strNewsBoxId, "id-399");
}

TEST(PublisherSendRequest, ReplyOfExactlyTheBufferFitsWithoutFetch) {
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  std::string reply = ResultReply("Success");
  reply.insert(reply.size() - std::string("</Result>").size(), std::string(9999 - reply.size(), ' '));
  ASSERT_EQ(reply.size(), 9999u);
  script.replies["DeleteNewsItem"] = reply;
  CXMLDocument document;
  CString error;
  EXPECT_TRUE(publisher->SendRequest("<DeleteNewsItem><Id>1</Id></DeleteNewsItem>", document, error));
  EXPECT_EQ(script.calls, std::vector<std::string>{"send"});
}

TEST(PublisherSendRequest, EmptyReplyIsAFailedRequest) {
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  script.sendResultOverride = LC_CONNECT_FAILED;
  CXMLDocument document;
  CString error;
  EXPECT_FALSE(publisher->SendRequest("<DeleteNewsItem><Id>1</Id></DeleteNewsItem>", document, error));
  EXPECT_EQ(error, "Failed to connect to Lumora.");
}

TEST(PublisherSendRequest, OpensTheConnectionFirst) {
  PortalScript script;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  CXMLDocument document;
  CString error;
  EXPECT_TRUE(publisher->SendRequest("<DeleteNewsItem><Id>1</Id></DeleteNewsItem>", document, error));
  EXPECT_EQ(script.calls, (std::vector<std::string>{"logon", "send", "send"}));
  EXPECT_EQ(RequestName(script.requests[0]), "DescribeNewsBox");
  EXPECT_EQ(publisher->m_bCreateNew, 0);
}

TEST(PublisherSendRequest, FailedOpenGives2003) {
  PortalScript script;
  script.authResult = SN_LOGON_REFUSED;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  CXMLDocument document;
  CString error;
  EXPECT_FALSE(publisher->SendRequest("<DeleteNewsItem><Id>1</Id></DeleteNewsItem>", document, error));
  EXPECT_EQ(error, "Failed to connect to Lumora.");
  EXPECT_TRUE(script.requests.empty());
}

struct ResultCase {
  const char* name;
  const char* reply;
  bool succeeds;
  const char* error;  // the error text afterwards; it starts as "before"
};

const ResultCase kResultCases[] = {
    {"Success", "<Result><Standard_Result ResultCode=\"Success\"/></Result>", true, "before"},
    {"SuccessLowerCase", "<Result><Standard_Result ResultCode=\"success\"></Standard_Result></Result>",
     true, "before"},
    {"SuccessUpperCase", "<Result><Standard_Result ResultCode=\"SUCCESS\"/></Result>", true,
     "before"},
    {"FailureWithMessage",
     "<Result><Standard_Result ResultCode=\"AccessDenied\"><Message>No rights on this "
     "NewsBox</Message></Standard_Result></Result>",
     false, "No rights on this NewsBox"},
    {"FailureWithEntityInMessage",
     "<Result><Standard_Result ResultCode=\"E1\"><Message>R&amp;D is locked</Message>"
     "</Standard_Result></Result>",
     false, "R&D is locked"},
    // An empty Message says nothing: the code is the error text rather than no text at all.
    {"FailureWithEmptyMessage",
     "<Result><Standard_Result ResultCode=\"Locked\"><Message></Message></Standard_Result></Result>",
     false, "Locked"},
    {"FailureCodeOnly", "<Result><Standard_Result ResultCode=\"ItemLocked\"/></Result>", false,
     "ItemLocked"},
    {"NoStandardResult", "<Result><Id>5</Id></Result>", false, "before"},
    {"NoResultCode", "<Result><Standard_Result Code=\"Success\"/></Result>", false, "before"},
    {"OtherTopElement", "<Reply><Standard_Result ResultCode=\"Success\"/></Reply>", false,
     "before"},
    {"NotXml", "Service Unavailable", false, "before"},
};

class CheckResultTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(CheckResultTest, JudgesTheStandardResult) {
  const ResultCase& c = GetParam();
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  script.replies["DeleteNewsItem"] = c.reply;
  CXMLDocument document;
  CString error = "before";
  EXPECT_EQ(publisher->SendRequest("<DeleteNewsItem><Id>1</Id></DeleteNewsItem>", document, error),
            c.succeeds);
  EXPECT_EQ(error, c.error);
}

INSTANTIATE_TEST_SUITE_P(Cases, CheckResultTest, ::testing::ValuesIn(kResultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PublisherOpen, EmptyNewsBoxListGives2011AndKeepsCreateNew) {
  PortalScript script;
  script.replies["DescribeNewsBox"] = ResultReply("Success");
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  CString error;
  EXPECT_FALSE(publisher->Open(error));
  EXPECT_EQ(error, "You do not have publishing rights to any NewsBoxes.");
  EXPECT_EQ(publisher->m_bCreateNew, 1);
  EXPECT_EQ(publisher->m_hPortal, script.handle) << "the connection stays";
  EXPECT_EQ(CWaitCursor::Count(), 0);
}

TEST(PublisherOpen, SignOnErrorStands) {
  PortalScript script;
  script.dialogResult = SN_CANCELLED;
  auto publisher = script.MakePublisher();
  CString error;
  EXPECT_FALSE(publisher->Open(error));
  EXPECT_EQ(error, "Cancelled");
}

TEST(ClosePortal, LogsOffAndShutsDownOnce) {
  PortalScript script;
  {
    auto publisher = ConnectedPublisher(script);
    publisher->ClosePortal();
    EXPECT_EQ(publisher->m_hPortal, 0u);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"logoff", "shutdown"}));
    publisher->ClosePortal();
    EXPECT_EQ(script.calls.size(), 2u);
  }
  EXPECT_EQ(script.calls.size(), 2u) << "destruction of a closed run calls nothing";
}

TEST(ClosePortal, DestructionClosesAndEmptiesTheWizardTree) {
  struct TreeState : NewsBoxTreeState {
    explicit TreeState(int& emptied) : emptied_(emptied) {}
    void EmptyNewsBoxTree() override { ++emptied_; }
    int& emptied_;
  };
  PortalScript script;
  int emptied = 0;
  {
    auto publisher = ConnectedPublisher(script);
    publisher->m_pNewsBoxTreeState = std::make_unique<TreeState>(emptied);
  }
  EXPECT_EQ(script.calls, (std::vector<std::string>{"logoff", "shutdown"}));
  EXPECT_EQ(emptied, 1);
}

}  // namespace
}  // namespace portal_test
