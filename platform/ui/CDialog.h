#pragma once
// A dialog: a window whose controls are made from a dialog template (CDialogTemplate),
// found by id through the resource chain, or given.
#include <cstdint>

#include "brindle/export.h"
#include "platform/ui/CDialogTemplate.h"
#include "platform/ui/CWnd.h"

class CDataExchange;

class BRINDLE_EXPORT CDialog : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CDialog)

 public:
  explicit CDialog(unsigned templateId = 0);
  ~CDialog() override;
  UiControlKind GetKind() const override { return UiControlKind::Dialog; }

  unsigned GetTemplateId() const { return m_templateId; }
  // The title of the template the dialog was made from.
  const CString& GetTitle() const { return m_title; }

  // Makes the dialog window, hidden, with its top left corner at `origin` in the parent's
  // client coordinates, and one control per template item (rectangles mapped from dialog
  // units to pixels). False when the template is unknown or the dialog exists already.
  bool CreateFromResource(CWnd* parent, const CPoint& origin = CPoint());
  bool CreateIndirect(const CDialogTemplate& dialog, CWnd* parent, const CPoint& origin = CPoint());

  // Set-up after the controls exist. The base loads the controls (UpdateData(false)).
  virtual bool OnInitDialog();
  // The exchanges of this dialog (DDX_* calls). The base does none.
  virtual void DoDataExchange(CDataExchange* pDX);
  // Runs DoDataExchange: true = controls -> members. False when a step failed.
  bool UpdateData(bool saveAndValidate = true);
  // Why the last UpdateData failed; empty after success.
  const CString& GetLastExchangeFailure() const { return m_lastFailure; }

  virtual void OnOK();
  virtual void OnCancel();
  void EndDialog(intptr_t result);
  bool IsEnded() const { return m_ended; }
  intptr_t GetEndResult() const { return m_result; }

  CString Describe() const override;

 private:
  unsigned m_templateId;
  CString m_title;
  CString m_lastFailure;
  bool m_ended = false;
  intptr_t m_result = 0;
};
