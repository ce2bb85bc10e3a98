// The publishing sequence: whether a known NewsItem is updated or a new one created,
// which NewsBox a new one goes into, where a republish finds its URL, and the rollback
// when the report cannot be saved or published.

#include <gtest/gtest.h>

#include "PortalFakes.h"
#include "portal/PortalRequests.h"

namespace portal_test {
namespace {

std::unique_ptr<PortalPublisher> ConnectedPublisher(PortalScript& script) {
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  ConnectPublisher(*publisher);
  script.requests.clear();
  return publisher;
}

struct DecisionCase {
  const char* name;
  const char* newsItemId;
  const char* existingName;
  const char* newsItemName;
  const char* newsBoxId;
  const char* existingNewsBoxId;
  int32_t createNew;
  bool updatesKnownItem;
};

const DecisionCase kDecisionCases[] = {
    {"NoIdCreates", "", "", "Sales", "box-1", "", 0, false},
    {"IdAloneUpdates", "item-old", "", "Sales", "", "", 0, true},
    {"SameNameAndBoxUpdates", "item-old", "Sales", "Sales", "box-1", "box-1", 0, true},
    {"SameNameNoBoxChosenUpdates", "item-old", "Sales", "Sales", "", "box-1", 0, true},
    {"RenamedCreates", "item-old", "Sales", "Sales 2", "box-1", "box-1", 0, false},
    {"NameDiffersInCaseCreates", "item-old", "sales", "Sales", "box-1", "box-1", 0, false},
    {"OtherBoxCreates", "item-old", "Sales", "Sales", "box-2", "box-1", 0, false},
    {"CreateNewChosenCreates", "item-old", "Sales", "Sales", "box-1", "box-1", 1, false},
    {"CreateNewWithIdAloneCreates", "item-old", "", "Sales", "", "box-1", 1, false},
};

class PublishDecisionTest : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(PublishDecisionTest, UpdatesTheKnownItemOrCreatesOne) {
  const DecisionCase& c = GetParam();
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = c.newsItemId;
  publisher->m_strExistingName = c.existingName;
  publisher->m_strNewsItemName = c.newsItemName;
  publisher->m_strNewsBoxId = c.newsBoxId;
  publisher->m_strExistingNewsBoxId = c.existingNewsBoxId;
  publisher->m_bCreateNew = c.createNew;

  CString error;
  ASSERT_TRUE(publisher->Publish(error)) << error;
  EXPECT_EQ(script.RequestsNamed("CreateNewsItem").size(), c.updatesKnownItem ? 0u : 1u);
  EXPECT_EQ(script.RequestsNamed("DescribeNewsItem").size(), c.updatesKnownItem ? 1u : 0u);
  const char* publishedId = c.updatesKnownItem ? "item-old" : "item-new";
  EXPECT_EQ(publisher->m_strNewsItemId, publishedId);
  ASSERT_EQ(script.publishCalls.size(), 1u);
  EXPECT_EQ(script.publishCalls[0].name, publishedId);
  const auto updates = script.RequestsNamed("SetNewsItemProperties");
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_NE(updates[0].find(std::string("<Id>") + publishedId + "</Id>"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, PublishDecisionTest, ::testing::ValuesIn(kDecisionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PublisherPublish, OpensWhenNotConnectedAndThenUpdatesAKnownId) {
  PortalScript script;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  publisher->m_strNewsItemId = "item-old";
  publisher->m_strNewsItemName = "Whatever";
  CString error;
  ASSERT_TRUE(publisher->Publish(error)) << error;
  EXPECT_TRUE(script.RequestsNamed("CreateNewsItem").empty());
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");
}

TEST(PublisherPublish, FailedOpenFailsWithItsText) {
  PortalScript script;
  script.authResult = SN_LOGON_REFUSED;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_EQ(error, "Login to Sentrel failed.");
  EXPECT_TRUE(script.requests.empty());
}

struct NewsBoxCase {
  const char* name;
  const char* newsBoxName;
  const char* existingNewsBoxId;
  const char* parentId;  // empty: no NewsBox, 2010
};

const NewsBoxCase kNewsBoxCases[] = {
    {"FullNameExact", "Public/Finance/Monthly", "", "box-2"},
    {"FullNameAnyCase", "PUBLIC/sales", "", "box-1"},
    {"NoMatchTakesExistingBox", "Private/Nothing", "box-9", "box-9"},
    {"NoNameTakesExistingBox", "", "box-9", "box-9"},
    {"NoMatchNoExistingBox", "Private/Nothing", "", ""},
    {"PartOfAFullNameIsNoMatch", "Public", "", ""},
};

class NewsBoxChoiceTest : public ::testing::TestWithParam<NewsBoxCase> {};

TEST_P(NewsBoxChoiceTest, NewItemGoesIntoTheChosenBox) {
  const NewsBoxCase& c = GetParam();
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemName = "Sales";
  publisher->m_strNewsBoxName = c.newsBoxName;
  publisher->m_strExistingNewsBoxId = c.existingNewsBoxId;
  CString error;
  const bool published = publisher->Publish(error);
  if (*c.parentId == '\0') {
    EXPECT_FALSE(published);
    EXPECT_EQ(error, "Failed to find NewsBox.");
    EXPECT_TRUE(script.requests.empty());
    EXPECT_EQ(script.saves, 0);
    return;
  }
  ASSERT_TRUE(published) << error;
  const auto creates = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_NE(creates[0].find(std::string("<ParentId>") + c.parentId + "</ParentId>"),
            std::string::npos)
      << creates[0];
}

INSTANTIATE_TEST_SUITE_P(Cases, NewsBoxChoiceTest, ::testing::ValuesIn(kNewsBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FindNewsBox, SkipsBoxesWithoutFullNameOrId) {
  PortalScript script;
  script.replies["DescribeNewsBox"] = ResultReply(
      "Success",
      "<NewsBox><Id>no-name</Id></NewsBox>"
      "<NewsBox><FullName>Team/A</FullName></NewsBox>"
      "<NewsBox><FullName>team/a</FullName><Id>box-a</Id></NewsBox>");
  auto publisher = ConnectedPublisher(script);
  EXPECT_TRUE(publisher->FindNewsBox("TEAM/A"));
  EXPECT_EQ(publisher->m_strNewsBoxId, "box-a");
  EXPECT_FALSE(publisher->FindNewsBox(""));
}

// --- Republish ----------------------------------------------------------------------------

struct RepublishUrlCase {
  const char* name;
  const char* newsItemBody;
  const char* urlSent;  // the URL buffer's text handed to the report server
};

const RepublishUrlCase kRepublishUrlCases[] = {
    {"GatewayAndContent",
     "<BIGateway>http://reports:8010/gateway</BIGateway><ContentName>c-1</ContentName>",
     "http://reports:8010/gateway?DC=R&E=c-1"},
    {"DefaultActionAnyCase",
     "<DefaultAction>View</DefaultAction>"
     "<Action><Name>Edit</Name><URL>http://edit</URL></Action>"
     "<Action><Name>view</Name><URL>http://r/gateway?DC=R&amp;E=c-2</URL></Action>"
     "<Action><Name>View</Name><URL>http://second</URL></Action>",
     "http://r/gateway?DC=R&E=c-2"},
    {"GatewayWithoutContentUsesAction",
     "<BIGateway>http://g</BIGateway><DefaultAction>R</DefaultAction>"
     "<Action><Name>R</Name><URL>http://from-action</URL></Action>",
     "http://from-action"},
    {"NoMatchingActionKeepsUrl",
     "<DefaultAction>R</DefaultAction><Action><Name>Q</Name><URL>http://q</URL></Action>",
     "http://previous?E=p"},
    {"MissingChildrenReadAsEmpty", "<Action><URL>http://nameless</URL></Action><Action/>",
     "http://nameless"},
};

class RepublishUrlTest : public ::testing::TestWithParam<RepublishUrlCase> {};

TEST_P(RepublishUrlTest, TakesTheUrlFromTheDescribedItem) {
  const RepublishUrlCase& c = GetParam();
  PortalScript script;
  script.replies["DescribeNewsItem"] =
      ResultReply("Success", std::string("<NewsItem>") + c.newsItemBody + "</NewsItem>");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  publisher->m_strReportUrl = "http://previous?E=p";
  CString error;
  ASSERT_TRUE(publisher->Republish(error)) << error;
  ASSERT_EQ(script.publishCalls.size(), 1u);
  EXPECT_EQ(script.publishCalls[0].urlText, c.urlSent);
  EXPECT_EQ(publisher->m_strReportUrl, script.publishUrl.c_str());
  EXPECT_EQ(script.RequestsNamed("DescribeNewsItem")[0],
            brindle::portal::DescribeNewsItemRequest("item-old"));
}

INSTANTIATE_TEST_SUITE_P(Cases, RepublishUrlTest, ::testing::ValuesIn(kRepublishUrlCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PublisherRepublish, WithoutIdGives2009AndSendsNothing) {
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  CString error;
  EXPECT_FALSE(publisher->Republish(error));
  EXPECT_EQ(error, "Failed to re-publish the report because the  NewsItem information is missing .");
  EXPECT_TRUE(script.requests.empty());
}

TEST(PublisherRepublish, FailedDescribeForgetsTheIdAndGivesTheReplysText) {
  PortalScript script;
  script.replies["DescribeNewsItem"] = ResultReply("NotFound", "", "No such NewsItem");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-gone";
  CString error;
  EXPECT_FALSE(publisher->Republish(error));
  EXPECT_EQ(error, "No such NewsItem");
  EXPECT_EQ(publisher->m_strNewsItemId, "");
  EXPECT_EQ(script.saves, 0);
}

TEST(PublisherRepublish, ReplyWithoutNewsItemFails) {
  PortalScript script;
  script.replies["DescribeNewsItem"] = ResultReply("Success");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  CString error = "as it was";
  EXPECT_FALSE(publisher->Republish(error));
  EXPECT_EQ(error, "as it was");
  EXPECT_EQ(script.saves, 0);
}

TEST(PublisherRepublish, FailedPublishRollsNothingBack) {
  PortalScript script;
  script.publishResult = 4;
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  CString error;
  EXPECT_FALSE(publisher->Republish(error));
  EXPECT_EQ(error, "Failed to publish the report to Brindle Enterprise Server.");
  EXPECT_TRUE(script.RequestsNamed("DeleteNewsItem").empty());
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");
}

// --- Rollback of a new NewsItem ---------------------------------------------------------------

struct RollbackCase {
  const char* name;
  bool saveResult;
  int32_t publishResult;
  bool publishThrows;
  const char* error;
  size_t publishCalls;
};

const RollbackCase kRollbackCases[] = {
    {"SaveFails", false, 0, false, "Failed to save the Brindle report in XML format.", 0},
    {"PublishFails", true, 4, false, "Failed to publish the report to Brindle Enterprise Server.", 1},
    {"PublishGivesServerCode", true, 1205, false,
     "Failed to publish the report to Brindle Enterprise Server.", 1},
    {"PublishThrows", true, 0, true, "Failed to publish the report to Brindle Enterprise Server.", 1},
};

class PublisherRollbackTest : public ::testing::TestWithParam<RollbackCase> {};

TEST_P(PublisherRollbackTest, NewItemIsDeletedAgain) {
  const RollbackCase& c = GetParam();
  PortalScript script;
  script.saveResult = c.saveResult;
  script.publishResult = c.publishResult;
  script.publishThrows = c.publishThrows;
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemName = "Sales";
  publisher->m_strNewsBoxName = "Public/Sales";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(script.publishCalls.size(), c.publishCalls);
  const auto deletes = script.RequestsNamed("DeleteNewsItem");
  ASSERT_EQ(deletes.size(), 1u);
  EXPECT_EQ(deletes[0], brindle::portal::DeleteNewsItemRequest("item-new"));
  EXPECT_TRUE(script.RequestsNamed("SetNewsItemProperties").empty());
  EXPECT_EQ(publisher->m_strNewsItemId, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, PublisherRollbackTest, ::testing::ValuesIn(kRollbackCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PublisherRollback, FailedPropertiesUpdateKeepsTheNewItem) {
  PortalScript script;
  script.replies["SetNewsItemProperties"] = ResultReply("Invalid", "", "Bad gateway");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemName = "Sales";
  publisher->m_strNewsBoxId = "box-1";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_EQ(error, "Bad gateway");
  EXPECT_TRUE(script.RequestsNamed("DeleteNewsItem").empty());
  EXPECT_EQ(publisher->m_strNewsItemId, "item-new");
}

TEST(PublisherRollback, CreateReplyWithoutIdNeverTouchesTheKnownItem) {
  PortalScript script;
  script.replies["CreateNewsItem"] = ResultReply("Success");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  publisher->m_strExistingName = "Old";
  publisher->m_strNewsItemName = "Renamed";
  publisher->m_strNewsBoxId = "box-1";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_FALSE(error.IsEmpty());
  EXPECT_TRUE(script.publishCalls.empty());
  EXPECT_TRUE(script.RequestsNamed("DeleteNewsItem").empty());
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");
}

TEST(PublisherRollback, RolledBackNewItemGivesTheKnownIdBack) {
  // A known item renamed in the wizard makes a new one; when that one is taken back the run
  // must still know the old item, so choosing it again updates it instead of making another.
  PortalScript script;
  script.publishResult = 4;
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  publisher->m_strExistingName = "Old";
  publisher->m_strExistingNewsBoxId = "box-1";
  publisher->m_strNewsItemName = "Renamed";
  publisher->m_strNewsBoxId = "box-1";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_EQ(error, "Failed to publish the report to Brindle Enterprise Server.");
  EXPECT_EQ(script.RequestsNamed("DeleteNewsItem"),
            std::vector<std::string>{brindle::portal::DeleteNewsItemRequest("item-new")});
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");

  script.publishResult = 0;
  publisher->m_strNewsItemName = "Old";
  ASSERT_TRUE(publisher->Publish(error)) << error;
  EXPECT_EQ(script.RequestsNamed("CreateNewsItem").size(), 1u) << "no second new item";
  EXPECT_EQ(script.publishCalls.back().name, "item-old");
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");
}

TEST(PublisherRollback, NewItemThatCouldNotBeDeletedKeepsItsId) {
  PortalScript script;
  script.publishResult = 4;
  script.replies["DeleteNewsItem"] = ResultReply("Locked", "", "Item is in use");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  publisher->m_strExistingName = "Old";
  publisher->m_strNewsItemName = "Renamed";
  publisher->m_strNewsBoxId = "box-1";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_EQ(error, "Failed to publish the report to Brindle Enterprise Server.");
  // The new item is still on the portal, and it is the one this run now stands for.
  EXPECT_EQ(publisher->m_strNewsItemId, "item-new");
}

TEST(PublisherRollback, FailedCreateKeepsTheKnownId) {
  PortalScript script;
  script.replies["CreateNewsItem"] = ResultReply("Denied", "", "Read-only NewsBox");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  publisher->m_bCreateNew = 1;
  publisher->m_strNewsBoxId = "box-1";
  CString error;
  EXPECT_FALSE(publisher->Publish(error));
  EXPECT_EQ(error, "Read-only NewsBox");
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");
  EXPECT_EQ(script.saves, 0);
}

// --- PublishReport ------------------------------------------------------------------------

TEST(PublisherPublishReport, SendsIdDescriptionAndSavedPath) {
  PortalScript script;
  script.savedPath = "/data/out/Sales.xml";
  uint32_t pdfOptions = 0x80010u;
  auto publisher = script.MakePublisher(&pdfOptions);
  publisher->m_strReportServer = "reports:8010";
  publisher->m_strNewsItemId = "item-7";
  publisher->m_strNewsItemName = "Sales";
  publisher->m_strDescription = "Q3";
  CString error;
  ASSERT_TRUE(publisher->PublishReport(error)) << error;
  ASSERT_EQ(script.publishCalls.size(), 1u);
  const PublishCall& call = script.publishCalls[0];
  EXPECT_EQ(call.server, "reports:8010");
  EXPECT_EQ(call.name, "item-7");
  EXPECT_EQ(call.description, "Q3");
  EXPECT_EQ(call.reportFile, "/data/out/Sales.xml");
  EXPECT_EQ(call.urlText, "");
  EXPECT_EQ(call.capacity, 3072);
  EXPECT_EQ(publisher->m_strReportUrl, script.publishUrl.c_str());
}

struct CapacityCase {
  int currentUrlLength;
  int capacity;
};

TEST(PublisherPublishReport, UrlBufferHoldsTheCurrentUrlAndItsNul) {
  const CapacityCase cases[] = {{0, 3072}, {100, 3072}, {3071, 3072}, {3072, 3073}, {5000, 5001}};
  for (const CapacityCase& c : cases) {
    PortalScript script;
    const std::string current(static_cast<size_t>(c.currentUrlLength), 'u');
    // The server answers with a URL as long as the current one.
    script.publishUrl = c.currentUrlLength ? "http://r/g?E=" + std::string(c.currentUrlLength - 13, 'x')
                                           : "http://r/g?E=x";
    auto publisher = script.MakePublisher();
    publisher->m_strNewsItemId = "item-7";
    publisher->m_strReportUrl = current.c_str();
    CString error;
    EXPECT_TRUE(publisher->PublishReport(error)) << c.currentUrlLength;
    ASSERT_EQ(script.publishCalls.size(), 1u);
    EXPECT_EQ(script.publishCalls[0].capacity, c.capacity);
    EXPECT_EQ(script.publishCalls[0].urlText, current);
    EXPECT_EQ(publisher->m_strReportUrl, script.publishUrl.c_str());
  }
}

TEST(PublisherPublishReport, PassesOptionsAndPdfWordToTheSaveCallback) {
  static CPromptProperties* seenOptions;
  static uint32_t seenPdf;
  static uint32_t seenData;
  struct Recorder {
    static unsigned char Save(uint32_t data, CString* path, CPromptProperties* options,
                              uint32_t pdf) {
      seenData = data;
      seenOptions = options;
      seenPdf = pdf;
      *path = "/tmp/r.xml";
      return 1;
    }
  };
  PortalScript script;
  CPromptProperties options;
  uint32_t pdfOptions = 0x2A4u;
  PortalPublisher publisher(&Recorder::Save, 99, &options, &pdfOptions, script.Services());
  publisher.m_strNewsItemId = "item-7";
  CString error;
  ASSERT_TRUE(publisher.PublishReport(error));
  EXPECT_EQ(seenData, 99u);
  EXPECT_EQ(seenOptions, &options);
  EXPECT_EQ(seenPdf, 0x2A4u);

  PortalPublisher withoutOptions(&Recorder::Save, 1, nullptr, nullptr, script.Services());
  withoutOptions.m_strNewsItemId = "item-7";
  ASSERT_TRUE(withoutOptions.PublishReport(error));
  EXPECT_EQ(seenOptions, nullptr);
  EXPECT_EQ(seenPdf, 0u);
}

TEST(PublisherPublishReport, EmptyAnswerOrNoCallbackFails) {
  PortalScript script;
  script.publishUrl = "";
  auto publisher = script.MakePublisher();
  publisher->m_strNewsItemId = "item-7";
  CString error;
  EXPECT_FALSE(publisher->PublishReport(error));
  EXPECT_EQ(error, "Failed to publish the report to Brindle Enterprise Server.");

  PortalPublisher noCallback(nullptr, 0, nullptr, nullptr, script.Services());
  EXPECT_FALSE(noCallback.PublishReport(error));
  EXPECT_EQ(error, "Failed to save the Brindle report in XML format.");
}

// --- SetNewsItemProperties ------------------------------------------------------------------

struct PropertiesCase {
  const char* reportUrl;
  bool succeeds;
  const char* gateway;
  const char* content;
};

TEST(SetNewsItemProperties, SplitsTheReportUrl) {
  const PropertiesCase cases[] = {
      {"http://r:8010/gateway?DC=R&E=abc&x=1", true, "http://r:8010/gateway", "abc"},
      {"http://r:8010/gateway?DC=R&nic=abc", true, "http://r:8010/gateway", "abc"},
      {"http://r:8010/gateway?DATE=5", true, "http://r:8010/gateway", "5"},
      {"http://r:8010/gateway?DC=R&x=1", false, "", ""},
      {"http://r:8010/gateway", false, "", ""},
      {"", false, "", ""},
  };
  for (const PropertiesCase& c : cases) {
    PortalScript script;
    auto publisher = ConnectedPublisher(script);
    publisher->m_strNewsItemId = "item-7";
    publisher->m_strReportUrl = c.reportUrl;
    CString error;
    ASSERT_EQ(publisher->SetNewsItemProperties(error), c.succeeds) << c.reportUrl;
    if (!c.succeeds) {
      EXPECT_EQ(error, "Failed to publish the report to Brindle Enterprise Server.");
      EXPECT_TRUE(script.requests.empty());
      continue;
    }
    ASSERT_EQ(script.requests.size(), 1u);
    EXPECT_EQ(script.requests[0],
              brindle::portal::SetNewsItemPropertiesRequest("item-7", c.gateway, "", c.content));
  }
}

// --- FillNewsItemFields -------------------------------------------------------------------

TEST(FillNewsItemFields, ReadsNameDescriptionAndBox) {
  PortalScript script;
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  CString name, description;
  ASSERT_TRUE(publisher->FillNewsItemFields(name, description));
  EXPECT_EQ(name, "Old");
  EXPECT_EQ(description, "Old one");
  EXPECT_EQ(publisher->m_strExistingName, "Old");
  EXPECT_EQ(publisher->m_strExistingNewsBoxId, "box-1");
}

TEST(FillNewsItemFields, MissingChildrenAreEmptyAndNoParentFails) {
  PortalScript script;
  script.replies["DescribeNewsItem"] = ResultReply("Success", "<NewsItem><Id>x</Id></NewsItem>");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-old";
  CString name = "keep", description = "keep";
  EXPECT_FALSE(publisher->FillNewsItemFields(name, description));
  EXPECT_EQ(name, "");
  EXPECT_EQ(description, "");
  EXPECT_EQ(publisher->m_strNewsItemId, "item-old");
}

TEST(FillNewsItemFields, FailedDescribeForgetsTheId) {
  PortalScript script;
  script.replies["DescribeNewsItem"] = ResultReply("NotFound");
  auto publisher = ConnectedPublisher(script);
  publisher->m_strNewsItemId = "item-gone";
  CString name, description;
  EXPECT_FALSE(publisher->FillNewsItemFields(name, description));
  EXPECT_EQ(publisher->m_strNewsItemId, "");
  EXPECT_FALSE(publisher->CanFinish());
  publisher->m_strNewsBoxId = "box-1";
  EXPECT_TRUE(publisher->CanFinish());
}

}  // namespace
}  // namespace portal_test
