#include "portal/wizard/CWizardPane1.h"

#include "platform/ui/CDataExchange.h"
#include "platform/ui/CWaitCursor.h"
#include "portal/PortalPublisher.h"
#include "portal/wizard/CWizardSheet.h"
#include "portal/wizard/WizardResources.h"

using namespace brindle::wizard;

BR_IMPLEMENT_RUNTIMECLASS(CWizardPane1, CWizardPage)

namespace {

const std::uint32_t kHelpMap[] = {
    IDC_NEWSITEM_NAME, CWizardPage::kHelpContextBase + IDC_NEWSITEM_NAME,
    IDC_DESCRIPTION,   CWizardPage::kHelpContextBase + IDC_DESCRIPTION,
    0,                 0,
};

}  // namespace

CWizardPane1::CWizardPane1(PortalPublisher& publisher, const char* defaultName)
    : CWizardPage(IDD_WIZARD_WELCOME, 0, kHelpMap), m_pPublisher(&publisher) {
  if (!publisher.FillNewsItemFields(m_strNewsItemName, m_strDescription)) {
    m_strNewsItemName = defaultName;
    m_strDescription.Empty();
  }
}

CWizardPane1::~CWizardPane1() = default;

void CWizardPane1::DoDataExchange(CDataExchange* pDX) {
  CWizardPage::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_NEWSITEM_NAME, m_strNewsItemName);
  DDX_Text(pDX, IDC_DESCRIPTION, m_strDescription);
}

bool CWizardPane1::OnInitDialog() {
  CWizardPage::OnInitDialog();
  CWaitCursor::End();
  return true;
}

bool CWizardPane1::OnSetActive() {
  EnableWizardButtons(GetSheet(), false, true, m_pPublisher->CanFinish());
  return CWizardPage::OnSetActive();
}

void CWizardPane1::StoreFields() {
  UpdateData(true);
  m_pPublisher->m_strNewsItemName = m_strNewsItemName;
  m_pPublisher->m_strDescription = m_strDescription;
}

long CWizardPane1::OnWizardNext() {
  StoreFields();
  return CWizardPage::OnWizardNext();
}

bool CWizardPane1::OnWizardFinish() {
  StoreFields();
  return RunFinishSequence(*m_pPublisher);
}

void CWizardPane1::OnCancel() {
  m_pPublisher->ClosePortal();
  CWizardPage::OnCancel();
}

void CWizardPane1::OnFinishFailed() {
  EnableWizardButtons(GetSheet(), false, true, m_pPublisher->CanFinish());
}
