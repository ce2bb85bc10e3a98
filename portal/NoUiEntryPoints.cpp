// The exported entry points that publish without any window.

#include "brindle/BRCUtil.h"
#include "portal/NoUiPublishing.h"

using brindle::portal::PortalServices;

extern "C" BRINDLE_EXPORT unsigned char brPublishToLumoraNoUi(
    const char* newsItemName, const char* description, const char* newsBoxFullName,
    const char* reportServer, CString* portalAddress, SaveReportCallback saveReport,
    std::uint32_t saveReportData, const char* userName, const char* password, CString* errorText,
    CString* newsItemId) {
  return brindle::portal::PublishWithoutUi(newsItemName, description, newsBoxFullName,
                                           reportServer, portalAddress, saveReport,
                                           saveReportData, userName, password, errorText,
                                           newsItemId, PortalServices::Default());
}

extern "C" BRINDLE_EXPORT unsigned char brRepublishToLumoraNoUi(
    const char* description, const char* reportServer, CString* portalAddress,
    SaveReportCallback saveReport, std::uint32_t saveReportData, const char* userName,
    const char* password, CString* errorText, CString* newsItemId) {
  return brindle::portal::RepublishWithoutUi(description, reportServer, portalAddress, saveReport,
                                             saveReportData, userName, password, errorText,
                                             newsItemId, PortalServices::Default());
}
