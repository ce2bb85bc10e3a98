#pragma once
// The two exported entry points of libBRCUtil.so that publish through the wizard. They
// belong with the other two in brindle/BRCUtil.h; a host may include this header until
// they are there.
//
// Both sign the user on and open the portal (an error other than a cancelled logon is
// shown in a message box), then run the four-page wizard with the driver the host chose
// for the framework (CUiApp::SetDriver). The pages publish at Finish. After a Finish
// *newsItemId (and, for brPublishToLumora2, *portalAddress) receive the NewsItem's Id and
// the portal address, *options receives the edited options and a message box says so; the
// result is 1. After Cancel nothing is handed back and the result is 0. The PDF options
// page writes *pdfOptions in place when the user leaves it with Back or Finish.

#include <cstdint>

#include "brindle/BRCUtil.h"
#include "brindle/export.h"
#include "platform/ui/CStringArray.h"

class CWnd;

extern "C" {

BRINDLE_EXPORT unsigned char brPublishToLumora(CWnd* ownerWindow, const char* documentName,
                                               const char* reportServer, SaveReportCallback saveReport,
                                               std::uint32_t saveReportData, const CStringArray* lineKeys,
                                               const CStringArray* lineNames, CPromptProperties* options,
                                               std::uint32_t* pdfOptions, int displayKind,
                                               CString* newsItemId);

BRINDLE_EXPORT unsigned char brPublishToLumora2(CWnd* ownerWindow, const char* documentName,
                                                const char* reportServer, CString* portalAddress,
                                                SaveReportCallback saveReport, std::uint32_t saveReportData,
                                                const CStringArray* lineKeys, const CStringArray* lineNames,
                                                CPromptProperties* options, std::uint32_t* pdfOptions,
                                                int displayKind, CString* newsItemId);

}  // extern "C"
