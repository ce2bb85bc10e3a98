#pragma once
// A page of a property sheet. Its controls are made from its dialog template the first
// time it becomes active (then OnInitDialog runs) and live until the page object is
// destroyed, so pointers to them stay good across the pages of one run.
//
// The sheet calls, on the active page:
//   becoming active:     OnSetActive (the base reloads the controls on later activations)
//   Back / Next pressed: OnWizardBack / OnWizardNext, then OnKillActive (the base saves the
//                        controls; false keeps the page), then OnSetActive of the new page
//   Finish pressed:      OnWizardFinish (true ends the run with ID_WIZFINISH)
//   Cancel pressed:      OnQueryCancel (false keeps the run going), then OnCancel
//   Help pressed:        OnHelp
#include "brindle/export.h"
#include "platform/ui/CDialog.h"

class CPropertySheet;

class BRINDLE_EXPORT CPropertyPage : public CDialog {
  BR_DECLARE_RUNTIMECLASS(CPropertyPage)

 public:
  // `captionId` 0: the caption is the template's title; else the string resource.
  explicit CPropertyPage(unsigned templateId, unsigned captionId = 0);
  ~CPropertyPage() override;

  CPropertySheet* GetSheet() const { return m_sheet; }
  CString GetCaption() const;

  virtual bool OnSetActive();
  virtual bool OnKillActive();
  // 0: go to the previous / next page; -1: stay; another value: the template id of the
  // page to go to.
  virtual long OnWizardBack();
  virtual long OnWizardNext();
  // True: the run ends with ID_WIZFINISH. The base answers true.
  virtual bool OnWizardFinish();
  virtual bool OnQueryCancel();
  // The base does nothing (the sheet ends the run).
  void OnCancel() override;
  // OK of a sheet that is not a wizard: the base does nothing (the sheet saved the page).
  void OnOK() override;
  virtual void OnHelp();

  // Framework side (CPropertySheet).
  void AttachToSheet(CPropertySheet* sheet) { m_sheet = sheet; }
  bool WasActivated() const { return m_activations > 0; }
  void CountActivation() { ++m_activations; }
  void ResetActivations() { m_activations = 0; }

 private:
  unsigned m_captionId;
  CPropertySheet* m_sheet = nullptr;
  int m_activations = 0;
};
