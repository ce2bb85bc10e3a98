// Finding the portal's address through the report server and logging on to the portal,
// with the retries the portal library's answers call for.

#include <gtest/gtest.h>

#include "PortalFakes.h"

namespace portal_test {
namespace {

struct AddressCase {
  const char* name;
  const char* url;
  const char* port;
  int32_t infoResult;
  bool infoThrows;
  bool succeeds;
  const char* addressOrError;
};

const AddressCase kAddressCases[] = {
    {"HostAndPath", "http://portal.example/lumora/index", "8020", 0, false, true,
     "portal.example:8020"},
    {"HostPortAndPathWithPortZero", "http://portal.example:9000/lumora", "0", 0, false, true,
     "portal.example:0"},
    {"HostOnlyNoPortText", "https://portal.example", "", 0, false, true, "portal.example"},
    {"HostAndPortNoPath", "http://portal.example:9000", "8020", 0, false, true,
     "portal.example:8020"},
    {"NoSchemeSeparator", "portal.example/lumora", "8020", 0, false, false,
     "Login to Lumora failed."},
    {"EmptyUrl", "", "0", 0, false, false, "Login to Lumora failed."},
    {"NothingAfterScheme", "http://", "8020", 0, false, false, "Login to Lumora failed."},
    {"ReportServerUnreachable", "", "", 4, false, false,
     "Failed to publish the report to Brindle Enterprise Server."},
    {"ReportServerBrokeTheExchange", "", "", 0, true, false,
     "Failed to publish the report to Brindle Enterprise Server."},
};

class PortalAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(PortalAddressTest, DerivedFromTheReportServersSettings) {
  const AddressCase& c = GetParam();
  PortalScript script;
  script.infoUrl = c.url;
  script.infoPort = c.port;
  script.infoResult = c.infoResult;
  script.infoThrows = c.infoThrows;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strReportServer = "reports:8010";

  CString error;
  ASSERT_EQ(publisher->ConnectPortal(error), c.succeeds);
  if (c.succeeds) {
    EXPECT_EQ(publisher->m_strPortalAddress, c.addressOrError);
    EXPECT_EQ(publisher->m_hPortal, script.handle);
  } else {
    EXPECT_EQ(error, c.addressOrError);
    EXPECT_EQ(publisher->m_hPortal, 0u);
    EXPECT_TRUE(script.calls.empty()) << "no log-on without an address";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PortalAddressTest, ::testing::ValuesIn(kAddressCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectPortal, KnownAddressIsNotAskedFor) {
  PortalScript script;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "given:1";
  CString error;
  ASSERT_TRUE(publisher->ConnectPortal(error));
  EXPECT_EQ(script.infoCalls, 0);
  EXPECT_EQ(publisher->m_strPortalAddress, "given:1");
}

struct LogOnCase {
  const char* name;
  std::vector<int32_t> logOnResults;
  int32_t setUpResult;
  bool succeeds;
  std::vector<std::string> calls;
  std::vector<std::string> tickets;  // the ticket of each log-on
};

const LogOnCase kLogOnCases[] = {
    {"FirstTime", {LC_OK}, LC_OK, true, {"logon"}, {"ticket-1"}},
    {"NotSetUpThenSetUp", {LC_NOT_SET_UP, LC_OK}, LC_OK, true, {"logon", "setup", "logon"},
     {"ticket-1", "ticket-1"}},
    // A failed log-on leaves the publisher not connected; only closing a connection shuts the
    // library down, so nothing follows the last log-on.
    {"NotSetUpAndSetUpFails", {LC_NOT_SET_UP}, LC_BAD_ARGUMENT, false, {"logon", "setup"}, {"ticket-1"}},
    {"TicketRefusedOnce", {LC_TICKET_REFUSED, LC_OK}, LC_OK, true, {"logon", "logon"},
     {"ticket-1", "ticket-2"}},
    {"TicketRefusedTwice", {LC_TICKET_REFUSED, LC_TICKET_REFUSED}, LC_OK, false,
     {"logon", "logon"}, {"ticket-1", "ticket-2"}},
    {"NotSetUpThenTicketRefused", {LC_NOT_SET_UP, LC_TICKET_REFUSED, LC_OK}, LC_OK, true,
     {"logon", "setup", "logon", "logon"}, {"ticket-1", "ticket-1", "ticket-2"}},
    {"OtherFailure", {LC_CONNECT_FAILED}, LC_OK, false, {"logon"}, {"ticket-1"}},
    {"SetUpThenOtherFailure", {LC_NOT_SET_UP, LC_CONNECT_FAILED}, LC_OK, false, {"logon", "setup", "logon"},
     {"ticket-1", "ticket-1"}},
};

class PortalLogOnTest : public ::testing::TestWithParam<LogOnCase> {};

TEST_P(PortalLogOnTest, RetriesAsThePortalAnswers) {
  const LogOnCase& c = GetParam();
  PortalScript script;
  script.logOnResults.assign(c.logOnResults.begin(), c.logOnResults.end());
  script.setUpResult = c.setUpResult;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";

  CString error;
  ASSERT_EQ(publisher->ConnectPortal(error), c.succeeds);
  EXPECT_EQ(script.calls, c.calls);
  EXPECT_EQ(script.logOnTickets, c.tickets);
  if (c.succeeds) {
    EXPECT_EQ(publisher->m_hPortal, script.handle);
    EXPECT_EQ(publisher->m_strTicket, c.tickets.back().c_str());
  } else {
    EXPECT_EQ(error, "Login to Lumora failed.");
    EXPECT_EQ(publisher->m_hPortal, 0u);
  }
  for (const std::string& address : script.setUpAddresses) EXPECT_EQ(address, "portal.example:8020");
}

INSTANTIATE_TEST_SUITE_P(Cases, PortalLogOnTest, ::testing::ValuesIn(kLogOnCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectPortal, SignOnFailureInsideGives2005EvenWhenCancelled) {
  PortalScript script;
  script.dialogResult = SN_CANCELLED;
  auto publisher = script.MakePublisher();
  publisher->m_strPortalAddress = "portal.example:8020";
  CString error;
  EXPECT_FALSE(publisher->ConnectPortal(error));
  EXPECT_EQ(error, "Login to Sentrel failed.");
  EXPECT_TRUE(script.calls.empty());
}

TEST(ConnectPortal, RefusedTicketAndFailedSignOnGives2005) {
  PortalScript script;
  script.logOnResults = {LC_TICKET_REFUSED};
  script.authResult = SN_LOGON_REFUSED;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  publisher->m_strTicket = "stale";
  CString error;
  EXPECT_FALSE(publisher->ConnectPortal(error));
  EXPECT_EQ(error, "Login to Sentrel failed.");
  EXPECT_EQ(publisher->m_strTicket, "");
  EXPECT_EQ(script.logOnTickets, std::vector<std::string>{"stale"});
}

TEST(ConnectPortal, KnownTicketIsReusedWithoutSigningOn) {
  PortalScript script;
  auto publisher = script.MakePublisher();
  publisher->m_strPortalAddress = "portal.example:8020";
  publisher->m_strTicket = "kept";
  CString error;
  ASSERT_TRUE(publisher->ConnectPortal(error));
  EXPECT_EQ(script.signOns, 0);
  EXPECT_EQ(script.logOnTickets, std::vector<std::string>{"kept"});
}

TEST(ConnectPortal, ZeroHandleFromTheLibraryIsNoConnection) {
  PortalScript script;
  script.handle = 0;
  auto publisher = script.MakePublisher();
  publisher->m_strUserName = "ann";
  publisher->m_strPortalAddress = "portal.example:8020";
  CString error;
  EXPECT_FALSE(publisher->ConnectPortal(error));
  EXPECT_EQ(error, "Login to Lumora failed.");
}

}  // namespace
}  // namespace portal_test
