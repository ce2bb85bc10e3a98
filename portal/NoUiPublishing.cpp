#include "portal/NoUiPublishing.h"

#include "portal/PortalPublisher.h"

namespace brindle::portal {

namespace {

CString TextOf(const CString* text) { return text ? *text : CString(); }

// Fills the fields both publications share.
void SetCommonFields(PortalPublisher& publisher, const char* description, const char* reportServer,
                     const CString* portalAddress, const char* userName, const char* password,
                     const CString* newsItemId) {
  publisher.m_strReportServer = reportServer;
  publisher.m_strPortalAddress = TextOf(portalAddress);
  publisher.m_strDescription = description;
  publisher.m_strNewsItemId = TextOf(newsItemId);
  publisher.m_strUserName = userName;
  publisher.m_strPassword = password;
}

// Hands the item's Id and the portal address back to the host after a success.
unsigned char Finish(bool published, const PortalPublisher& publisher, CString* portalAddress,
                     CString* newsItemId) {
  if (!published) return 0;
  if (newsItemId) *newsItemId = publisher.m_strNewsItemId;
  if (portalAddress) *portalAddress = publisher.m_strPortalAddress;
  return 1;
}

}  // namespace

unsigned char PublishWithoutUi(const char* newsItemName, const char* description,
                               const char* newsBoxFullName, const char* reportServer,
                               CString* portalAddress, SaveReportCallback saveReport,
                               std::uint32_t saveReportData, const char* userName,
                               const char* password, CString* errorText, CString* newsItemId,
                               PortalServices services) {
  PortalPublisher publisher(saveReport, saveReportData, nullptr, nullptr, std::move(services));
  SetCommonFields(publisher, description, reportServer, portalAddress, userName, password,
                  newsItemId);
  publisher.m_strNewsItemName = newsItemName;
  publisher.m_strNewsBoxName = newsBoxFullName;

  CString ownError;
  const bool published = publisher.Publish(errorText ? *errorText : ownError);
  return Finish(published, publisher, portalAddress, newsItemId);
}

unsigned char RepublishWithoutUi(const char* description, const char* reportServer,
                                 CString* portalAddress, SaveReportCallback saveReport,
                                 std::uint32_t saveReportData, const char* userName,
                                 const char* password, CString* errorText, CString* newsItemId,
                                 PortalServices services) {
  PortalPublisher publisher(saveReport, saveReportData, nullptr, nullptr, std::move(services));
  SetCommonFields(publisher, description, reportServer, portalAddress, userName, password,
                  newsItemId);

  CString ownError;
  const bool published = publisher.Republish(errorText ? *errorText : ownError);
  return Finish(published, publisher, portalAddress, newsItemId);
}

}  // namespace brindle::portal
