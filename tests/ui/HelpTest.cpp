#include <gtest/gtest.h>

#include "UiTestPages.h"
#include "platform/ui/CScriptedDriver.h"
#include "platform/ui/CUiApp.h"

namespace {

using namespace uitest;

const std::uint32_t kHelpMap[] = {kNameEdit, 0x20000 + kNameEdit, kNotesEdit, 0x20000 + kNotesEdit, 0, 0};

// A page that answers help on its controls from its help map, the way the wizard pages do.
class HelpPage : public NamePage {
 public:
  int m_menuRequests = 0;
  bool OnHelpInfo(const CHelpInfo& info) override {
    if (!info.window || info.ctrlId == IDC_STATIC) return false;
    if (info.contextType != HELPINFO_WINDOW) {
      ++m_menuRequests;
      return true;
    }
    info.window->ShowHelp("/opt/Help/BRCUtil.HLP", HELP_WM_HELP, kHelpMap);
    return true;
  }
};

TEST(HelpTest, ControlHelpReachesTheDriverWithTheMappedTopic) {
  TestResources resources;
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  HelpPage page;
  CPropertySheet sheet("Help");
  sheet.AddPage(&page);
  sheet.SetWizardMode();
  bool labelHandled = true, menuHandled = false;
  driver.HelpOn(kNotesEdit)
      .HelpOn(kAgreeCheck)  // handled, but not in the map: topic 0
      .HelpOn(4242)
      .Do([&](CPropertySheet& running) {
        labelHandled = running.HelpOnControl(IDC_STATIC);
        CHelpInfo menu;
        menu.contextType = HELPINFO_MENUITEM;
        menu.window = &running;
        menuHandled = running.SendHelpInfo(menu);
      });
  sheet.DoModal();

  ASSERT_EQ(2u, driver.HelpCalls().size());
  const CHelpRequest& call = driver.HelpCalls()[0];
  EXPECT_EQ("/opt/Help/BRCUtil.HLP", call.file);
  EXPECT_EQ(HELP_WM_HELP, call.command);
  EXPECT_EQ(kNotesEdit, call.controlId);
  EXPECT_EQ(0x20000u + kNotesEdit, call.contextId);
  EXPECT_EQ(0u, driver.HelpCalls()[1].contextId);
  EXPECT_EQ(std::vector<CString>{"help 4242: no such control"}, driver.Refusals());
  EXPECT_FALSE(labelHandled);
  EXPECT_TRUE(menuHandled);
  EXPECT_EQ(1, page.m_menuRequests);
}

TEST(HelpTest, ContextHelpCallCarriesTheGivenTopic) {
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  CWnd window;
  window.Create(nullptr, 7, "w", CRect(0, 0, 10, 10), WS_VISIBLE);
  window.ShowHelp("host.hlp", HELP_CONTEXT, nullptr, 55);
  window.ShowHelp("host.hlp", HELP_WM_HELP, nullptr);  // no map: topic 0, no read
  ASSERT_EQ(2u, driver.HelpCalls().size());
  EXPECT_EQ(55u, driver.HelpCalls()[0].contextId);
  EXPECT_EQ(0u, driver.HelpCalls()[1].contextId);
}

}  // namespace
