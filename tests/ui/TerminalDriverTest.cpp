#include "platform/ui/CTerminalDriver.h"

#include <gtest/gtest.h>

#include <sstream>

#include "UiTestPages.h"
#include "platform/ui/CMessageBox.h"
#include "platform/ui/CUiApp.h"

namespace {

using namespace uitest;

class TerminalDriverTest : public ::testing::Test {
 protected:
  TerminalDriverTest() {
    m_sheet.AddPage(&m_name);
    m_sheet.AddPage(&m_choice);
    m_sheet.SetWizardMode();
  }

  intptr_t Run(const char* script) {
    m_in.str(script);
    CTerminalDriver driver(m_in, m_out);
    CUiDriverScope scope(driver);
    return m_sheet.DoModal();
  }

  TestResources m_resources;
  NamePage m_name;
  ChoicePage m_choice;
  CPropertySheet m_sheet{"Terminal wizard"};
  std::istringstream m_in;
  std::ostringstream m_out;
};

TEST_F(TerminalDriverTest, PipedScriptRunsTheWizardToFinish) {
  const intptr_t result = Run(
      "set 1000 Sales report\n"
      "set 1001 first\\nsecond\n"
      "click 1002\n"
      "next\n"
      "select 1006 A/B\n"
      "click 1028\n"
      "finish\n");
  EXPECT_EQ(ID_WIZFINISH, result);
  EXPECT_EQ("Sales report", m_name.m_name);
  EXPECT_EQ("first\nsecond", m_name.m_notes);
  EXPECT_TRUE(m_name.m_agree);
  EXPECT_EQ(0, m_choice.m_choice);
  const CString shown(m_out.str());
  EXPECT_NE(-1, shown.Find("--- Test - Name (page 1 of 2) ---")) << shown;
  EXPECT_NE(-1, shown.Find("[1000] edit \"Sales report\""));
  EXPECT_NE(-1, shown.Find("[1002] [x] Agree"));
  EXPECT_NE(-1, shown.Find("--- Test - Choice (page 2 of 2) ---"));
  EXPECT_NE(-1, shown.Find("*  B"));
  EXPECT_NE(-1, shown.Find("[1028] (*) Overwrite"));
}

TEST_F(TerminalDriverTest, EndOfInputCancelsCleanly) {
  EXPECT_EQ(IDCANCEL, Run("set 1000 half done\n"));
  EXPECT_NE(std::string::npos, m_out.str().find("(end of input: cancelling)"));
  EXPECT_EQ(1, m_name.m_cancelCount);
  EXPECT_EQ(IDCANCEL, Run(""));
}

TEST_F(TerminalDriverTest, BadCommandsAreExplainedAndIgnored) {
  Run("frobnicate\n"
      "click\n"
      "click 99999999999999\n"
      "click 4242\n"
      "back\n"
      "set 1002 text\n"
      "next\n"
      "select 1006 Nowhere\n"
      "check 1006 1 on\n"
      "?\n"
      "cancel\n");
  const std::string shown = m_out.str();
  for (const char* message :
       {"Unknown command; ? lists the commands.", "Give the control's number, as shown in brackets.",
        "There is no such control on this page.", "That button is not available.",
        "That control is not a text field.", "There is no such item.", "That control is not a check list.",
        "Commands:"}) {
    EXPECT_NE(std::string::npos, shown.find(message)) << message;
  }
  EXPECT_EQ("default", m_name.m_name);
}

TEST_F(TerminalDriverTest, MessageBoxesAskOnlyWhenThereIsAChoice) {
  m_in.str("maybe\nno\n");
  CTerminalDriver driver(m_in, m_out);
  CUiDriverScope scope(driver);
  EXPECT_EQ(IDOK, CMessageBox::Show("Done.", MB_OK, "Info"));
  EXPECT_EQ(IDNO, CMessageBox::Show("Replace?", MB_YESNO, "Question"));
  EXPECT_EQ(IDCANCEL, CMessageBox::Show("Again?", MB_OKCANCEL));  // input ended: the close answer
  const std::string shown = m_out.str();
  EXPECT_NE(std::string::npos, shown.find("[Info] Done.\n(ok)"));
  EXPECT_NE(std::string::npos, shown.find("Answer (yes/no) [yes]: "));
  EXPECT_NE(std::string::npos, shown.find("Please answer with one of the choices."));
}

TEST_F(TerminalDriverTest, HelpIsShownAsText) {
  std::istringstream in;
  std::ostringstream out;
  CTerminalDriver driver(in, out);
  CUiDriverScope scope(driver);
  CWnd window;
  window.Create(nullptr, 1001, "", CRect(), WS_VISIBLE);
  const std::uint32_t map[] = {1001, 0x20000 + 1001, 0, 0};
  window.ShowHelp("/h/BRCUtil.HLP", HELP_WM_HELP, map);
  EXPECT_EQ("Help: /h/BRCUtil.HLP, topic 132073 (control 1001)\n", out.str());
}

}  // namespace
