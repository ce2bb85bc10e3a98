#include "portal/wizard/CWizardSheet.h"

#include "portal/PortalStrings.h"

BR_IMPLEMENT_RUNTIMECLASS(CWizardSheet, CPropertySheet)

CWizardSheet::CWizardSheet(const char* caption, CWnd* parentWnd, unsigned selectPage)
    : CPropertySheet(caption, parentWnd, selectPage) {}

CWizardSheet::~CWizardSheet() = default;

bool CWizardSheet::OnInitDialog() {
  const bool result = CPropertySheet::OnInitDialog();
  ModifyStyleEx(0, WS_EX_CONTEXTHELP);
  ModifyStyle(0, WS_SYSMENU);
  ArrangeButtons();
  return result;
}

CRect CWizardSheet::ButtonRect(const CWnd& button) const {
  CRect rect = button.GetWindowRect();
  ScreenToClient(&rect);
  return rect;
}

void CWizardSheet::ArrangeButtons() {
  // 1. Finish takes Help's place and is shown on every page.
  CWnd* finish = GetDlgItem(ID_WIZFINISH);
  CWnd* help = GetDlgItem(IDHELP);
  if (finish == nullptr || help == nullptr) return;
  finish->MoveWindow(ButtonRect(*help));
  finish->ShowWindow(SW_SHOW);

  // 2. Back and Next move right until Next ends where Cancel ended.
  CWnd* next = GetDlgItem(ID_WIZNEXT);
  CWnd* cancel = GetDlgItem(IDCANCEL);
  CWnd* back = GetDlgItem(ID_WIZBACK);
  if (next == nullptr || cancel == nullptr || back == nullptr) return;
  const CRect oldNext = ButtonRect(*next);
  const CRect oldCancel = ButtonRect(*cancel);
  const int shift = oldCancel.right - oldNext.right;
  CRect rect = ButtonRect(*back);
  back->MoveWindow(CRect(rect.left + shift, rect.top, rect.right + shift, rect.bottom));
  next->MoveWindow(CRect(oldNext.left + shift, oldNext.top, oldNext.right + shift, oldNext.bottom));

  // 3. Cancel moves left into Back's old place.
  const int cancelWidth = oldCancel.right - oldCancel.left;
  const int gap = oldCancel.left - oldNext.right;
  const int left = 2 * cancelWidth + gap;
  cancel->MoveWindow(CRect(oldCancel.left - left, oldCancel.top, oldCancel.right - left, oldCancel.bottom));

  // 4. Help is not offered as a button: context help is.
  help->ShowWindow(SW_HIDE);
}

void EnableWizardButtons(CPropertySheet* sheet, bool back, bool next, bool finish) {
  if (sheet == nullptr) return;
  if (CWnd* button = sheet->GetDlgItem(ID_WIZBACK)) button->EnableWindow(back);
  if (CWnd* button = sheet->GetDlgItem(ID_WIZNEXT)) {
    button->EnableWindow(next);
    button->SetWindowText(brindle::portal::PortalMessage(brindle::portal::IDS_WIZARD_NEXT));
  }
  if (CWnd* button = sheet->GetDlgItem(ID_WIZFINISH)) {
    button->EnableWindow(finish);
    button->SetWindowText(brindle::portal::PortalMessage(brindle::portal::IDS_WIZARD_FINISH));
  }
}
