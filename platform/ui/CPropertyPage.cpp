#include "platform/ui/CPropertyPage.h"

#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CResourceChain.h"

BR_IMPLEMENT_RUNTIMECLASS(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(unsigned templateId, unsigned captionId)
    : CDialog(templateId), m_captionId(captionId) {}

CPropertyPage::~CPropertyPage() {
  if (m_sheet) m_sheet->ForgetPage(this);
}

CString CPropertyPage::GetCaption() const {
  if (m_captionId != 0) return CResourceChain::GetString(m_captionId);
  if (IsWindow()) return GetTitle();
  const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(GetTemplateId());
  return dialog ? dialog->title : CString();
}

bool CPropertyPage::OnSetActive() {
  // The first activation follows OnInitDialog, which loaded the controls already.
  if (m_activations > 1) UpdateData(false);
  return true;
}

bool CPropertyPage::OnKillActive() { return UpdateData(true); }

long CPropertyPage::OnWizardBack() { return 0; }

long CPropertyPage::OnWizardNext() { return 0; }

bool CPropertyPage::OnWizardFinish() { return true; }

bool CPropertyPage::OnQueryCancel() { return true; }

void CPropertyPage::OnCancel() {}

void CPropertyPage::OnOK() {}

void CPropertyPage::OnHelp() {}
