#include "platform/ui/CDataExchange.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/ui/CButton.h"
#include "platform/ui/CWnd.h"

CDataExchange::CDataExchange(CWnd* dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

CWnd* CDataExchange::PrepareCtrl(unsigned id) {
  CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
  if (!control) {
    CString why;
    why.Format("no control %u", id);
    Fail(why);
  }
  return control;
}

void CDataExchange::Fail(const char* why) {
  if (!m_failed) m_failure = why;  // the first failure is the one worth reporting
  m_failed = true;
}

namespace {

CButton* PrepareButton(CDataExchange* pDX, unsigned id, UiControlKind kind) {
  CWnd* control = pDX->PrepareCtrl(id);
  if (!control) return nullptr;
  auto* button = dynamic_cast<CButton*>(control);
  if (!button || button->GetKind() != kind) {
    CString why;
    why.Format("control %u is not a %s", id, kind == UiControlKind::CheckBox ? "check box" : "radio button");
    pDX->Fail(why);
    return nullptr;
  }
  return button;
}

// The radio buttons from `first` up to the next control that starts a group.
std::vector<CButton*> RadioGroupFrom(CButton* first) {
  std::vector<CButton*> group;
  const CWnd* parent = first->GetParent();
  if (!parent) return group;
  bool inside = false;
  for (CWnd* sibling : parent->GetChildren()) {
    if (sibling == first) {
      inside = true;
    } else if (inside && (sibling->GetStyle() & WS_GROUP) != 0) {
      break;
    }
    if (!inside) continue;
    auto* button = dynamic_cast<CButton*>(sibling);
    if (button && button->GetKind() == UiControlKind::RadioButton) group.push_back(button);
  }
  return group;
}

}  // namespace

void DDX_Text(CDataExchange* pDX, unsigned id, CString& value) {
  CWnd* control = pDX->PrepareCtrl(id);
  if (!control) return;
  if (pDX->m_bSaveAndValidate) {
    value = control->GetWindowText();
  } else {
    control->SetWindowText(value);
  }
}

void DDX_Text(CDataExchange* pDX, unsigned id, int& value) {
  CWnd* control = pDX->PrepareCtrl(id);
  if (!control) return;
  if (!pDX->m_bSaveAndValidate) {
    CString text;
    text.Format("%d", value);
    control->SetWindowText(text);
    return;
  }
  CString text = control->GetWindowText();
  text.Trim();
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(text.GetString(), &end, 10);
  if (text.IsEmpty() || *end != '\0' || errno == ERANGE || number < INT_MIN || number > INT_MAX) {
    CString why;
    why.Format("control %u does not hold a whole number", id);
    pDX->Fail(why);
    return;
  }
  value = static_cast<int>(number);
}

void DDX_Check(CDataExchange* pDX, unsigned id, int& value) {
  CButton* button = PrepareButton(pDX, id, UiControlKind::CheckBox);
  if (!button) return;
  if (pDX->m_bSaveAndValidate) {
    value = button->GetCheck();
  } else {
    button->SetCheck(value);
  }
}

void DDX_Check(CDataExchange* pDX, unsigned id, bool& value) {
  int check = value ? 1 : 0;
  DDX_Check(pDX, id, check);
  if (pDX->m_bSaveAndValidate) value = check == 1;
}

void DDX_Radio(CDataExchange* pDX, unsigned firstId, int& value) {
  CButton* first = PrepareButton(pDX, firstId, UiControlKind::RadioButton);
  if (!first) return;
  const std::vector<CButton*> group = RadioGroupFrom(first);
  if (pDX->m_bSaveAndValidate) {
    value = -1;
    for (size_t i = 0; i < group.size(); ++i) {
      if (group[i]->GetCheck() == 1) {
        value = static_cast<int>(i);
        break;
      }
    }
  } else {
    for (size_t i = 0; i < group.size(); ++i) group[i]->SetCheck(static_cast<int>(i) == value ? 1 : 0);
  }
}

void DDX_Control(CDataExchange* pDX, unsigned id, CWnd& control) {
  CWnd* created = pDX->PrepareCtrl(id);
  if (!created || created == &control) return;
  if (control.IsWindow() || !control.IsKindOf(created->GetRuntimeClass()) ||
      control.GetKind() != created->GetKind()) {
    CString why;
    why.Format("control %u cannot be bound to this member", id);
    pDX->Fail(why);
    return;
  }
  if (!pDX->m_pDlgWnd->ReplaceChild(created, control)) pDX->Fail("binding failed");
}
