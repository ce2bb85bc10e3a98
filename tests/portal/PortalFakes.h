#pragma once
// Scripted stand-ins for the systems a publishing run talks to: the security library,
// its logon dialog, the portal connection library and the report server. A test owns a
// PortalScript, sets the answers it wants, hands the run Services() and afterwards reads
// what the run asked for. The fakes only refer to the script, so it can outlive the run.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "brindle/BRCUtil.h"
#include "portal/PortalPublisher.h"
#include "portal/PortalServices.h"

namespace portal_test {

struct PublishCall {
  std::string server, name, description, reportFile, urlText;
  int32_t capacity = 0;
};

struct PortalScript {
  // Replies of a small portal: two writable NewsBoxes, a known item "item-old" in box-1,
  // new items get "item-new".
  PortalScript();

  // Security library.
  int32_t initResult = SN_OK;
  std::string lastErrorMsg;
  int32_t namespaceResult = SN_OK;
  std::string nameSpace = "LDAP";
  std::string sessionErrorMsg;
  int32_t authResult = SN_OK;
  std::vector<std::string> tickets = {"ticket-1", "ticket-2", "ticket-3"};  // one per sign-on
  uint32_t initArgs[3] = {};
  int signOns = 0;
  std::string authUser, authPassword, authNamespace;
  int authCalls = 0;

  // Logon dialog.
  int32_t dialogResult = SN_OK;
  int dialogCalls = 0;
  std::string dialogNamespace;
  uint32_t dialogDescriptor[3] = {};  // kind, reserved, capacity

  // Portal connection library.
  std::deque<int32_t> logOnResults;  // answered in turn; LC_OK once used up
  std::vector<std::string> logOnTickets;
  int32_t setUpResult = LC_OK;
  std::vector<std::string> setUpAddresses;
  LC_HANDLE handle = 41;
  // Replies by the request's element name ("CreateNewsItem", ...); missing: a success.
  std::map<std::string, std::string> replies;
  int32_t sendResultOverride = -1;  // when >= 0: the result of send, buffer left empty
  std::vector<std::string> requests;
  std::vector<std::string> calls;    // "logon", "setup", "send", "fetch", "logoff", "shutdown"
  std::vector<uint32_t> fetchSizes;  // the size argument of each fetch

  // Report server.
  int32_t infoResult = 0;
  std::string infoUrl = "http://portal.example:8020/lumora/index";
  std::string infoPort = "8020";
  bool infoThrows = false;
  int infoCalls = 0;
  int32_t publishResult = 0;
  std::string publishUrl = "http://reports:8010/gateway?DC=R&E=content-9";
  bool publishThrows = false;
  std::vector<PublishCall> publishCalls;

  // Host save callback.
  bool saveResult = true;
  std::string savedPath = "/tmp/report.xml";
  int saves = 0;

  brindle::portal::PortalServices Services();
  // A publisher bound to this script's fakes and save callback.
  std::unique_ptr<PortalPublisher> MakePublisher(uint32_t* pdfOptions = nullptr,
                                                 CPromptProperties* options = nullptr);
  // The requests of one kind, in order.
  std::vector<std::string> RequestsNamed(const std::string& name) const;
};

// The host save callback: saveReportData is ignored; the script is found through the one
// that MakePublisher last bound.
unsigned char FakeSaveReport(uint32_t saveReportData, CString* reportPath,
                             CPromptProperties* options, uint32_t pdfOptions);

// The element name a request text begins with: "<CreateNewsItem><Name>..." -> "CreateNewsItem".
std::string RequestName(const std::string& request);

// A reply with the given result code and optional message and body elements.
std::string ResultReply(const std::string& code, const std::string& body = "",
                        const std::string& message = "");

// The NewsBox list reply with these (FullName, Id) pairs.
std::string NewsBoxListReply(const std::vector<std::pair<std::string, std::string>>& boxes);

// Sets the script up so that Open has already succeeded: the publisher is connected.
void ConnectPublisher(PortalPublisher& publisher);

}  // namespace portal_test
