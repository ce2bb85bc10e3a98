#include "platform/ui/CPropertySheet.h"

#include <algorithm>
#include <memory>

#include "platform/ui/CButton.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CResourceChain.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/CUiDriver.h"

BR_IMPLEMENT_RUNTIMECLASS(CPropertySheet, CWnd)

namespace {

// Layout of the sheet in pixels.
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kRowSpacing = 11;  // between the page area and the button row
constexpr int kBorder = 3;
constexpr int kCaptionHeight = 22;
const CPoint kDefaultPosition(100, 80);
const CPoint kOffsetFromOwner(40, 40);

}  // namespace

CPropertySheet::CPropertySheet(const char* caption, CWnd* parentWnd, unsigned selectPage)
    : m_ownerWnd(parentWnd), m_startPage(selectPage) {
  SetWindowText(caption);
}

CPropertySheet::~CPropertySheet() {
  // The pages are not ours: they leave the sheet, keeping their controls.
  for (CPropertyPage* page : m_pages) {
    ReleaseChild(page);
    page->AttachToSheet(nullptr);
  }
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page || GetPageIndex(page) >= 0) return;
  m_pages.push_back(page);
  page->AttachToSheet(this);
}

void CPropertySheet::ForgetPage(CPropertyPage* page) {
  const int index = GetPageIndex(page);
  if (index < 0) return;
  ReleaseChild(page);
  m_pages.erase(m_pages.begin() + index);
  if (index == m_active) {
    m_active = -1;
    if (m_running) EndDialog(IDCANCEL);
  } else if (index < m_active) {
    --m_active;
  }
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return (index >= 0 && index < GetPageCount()) ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  for (int i = 0; i < GetPageCount(); ++i) {
    if (m_pages[static_cast<size_t>(i)] == page) return i;
  }
  return -1;
}

CPropertyPage* CPropertySheet::GetActivePage() const { return GetPage(m_active); }

void CPropertySheet::SetWizardButtons(unsigned flags) {
  m_wizardButtons = flags;
  if (CWnd* back = GetDlgItem(ID_WIZBACK)) back->EnableWindow((flags & PSWIZB_BACK) != 0);
  if (CWnd* next = GetDlgItem(ID_WIZNEXT)) next->EnableWindow((flags & PSWIZB_NEXT) != 0);
  if (CWnd* finish = GetDlgItem(ID_WIZFINISH)) {
    if ((flags & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0) finish->ShowWindow(SW_SHOW);
    finish->EnableWindow((flags & PSWIZB_FINISH) != 0);
  }
}

bool CPropertySheet::Create() {
  if (m_running || m_pages.empty()) return false;
  if (IsWindow()) {
    // A second run starts afresh: the pages make their controls again.
    for (CPropertyPage* page : m_pages) {
      page->DestroyWindow();
      page->ResetActivations();
    }
    DestroyWindow();
  }
  CSize pageArea;
  for (CPropertyPage* page : m_pages) {
    const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(page->GetTemplateId());
    if (!dialog) return false;
    const CSize size = dialog->GetPixelSize();
    pageArea.cx = std::max(pageArea.cx, size.cx);
    pageArea.cy = std::max(pageArea.cy, size.cy);
  }
  const int rowWidth = 4 * kButtonWidth + 2 * kButtonGap;
  const int clientWidth = std::max(pageArea.cx, rowWidth) + 2 * kMargin;
  const int clientHeight = kMargin + pageArea.cy + kRowSpacing + kButtonHeight + kMargin;
  CPoint position = kDefaultPosition;
  if (m_ownerWnd && m_ownerWnd->IsWindow()) {
    position = m_ownerWnd->GetWindowRect().TopLeft();
    position.Offset(kOffsetFromOwner.x, kOffsetFromOwner.y);
  }
  const CString caption = GetWindowText();
  CWnd::Create(nullptr, 0, caption, CRect(position, CSize(clientWidth + 2 * kBorder,
                                                          clientHeight + kCaptionHeight + kBorder)),
               WS_VISIBLE);
  SetClientInsets(kBorder, kCaptionHeight, kBorder, kBorder);
  CreateButtons(pageArea);
  m_active = -1;
  m_result = 0;
  m_running = true;
  if (!OnInitDialog() && m_active < 0) {
    m_running = false;
  }
  if (m_active < 0) {
    m_running = false;
    m_result = -1;
    return false;
  }
  return true;
}

void CPropertySheet::CreateButtons(const CSize& pageArea) {
  CRect client;
  GetClientRect(&client);
  const int top = kMargin + pageArea.cy + kRowSpacing;
  auto add = [this, top](int id, const char* text, int right, bool shown) {
    auto button = std::make_unique<CButton>(UiControlKind::PushButton);
    button->Create(nullptr, static_cast<unsigned>(id), text,
                   CRect(right - kButtonWidth, top, right, top + kButtonHeight), shown ? WS_VISIBLE : 0);
    AdoptChild(std::move(button));
  };
  const int helpRight = client.right - kMargin;
  const int cancelRight = helpRight - kButtonWidth - kButtonGap;
  const int nextRight = cancelRight - kButtonWidth - kButtonGap;
  if (IsWizardMode()) {
    add(ID_WIZBACK, "< &Back", nextRight - kButtonWidth, true);
    add(ID_WIZNEXT, "&Next >", nextRight, true);
    add(ID_WIZFINISH, "&Finish", nextRight, false);
  } else {
    add(IDOK, "OK", nextRight, true);
  }
  add(IDCANCEL, "Cancel", cancelRight, true);
  add(IDHELP, "&Help", helpRight, true);
}

bool CPropertySheet::OnInitDialog() {
  const int start = m_startPage < m_pages.size() ? static_cast<int>(m_startPage) : 0;
  return ActivatePage(start);
}

bool CPropertySheet::ActivatePage(int index) {
  CPropertyPage* page = GetPage(index);
  if (!page) return false;
  if (!page->IsWindow()) {
    page->AttachToSheet(this);
    if (!page->CreateFromResource(this, CPoint(kMargin, kMargin))) return false;
    page->CountActivation();
    page->OnInitDialog();
  } else {
    page->CountActivation();
  }
  const int previous = m_active;
  if (CPropertyPage* old = GetPage(previous); old && old != page) old->ShowWindow(SW_HIDE);
  m_active = index;
  page->ShowWindow(SW_SHOW);
  if (!page->OnSetActive() && previous >= 0 && previous != index) {
    // The page declined: the previous one stays.
    page->ShowWindow(SW_HIDE);
    m_active = previous;
    GetPage(previous)->ShowWindow(SW_SHOW);
    return false;
  }
  return true;
}

bool CPropertySheet::SetActivePage(int index) {
  if (!GetPage(index)) return false;
  if (index == m_active) return true;
  CPropertyPage* current = GetActivePage();
  if (current && !current->OnKillActive()) return false;
  return ActivatePage(index);
}

int CPropertySheet::TargetIndex(long answer, int step) const {
  if (answer == 0) return m_active + step;
  for (int i = 0; i < GetPageCount(); ++i) {
    if (static_cast<long>(m_pages[static_cast<size_t>(i)]->GetTemplateId()) == answer) return i;
  }
  return -1;
}

void CPropertySheet::Navigate(int step) {
  CPropertyPage* page = GetActivePage();
  if (!page) return;
  const long answer = step < 0 ? page->OnWizardBack() : page->OnWizardNext();
  if (!m_running || answer == -1) return;
  const int target = TargetIndex(answer, step);
  if (!GetPage(target) || target == m_active) return;
  if (!page->OnKillActive()) return;
  ActivatePage(target);
}

void CPropertySheet::Finish() {
  CPropertyPage* page = GetActivePage();
  if (page && page->OnWizardFinish() && m_running) EndDialog(ID_WIZFINISH);
}

void CPropertySheet::CancelPressed() {
  CPropertyPage* page = GetActivePage();
  if (page && !page->OnQueryCancel()) return;
  if (page) page->OnCancel();
  if (m_running) EndDialog(IDCANCEL);
}

void CPropertySheet::OkPressed() {
  CPropertyPage* page = GetActivePage();
  if (page && !page->OnKillActive()) return;
  for (CPropertyPage* each : m_pages) {
    if (each->WasActivated()) each->OnOK();
  }
  if (m_running) EndDialog(IDOK);
}

bool CPropertySheet::OnCommand(unsigned id, unsigned notifyCode) {
  if (notifyCode != BN_CLICKED || !m_running) return false;
  switch (static_cast<int>(id)) {
    case ID_WIZBACK: Navigate(-1); return true;
    case ID_WIZNEXT: Navigate(+1); return true;
    case ID_WIZFINISH: Finish(); return true;
    case IDOK: OkPressed(); return true;
    case IDCANCEL: CancelPressed(); return true;
    case IDHELP:
      if (CPropertyPage* page = GetActivePage()) page->OnHelp();
      return true;
    default: return false;
  }
}

void CPropertySheet::EndDialog(intptr_t result) {
  m_running = false;
  m_result = result;
}

bool CPropertySheet::PressButton(int id) {
  if (!m_running) return false;
  auto* button = dynamic_cast<CButton*>(GetDlgItem(static_cast<unsigned>(id)));
  return button && button->Click();
}

void CPropertySheet::Cancel() {
  if (!m_running) return;
  if (!PressButton(IDCANCEL) && m_running) CancelPressed();
  if (m_running) EndDialog(IDCANCEL);
}

CWnd* CPropertySheet::FindControl(unsigned id) const {
  if (CPropertyPage* page = GetActivePage()) {
    if (CWnd* control = page->GetDlgItem(id)) return control;
  }
  for (CWnd* child : GetChildren()) {
    if (child->GetDlgCtrlID() == id && !dynamic_cast<CPropertyPage*>(child)) return child;
  }
  return nullptr;
}

bool CPropertySheet::HelpOnControl(unsigned controlId) {
  CWnd* control = FindControl(controlId);
  if (!control) return false;
  CHelpInfo info;
  info.contextType = HELPINFO_WINDOW;
  info.ctrlId = controlId;
  info.window = control;
  const CRect rect = control->GetWindowRect();
  info.mouseX = (rect.left + rect.right) / 2;
  info.mouseY = (rect.top + rect.bottom) / 2;
  return SendHelpInfo(info);
}

bool CPropertySheet::SendHelpInfo(const CHelpInfo& info) {
  CPropertyPage* page = GetActivePage();
  if (page && page->OnHelpInfo(info)) return true;
  return OnHelpInfo(info);
}

intptr_t CPropertySheet::DoModal() {
  if (m_running) return -1;
  if (!Create()) return -1;
  CUiApp::GetDriver().RunModal(*this);
  if (m_running) EndDialog(IDCANCEL);  // a driver that returned early cancels
  ShowWindow(SW_HIDE);
  return m_result;
}

CString CPropertySheet::Describe() const {
  CString line;
  line.Format("sheet \"%s\"", GetWindowText().GetString());
  return line;
}
