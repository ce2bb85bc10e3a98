#include "PortalFakes.h"

#include <cstring>
#include <stdexcept>

#include "gtest/gtest.h"
#include "portal/BoundedCopy.h"

namespace portal_test {

using brindle::portal::CopyBounded;

namespace {

PortalScript* g_saveScript = nullptr;

std::string NextTicket(PortalScript& script) {
  const size_t index = static_cast<size_t>(script.signOns++);
  return index < script.tickets.size() ? script.tickets[index] : "ticket-x";
}

class FakeSecurity final : public brindle::portal::SecurityLibrary {
 public:
  explicit FakeSecurity(PortalScript& script) : s_(script) {}

  int32_t Init(uint32_t apiVersion, uint32_t clientFlags, SN_HANDLE* handle,
               uint32_t options) override {
    s_.initArgs[0] = apiVersion;
    s_.initArgs[1] = clientFlags;
    s_.initArgs[2] = options;
    if (s_.initResult == SN_OK) *handle = 77;
    return s_.initResult;
  }
  int32_t GetLastErrorMsg(char* buffer, int32_t capacity) override {
    EXPECT_EQ(capacity, SN_MESSAGE_BUFFER_SIZE);
    CopyBounded(s_.lastErrorMsg, buffer, capacity);
    return SN_OK;
  }
  int32_t GetDefaultNamespace(SN_HANDLE handle, char* buffer) override {
    EXPECT_EQ(handle, 77u);
    if (s_.namespaceResult == SN_OK) CopyBounded(s_.nameSpace, buffer, SN_NAMESPACE_BUFFER_SIZE);
    return s_.namespaceResult;
  }
  int32_t GetSessionLastErrorMsg(SN_HANDLE handle, char* buffer, int32_t capacity) override {
    EXPECT_EQ(handle, 77u);
    EXPECT_EQ(capacity, SN_MESSAGE_BUFFER_SIZE);
    CopyBounded(s_.sessionErrorMsg, buffer, capacity);
    return SN_OK;
  }
  int32_t AuthenticateUser(SN_HANDLE handle, const char* nameSpace, const char* userName,
                           const char* password, int32_t reserved, SN_LogonInfo* info,
                           char* ticket) override {
    EXPECT_EQ(handle, 77u);
    EXPECT_EQ(reserved, 0);
    EXPECT_NE(info, nullptr);
    ++s_.authCalls;
    s_.authNamespace = nameSpace;
    s_.authUser = userName;
    s_.authPassword = password;
    if (s_.authResult == SN_OK) CopyBounded(NextTicket(s_), ticket, SN_TICKET_BUFFER_SIZE);
    return s_.authResult;
  }

 private:
  PortalScript& s_;
};

class FakeLogonDialog final : public brindle::portal::LogonDialog {
 public:
  explicit FakeLogonDialog(PortalScript& script) : s_(script) {}

  int32_t CommonLogonEx(SN_HANDLE* handle, uint32_t apiVersion, uint32_t clientFlags, uint32_t options,
                        const char* nameSpace, int32_t showDialog, int32_t reserved1, int32_t reserved2,
                        uint32_t* sessionId, uint32_t* flags, uint32_t* expiresAt, void*,
                        SN_TicketDescriptor* ticket) override {
    EXPECT_EQ(apiVersion, SN_API_VERSION);
    EXPECT_EQ(clientFlags, SN_CLIENT_FLAGS);
    EXPECT_EQ(options, SN_INIT_OPTIONS);
    EXPECT_NE(handle, nullptr);
    EXPECT_EQ(showDialog, 1);
    EXPECT_EQ(reserved1, 0);
    EXPECT_EQ(reserved2, 0);
    EXPECT_TRUE(sessionId && flags && expiresAt);
    ++s_.dialogCalls;
    s_.dialogNamespace = nameSpace;
    s_.dialogDescriptor[0] = ticket->kind;
    s_.dialogDescriptor[1] = ticket->reserved;
    s_.dialogDescriptor[2] = ticket->capacity;
    if (s_.dialogResult == SN_OK) CopyBounded(NextTicket(s_), ticket->buffer, ticket->capacity);
    return s_.dialogResult;
  }

 private:
  PortalScript& s_;
};

class FakePortal final : public brindle::portal::PortalConnection {
 public:
  explicit FakePortal(PortalScript& script) : s_(script) {}

  int32_t SetUp(const char* portalAddress, int32_t mode) override {
    EXPECT_EQ(mode, 1);
    s_.calls.push_back("setup");
    s_.setUpAddresses.push_back(portalAddress);
    return s_.setUpResult;
  }
  int32_t LogOn(LC_HANDLE* handle, const char* ticket) override {
    s_.calls.push_back("logon");
    s_.logOnTickets.push_back(ticket);
    int32_t result = LC_OK;
    if (!s_.logOnResults.empty()) {
      result = s_.logOnResults.front();
      s_.logOnResults.pop_front();
    }
    if (result == LC_OK) *handle = s_.handle;
    return result;
  }
  int32_t Send(LC_HANDLE handle, const char* request, char* reply, uint32_t* size,
               const char* locale) override {
    EXPECT_EQ(handle, s_.handle);
    EXPECT_STREQ(locale, "en-ca");
    EXPECT_EQ(*size, static_cast<uint32_t>(LC_REPLY_BUFFER_SIZE));
    s_.calls.push_back("send");
    s_.requests.push_back(request);
    if (s_.sendResultOverride >= 0) return s_.sendResultOverride;
    pending_ = ReplyFor(request);
    if (pending_.size() + 1 > *size) {
      CopyBounded(pending_, reply, *size);
      *size = static_cast<uint32_t>(pending_.size());
      return LC_MORE_DATA;
    }
    CopyBounded(pending_, reply, *size);
    *size = static_cast<uint32_t>(pending_.size());
    return LC_OK;
  }
  int32_t LogOff(LC_HANDLE handle) override {
    EXPECT_EQ(handle, s_.handle);
    s_.calls.push_back("logoff");
    return LC_OK;
  }
  int32_t ShutDown() override {
    s_.calls.push_back("shutdown");
    return LC_OK;
  }
  int32_t FetchReply(LC_HANDLE handle, char* buffer, uint32_t* size) override {
    EXPECT_EQ(handle, s_.handle);
    s_.calls.push_back("fetch");
    s_.fetchSizes.push_back(*size);
    if (pending_.size() > *size) {
      *size = static_cast<uint32_t>(pending_.size());
      return LC_MORE_DATA;
    }
    CopyBounded(pending_, buffer, static_cast<int64_t>(*size) + 1);
    *size = static_cast<uint32_t>(pending_.size());
    return LC_OK;
  }

 private:
  std::string ReplyFor(const std::string& request) const {
    const auto it = s_.replies.find(RequestName(request));
    return it != s_.replies.end() ? it->second : ResultReply("Success");
  }

  PortalScript& s_;
  std::string pending_;
};

class FakeReportServer final : public brindle::portal::ReportServer {
 public:
  explicit FakeReportServer(PortalScript& script) : s_(script) {}

  int32_t GetLumoraServerInfo(const char* server, char* url, int32_t urlCapacity, char* port,
                              int32_t portCapacity) override {
    EXPECT_STREQ(server, "reports:8010");
    EXPECT_EQ(urlCapacity, 2048);
    EXPECT_EQ(portCapacity, 2048);
    ++s_.infoCalls;
    if (s_.infoThrows) throw std::runtime_error("connection reset");
    if (s_.infoResult != 0) return s_.infoResult;
    CopyBounded(s_.infoUrl, url, urlCapacity);
    CopyBounded(s_.infoPort, port, portCapacity);
    return 0;
  }
  int32_t PublishReport(const char* server, const char* name, const char* description,
                        const char* reportFile, char* url, int32_t urlCapacity) override {
    s_.publishCalls.push_back({server, name, description, reportFile,
                               std::string(url, strnlen(url, static_cast<size_t>(urlCapacity))),
                               urlCapacity});
    if (s_.publishThrows) throw std::runtime_error("connection reset");
    if (s_.publishResult != 0) return s_.publishResult;
    if (s_.publishUrl.size() + 1 > static_cast<size_t>(urlCapacity)) return 1;
    CopyBounded(s_.publishUrl, url, urlCapacity);
    return 0;
  }

 private:
  PortalScript& s_;
};

}  // namespace

PortalScript::PortalScript() {
  replies["DescribeNewsBox"] =
      NewsBoxListReply({{"Public/Sales", "box-1"}, {"Public/Finance/Monthly", "box-2"}});
  replies["CreateNewsItem"] = ResultReply("Success", "<Id>item-new</Id>");
  replies["DescribeNewsItem"] = ResultReply(
      "Success",
      "<NewsItem><Id>item-old</Id><Name>Old</Name><Description>Old one</Description>"
      "<ParentId>box-1</ParentId><BIGateway>http://reports:8010/gateway</BIGateway>"
      "<ContentName>content-1</ContentName></NewsItem>");
}

brindle::portal::PortalServices PortalScript::Services() {
  brindle::portal::PortalServices services;
  services.security = std::make_unique<FakeSecurity>(*this);
  services.logonDialog = std::make_unique<FakeLogonDialog>(*this);
  services.portal = std::make_unique<FakePortal>(*this);
  services.reportServer = std::make_unique<FakeReportServer>(*this);
  g_saveScript = this;
  return services;
}

std::unique_ptr<PortalPublisher> PortalScript::MakePublisher(uint32_t* pdfOptions,
                                                             CPromptProperties* options) {
  return std::make_unique<PortalPublisher>(&FakeSaveReport, 5, options, pdfOptions, Services());
}

std::vector<std::string> PortalScript::RequestsNamed(const std::string& name) const {
  std::vector<std::string> found;
  for (const std::string& request : requests) {
    if (RequestName(request) == name) found.push_back(request);
  }
  return found;
}

unsigned char FakeSaveReport(uint32_t, CString* reportPath, CPromptProperties*, uint32_t) {
  PortalScript& script = *g_saveScript;
  ++script.saves;
  if (!script.saveResult) return 0;
  *reportPath = script.savedPath.c_str();
  return 1;
}

std::string RequestName(const std::string& request) {
  if (request.empty() || request[0] != '<') return std::string();
  const size_t end = request.find_first_of(" >", 1);
  return request.substr(1, end == std::string::npos ? std::string::npos : end - 1);
}

std::string ResultReply(const std::string& code, const std::string& body,
                        const std::string& message) {
  std::string reply = "<Result><Standard_Result ResultCode=\"" + code + "\">";
  if (!message.empty()) reply += "<Message>" + message + "</Message>";
  reply += "</Standard_Result>" + body + "</Result>";
  return reply;
}

std::string NewsBoxListReply(const std::vector<std::pair<std::string, std::string>>& boxes) {
  std::string body;
  for (const auto& [fullName, id] : boxes) {
    body += "<NewsBox><FullName>" + fullName + "</FullName><Id>" + id + "</Id></NewsBox>";
  }
  return ResultReply("Success", body);
}

void ConnectPublisher(PortalPublisher& publisher) {
  publisher.m_strPortalAddress = "portal.example:8020";
  publisher.m_strReportServer = "reports:8010";
  CString error;
  ASSERT_TRUE(publisher.Open(error)) << error;
}

}  // namespace portal_test
