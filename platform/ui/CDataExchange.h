#pragma once
// Dialog data exchange: moving values between a dialog's members and its controls, in
// one direction per call (m_bSaveAndValidate: controls -> members). A step that cannot be
// done (a missing control, a control of the wrong kind, a number that does not parse)
// marks the exchange as failed, and UpdateData answers false.
#include "brindle/export.h"
#include "platform/ui/CString.h"

class CWnd;

class BRINDLE_EXPORT CDataExchange {
 public:
  CDataExchange(CWnd* dialog, bool saveAndValidate);

  bool m_bSaveAndValidate;
  CWnd* m_pDlgWnd;

  // The dialog's control `id`; none (and the exchange failed) when it has none.
  CWnd* PrepareCtrl(unsigned id);
  void Fail(const char* why);
  bool HasFailed() const { return m_failed; }
  const CString& GetFailure() const { return m_failure; }

 private:
  bool m_failed = false;
  CString m_failure;
};

// The text of control `id` and `value`.
BRINDLE_EXPORT void DDX_Text(CDataExchange* pDX, unsigned id, CString& value);
// The text of control `id` as a decimal number and `value`.
BRINDLE_EXPORT void DDX_Text(CDataExchange* pDX, unsigned id, int& value);
// The check of check box `id` (0, 1, 2) and `value`.
BRINDLE_EXPORT void DDX_Check(CDataExchange* pDX, unsigned id, int& value);
BRINDLE_EXPORT void DDX_Check(CDataExchange* pDX, unsigned id, bool& value);
// The radio group that starts at `firstId`: the index of its checked button (-1 for none)
// and `value`. Writing -1, or an index outside the group, unchecks every button.
BRINDLE_EXPORT void DDX_Radio(CDataExchange* pDX, unsigned firstId, int& value);
// Binds the member `control` to control `id`: the member takes the created control's
// place (CWnd::ReplaceChild). The kinds must match. Done once; later calls do nothing.
BRINDLE_EXPORT void DDX_Control(CDataExchange* pDX, unsigned id, CWnd& control);
