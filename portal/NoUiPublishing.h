#pragma once
// The two publications without any window, as the exported entry points run them,
// with the outside systems given so they can be scripted. Host strings may be none:
// they then count as empty and receive nothing.

#include <cstdint>

#include "brindle/BRCUtil.h"
#include "portal/PortalServices.h"

namespace brindle::portal {

unsigned char PublishWithoutUi(const char* newsItemName, const char* description,
                               const char* newsBoxFullName, const char* reportServer,
                               CString* portalAddress, SaveReportCallback saveReport,
                               std::uint32_t saveReportData, const char* userName,
                               const char* password, CString* errorText, CString* newsItemId,
                               PortalServices services);

unsigned char RepublishWithoutUi(const char* description, const char* reportServer,
                                 CString* portalAddress, SaveReportCallback saveReport,
                                 std::uint32_t saveReportData, const char* userName,
                                 const char* password, CString* errorText, CString* newsItemId,
                                 PortalServices services);

}  // namespace brindle::portal
