// Context help on the wizard's controls: the topic of each control from its page's help
// map, the help file chosen from the host's, and requests the pages leave alone.

#include <ostream>
#include <string>
#include <vector>

#include "WizardTestSupport.h"
#include "portal/wizard/WizardHelpFile.h"

namespace wizard_test {
namespace {

// Sets the host's help file for one test and puts the previous one back.
class HostHelpFile {
 public:
  explicit HostHelpFile(const char* path) : m_previous(CUiApp::GetHelpFilePath()) { CUiApp::SetHelpFilePath(path); }
  ~HostHelpFile() { CUiApp::SetHelpFilePath(m_previous); }

 private:
  CString m_previous;
};

struct HelpFileCase {
  const char* host;
  const char* opened;
};

void PrintTo(const HelpFileCase& c, std::ostream* out) { *out << '"' << c.host << '"'; }

class HelpFileTest : public WizardRun, public ::testing::WithParamInterface<HelpFileCase> {};

TEST_P(HelpFileTest, HelpOnAControlOpensTheChosenFile) {
  HostHelpFile helpFile(GetParam().host);
  driver.HelpOn(1000).Cancel();
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(driver.HelpCalls().size(), 1u);
  EXPECT_EQ(driver.HelpCalls()[0].file, GetParam().opened);
  EXPECT_EQ(driver.HelpCalls()[0].command, HELP_WM_HELP);
}

INSTANTIATE_TEST_SUITE_P(
    HostFiles, HelpFileTest,
    ::testing::Values(HelpFileCase{"/opt/Brindle/BRINDLE.HLP", "/opt/Brindle/BRCUtil.HLP"},
                      HelpFileCase{"/opt/Brindle/brindle.hlp", "/opt/Brindle/BRCUtil.HLP"},
                      HelpFileCase{"/home/Ann/Help/BrXlSrv.Hlp", "/home/Ann/Help/BRCUtil.HLP"},
                      HelpFileCase{"BRINDLE.HLP", "BRCUtil.HLP"},
                      HelpFileCase{"/opt/Brindle/Reports.hlp", "/opt/Brindle/Reports.hlp"},
                      HelpFileCase{"", ""}));

TEST(WizardHelpFile, TheFirstKnownNameWinsAndTheRestIsReplaced) {
  EXPECT_EQ(brindle::wizard::WizardHelpFilePath("/x/brxlsrv.hlp/brindle.hlp"), "/x/brxlsrv.hlp/BRCUtil.HLP");
  EXPECT_EQ(brindle::wizard::WizardHelpFilePath("/Help/Brindle.HLP.old"), "/Help/BRCUtil.HLP");
}

struct PageHelp {
  int page;
  std::vector<unsigned> controls;
};

void PrintTo(const PageHelp& c, std::ostream* out) { *out << "page " << c.page; }

class HelpMapTest : public WizardRun, public ::testing::WithParamInterface<PageHelp> {};

TEST_P(HelpMapTest, EveryControlInTheMapHasItsTopic) {
  const PageHelp& c = GetParam();
  for (int page = 0; page < c.page; ++page) driver.Next();
  for (unsigned id : c.controls) driver.HelpOn(id);
  driver.Cancel();
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(driver.Refusals().empty());
  ASSERT_EQ(driver.HelpCalls().size(), c.controls.size());
  for (size_t i = 0; i < c.controls.size(); ++i) {
    EXPECT_EQ(driver.HelpCalls()[i].controlId, c.controls[i]);
    EXPECT_EQ(driver.HelpCalls()[i].contextId, 0x20000u + c.controls[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, HelpMapTest,
    ::testing::Values(PageHelp{0, {1000, 1001}}, PageHelp{1, {1006, 1028, 1029}},
                      PageHelp{2, {19822, 19825, 19826, 19823, 19824, 19830, 19831, 19829}},
                      PageHelp{3, {1014, 1015, 1017, 1018, 1019, 1020, 1022, 1025, 1027}}));

TEST_F(WizardRun, HelpOnALabelOrTheWelcomePictureIsLeftToThePlatform) {
  bool menuHandled = false, bareHandled = true;
  driver.HelpOn(IDC_STATIC)
      .HelpOn(1010)  // the picture is not in the help map: no topic, but the map is asked
      .Do([&](CPropertySheet& sheet) {
        CHelpInfo menu;
        menu.contextType = HELPINFO_MENUITEM;
        menu.ctrlId = 1000;
        menu.window = sheet.FindControl(1000);
        menuHandled = sheet.SendHelpInfo(menu);
        CHelpInfo bare;
        bare.ctrlId = 1000;
        bareHandled = sheet.SendHelpInfo(bare);
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(menuHandled);
  EXPECT_FALSE(bareHandled);
  ASSERT_EQ(driver.HelpCalls().size(), 1u);
  EXPECT_EQ(driver.HelpCalls()[0].controlId, 1010u);
  EXPECT_EQ(driver.HelpCalls()[0].contextId, 0u);
}

}  // namespace
}  // namespace wizard_test
