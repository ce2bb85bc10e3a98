// The logon dialog of libTessaron.so asks through the host's UI driver when the driver can
// ask, and asks again after a refused password, a few times at most.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "platform/external/Tessaron.h"
#include "platform/ui/CScriptedDriver.h"
#include "platform/ui/CUiApp.h"
#include "TestTickets.h"
#include "standins/common/Ticket.h"

namespace {

struct Answer {
  bool given;
  const char* user;
  const char* password;
};

struct Outcome {
  int32_t result = 99;
  std::string ticket;
};

Outcome logOnThrough(CScriptedDriver& driver) {
  platform::DynamicLibrary tessaron("Tessaron.dll");
  auto logon = tessaron.function<SN_CommonLogonEx_fn>(SN_COMMON_LOGON_EX_NAME);
  Outcome outcome;
  if (!logon) return outcome;
  CUiDriverScope scope(driver);
  char buffer[SN_TICKET_BUFFER_SIZE] = {};
  SN_TicketDescriptor descriptor{SN_TICKET_DESCRIPTOR_KIND, 0, SN_TICKET_BUFFER_SIZE, buffer};
  SN_HANDLE handle = 0;
  uint32_t words[3] = {};
  outcome.result = logon(&handle, SN_API_VERSION, SN_CLIENT_FLAGS, SN_INIT_OPTIONS, "Brindle", 1, 0, 0, &words[0],
                         &words[2], &words[1], nullptr, &descriptor);
  outcome.ticket = buffer;
  return outcome;
}

TEST(TessaronLogonTest, AsksTheDriverAndAgainAfterARefusedPassword) {
  struct Case {
    const char* what;
    std::vector<Answer> answers;
    int32_t result;
    size_t questions;
  };
  const std::vector<Case> cases = {
      {"right at once", {{true, "demo", "demo"}}, SN_OK, 1},
      {"right at the second try", {{true, "demo", "wrong"}, {true, "demo", "demo"}}, SN_OK, 2},
      {"cancelled after a refusal", {{true, "demo", "wrong"}, {false, "", ""}}, SN_CANCELLED, 2},
      {"cancelled at once", {{false, "", ""}}, SN_CANCELLED, 1},
      {"an empty user name", {{true, "", ""}}, SN_CANCELLED, 1},
      {"refused three times",
       {{true, "demo", "a"}, {true, "demo", "b"}, {true, "demo", "c"}, {true, "demo", "demo"}},
       SN_LOGON_REFUSED,
       3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CScriptedDriver driver;
    for (const Answer& answer : c.answers) {
      if (answer.given) {
        driver.AnswerCredentials(answer.user, answer.password);
      } else {
        driver.CancelCredentials();
      }
    }
    const Outcome outcome = logOnThrough(driver);
    EXPECT_EQ(outcome.result, c.result);
    ASSERT_EQ(driver.CredentialRequests().size(), c.questions);
    if (c.result == SN_OK) {
      auto ticket = Ticket::decode(outcome.ticket, testTicketKey());
      ASSERT_TRUE(ticket.has_value()) << outcome.ticket;
      EXPECT_EQ(ticket->user, "demo");
    } else {
      EXPECT_EQ(outcome.ticket, "");
    }
    const CCredentialsRequest& first = driver.CredentialRequests().front();
    EXPECT_EQ(first.nameSpace, "Brindle");
    EXPECT_TRUE(first.message.IsEmpty());
    EXPECT_TRUE(first.userName.IsEmpty());
    // Every later question says why the answer before was refused and keeps the user name.
    for (size_t i = 1; i < driver.CredentialRequests().size(); ++i) {
      EXPECT_FALSE(driver.CredentialRequests()[i].message.IsEmpty()) << i;
      EXPECT_EQ(driver.CredentialRequests()[i].userName, "demo") << i;
    }
  }
}

}  // namespace
