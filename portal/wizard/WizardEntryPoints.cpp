// The exported entry points that publish through the wizard.

#include "brindle/BRCUtil.h"

#include "portal/PortalServices.h"
#include "portal/wizard/WizardPublishing.h"

using brindle::portal::PortalServices;
using brindle::wizard::WizardPublication;

extern "C" BRINDLE_EXPORT unsigned char brPublishToLumora(
    CWnd* ownerWindow, const char* documentName, const char* reportServer, SaveReportCallback saveReport,
    std::uint32_t saveReportData, const CStringArray* lineKeys, const CStringArray* lineNames,
    CPromptProperties* options, std::uint32_t* pdfOptions, int displayKind, CString* newsItemId) {
  return brPublishToLumora2(ownerWindow, documentName, reportServer, nullptr, saveReport, saveReportData,
                            lineKeys, lineNames, options, pdfOptions, displayKind, newsItemId);
}

extern "C" BRINDLE_EXPORT unsigned char brPublishToLumora2(
    CWnd* ownerWindow, const char* documentName, const char* reportServer, CString* portalAddress,
    SaveReportCallback saveReport, std::uint32_t saveReportData, const CStringArray* lineKeys,
    const CStringArray* lineNames, CPromptProperties* options, std::uint32_t* pdfOptions, int displayKind,
    CString* newsItemId) {
  WizardPublication call;
  call.ownerWindow = ownerWindow;
  call.documentName = documentName;
  call.reportServer = reportServer;
  call.portalAddress = portalAddress;
  call.saveReport = saveReport;
  call.saveReportData = saveReportData;
  call.lineKeys = lineKeys;
  call.lineNames = lineNames;
  call.options = options;
  call.pdfOptions = pdfOptions;
  call.displayKind = displayKind;
  call.newsItemId = newsItemId;
  return brindle::wizard::PublishWithWizard(call, PortalServices::Default());
}
