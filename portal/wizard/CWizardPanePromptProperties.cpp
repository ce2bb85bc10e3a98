#include "portal/wizard/CWizardPanePromptProperties.h"

#include "platform/ui/CDataExchange.h"
#include "portal/PortalPublisher.h"
#include "portal/wizard/CWizardSheet.h"
#include "portal/wizard/WizardResources.h"

using namespace brindle::wizard;

BR_IMPLEMENT_RUNTIMECLASS(CWizardPanePromptProperties, CWizardPage)

namespace {

const std::uint32_t kHelpMap[] = {
    IDC_DIMENSION_FILTERING, CWizardPage::kHelpContextBase + IDC_DIMENSION_FILTERING,
    IDC_ZERO_SUPPRESSION,    CWizardPage::kHelpContextBase + IDC_ZERO_SUPPRESSION,
    IDC_SWAP,                CWizardPage::kHelpContextBase + IDC_SWAP,
    IDC_CURRENCY,            CWizardPage::kHelpContextBase + IDC_CURRENCY,
    IDC_LONG_SHORT_NAMES,    CWizardPage::kHelpContextBase + IDC_LONG_SHORT_NAMES,
    IDC_SELECT_ALL,          CWizardPage::kHelpContextBase + IDC_SELECT_ALL,
    IDC_CLEAR_ALL,           CWizardPage::kHelpContextBase + IDC_CLEAR_ALL,
    IDC_DIMENSION_LINES,     CWizardPage::kHelpContextBase + IDC_DIMENSION_LINES,
    0,                       0,
};

}  // namespace

CWizardPanePromptProperties::CWizardPanePromptProperties(PortalPublisher& publisher,
                                                         const CStringArray& lineKeys,
                                                         const CStringArray& lineNames,
                                                         std::uint32_t pdfOptions)
    : CWizardPage(IDD_WIZARD_PROMPTS, 0, kHelpMap),
      m_pLineKeys(&lineKeys),
      m_pLineNames(&lineNames),
      m_pPublisher(&publisher),
      m_pdfOptions(pdfOptions) {}

CWizardPanePromptProperties::~CWizardPanePromptProperties() = default;

void CWizardPanePromptProperties::DoDataExchange(CDataExchange* pDX) {
  CWizardPage::DoDataExchange(pDX);
  CPromptProperties* options = m_pPublisher->m_pOptions;
  if (pDX->m_bSaveAndValidate) RebuildFilterableLines();
  DDX_Control(pDX, IDC_DIMENSION_LINES, m_lineList);
  if (options == nullptr) return;
  DDX_Check(pDX, IDC_CURRENCY, options->m_bCurrency);
  DDX_Check(pDX, IDC_DIMENSION_FILTERING, options->m_bDimensionLineFiltering);
  DDX_Check(pDX, IDC_SWAP, options->m_bSwap);
  DDX_Check(pDX, IDC_ZERO_SUPPRESSION, options->m_bZeroSuppression);
  DDX_Check(pDX, IDC_LONG_SHORT_NAMES, options->m_bLongShortNames);
}

bool CWizardPanePromptProperties::OnInitDialog() {
  CWizardPage::OnInitDialog();
  FillLineList();
  if (CWnd* currency = GetDlgItem(IDC_CURRENCY); currency && (m_pdfOptions & BR_PDF_NO_CURRENCY)) {
    currency->EnableWindow(false);
  }
  if (CWnd* names = GetDlgItem(IDC_LONG_SHORT_NAMES); names && (m_pdfOptions & BR_PDF_NO_LONG_SHORT_NAMES)) {
    names->EnableWindow(false);
  }
  EnableLineList();
  return true;
}

void CWizardPanePromptProperties::FillLineList() {
  const CPromptProperties* options = m_pPublisher->m_pOptions;
  for (int i = 0; i < m_pLineNames->GetSize(); ++i) {
    const int item = m_lineList.AddString(m_pLineNames->GetAt(i));
    if (item != LB_ERR && options && options->m_filterableLines.Contains(m_pLineKeys->GetAt(i))) {
      m_lineList.SetCheck(item, 1);
    }
  }
}

void CWizardPanePromptProperties::RebuildFilterableLines() {
  CPromptProperties* options = m_pPublisher->m_pOptions;
  if (options == nullptr || !m_lineList.IsWindow()) return;
  options->m_filterableLines.RemoveAll();
  for (int i = 0; i < m_lineList.GetCount(); ++i) {
    // A list item without a key (fewer keys than names) has nothing to store.
    if (m_lineList.GetCheck(i) == 1 && i < m_pLineKeys->GetSize()) {
      options->m_filterableLines.AddTail(m_pLineKeys->GetAt(i));
    }
  }
}

bool CWizardPanePromptProperties::IsFilteringChecked() const {
  return IsDlgButtonChecked(IDC_DIMENSION_FILTERING) == 1;
}

void CWizardPanePromptProperties::CheckAllLines(bool checked) {
  for (int i = 0; i < m_lineList.GetCount(); ++i) m_lineList.SetCheck(i, checked ? 1 : 0);
}

void CWizardPanePromptProperties::EnableLineList() {
  if (m_lineList.IsWindow()) m_lineList.EnableWindow(IsFilteringChecked());
}

bool CWizardPanePromptProperties::OnCommand(unsigned id, unsigned notifyCode) {
  if (notifyCode != BN_CLICKED) return CWizardPage::OnCommand(id, notifyCode);
  switch (id) {
    case IDC_DIMENSION_FILTERING:
      EnableLineList();
      CheckAllLines(IsFilteringChecked());
      return true;
    case IDC_SELECT_ALL:
    case IDC_CLEAR_ALL:
      if (IsFilteringChecked()) CheckAllLines(id == IDC_SELECT_ALL);
      return true;
    default:
      return CWizardPage::OnCommand(id, notifyCode);
  }
}

bool CWizardPanePromptProperties::OnSetActive() {
  EnableWizardButtons(GetSheet(), true, true, m_pPublisher->CanFinish());
  return CWizardPage::OnSetActive();
}

bool CWizardPanePromptProperties::OnWizardFinish() {
  UpdateData(true);
  return RunFinishSequence(*m_pPublisher);
}

void CWizardPanePromptProperties::OnCancel() {
  m_pPublisher->ClosePortal();
  CWizardPage::OnCancel();
}
