// Signing on with the security library: which messages a failure gives, when the logon
// dialog is used, and what the library is called with.

#include <gtest/gtest.h>

#include "PortalFakes.h"

namespace portal_test {
namespace {

struct SignOnCase {
  const char* name;
  int32_t initResult;
  const char* lastErrorMsg;
  int32_t namespaceResult;
  const char* sessionErrorMsg;
  const char* userName;
  int32_t authResult;    // of AuthenticateUser, or of the dialog when userName is empty
  bool succeeds;
  const char* error;     // expected error text (empty on success)
  int authCalls;
  int dialogCalls;
};

const SignOnCase kSignOnCases[] = {
    {"InitFailsWithMessage", SN_FAILED, "No licence for this client", SN_OK, "", "ann", SN_OK,
     false, "No licence for this client", 0, 0},
    {"InitFailsWithoutMessage", SN_FAILED, "", SN_OK, "", "ann", SN_OK, false,
     "Login to Sentrel failed.", 0, 0},
    {"NamespaceFailsWithMessage", SN_OK, "unused", SN_UNKNOWN_NAMESPACE, "No default namespace",
     "ann", SN_OK, false, "No default namespace", 0, 0},
    {"NamespaceFailsWithoutMessage", SN_OK, "unused", SN_UNKNOWN_NAMESPACE, "", "ann", SN_OK,
     false, "Login to Sentrel failed.", 0, 0},
    {"AuthenticationCancelled", SN_OK, "", SN_OK, "", "ann", SN_CANCELLED, false, "Cancelled", 1,
     0},
    {"AuthenticationRefused", SN_OK, "", SN_OK, "", "ann", SN_LOGON_REFUSED, false,
     "Login to Sentrel failed.", 1, 0},
    {"AuthenticationSucceeds", SN_OK, "", SN_OK, "", "ann", SN_OK, true, "", 1, 0},
    {"DialogForEmptyUserSucceeds", SN_OK, "", SN_OK, "", "", SN_OK, true, "", 0, 1},
    {"DialogCancelled", SN_OK, "", SN_OK, "", "", SN_CANCELLED, false, "Cancelled", 0, 1},
    {"DialogFails", SN_OK, "", SN_OK, "", "", SN_FAILED, false, "Login to Sentrel failed.", 0, 1},
};

class PublisherSignOnTest : public ::testing::TestWithParam<SignOnCase> {};

TEST_P(PublisherSignOnTest, GivesTicketOrTheRightMessage) {
  const SignOnCase& c = GetParam();
  PortalScript script;
  script.initResult = c.initResult;
  script.lastErrorMsg = c.lastErrorMsg;
  script.namespaceResult = c.namespaceResult;
  script.sessionErrorMsg = c.sessionErrorMsg;
  script.authResult = c.authResult;
  script.dialogResult = c.authResult;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = c.userName;
  publisher->m_strPassword = "secret";

  CString error;
  EXPECT_EQ(publisher->SignOn(error), c.succeeds);
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(script.authCalls, c.authCalls);
  EXPECT_EQ(script.dialogCalls, c.dialogCalls);
  EXPECT_EQ(publisher->m_strTicket, c.succeeds ? "ticket-1" : "");
  EXPECT_EQ(script.initArgs[0], 0x00010000u);
  EXPECT_EQ(script.initArgs[1], 0x10000100u);
  EXPECT_EQ(script.initArgs[2], 0x20000001u);
}

INSTANTIATE_TEST_SUITE_P(Cases, PublisherSignOnTest, ::testing::ValuesIn(kSignOnCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PublisherSignOn, PassesCredentialsAndNamespaceToTheLibrary) {
  PortalScript script;
  script.nameSpace = "Corporate";
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPassword = "p&ss";
  CString error;
  ASSERT_TRUE(publisher->SignOn(error));
  EXPECT_EQ(script.authNamespace, "Corporate");
  EXPECT_EQ(script.authUser, "ann");
  EXPECT_EQ(script.authPassword, "p&ss");
}

TEST(PublisherSignOn, DialogGetsNamespaceAndTicketDescriptor) {
  PortalScript script;
  script.nameSpace = "Corporate";
  auto publisher = script.MakePublisher();
  CString error;
  ASSERT_TRUE(publisher->SignOn(error));
  EXPECT_EQ(script.dialogNamespace, "Corporate");
  EXPECT_EQ(script.dialogDescriptor[0], 8u);
  EXPECT_EQ(script.dialogDescriptor[2], 255u);
}

TEST(PublisherSignOn, LongestTicketIsKeptWhole) {
  PortalScript script;
  script.tickets = {std::string(254, 't')};
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  CString error;
  ASSERT_TRUE(publisher->SignOn(error));
  EXPECT_EQ(publisher->m_strTicket.GetLength(), 254);
}

}  // namespace
}  // namespace portal_test
