#include "portal/PortalPublisher.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ui/CUiApp.h"
#include "platform/ui/CWaitCursor.h"
#include "portal/BradmReportServer.h"
#include "portal/LumoraPortalConnection.h"
#include "portal/PortalRequests.h"
#include "portal/PortalStrings.h"
#include "portal/QueryParameter.h"
#include "portal/SentrelSecurityLibrary.h"
#include "portal/TessaronLogonDialog.h"
#include "portal/xml/CXMLMemorySource.h"

using brindle::portal::PortalMessage;
using namespace brindle::portal;

namespace {

constexpr std::uint32_t kReplyFlags = XML_MERGE_TEXT | XML_FRAGMENT;
constexpr std::uint32_t kReplyBufferSize = 10000;
constexpr const char* kLocale = "en-ca";
// A long reply is fetched whole; beyond this size it is refused rather than allocated.
constexpr std::uint32_t kMaxReplySize = 64u * 1024 * 1024;
constexpr int32_t kPortalInfoBufferSize = 2048;
constexpr int kMinReportUrlCapacity = 3072;

// The text of an element's child; the empty text when there is no such child.
CString ChildValue(const CXMLElement& element, const char* name) {
  const CXMLElement* child = element.FindChild(name);
  return child ? CString(child->GetValue()) : CString();
}

// The text of a fixed-size buffer that a library filled, cut at its last byte if the
// library left it unterminated.
CString BufferText(const char* buffer, size_t capacity) {
  return CString(buffer, static_cast<int>(strnlen(buffer, capacity)));
}

PortalServices CompleteServices(PortalServices services) {
  if (!services.security) services.security = std::make_unique<SentrelSecurityLibrary>();
  if (!services.logonDialog) services.logonDialog = std::make_unique<TessaronLogonDialog>();
  if (!services.portal) services.portal = std::make_unique<LumoraPortalConnection>();
  if (!services.reportServer) services.reportServer = std::make_unique<BradmReportServer>();
  return services;
}

}  // namespace

PortalPublisher::PortalPublisher(SaveReportCallback saveReport, std::uint32_t saveReportData,
                                 CPromptProperties* options, std::uint32_t* pdfOptions)
    : PortalPublisher(saveReport, saveReportData, options, pdfOptions, PortalServices()) {}

PortalPublisher::PortalPublisher(SaveReportCallback saveReport, std::uint32_t saveReportData,
                                 CPromptProperties* options, std::uint32_t* pdfOptions,
                                 PortalServices services)
    : m_pOptions(options),
      m_pPdfOptions(pdfOptions),
      m_pfnSaveReport(saveReport),
      m_saveReportData(saveReportData),
      m_services(CompleteServices(std::move(services))) {}

PortalPublisher::~PortalPublisher() {
  ClosePortal();
  m_pNewsBoxTreeState.reset();
}

// --- Signing on and connecting -------------------------------------------------------------

bool PortalPublisher::Open(CString& error) {
  if (m_hPortal != 0) return true;
  if (m_strTicket.IsEmpty() && !SignOn(error)) return false;
  if (!ConnectPortal(error)) return false;
  CWaitCursor wait;
  if (!ListNewsBoxes()) {
    error = PortalMessage(IDS_NO_PUBLISHING_RIGHTS);
    return false;
  }
  m_bCreateNew = 0;
  return true;
}

bool PortalPublisher::SignOn(CString& error) {
  SecurityLibrary& security = *m_services.security;
  SN_HANDLE handle = 0;
  if (security.Init(SN_API_VERSION, SN_CLIENT_FLAGS, &handle, SN_INIT_OPTIONS) != SN_OK) {
    char message[SN_MESSAGE_BUFFER_SIZE] = {};
    security.GetLastErrorMsg(message, SN_MESSAGE_BUFFER_SIZE);
    error = BufferText(message, sizeof message);
    if (error.IsEmpty()) error = PortalMessage(IDS_SIGN_ON_FAILED);
    return false;
  }

  char nameSpace[SN_NAMESPACE_BUFFER_SIZE] = {};
  if (security.GetDefaultNamespace(handle, nameSpace) != SN_OK) {
    char message[SN_MESSAGE_BUFFER_SIZE] = {};
    security.GetSessionLastErrorMsg(handle, message, SN_MESSAGE_BUFFER_SIZE);
    error = BufferText(message, sizeof message);
    if (error.IsEmpty()) error = PortalMessage(IDS_SIGN_ON_FAILED);
    return false;
  }
  nameSpace[sizeof nameSpace - 1] = '\0';

  SN_LogonInfo info = {};
  char ticket[SN_TICKET_BUFFER_SIZE] = {};
  int32_t result;
  if (!m_strUserName.IsEmpty()) {
    result = security.AuthenticateUser(handle, nameSpace, m_strUserName, m_strPassword, 0, &info,
                                       ticket);
  } else {
    SN_TicketDescriptor descriptor = {SN_TICKET_DESCRIPTOR_KIND, 0, SN_TICKET_BUFFER_SIZE, ticket};
    result = m_services.logonDialog->CommonLogonEx(
        &handle, SN_API_VERSION, SN_CLIENT_FLAGS, SN_INIT_OPTIONS, nameSpace, 1, 0, 0,
        &info.sessionId, &info.flags, &info.expiresAt, CUiApp::GetMainWnd(), &descriptor);
  }

  if (result == SN_CANCELLED) {
    error = "Cancelled";
    return false;
  }
  if (result != SN_OK) {
    error = PortalMessage(IDS_SIGN_ON_FAILED);
    return false;
  }
  m_strTicket = BufferText(ticket, sizeof ticket);
  return true;
}

bool PortalPublisher::DerivePortalAddress(CString& error) {
  char url[kPortalInfoBufferSize] = {};
  char port[kPortalInfoBufferSize] = {};
  int32_t result;
  try {
    result = m_services.reportServer->GetLumoraServerInfo(m_strReportServer, url, sizeof url, port,
                                                          sizeof port);
  } catch (...) {
    // A transport failure while reading the settings is a failure to read them.
    result = -1;
  }
  if (result != 0) {
    error = PortalMessage(IDS_PUBLISH_FAILED);
    return false;
  }

  const CString portalUrl = BufferText(url, sizeof url);
  const int scheme = portalUrl.Find("://");
  if (scheme < 0) {
    error = PortalMessage(IDS_PORTAL_LOGON_FAILED);
    return false;
  }
  CString host = portalUrl.Mid(scheme + 3);
  const int slash = host.Find('/');
  if (slash > 0) host = host.Left(slash);
  const int colon = host.Find(':');
  if (colon > 0) host = host.Left(colon);
  if (host.IsEmpty()) {
    error = PortalMessage(IDS_PORTAL_LOGON_FAILED);
    return false;
  }

  const CString portText = BufferText(port, sizeof port);
  if (!portText.IsEmpty()) host += ":" + portText;
  m_strPortalAddress = host;
  return true;
}

int32_t PortalPublisher::LogOnToPortal(LC_HANDLE& handle) {
  handle = 0;
  int32_t result = m_services.portal->LogOn(&handle, m_strTicket);
  // 0 is never a valid connection, whatever the library answered.
  if (result == LC_OK && handle == 0) result = LC_BAD_HANDLE;
  return result;
}

bool PortalPublisher::ConnectPortal(CString& error) {
  if (m_hPortal != 0) return true;
  if (m_strPortalAddress.IsEmpty() && !DerivePortalAddress(error)) return false;
  if (m_strTicket.IsEmpty() && !SignOn(error)) {
    error = PortalMessage(IDS_SIGN_ON_FAILED);
    return false;
  }

  LC_HANDLE handle = 0;
  int32_t result = LogOnToPortal(handle);
  if (result == LC_NOT_SET_UP && m_services.portal->SetUp(m_strPortalAddress, 1) == LC_OK) {
    result = LogOnToPortal(handle);
  }
  if (result == LC_TICKET_REFUSED) {
    m_strTicket.Empty();
    if (!SignOn(error)) {
      error = PortalMessage(IDS_SIGN_ON_FAILED);
      return false;
    }
    result = LogOnToPortal(handle);
  }
  if (result != LC_OK) {
    // Not connected: only ClosePortal shuts the library down, and it has nothing to close.
    error = PortalMessage(IDS_PORTAL_LOGON_FAILED);
    return false;
  }
  m_hPortal = handle;
  return true;
}

void PortalPublisher::ClosePortal() {
  if (m_hPortal == 0) return;
  m_services.portal->LogOff(m_hPortal);
  m_services.portal->ShutDown();
  m_hPortal = 0;
  if (m_pNewsBoxTreeState) m_pNewsBoxTreeState->EmptyNewsBoxTree();
}

// --- Requests and replies -------------------------------------------------------------------

std::string PortalPublisher::ReceiveReply(const char* request) {
  PortalConnection& portal = *m_services.portal;
  std::vector<char> reply(kReplyBufferSize, '\0');
  uint32_t size = kReplyBufferSize;
  const int32_t result = portal.Send(m_hPortal, request, reply.data(), &size, kLocale);
  if (result != LC_MORE_DATA) return std::string(reply.data(), strnlen(reply.data(), reply.size()));

  // The reply did not fit: size holds its length and the library keeps it for us.
  if (size > kMaxReplySize) return std::string();
  std::vector<char> whole(static_cast<size_t>(size) + 1, '\0');
  uint32_t wholeSize = size;
  portal.FetchReply(m_hPortal, whole.data(), &wholeSize);
  return std::string(whole.data(), strnlen(whole.data(), whole.size()));
}

bool PortalPublisher::SendRequest(const char* request, CXMLDocument& document, CString& error) {
  if (m_hPortal == 0) {
    Open(error);
    if (m_hPortal == 0) {
      error = PortalMessage(IDS_CONNECT_FAILED);
      return false;
    }
  }

  const std::string reply = ReceiveReply(request);
  if (reply.empty()) {
    // Nothing came back: the request did not reach the portal or its answer was lost.
    document.Reset();
    error = PortalMessage(IDS_CONNECT_FAILED);
    return false;
  }
  CXMLMemorySource source;
  source.SetText(reply);
  document.SetFlags(kReplyFlags);
  document.Parse(source);
  return CheckResult(document, error);
}

bool PortalPublisher::CheckResult(const CXMLDocument& document, CString& error) {
  // A reply that has no result to judge leaves the caller's error text as it was.
  const CXMLElement* result = document.FindElement("Result.Standard_Result");
  if (result == nullptr) return false;
  const CXMLAttribute* code = result->FindAttribute("ResultCode");
  if (code == nullptr) return false;
  if (CString(code->GetValue()).CompareNoCase("Success") == 0) return true;
  const CString message = ChildValue(*result, "Message");
  error = message.IsEmpty() ? CString(code->GetValue()) : message;
  return false;
}

bool PortalPublisher::ListNewsBoxes() {
  m_newsBoxes.SetFlags(kReplyFlags);
  CString error;
  return SendRequest(NewsBoxListRequest().c_str(), m_newsBoxes, error) &&
         m_newsBoxes.FindElement("Result.NewsBox") != nullptr;
}

bool PortalPublisher::FindNewsBox(const CString& fullName) {
  if (fullName.IsEmpty()) return false;
  for (const CXMLElement* box = m_newsBoxes.FindElement("Result.NewsBox"); box != nullptr;
       box = box->FindNextSibling("NewsBox")) {
    const CXMLElement* name = box->FindChild("FullName");
    if (name == nullptr || CString(name->GetValue()).CompareNoCase(fullName) != 0) continue;
    const CXMLElement* id = box->FindChild("Id");
    if (id == nullptr) continue;
    m_strNewsBoxId = id->GetValue();
    return true;
  }
  return false;
}

bool PortalPublisher::CreateNewsItem(CString& error) {
  CXMLDocument reply;
  reply.SetFlags(kReplyFlags);
  const std::string request = CreateNewsItemRequest(m_strNewsItemName.str(), m_strNewsBoxId.str(),
                                                    m_strDescription.str());
  if (!SendRequest(request.c_str(), reply, error)) return false;
  if (const CXMLElement* id = reply.FindElement("Result.Id")) m_strNewsItemId = id->GetValue();
  return true;
}

bool PortalPublisher::SetNewsItemProperties(CString& error) {
  const int query = m_strReportUrl.Find('?');
  if (query < 0) {
    error = PortalMessage(IDS_PUBLISH_FAILED);
    return false;
  }
  const CString gateway = m_strReportUrl.Left(query);
  CString content = QueryParameter(m_strReportUrl, "E");
  if (content.IsEmpty()) content = QueryParameter(m_strReportUrl, "nic");
  if (content.IsEmpty()) {
    error = PortalMessage(IDS_PUBLISH_FAILED);
    return false;
  }

  CXMLDocument reply;
  reply.SetFlags(kReplyFlags);
  const std::string request = SetNewsItemPropertiesRequest(
      m_strNewsItemId.str(), gateway.str(), m_strDescription.str(), content.str());
  return SendRequest(request.c_str(), reply, error);
}

void PortalPublisher::DeleteNewsItem() {
  CXMLDocument reply;
  reply.SetFlags(kReplyFlags);
  CString error;
  if (SendRequest(DeleteNewsItemRequest(m_strNewsItemId.str()).c_str(), reply, error)) {
    m_strNewsItemId.Empty();
  }
}

bool PortalPublisher::FillNewsItemFields(CString& name, CString& description) {
  if (m_strNewsItemId.IsEmpty()) return false;
  CXMLDocument reply;
  reply.SetFlags(kReplyFlags);
  CString error;
  if (!SendRequest(DescribeNewsItemRequest(m_strNewsItemId.str()).c_str(), reply, error)) {
    if (!m_strTicket.IsEmpty()) m_strNewsItemId.Empty();
    return false;
  }
  const CXMLElement* item = reply.FindElement("Result.NewsItem");
  if (item == nullptr) return false;
  name = ChildValue(*item, "Name");
  m_strExistingName = name;
  description = ChildValue(*item, "Description");
  const CXMLElement* parent = item->FindChild("ParentId");
  if (parent == nullptr) return false;
  m_strExistingNewsBoxId = parent->GetValue();
  return true;
}

bool PortalPublisher::CanFinish() const {
  return !m_strNewsItemId.IsEmpty() || !m_strNewsBoxId.IsEmpty();
}

// --- The publishing sequence ----------------------------------------------------------------

bool PortalPublisher::UpdatesKnownItem() const {
  return !m_strNewsItemId.IsEmpty() &&
         (m_strExistingName.IsEmpty() || m_strExistingName == m_strNewsItemName) &&
         (m_strNewsBoxId.IsEmpty() || m_strNewsBoxId == m_strExistingNewsBoxId) &&
         m_bCreateNew == 0;
}

bool PortalPublisher::ChooseNewsBox(CString& error) {
  if (!m_strNewsBoxId.IsEmpty()) return true;
  if (!m_strNewsBoxName.IsEmpty()) FindNewsBox(m_strNewsBoxName);
  if (m_strNewsBoxId.IsEmpty()) m_strNewsBoxId = m_strExistingNewsBoxId;
  if (m_strNewsBoxId.IsEmpty()) {
    error = PortalMessage(IDS_NEWSBOX_NOT_FOUND);
    return false;
  }
  return true;
}

bool PortalPublisher::CreatePublishedNewsItem(CString& error) {
  // The Id of a known item must not be taken for the new one: everything that follows,
  // the rollback's delete included, works on m_strNewsItemId.
  const CString knownId = m_strNewsItemId;
  m_strNewsItemId.Empty();
  if (!CreateNewsItem(error)) {
    m_strNewsItemId = knownId;
    return false;
  }
  // Without the new item's Id the report would be published under an empty name and the
  // rollback would delete by an empty Id: stop here, before anything is saved or published.
  if (m_strNewsItemId.IsEmpty()) {
    m_strNewsItemId = knownId;
    error = "The portal did not give the Id of the new NewsItem.";
    return false;
  }
  return true;
}

bool PortalPublisher::Publish(CString& error) {
  if (m_hPortal == 0 && !Open(error)) return false;
  if (UpdatesKnownItem()) return Republish(error);

  if (!ChooseNewsBox(error)) return false;
  const CString knownId = m_strNewsItemId;
  if (!CreatePublishedNewsItem(error)) return false;
  if (!PublishReport(error)) {
    DeleteNewsItem();
    // Once the new item is gone the run stands for the known one again, so a later
    // Publish that chooses to overwrite it does update it.
    if (m_strNewsItemId.IsEmpty()) m_strNewsItemId = knownId;
    return false;
  }
  return SetNewsItemProperties(error);
}

void PortalPublisher::TakeUrlFromDescribedItem(const CXMLElement& item) {
  const CString gateway = ChildValue(item, "BIGateway");
  const CString content = ChildValue(item, "ContentName");
  if (!gateway.IsEmpty() && !content.IsEmpty()) {
    m_strReportUrl = gateway + "?DC=R&E=" + content;
    return;
  }
  const CString defaultAction = ChildValue(item, "DefaultAction");
  for (const CXMLElement* action = item.FindChild("Action"); action != nullptr;
       action = action->FindNextSibling("Action")) {
    if (ChildValue(*action, "Name").CompareNoCase(defaultAction) == 0) {
      m_strReportUrl = ChildValue(*action, "URL");
      return;
    }
  }
}

bool PortalPublisher::Republish(CString& error) {
  if (m_strNewsItemId.IsEmpty()) {
    error = PortalMessage(IDS_NEWSITEM_MISSING);
    return false;
  }
  CXMLDocument reply;
  reply.SetFlags(kReplyFlags);
  if (!SendRequest(DescribeNewsItemRequest(m_strNewsItemId.str()).c_str(), reply, error)) {
    m_strNewsItemId.Empty();
    return false;
  }
  const CXMLElement* item = reply.FindElement("Result.NewsItem");
  if (item == nullptr) return false;   // the caller's error text stays as it was
  TakeUrlFromDescribedItem(*item);
  return PublishReport(error) && SetNewsItemProperties(error);
}

bool PortalPublisher::PublishReport(CString& error) {
  CString reportPath;
  const std::uint32_t pdfOptions = m_pPdfOptions ? *m_pPdfOptions : 0;
  if (m_pfnSaveReport == nullptr ||
      !m_pfnSaveReport(m_saveReportData, &reportPath, m_pOptions, pdfOptions)) {
    error = PortalMessage(IDS_SAVE_FAILED);
    return false;
  }

  // The report server writes its answer here with its NUL, within the capacity sent: a
  // buffer of just the current URL's length could not hold an answer of that same length.
  // So the room is the current URL and its NUL, and never less than a long answer needs.
  const int capacity = std::max(m_strReportUrl.GetLength() + 1, kMinReportUrlCapacity);
  std::vector<char> url(static_cast<size_t>(capacity), '\0');
  std::memcpy(url.data(), m_strReportUrl.GetString(), m_strReportUrl.GetLength());

  int32_t result;
  try {
    result = m_services.reportServer->PublishReport(m_strReportServer, m_strNewsItemId,
                                                    m_strDescription, reportPath, url.data(),
                                                    capacity);
  } catch (...) {
    result = -1;
  }
  url.back() = '\0';
  if (result == 0 && url[0] != '\0') {
    m_strReportUrl = url.data();
    return true;
  }
  error = PortalMessage(IDS_PUBLISH_FAILED);
  return false;
}
