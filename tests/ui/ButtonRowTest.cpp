#include <gtest/gtest.h>

#include <algorithm>

#include "UiTestPages.h"
#include "platform/ui/CScriptedDriver.h"
#include "platform/ui/CTerminalDriver.h"
#include "platform/ui/CUiApp.h"

namespace {

using namespace uitest;

// A sheet that rearranges its button row the way the publishing wizard does: Finish takes
// Help's place, Back and Next move right so Next ends where Cancel ended, Cancel moves to
// where Back stood, Help goes.
class RearrangedSheet : public CPropertySheet {
 public:
  RearrangedSheet() : CPropertySheet("Rearranged") {}

  CRect before[5];  // Back, Next, Finish, Cancel, Help in client coordinates, before
  bool rearranged = false;

  bool OnInitDialog() override {
    const bool result = CPropertySheet::OnInitDialog();
    ModifyStyleEx(0, WS_EX_CONTEXTHELP);
    ModifyStyle(0, WS_SYSMENU);
    const int ids[5] = {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDCANCEL, IDHELP};
    for (int i = 0; i < 5; ++i) before[i] = ClientRect(ids[i]);
    rearranged = Rearrange();
    return result;
  }

  CRect ClientRect(int id) const {
    CRect rect = GetDlgItem(static_cast<unsigned>(id))->GetWindowRect();
    ScreenToClient(&rect);
    return rect;
  }

 private:
  bool Rearrange() {
    CWnd* finish = GetDlgItem(ID_WIZFINISH);
    CWnd* help = GetDlgItem(IDHELP);
    CWnd* next = GetDlgItem(ID_WIZNEXT);
    CWnd* back = GetDlgItem(ID_WIZBACK);
    CWnd* cancel = GetDlgItem(IDCANCEL);
    if (!finish || !help || !next || !back || !cancel) return false;
    CRect helpRect, nextRect, backRect, cancelRect;
    help->GetWindowRect(&helpRect);
    ScreenToClient(&helpRect);
    finish->MoveWindow(helpRect);
    finish->ShowWindow(SW_SHOW);

    next->GetWindowRect(&nextRect);
    ScreenToClient(&nextRect);
    cancel->GetWindowRect(&cancelRect);
    ScreenToClient(&cancelRect);
    const int shift = cancelRect.right - nextRect.right;
    back->GetWindowRect(&backRect);
    ScreenToClient(&backRect);
    backRect.OffsetRect(shift, 0);
    back->MoveWindow(backRect);
    CRect movedNext = nextRect;
    movedNext.OffsetRect(shift, 0);
    next->MoveWindow(movedNext);

    const int gap = cancelRect.left - nextRect.right;
    cancelRect.OffsetRect(-(2 * cancelRect.Width() + gap), 0);
    cancel->MoveWindow(cancelRect);
    help->ShowWindow(SW_HIDE);
    return true;
  }
};

TEST(ButtonRowTest, RearrangedRowReadsCancelBackNextFinish) {
  TestResources resources;
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  NamePage name;
  RearrangedSheet sheet;
  sheet.AddPage(&name);
  sheet.SetWizardMode();
  CString shown;
  driver.Do([&shown](CPropertySheet& running) { shown = CTerminalDriver::Render(running); });
  sheet.DoModal();
  ASSERT_TRUE(sheet.rearranged);

  const CRect& oldBack = sheet.before[0];
  const CRect& oldNext = sheet.before[1];
  const CRect& oldCancel = sheet.before[3];
  const CRect& oldHelp = sheet.before[4];
  // The starting row: Back and Next side by side, then Cancel and Help; Finish on Next.
  EXPECT_EQ(oldBack.right, oldNext.left);
  EXPECT_EQ(oldNext, sheet.before[2]);
  EXPECT_LT(oldNext.right, oldCancel.left);
  EXPECT_LT(oldCancel.right, oldHelp.left);
  EXPECT_EQ(oldBack.top, oldHelp.top);

  EXPECT_EQ(oldHelp, sheet.ClientRect(ID_WIZFINISH));
  EXPECT_EQ(oldCancel, sheet.ClientRect(ID_WIZNEXT));
  EXPECT_EQ(oldBack, sheet.ClientRect(IDCANCEL));
  CRect back = oldBack;
  back.OffsetRect(oldCancel.right - oldNext.right, 0);
  EXPECT_EQ(back, sheet.ClientRect(ID_WIZBACK));
  // (The run is over and the sheet hidden, so the buttons' own styles tell.)
  EXPECT_EQ(0u, sheet.GetDlgItem(IDHELP)->GetStyle() & WS_VISIBLE);
  EXPECT_EQ(WS_VISIBLE, sheet.GetDlgItem(ID_WIZFINISH)->GetStyle() & WS_VISIBLE);
  EXPECT_EQ(WS_EX_CONTEXTHELP, sheet.GetExStyle() & WS_EX_CONTEXTHELP);
  EXPECT_EQ(WS_SYSMENU, sheet.GetStyle() & WS_SYSMENU);

  // Screen and client coordinates differ by the sheet's client origin.
  CRect screen = sheet.GetDlgItem(IDCANCEL)->GetWindowRect();
  EXPECT_NE(oldBack, screen);
  sheet.ScreenToClient(&screen);
  EXPECT_EQ(oldBack, screen);

  EXPECT_NE(-1, shown.Find("Buttons: <Cancel> << Back>(disabled) <Next >> <Finish>(disabled)")) << shown;
}

TEST(ButtonRowTest, PageAreaFitsTheLargestTemplate) {
  TestResources resources;
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  NamePage name;
  ChoicePage choice;
  CPropertySheet sheet("Sizes");
  sheet.AddPage(&name);
  sheet.AddPage(&choice);
  sheet.SetWizardMode();
  CRect pageRect, buttonRect, client;
  driver.Do([&](CPropertySheet& running) {
    pageRect = running.GetActivePage()->GetWindowRect();
    running.ScreenToClient(&pageRect);
    buttonRect = running.GetDlgItem(IDHELP)->GetWindowRect();
    running.ScreenToClient(&buttonRect);
    running.GetClientRect(&client);
  });
  sheet.DoModal();
  const CSize widest = CDialogTemplate::MapDialogRect(CRect(0, 0, 267, 214)).Size();
  EXPECT_EQ(CDialogTemplate(kNamePage, "", 266, 214).GetPixelSize(), pageRect.Size());
  EXPECT_LE(widest.cx + pageRect.left, client.right);
  EXPECT_GT(buttonRect.top, pageRect.top + widest.cy);
  EXPECT_LE(buttonRect.bottom, client.bottom);
}

}  // namespace
