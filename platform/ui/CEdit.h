#pragma once
// A text field, one line or several (ES_MULTILINE).
#include "brindle/export.h"
#include "platform/ui/CWnd.h"

class BRINDLE_EXPORT CEdit : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CEdit)

 public:
  CEdit();
  ~CEdit() override;
  UiControlKind GetKind() const override { return UiControlKind::Edit; }
  bool IsMultiLine() const { return (GetStyle() & ES_MULTILINE) != 0; }
  // 0: no limit (the default).
  void SetLimitText(int maxLength) { m_limit = maxLength > 0 ? maxLength : 0; }
  int GetLimitText() const { return m_limit; }
  // What a user typing does: replaces the text (a one-line field keeps the first line;
  // a limit cuts the rest), then tells the parent EN_CHANGE. False when not usable.
  bool UserSetText(const char* text);
  CString Describe() const override;

 private:
  int m_limit = 0;
};
