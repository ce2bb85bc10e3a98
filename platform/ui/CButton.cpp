#include "platform/ui/CButton.h"

#include <algorithm>

#include "platform/ui/CUiDriver.h"

BR_IMPLEMENT_RUNTIMECLASS(CButton, CWnd)

CButton::CButton(UiControlKind kind) : m_kind(kind) {}

CButton::~CButton() = default;

void CButton::SetCheck(int check) {
  if (m_kind == UiControlKind::PushButton) return;
  const int wanted = std::max(0, std::min(check, 2));
  if (wanted == m_check) return;
  m_check = wanted;
  NotifyChanged(UiChange::Changed);
}

std::vector<CButton*> CButton::GetRadioGroup() const {
  std::vector<CButton*> group;
  if (m_kind != UiControlKind::RadioButton || !GetParent()) return group;
  const std::vector<CWnd*>& siblings = GetParent()->GetChildren();
  const auto self = std::find(siblings.begin(), siblings.end(), this);
  if (self == siblings.end()) return group;
  auto first = self;
  while (first != siblings.begin() && ((*first)->GetStyle() & WS_GROUP) == 0) --first;
  for (auto it = first; it != siblings.end(); ++it) {
    if (it != first && ((*it)->GetStyle() & WS_GROUP) != 0) break;
    auto* button = dynamic_cast<CButton*>(*it);
    if (button && button->m_kind == UiControlKind::RadioButton) group.push_back(button);
  }
  return group;
}

bool CButton::Click() {
  if (!IsUsable() || m_kind == UiControlKind::GroupBox) return false;
  if (m_kind == UiControlKind::CheckBox) {
    SetCheck(m_check == 1 ? 0 : 1);
  } else if (m_kind == UiControlKind::RadioButton) {
    for (CButton* member : GetRadioGroup()) member->SetCheck(member == this ? 1 : 0);
  }
  NotifyParentCommand(BN_CLICKED);
  return true;
}

void CButton::CopyContentFrom(const CWnd& other) {
  if (const auto* source = dynamic_cast<const CButton*>(&other)) {
    m_kind = source->m_kind;
    m_check = source->m_check;
  }
}

CString CButton::Describe() const {
  const CString caption = GetWindowText();
  const char* text = caption.GetString();
  CString line;
  switch (m_kind) {
    case UiControlKind::CheckBox:
      line.Format("[%u] [%c] %s", GetDlgCtrlID(), m_check == 1 ? 'x' : (m_check == 2 ? '?' : ' '), text);
      break;
    case UiControlKind::RadioButton:
      line.Format("[%u] (%c) %s", GetDlgCtrlID(), m_check == 1 ? '*' : ' ', text);
      break;
    case UiControlKind::GroupBox: line.Format("-- %s --", text); break;
    default: line.Format("[%u] <%s>", GetDlgCtrlID(), text); break;
  }
  return line;
}
