#pragma once
// A push button, check box or radio button. Check boxes and radio buttons are automatic:
// a click toggles the box, or checks the radio button and unchecks the others of its group
// (the radio buttons from the one with WS_GROUP up to the next control with WS_GROUP).
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CWnd.h"

class BRINDLE_EXPORT CButton : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CButton)

 public:
  explicit CButton(UiControlKind kind = UiControlKind::PushButton);
  ~CButton() override;
  UiControlKind GetKind() const override { return m_kind; }

  // 0 unchecked, 1 checked, 2 indeterminate. A push button is never checked.
  int GetCheck() const { return m_check; }
  void SetCheck(int check);
  // The radio buttons of this one's group in order (itself included); empty for others.
  std::vector<CButton*> GetRadioGroup() const;

  // What a user's click does, then BN_CLICKED to the parent. False when not usable.
  bool Click();
  CString Describe() const override;

 protected:
  void CopyContentFrom(const CWnd& other) override;

 private:
  UiControlKind m_kind;
  int m_check = 0;
};
