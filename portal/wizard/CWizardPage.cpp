#include "portal/wizard/CWizardPage.h"

#include "platform/ui/CUiApp.h"
#include "portal/PortalPublisher.h"
#include "portal/wizard/WizardHelpFile.h"

BR_IMPLEMENT_RUNTIMECLASS(CWizardPage, CPropertyPage)

CWizardPage::CWizardPage(unsigned templateId, unsigned captionId, const std::uint32_t* helpMap)
    : CPropertyPage(templateId, captionId), m_pHelpMap(helpMap) {}

CWizardPage::~CWizardPage() = default;

bool CWizardPage::OnHelpInfo(const CHelpInfo& info) {
  if (info.window == nullptr || m_pHelpMap == nullptr || info.ctrlId == IDC_STATIC) return false;
  if (info.contextType != HELPINFO_WINDOW) return true;
  const CString helpFile = brindle::wizard::WizardHelpFilePath(CUiApp::GetHelpFilePath());
  info.window->ShowHelp(helpFile, HELP_WM_HELP, m_pHelpMap);
  return true;
}

void CWizardPage::DoDataExchange(CDataExchange*) {}

bool CWizardPage::RunFinishSequence(PortalPublisher& publisher) {
  CString error;
  if (!publisher.Publish(error)) {
    MessageBox(error);
    OnFinishFailed();
    return false;
  }
  publisher.ClosePortal();
  return CPropertyPage::OnWizardFinish();
}
