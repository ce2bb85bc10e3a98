#pragma once
// A property sheet; in wizard mode a row of Back (ID_WIZBACK), Next (ID_WIZNEXT), Finish
// (ID_WIZFINISH, made hidden, in Next's place), Cancel (IDCANCEL) and Help (IDHELP) buttons
// under the pages, which the sheet's OnInitDialog may rearrange. Outside wizard mode the
// row is OK (IDOK), Cancel and Help.
//
// DoModal creates the sheet (Create: window, buttons, OnInitDialog, which activates the
// start page) and hands it to the current driver (CUiApp::GetDriver), which presses buttons
// and works the controls until the run ends. It answers ID_WIZFINISH after a successful
// Finish, IDOK after OK, IDCANCEL after Cancel, -1 when the sheet could not be created.
#include <cstdint>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CWnd.h"

class CPropertyPage;

class BRINDLE_EXPORT CPropertySheet : public CWnd {
  BR_DECLARE_RUNTIMECLASS(CPropertySheet)

 public:
  // The sheet header: PSH_WIZARD puts the sheet into wizard mode.
  struct Header {
    unsigned dwFlags = 0;
  };
  Header m_psh;

  explicit CPropertySheet(const char* caption, CWnd* parentWnd = nullptr, unsigned selectPage = 0);
  ~CPropertySheet() override;
  UiControlKind GetKind() const override { return UiControlKind::PropertySheet; }

  // Pages are not owned; they must outlive the sheet's run.
  void AddPage(CPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;

  void SetWizardMode() { m_psh.dwFlags |= PSH_WIZARD; }
  bool IsWizardMode() const { return (m_psh.dwFlags & PSH_WIZARD) != 0; }
  // PSWIZB_BACK / PSWIZB_NEXT enable Back / Next (each disabled without its flag);
  // PSWIZB_FINISH shows and enables Finish, PSWIZB_DISABLEDFINISH shows it disabled,
  // neither disables it.
  void SetWizardButtons(unsigned flags);
  unsigned GetWizardButtons() const { return m_wizardButtons; }

  CWnd* GetOwnerWnd() const { return m_ownerWnd; }
  CPropertyPage* GetActivePage() const;
  int GetActiveIndex() const { return m_active; }
  // Activates page `index`: the active page's OnKillActive first (false keeps it).
  bool SetActivePage(int index);

  intptr_t DoModal();
  // The base activates the start page. Runs inside Create.
  virtual bool OnInitDialog();

  // For drivers. Create makes the window and buttons and runs OnInitDialog; false (and no
  // run) without pages or when the start page cannot be made.
  bool Create();
  bool IsRunning() const { return m_running; }
  intptr_t GetResult() const { return m_result; }
  void EndDialog(intptr_t result);
  // Clicks one of the sheet's buttons; false when it is missing, hidden or disabled.
  bool PressButton(int id);
  // Presses Cancel; if the page refuses, ends the run with IDCANCEL all the same.
  void Cancel();
  // Help on a control of the active page (or the sheet's own buttons): the request goes to
  // the active page's OnHelpInfo, then the sheet's. False when the control is missing or
  // nobody handled it.
  bool HelpOnControl(unsigned controlId);
  // Any help request, e.g. for a menu (contextType HELPINFO_MENUITEM).
  bool SendHelpInfo(const CHelpInfo& info);
  // A control of the active page with `id`, else the sheet's own; none when neither has it.
  CWnd* FindControl(unsigned id) const;

  bool OnCommand(unsigned id, unsigned notifyCode) override;
  CString Describe() const override;

  // Framework side: a page that is destroyed leaves the sheet (ends the run when active).
  void ForgetPage(CPropertyPage* page);

 private:
  void CreateButtons(const CSize& pageArea);
  bool ActivatePage(int index);
  int TargetIndex(long answer, int step) const;
  void Navigate(int step);
  void Finish();
  void CancelPressed();
  void OkPressed();

  std::vector<CPropertyPage*> m_pages;
  CWnd* m_ownerWnd;
  unsigned m_startPage;
  int m_active = -1;
  unsigned m_wizardButtons = 0;
  bool m_running = false;
  intptr_t m_result = 0;
};
