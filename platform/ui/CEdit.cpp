#include "platform/ui/CEdit.h"

BR_IMPLEMENT_RUNTIMECLASS(CEdit, CWnd)

CEdit::CEdit() = default;

CEdit::~CEdit() = default;

bool CEdit::UserSetText(const char* text) {
  if (!IsUsable()) return false;
  CString typed(text);
  if (!IsMultiLine()) {
    const int lineEnd = typed.FindOneOf("\r\n");
    if (lineEnd >= 0) typed = typed.Left(lineEnd);
  }
  if (m_limit > 0 && typed.GetLength() > m_limit) typed = typed.Left(m_limit);
  SetWindowText(typed);
  NotifyParentCommand(EN_CHANGE);
  return true;
}

CString CEdit::Describe() const {
  CString shown = GetWindowText();
  shown.Replace("\r\n", "\\n");
  shown.Replace("\n", "\\n");
  CString line;
  line.Format("[%u] edit%s \"%s\"", GetDlgCtrlID(), IsMultiLine() ? " (lines)" : "", shown.GetString());
  return line;
}
