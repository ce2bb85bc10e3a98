#pragma once
// The publishing wizard's property sheet. In wizard mode it gets the title-bar help
// button and a system menu, and its button row is rearranged so that it reads, from the
// left, Cancel, Back, Next and Finish, with Finish visible on every page.

#include "platform/ui/CPropertySheet.h"

class CWizardSheet : public CPropertySheet {
  BR_DECLARE_RUNTIMECLASS(CWizardSheet)

 public:
  CWizardSheet(const char* caption, CWnd* parentWnd = nullptr, unsigned selectPage = 0);
  ~CWizardSheet() override;

  bool OnInitDialog() override;

 private:
  void ArrangeButtons();
  // The button's window rectangle in the sheet's client coordinates.
  CRect ButtonRect(const CWnd& button) const;
};

// Enables Back, Next and Finish of `sheet` by the three flags and gives Next and Finish
// their captions ("&Next >", "&Finish"). A missing button is left alone.
void EnableWizardButtons(CPropertySheet* sheet, bool back, bool next, bool finish);
