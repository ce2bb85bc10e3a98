// The publications without a window as the entry points run them: what goes into the
// run and what comes back to the host's strings.

#include <gtest/gtest.h>

#include "PortalFakes.h"
#include "portal/NoUiPublishing.h"

namespace portal_test {
namespace {

using brindle::portal::PublishWithoutUi;
using brindle::portal::RepublishWithoutUi;

TEST(PublishWithoutUi, NewItemIdAndDerivedAddressComeBack) {
  PortalScript script;
  CString portalAddress, error, newsItemId;
  ASSERT_EQ(PublishWithoutUi("Sales", "Q3 figures", "public/sales", "reports:8010", &portalAddress,
                             &FakeSaveReport, 3, "ann", "pw", &error, &newsItemId,
                             script.Services()),
            1)
      << error;
  EXPECT_EQ(newsItemId, "item-new");
  EXPECT_EQ(portalAddress, "portal.example:8020");
  EXPECT_EQ(script.authUser, "ann");
  EXPECT_EQ(script.authPassword, "pw");
  ASSERT_EQ(script.publishCalls.size(), 1u);
  EXPECT_EQ(script.publishCalls[0].server, "reports:8010");
  EXPECT_EQ(script.publishCalls[0].name, "item-new");
  EXPECT_EQ(script.publishCalls[0].description, "Q3 figures");
  const auto creates = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(creates.size(), 1u);
  EXPECT_NE(creates[0].find("<Name>Sales</Name><ParentId>box-1</ParentId>"), std::string::npos);
  EXPECT_EQ(script.calls.back(), "shutdown") << "the run closes the portal before returning";
}

TEST(PublishWithoutUi, KnownIdUpdatesThatItem) {
  PortalScript script;
  CString portalAddress = "portal.example:8020", error, newsItemId = "item-old";
  ASSERT_EQ(PublishWithoutUi("Other name", "", "No/Such/Box", "reports:8010", &portalAddress,
                             &FakeSaveReport, 3, "ann", "pw", &error, &newsItemId,
                             script.Services()),
            1)
      << error;
  EXPECT_EQ(newsItemId, "item-old");
  EXPECT_TRUE(script.RequestsNamed("CreateNewsItem").empty());
  EXPECT_EQ(script.infoCalls, 0);
}

TEST(PublishWithoutUi, FailureLeavesHostStringsAndReportsWhy) {
  PortalScript script;
  CString portalAddress = "portal.example:8020", error, newsItemId;
  EXPECT_EQ(PublishWithoutUi("Sales", "", "No/Such/Box", "reports:8010", &portalAddress,
                             &FakeSaveReport, 3, "ann", "pw", &error, &newsItemId,
                             script.Services()),
            0);
  EXPECT_EQ(error, "Failed to find NewsBox.");
  EXPECT_EQ(newsItemId, "");
  EXPECT_EQ(portalAddress, "portal.example:8020");
}

// A portal answer without a result to judge fails the run and leaves the caller's error
// text as it was, for the create request and for the describe request of a republish.
TEST(PublishWithoutUi, AnswerWithoutAResultLeavesTheErrorTextAsItWas) {
  struct Case {
    const char* request;
    const char* reply;
  };
  const Case cases[] = {
      {"CreateNewsItem", "<Other/>"},
      {"CreateNewsItem", "<Result><Standard_Result/></Result>"},
      {"CreateNewsItem", "not XML at all"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    PortalScript script;
    script.replies[c.request] = c.reply;
    CString portalAddress, error = "left from an earlier call", newsItemId;
    EXPECT_EQ(PublishWithoutUi("Sales", "", "Public/Sales", "reports:8010", &portalAddress,
                               &FakeSaveReport, 3, "ann", "pw", &error, &newsItemId,
                               script.Services()),
              0);
    EXPECT_EQ(error, "left from an earlier call");
    EXPECT_EQ(newsItemId, "");
  }
}

TEST(RepublishWithoutUi, DescribeReplyWithoutNewsItemLeavesTheErrorTextAsItWas) {
  PortalScript script;
  script.replies["DescribeNewsItem"] = ResultReply("Success");
  CString portalAddress, error = "left from an earlier call", newsItemId = "item-host";
  EXPECT_EQ(RepublishWithoutUi("", "reports:8010", &portalAddress, &FakeSaveReport, 3, "ann", "pw",
                               &error, &newsItemId, script.Services()),
            0);
  EXPECT_EQ(error, "left from an earlier call");
  EXPECT_EQ(newsItemId, "item-host");
  EXPECT_EQ(script.saves, 0);
}

TEST(PublishWithoutUi, FailedRollbackKeepsTheHostsId) {
  PortalScript script;
  script.publishResult = 4;
  CString portalAddress, error, newsItemId = "item-host";
  script.replies["DescribeNewsItem"] = ResultReply("NotFound", "", "gone");
  EXPECT_EQ(PublishWithoutUi("Sales", "", "Public/Sales", "reports:8010", &portalAddress,
                             &FakeSaveReport, 3, "ann", "pw", &error, &newsItemId,
                             script.Services()),
            0);
  EXPECT_EQ(newsItemId, "item-host");
  EXPECT_EQ(portalAddress, "");
}

TEST(PublishWithoutUi, NullHostStringsAndTextsAreEmpty) {
  PortalScript script;
  EXPECT_EQ(PublishWithoutUi(nullptr, nullptr, "Public/Sales", "reports:8010", nullptr,
                             &FakeSaveReport, 3, "ann", nullptr, nullptr, nullptr,
                             script.Services()),
            1);
  EXPECT_EQ(script.authPassword, "");
}

TEST(PublishWithoutUi, EmptyUserSignsOnThroughTheDialog) {
  PortalScript script;
  CString portalAddress, error, newsItemId;
  EXPECT_EQ(PublishWithoutUi("Sales", "", "Public/Sales", "reports:8010", &portalAddress,
                             &FakeSaveReport, 3, "", "", &error, &newsItemId, script.Services()),
            1);
  EXPECT_EQ(script.dialogCalls, 1);
  EXPECT_EQ(script.authCalls, 0);
}

TEST(RepublishWithoutUi, UpdatesTheKnownItemWithoutListingFirst) {
  PortalScript script;
  CString portalAddress, error, newsItemId = "item-old";
  ASSERT_EQ(RepublishWithoutUi("New text", "reports:8010", &portalAddress, &FakeSaveReport, 3,
                               "ann", "pw", &error, &newsItemId, script.Services()),
            1)
      << error;
  EXPECT_EQ(newsItemId, "item-old");
  EXPECT_EQ(portalAddress, "portal.example:8020");
  ASSERT_EQ(script.publishCalls.size(), 1u);
  EXPECT_EQ(script.publishCalls[0].name, "item-old");
  EXPECT_EQ(script.publishCalls[0].description, "New text");
  EXPECT_EQ(script.publishCalls[0].urlText, "http://reports:8010/gateway?DC=R&E=content-1");
  const auto updates = script.RequestsNamed("SetNewsItemProperties");
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_NE(updates[0].find("<Description>New text</Description><ContentName>content-9</ContentName>"),
            std::string::npos);
}

TEST(RepublishWithoutUi, EmptyIdGives2009WithoutSigningOn) {
  PortalScript script;
  CString portalAddress, error, newsItemId;
  EXPECT_EQ(RepublishWithoutUi("", "reports:8010", &portalAddress, &FakeSaveReport, 3, "ann", "pw",
                               &error, &newsItemId, script.Services()),
            0);
  EXPECT_EQ(error, "Failed to re-publish the report because the  NewsItem information is missing .");
  EXPECT_EQ(script.signOns, 0);
}

TEST(RepublishWithoutUi, WrongCredentialsGive2003) {
  PortalScript script;
  script.authResult = SN_LOGON_REFUSED;
  CString portalAddress, error, newsItemId = "item-old";
  EXPECT_EQ(RepublishWithoutUi("", "reports:8010", &portalAddress, &FakeSaveReport, 3, "ann", "bad",
                               &error, &newsItemId, script.Services()),
            0);
  // The describe request could not open the connection.
  EXPECT_EQ(error, "Failed to connect to Lumora.");
  EXPECT_EQ(newsItemId, "item-old");
}

}  // namespace
}  // namespace portal_test
