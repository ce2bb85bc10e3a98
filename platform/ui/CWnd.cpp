#include "platform/ui/CWnd.h"

#include <algorithm>

#include "platform/ui/CButton.h"
#include "platform/ui/CMessageBox.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/CUiDriver.h"

BR_IMPLEMENT_RUNTIMECLASS(CWnd, CObject)

CWnd::CWnd() = default;

CWnd::~CWnd() {
  m_beingDeleted = true;
  DestroyWindow();
  m_destroyed.clear();
}

bool CWnd::Create(CWnd* parent, unsigned id, const char* text, const CRect& rect, unsigned style,
                  unsigned exStyle) {
  if (m_created) return false;
  m_id = id;
  m_text = text;
  m_rect = rect;
  m_style = style;
  m_exStyle = exStyle;
  m_created = true;
  if (parent) {
    m_parent = parent;
    parent->m_children.push_back(this);
  }
  NotifyChanged(UiChange::Created);
  return true;
}

void CWnd::DestroyWindow() {
  // Children first; each must no longer reach back into this window while it goes.
  std::vector<CWnd*> children;
  children.swap(m_children);
  for (CWnd* child : children) child->m_parent = nullptr;
  for (CWnd* child : children) {
    if (!OwnsChild(child)) child->DestroyWindow();
  }
  m_owned.clear();
  if (m_parent) {
    m_parent->Unlink(this);
    m_parent = nullptr;
  }
  const bool wasWindow = m_created;
  m_created = false;
  if (wasWindow) NotifyChanged(UiChange::Destroyed);
}

void CWnd::Unlink(CWnd* child) {
  m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
  for (auto it = m_owned.begin(); it != m_owned.end(); ++it) {
    if (it->get() == child) {
      if (child->m_beingDeleted) {
        it->release();  // its destructor is running already
      } else {
        m_destroyed.push_back(std::move(*it));  // destroyed as a window; freed with this one
      }
      m_owned.erase(it);
      break;
    }
  }
}

CWnd* CWnd::GetDlgItem(unsigned id) const {
  for (CWnd* child : m_children) {
    if (child->m_id == id) return child;
  }
  return nullptr;
}

CWnd* CWnd::FindDescendant(unsigned id) const {
  for (CWnd* child : m_children) {
    if (child->m_id == id) return child;
  }
  for (CWnd* child : m_children) {
    if (CWnd* found = child->FindDescendant(id)) return found;
  }
  return nullptr;
}

void CWnd::SetWindowText(const char* text) {
  m_text = text;
  NotifyChanged(UiChange::Changed);
}

bool CWnd::EnableWindow(bool enable) {
  const bool was = IsWindowEnabled();
  if (enable) {
    m_style &= ~WS_DISABLED;
  } else {
    m_style |= WS_DISABLED;
  }
  if (was != enable) NotifyChanged(UiChange::Changed);
  return was;
}

bool CWnd::ShowWindow(int command) {
  const bool was = (m_style & WS_VISIBLE) != 0;
  if (command == SW_HIDE) {
    m_style &= ~WS_VISIBLE;
  } else {
    m_style |= WS_VISIBLE;
  }
  if (was != ((m_style & WS_VISIBLE) != 0)) NotifyChanged(UiChange::Changed);
  return was;
}

bool CWnd::IsWindowVisible() const {
  for (const CWnd* wnd = this; wnd; wnd = wnd->m_parent) {
    if ((wnd->m_style & WS_VISIBLE) == 0) return false;
  }
  return true;
}

bool CWnd::ModifyStyle(unsigned remove, unsigned add) {
  const unsigned before = m_style;
  m_style = (m_style & ~remove) | add;
  if (before == m_style) return false;
  NotifyChanged(UiChange::Changed);
  return true;
}

bool CWnd::ModifyStyleEx(unsigned remove, unsigned add) {
  const unsigned before = m_exStyle;
  m_exStyle = (m_exStyle & ~remove) | add;
  return before != m_exStyle;
}

CPoint CWnd::ClientOriginOnScreen() const {
  const CRect window = GetWindowRect();
  return CPoint(window.left + m_insets.left, window.top + m_insets.top);
}

CRect CWnd::GetWindowRect() const {
  CRect rect = m_rect;
  if (m_parent) rect.OffsetRect(m_parent->ClientOriginOnScreen());
  return rect;
}

void CWnd::GetWindowRect(CRect* rect) const {
  if (rect) *rect = GetWindowRect();
}

void CWnd::GetClientRect(CRect* rect) const {
  if (!rect) return;
  *rect = CRect(0, 0, std::max(0, m_rect.Width() - m_insets.left - m_insets.right),
                std::max(0, m_rect.Height() - m_insets.top - m_insets.bottom));
}

void CWnd::ScreenToClient(CPoint* point) const {
  if (!point) return;
  const CPoint origin = ClientOriginOnScreen();
  point->Offset(-origin.x, -origin.y);
}

void CWnd::ScreenToClient(CRect* rect) const {
  if (!rect) return;
  const CPoint origin = ClientOriginOnScreen();
  rect->OffsetRect(-origin.x, -origin.y);
}

void CWnd::ClientToScreen(CPoint* point) const {
  if (!point) return;
  const CPoint origin = ClientOriginOnScreen();
  point->Offset(origin.x, origin.y);
}

void CWnd::ClientToScreen(CRect* rect) const {
  if (!rect) return;
  rect->OffsetRect(ClientOriginOnScreen());
}

void CWnd::MoveWindow(const CRect& rect, bool) {
  m_rect = rect;
  NotifyChanged(UiChange::Changed);
}

void CWnd::MoveWindow(int x, int y, int width, int height, bool repaint) {
  MoveWindow(CRect::FromXYWH(x, y, width, height), repaint);
}

void CWnd::SetClientInsets(int left, int top, int right, int bottom) {
  m_insets = CRect(left, top, right, bottom);
}

void CWnd::SetDlgItemText(unsigned id, const char* text) {
  if (CWnd* item = GetDlgItem(id)) item->SetWindowText(text);
}

CString CWnd::GetDlgItemText(unsigned id) const {
  const CWnd* item = GetDlgItem(id);
  return item ? item->GetWindowText() : CString();
}

void CWnd::CheckDlgButton(unsigned id, int check) {
  if (auto* button = dynamic_cast<CButton*>(GetDlgItem(id))) button->SetCheck(check);
}

int CWnd::IsDlgButtonChecked(unsigned id) const {
  const auto* button = dynamic_cast<const CButton*>(GetDlgItem(id));
  return button ? button->GetCheck() : 0;
}

void CWnd::CheckRadioButton(unsigned firstId, unsigned lastId, unsigned checkId) {
  for (CWnd* child : m_children) {
    auto* button = dynamic_cast<CButton*>(child);
    if (!button || button->GetKind() != UiControlKind::RadioButton) continue;
    const unsigned id = button->GetDlgCtrlID();
    if (id >= firstId && id <= lastId) button->SetCheck(id == checkId ? 1 : 0);
  }
}

unsigned CWnd::GetCheckedRadioButton(unsigned firstId, unsigned lastId) const {
  for (CWnd* child : m_children) {
    const auto* button = dynamic_cast<const CButton*>(child);
    if (!button || button->GetKind() != UiControlKind::RadioButton) continue;
    const unsigned id = button->GetDlgCtrlID();
    if (id >= firstId && id <= lastId && button->GetCheck() == 1) return id;
  }
  return 0;
}

bool CWnd::OnCommand(unsigned, unsigned) { return false; }

bool CWnd::OnNotify(const CNotifyInfo&, intptr_t*) { return false; }

bool CWnd::OnHelpInfo(const CHelpInfo&) { return false; }

int CWnd::MessageBox(const char* text, const char* caption, unsigned type) const {
  return CMessageBox::Show(text, type, caption, this);
}

void CWnd::ShowHelp(const char* file, unsigned command, const std::uint32_t* helpMap,
                    std::uint32_t contextId) const {
  CHelpRequest request;
  request.file = file;
  request.command = command;
  request.controlId = m_id;
  request.window = this;
  request.contextId = contextId;
  if (command == HELP_WM_HELP) {
    request.contextId = 0;
    // The map ends with a pair of zeros; a pair per control.
    for (const std::uint32_t* pair = helpMap; pair && (pair[0] != 0 || pair[1] != 0); pair += 2) {
      if (pair[0] == m_id) {
        request.contextId = pair[1];
        break;
      }
    }
  }
  CUiApp::GetDriver().Help(request);
}

CWnd* CWnd::AdoptChild(std::unique_ptr<CWnd> child) {
  if (!child) return nullptr;
  CWnd* raw = child.get();
  const bool joins = raw->m_parent != this;
  if (joins) {
    if (raw->m_parent) raw->m_parent->Unlink(raw);
    raw->m_parent = this;
    m_children.push_back(raw);
  }
  m_owned.push_back(std::move(child));
  // A window made without parent becomes visible to the driver where it joins this one.
  if (joins && raw->m_created) raw->NotifyChanged(UiChange::Created);
  return raw;
}

bool CWnd::ReplaceChild(CWnd* existing, CWnd& replacement) {
  if (!existing || existing == &replacement || existing->m_parent != this || replacement.m_created) {
    return false;
  }
  auto slot = std::find(m_children.begin(), m_children.end(), existing);
  if (slot == m_children.end()) return false;
  replacement.m_id = existing->m_id;
  replacement.m_text = existing->m_text;
  replacement.m_style = existing->m_style;
  replacement.m_exStyle = existing->m_exStyle;
  replacement.m_rect = existing->m_rect;
  replacement.m_insets = existing->m_insets;
  replacement.CopyContentFrom(*existing);
  replacement.m_created = true;
  replacement.m_parent = this;
  *slot = &replacement;
  // The old control's children (none for the controls of a template) move along.
  for (CWnd* grandchild : existing->m_children) grandchild->m_parent = &replacement;
  replacement.m_children.swap(existing->m_children);
  replacement.m_owned.swap(existing->m_owned);
  existing->m_parent = nullptr;
  replacement.NotifyChanged(UiChange::Created);
  for (auto it = m_owned.begin(); it != m_owned.end(); ++it) {
    if (it->get() == existing) {
      m_owned.erase(it);  // destroys the old control
      return true;
    }
  }
  existing->DestroyWindow();
  return true;
}

bool CWnd::ReleaseChild(CWnd* child) {
  auto slot = std::find(m_children.begin(), m_children.end(), child);
  if (slot == m_children.end() || OwnsChild(child)) return false;
  m_children.erase(slot);
  child->m_parent = nullptr;
  return true;
}

bool CWnd::OwnsChild(const CWnd* child) const {
  for (const auto& owned : m_owned) {
    if (owned.get() == child) return true;
  }
  return false;
}

void CWnd::CopyContentFrom(const CWnd&) {}

void CWnd::NotifyChanged(UiChange change) const { CUiApp::GetDriver().WindowChanged(*this, change); }

bool CWnd::NotifyParentCommand(unsigned notifyCode) const {
  return m_parent && m_parent->OnCommand(m_id, notifyCode);
}

bool CWnd::NotifyParent(CNotifyInfo info, intptr_t* result) const {
  if (!m_parent) return false;
  info.idFrom = m_id;
  info.from = const_cast<CWnd*>(this);
  intptr_t ignored = 0;
  return m_parent->OnNotify(info, result ? result : &ignored);
}

CString CWnd::Describe() const {
  CString line;
  line.Format("[%u] window \"%s\"", m_id, m_text.GetString());
  return line;
}
