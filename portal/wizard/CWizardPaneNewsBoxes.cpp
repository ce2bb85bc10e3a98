#include "portal/wizard/CWizardPaneNewsBoxes.h"

#include "platform/ui/CDataExchange.h"
#include "platform/ui/CTreeCtrl.h"
#include "portal/PortalPublisher.h"
#include "portal/PortalStrings.h"
#include "portal/wizard/CWizardSheet.h"
#include "portal/wizard/NewsBoxTree.h"
#include "portal/wizard/WizardResources.h"

using namespace brindle::wizard;

BR_IMPLEMENT_RUNTIMECLASS(CWizardPaneNewsBoxes, CWizardPage)

namespace {

const std::uint32_t kHelpMap[] = {
    IDC_NEWSBOX_TREE, CWizardPage::kHelpContextBase + IDC_NEWSBOX_TREE,
    IDC_OVERWRITE,    CWizardPage::kHelpContextBase + IDC_OVERWRITE,
    IDC_CREATE_NEW,   CWizardPage::kHelpContextBase + IDC_CREATE_NEW,
    0,                0,
};

}  // namespace

CWizardPaneNewsBoxes::CWizardPaneNewsBoxes(PortalPublisher& publisher)
    : CWizardPage(IDD_WIZARD_NEWSBOXES, 0, kHelpMap), m_pPublisher(&publisher) {}

CWizardPaneNewsBoxes::~CWizardPaneNewsBoxes() {
  // The tree control goes with this page: the run forgets it (and the Ids its items
  // carried) without touching its items, whose deletion would notify this half-destroyed
  // page.
  if (auto* tree = dynamic_cast<NewsBoxTree*>(m_pPublisher->m_pNewsBoxTreeState.get())) {
    if (tree->GetTreeControl() != nullptr && tree->GetTreeControl() == TreeControl()) {
      tree->SetTreeControl(nullptr);
    }
  }
}

CTreeCtrl* CWizardPaneNewsBoxes::TreeControl() const {
  return dynamic_cast<CTreeCtrl*>(GetDlgItem(IDC_NEWSBOX_TREE));
}

void CWizardPaneNewsBoxes::DoDataExchange(CDataExchange* pDX) {
  CWizardPage::DoDataExchange(pDX);
  DDX_Radio(pDX, IDC_OVERWRITE, m_nChoice);
}

bool CWizardPaneNewsBoxes::OnInitDialog() {
  CWizardPage::OnInitDialog();
  return true;
}

bool CWizardPaneNewsBoxes::OnSetActive() {
  NewsBoxTree& tree = NewsBoxTree::Of(*m_pPublisher);
  CTreeCtrl* control = TreeControl();
  tree.SetTreeControl(control);
  if (!tree.FillNewsBoxTree(*m_pPublisher)) {
    MessageBox(brindle::portal::PortalMessage(brindle::portal::IDS_NEWSBOXES_UNAVAILABLE));
  }
  if (control != nullptr) {
    if (HTREEITEM selected = control->GetSelectedItem()) {
      const char* id = tree.ItemNewsBoxId(selected);
      m_pPublisher->m_strNewsBoxId = id ? id : "";
    }
  }
  EnableWizardButtons(GetSheet(), true, true, m_pPublisher->CanFinish());
  return CWizardPage::OnSetActive();
}

bool CWizardPaneNewsBoxes::OnNotify(const CNotifyInfo& info, intptr_t* result) {
  if (info.code == TVN_SELCHANGED && info.idFrom == IDC_NEWSBOX_TREE) {
    OnSelectionChanged();
    if (result) *result = 0;
    return true;
  }
  return CWizardPage::OnNotify(info, result);
}

void CWizardPaneNewsBoxes::OnSelectionChanged() {
  CTreeCtrl* control = TreeControl();
  if (control != nullptr && control->GetCount() > 0) {
    if (HTREEITEM selected = control->GetSelectedItem()) {
      const char* id = NewsBoxTree::Of(*m_pPublisher).ItemNewsBoxId(selected);
      m_pPublisher->m_strNewsBoxId = id ? id : "";
    }
  }
  UpdateRadioButtons();
  EnableWizardButtons(GetSheet(), true, true, m_pPublisher->CanFinish());
}

void CWizardPaneNewsBoxes::UpdateRadioButtons() {
  const CString& existing = m_pPublisher->m_strExistingNewsBoxId;
  const bool overwrite = !existing.IsEmpty() && m_pPublisher->m_strNewsBoxId == existing;
  if (CWnd* button = GetDlgItem(IDC_OVERWRITE)) button->EnableWindow(overwrite);
  m_nChoice = overwrite ? kOverwrite : kCreateNew;
  UpdateData(false);
}

void CWizardPaneNewsBoxes::StoreChoice() {
  UpdateData(true);
  // Neither button chosen reads as -1, which Publish takes, like 1, as "create".
  m_pPublisher->m_bCreateNew = m_nChoice;
}

long CWizardPaneNewsBoxes::OnWizardBack() {
  StoreChoice();
  return CWizardPage::OnWizardBack();
}

long CWizardPaneNewsBoxes::OnWizardNext() {
  StoreChoice();
  return CWizardPage::OnWizardNext();
}

bool CWizardPaneNewsBoxes::OnWizardFinish() {
  StoreChoice();
  return RunFinishSequence(*m_pPublisher);
}

void CWizardPaneNewsBoxes::OnCancel() {
  m_pPublisher->ClosePortal();
  CWizardPage::OnCancel();
}
