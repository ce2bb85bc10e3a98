#include "platform/ui/CControlLabel.h"

#include <algorithm>

#include "platform/ui/CWnd.h"

namespace {

bool HasOwnCaption(UiControlKind kind) {
  return kind == UiControlKind::PushButton || kind == UiControlKind::CheckBox ||
         kind == UiControlKind::RadioButton || kind == UiControlKind::GroupBox;
}

}  // namespace

CString CControlLabel::StripMnemonics(const CString& text) {
  CString out;
  for (int i = 0; i < text.GetLength(); ++i) {
    const char ch = text[i];
    if (ch == '&') {
      if (i + 1 < text.GetLength() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += ch;
  }
  return out;
}

char CControlLabel::Mnemonic(const CString& text) {
  for (int i = 0; i + 1 < text.GetLength(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1];
  }
  return 0;
}

bool CControlLabel::TakesFocus(const CWnd& control) {
  switch (control.GetKind()) {
    case UiControlKind::Edit:
    case UiControlKind::PushButton:
    case UiControlKind::CheckBox:
    case UiControlKind::RadioButton:
    case UiControlKind::TreeView:
    case UiControlKind::ListBox:
    case UiControlKind::CheckListBox: return true;
    default: return false;
  }
}

const CWnd* CControlLabel::LabelOf(const CWnd& control) {
  if (HasOwnCaption(control.GetKind())) return &control;
  if (!control.GetParent()) return nullptr;
  const std::vector<CWnd*>& siblings = control.GetParent()->GetChildren();
  auto self = std::find(siblings.begin(), siblings.end(), &control);
  while (self != siblings.begin()) {
    --self;
    const CWnd& before = **self;
    if (before.GetKind() == UiControlKind::Static && !before.GetWindowText().IsEmpty()) return &before;
    if (TakesFocus(before)) return nullptr;
  }
  return nullptr;
}

CString CControlLabel::NameOf(const CWnd& control) {
  const CWnd* label = LabelOf(control);
  if (!label) return CString();
  CString name = StripMnemonics(label->GetWindowText());
  name.Trim();
  if (name.GetLength() > 0 && name[name.GetLength() - 1] == ':') name = name.Left(name.GetLength() - 1);
  return name;
}
