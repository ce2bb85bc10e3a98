#include "platform/ui/CTerminalDriver.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

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

TEST_F(TerminalDriverTest, PipedScriptRunsTheWizardToFinishByNames) {
  const intptr_t result = Run(
      "name Sales report\n"
      "text first\\nsecond\n"
      "agree\n"
      "next\n"
      "tree a/b\n"
      "o\n"
      "finish\n");
  EXPECT_EQ(ID_WIZFINISH, result);
  EXPECT_EQ("Sales report", m_name.m_name);
  EXPECT_EQ("first\nsecond", m_name.m_notes);
  EXPECT_TRUE(m_name.m_agree);
  EXPECT_EQ(0, m_choice.m_choice);
  const CString shown(m_out.str());
  EXPECT_NE(-1, shown.Find("--- Test - Name (page 1 of 2) ---")) << shown;
  EXPECT_NE(-1, shown.Find("Name (N): Sales report")) << shown;
  EXPECT_NE(-1, shown.Find("Text: first\\nsecond")) << shown;
  EXPECT_NE(-1, shown.Find("[x] Agree (A)")) << shown;
  EXPECT_NE(-1, shown.Find("--- Test - Choice (page 2 of 2) ---"));
  EXPECT_NE(-1, shown.Find("    B   <- chosen")) << shown;
  EXPECT_NE(-1, shown.Find("(*) Overwrite (O)")) << shown;
  EXPECT_EQ(-1, shown.Find("[1000]")) << shown;
}

TEST_F(TerminalDriverTest, NamesMatchWholeThenBeginningThenWordsThenAnywhere) {
  struct Case {
    const char* command;
    const char* typedName;
    const char* typedNotes;
  };
  const std::vector<Case> cases = {
      {"name Ann", "Ann", ""},         // the whole name
      {"NAME Bob", "Bob", ""},         // any letter case
      {"n Cy", "Cy", ""},              // the mnemonic letter
      {"\"name\" Di", "Di", ""},       // quoted
      {"te line", "default", "line"},  // the beginning of "Text"
      {"ext x", "default", "x"},       // anywhere in it
      {"name \"Eve Ray\"", "Eve Ray", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    NamePage page;
    CPropertySheet sheet("Names");
    sheet.AddPage(&page);
    sheet.SetWizardMode();
    std::istringstream in(std::string(c.command) + "\nnext\n");
    std::ostringstream out;
    CTerminalDriver driver(in, out);
    CUiDriverScope scope(driver);
    sheet.DoModal();
    page.UpdateData(true);
    EXPECT_EQ(c.typedName, page.m_name) << out.str();
    EXPECT_EQ(c.typedNotes, page.m_notes) << out.str();
  }
}

TEST_F(TerminalDriverTest, EndOfInputCancelsCleanly) {
  EXPECT_EQ(IDCANCEL, Run("name half done\n"));
  EXPECT_NE(std::string::npos, m_out.str().find("(end of input: cancelling)"));
  EXPECT_EQ(1, m_name.m_cancelCount);
  EXPECT_EQ(IDCANCEL, Run(""));
}

TEST_F(TerminalDriverTest, BadCommandsAreExplainedAndIgnored) {
  Run("frobnicate\n"
      "back\n"
      "agree maybe\n"
      "name\n"
      "\"unclosed\n"
      "next\n"
      "tree Nowhere\n"
      "check Nothing\n"
      "overwrite now\n"
      "?\n"
      "cancel\n");
  const std::string shown = m_out.str();
  for (const char* message :
       {"There is nothing called \"frobnicate\" on this page; ? lists the names.", "That button is not available.",
        "Say on or off.", "Give the text after the name, e.g. name Quarterly sales.",
        "A quoted name needs its closing quote.", "There is no such item.", "That is a button: give its name alone.",
        "Act on a control by its name or its letter", "On this page: Tree; Overwrite (O); Create (C); Text;"}) {
    EXPECT_NE(std::string::npos, shown.find(message)) << message << "\n" << shown;
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
  // The file and what it is about; no topic or control numbers.
  EXPECT_EQ("Help on \"Control\": it is in /h/BRCUtil.HLP, which has no viewer on this system.\n", out.str());
}

}  // namespace
