#include "portal/wizard/WizardPublishing.h"

#include "platform/ui/CMessageBox.h"
#include "platform/ui/CUiApp.h"
#include "portal/PortalPublisher.h"
#include "portal/PortalStrings.h"
#include "portal/wizard/CWizardPane1.h"
#include "portal/wizard/CWizardPaneNewsBoxes.h"
#include "portal/wizard/CWizardPanePDFReportStyle.h"
#include "portal/wizard/CWizardPanePromptProperties.h"
#include "portal/wizard/CWizardSheet.h"

namespace brindle::wizard {

namespace {

constexpr const char* kWizardCaption = "Publish to Lumora";

bool IsCancelled(const CString& error) { return error.CompareNoCase("Cancelled") == 0; }

// Runs the four pages; true when the run ended with a successful Finish.
bool RunWizard(const WizardPublication& call, PortalPublisher& publisher, std::uint32_t* pdfOptions) {
  const CStringArray noLines;
  CWizardPane1 welcome(publisher, call.documentName);
  CWizardPaneNewsBoxes newsBoxes(publisher);
  CWizardPanePromptProperties prompts(publisher, call.lineKeys ? *call.lineKeys : noLines,
                                      call.lineNames ? *call.lineNames : noLines, *pdfOptions);
  CWizardPanePDFReportStyle pdf(publisher, pdfOptions, call.displayKind);

  CWizardSheet sheet(kWizardCaption, call.ownerWindow, 0);
  sheet.AddPage(&welcome);
  sheet.AddPage(&newsBoxes);
  sheet.AddPage(&prompts);
  sheet.AddPage(&pdf);
  sheet.SetWizardMode();
  return sheet.DoModal() == ID_WIZFINISH;
}

}  // namespace

unsigned char PublishWithWizard(const WizardPublication& call, brindle::portal::PortalServices services) {
  CPromptProperties localOptions = call.options ? *call.options : CPromptProperties();
  std::uint32_t spareWord = 0;
  std::uint32_t* pdfOptions = call.pdfOptions ? call.pdfOptions : &spareWord;

  PortalPublisher publisher(call.saveReport, call.saveReportData, &localOptions, pdfOptions,
                            std::move(services));
  publisher.m_strReportServer = call.reportServer;
  if (call.newsItemId) publisher.m_strNewsItemId = *call.newsItemId;
  if (call.portalAddress) publisher.m_strPortalAddress = *call.portalAddress;

  CString error;
  if (!publisher.Open(error)) {
    if (!IsCancelled(error)) CMessageBox::Show(error, MB_OK, nullptr, call.ownerWindow);
    return 0;
  }
  if (!RunWizard(call, publisher, pdfOptions)) return 0;

  if (call.newsItemId) *call.newsItemId = publisher.m_strNewsItemId;
  if (call.portalAddress) *call.portalAddress = publisher.m_strPortalAddress;
  if (call.options) *call.options = localOptions;
  CMessageBox::Show(brindle::portal::PortalMessage(brindle::portal::IDS_PUBLISHED), MB_OK, nullptr,
                    CUiApp::GetMainWnd());
  return 1;
}

}  // namespace brindle::wizard
