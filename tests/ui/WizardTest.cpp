#include <gtest/gtest.h>

#include "UiTestPages.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CScriptedDriver.h"
#include "platform/ui/CUiApp.h"

namespace {

using namespace uitest;

class WizardTest : public ::testing::Test {
 protected:
  WizardTest() : m_scope(m_driver), m_sheet("Test wizard") {
    m_sheet.AddPage(&m_name);
    m_sheet.AddPage(&m_choice);
    m_sheet.SetWizardMode();
  }

  // Records which page is active whenever the script asks.
  CScriptedDriver::Step RecordActive(std::vector<int>& where) {
    return [&where](CPropertySheet& sheet) { where.push_back(sheet.GetActiveIndex()); };
  }

  TestResources m_resources;
  CScriptedDriver m_driver;
  CUiDriverScope m_scope;
  NamePage m_name;
  ChoicePage m_choice;
  CPropertySheet m_sheet;
};

TEST_F(WizardTest, NextBackFinishFlowStoresTheFields) {
  std::vector<int> where;
  m_driver.SetText(kNameEdit, "Quarterly")
      .Click(kAgreeCheck)
      .Do(RecordActive(where))
      .Next()
      .Do(RecordActive(where))
      .Back()
      .Do(RecordActive(where))
      .Next()
      .SelectTreeItem(kTree, "A/C")
      .Click(kRadioA)
      .SetText(kCountEdit, "12")
      .Finish();

  EXPECT_EQ(ID_WIZFINISH, m_sheet.DoModal());
  EXPECT_EQ((std::vector<int>{0, 1, 0}), where);
  EXPECT_TRUE(m_driver.Refusals().empty()) << m_driver.Refusals().front();
  EXPECT_FALSE(m_driver.RanOut());
  EXPECT_EQ("Quarterly", m_name.m_name);
  EXPECT_TRUE(m_name.m_agree);
  EXPECT_EQ(0, m_choice.m_choice);
  EXPECT_EQ(12, m_choice.m_count);
  EXPECT_EQ(1, m_name.m_initCount);  // made once, activated twice
  EXPECT_EQ(2, m_name.m_setActiveCount);
  EXPECT_EQ(ID_WIZFINISH, m_driver.LastResult());
}

TEST_F(WizardTest, DisabledButtonsRefusePresses) {
  std::vector<CString> states;
  m_driver.Back()    // page one has no Back
      .Finish()      // hidden: Finish is not shown on page one
      .Next()
      .Finish()      // shown but disabled until a tree item is chosen
      .Next()        // page two has no Next
      .Do([&states](CPropertySheet& sheet) {
        states.push_back(sheet.GetDlgItem(ID_WIZFINISH)->IsWindowEnabled() ? "on" : "off");
      })
      .SelectTreeItem(kTree, "D")
      .Finish();

  EXPECT_EQ(ID_WIZFINISH, m_sheet.DoModal());
  const std::vector<CString> expected = {"press 12323: disabled", "press 12325: hidden",
                                         "press 12325: disabled", "press 12324: disabled"};
  EXPECT_EQ(expected, m_driver.Refusals());
  EXPECT_EQ(std::vector<CString>{"off"}, states);
  EXPECT_EQ(1, m_choice.m_finishCount);
}

TEST_F(WizardTest, CancelEndsWithCancelAndCallsTheActivePageOnly) {
  m_driver.SetText(kNameEdit, "changed").Cancel();
  EXPECT_EQ(IDCANCEL, m_sheet.DoModal());
  EXPECT_EQ(1, m_name.m_cancelCount);
  EXPECT_EQ("default", m_name.m_name);  // nothing was saved
  EXPECT_FALSE(m_driver.RanOut());
}

TEST_F(WizardTest, RunningOutOfScriptCancels) {
  m_driver.Next();
  EXPECT_EQ(IDCANCEL, m_sheet.DoModal());
  EXPECT_TRUE(m_driver.RanOut());
  EXPECT_EQ(0, m_name.m_cancelCount);  // page two was active
}

TEST_F(WizardTest, FailedFinishShowsTheMessageAndStays) {
  m_choice.m_failFinish = true;
  std::vector<int> where;
  m_driver.Next().SelectTreeItem(kTree, "A").Finish().Do(RecordActive(where));
  EXPECT_EQ(IDCANCEL, m_sheet.DoModal());
  ASSERT_EQ(1u, m_driver.MessageBoxes().size());
  EXPECT_EQ("Finish failed.", m_driver.MessageBoxes()[0].text);
  EXPECT_EQ(std::vector<int>{1}, where);
}

TEST_F(WizardTest, KillActiveRefusalKeepsThePage) {
  m_name.m_refuseKillActive = true;
  std::vector<int> where;
  m_driver.Next().Do(RecordActive(where));
  m_sheet.DoModal();
  EXPECT_EQ(std::vector<int>{0}, where);
}

TEST_F(WizardTest, BadInputMakesTheExchangeFailAndThePageStay) {
  std::vector<int> where;
  std::vector<CString> failures;
  m_driver.Next()
      .SetText(kCountEdit, "twelve")
      .Back()
      .Do(RecordActive(where))
      .Do([&failures](CPropertySheet& sheet) {
        failures.push_back(sheet.GetActivePage()->GetLastExchangeFailure());
      });
  m_sheet.DoModal();
  EXPECT_EQ(std::vector<int>{1}, where);
  EXPECT_EQ(std::vector<CString>{"control 1030 does not hold a whole number"}, failures);
  EXPECT_EQ(3, m_choice.m_count);
}

TEST_F(WizardTest, ActionsOnMissingOrHiddenControlsAreRefused) {
  m_driver.Click(4242)
      .SetText(kTree, "x")           // not an edit
      .SelectTreeItem(kTree, "A")    // the tree is on the hidden page two
      .Next()
      .SelectTreeItem(kTree, "A/Z")  // no such item
      .SetText(kNameEdit, "x");      // page one is not the active page now
  m_sheet.DoModal();
  const std::vector<CString> expected = {"click 4242: no such control", "set 1006: no such control",
                                         "select 1006: no such control", "select 1006: no such item",
                                         "set 1000: no such control"};
  EXPECT_EQ(expected, m_driver.Refusals());
}

TEST_F(WizardTest, ControlsLiveOnAfterTheRunAndARerunStartsAfresh) {
  m_driver.SetText(kNameEdit, "first").Next();
  m_sheet.DoModal();
  auto* edit = dynamic_cast<CEdit*>(m_name.GetDlgItem(kNameEdit));
  ASSERT_NE(nullptr, edit);
  EXPECT_EQ("first", edit->GetWindowText());
  m_driver.Finish();  // Finish is hidden on page one of the new run
  EXPECT_EQ(IDCANCEL, m_sheet.DoModal());
  EXPECT_EQ(2, m_name.m_initCount);
  EXPECT_EQ(std::vector<CString>{"press 12325: hidden"}, m_driver.Refusals());
}

TEST(WizardWithoutTemplatesTest, ModalRunFailsWithoutAnyRun) {
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  NamePage page;  // its template is not in the chain
  CPropertySheet sheet("No templates");
  sheet.AddPage(&page);
  sheet.SetWizardMode();
  EXPECT_EQ(-1, sheet.DoModal());
  EXPECT_TRUE(driver.Results().empty());
  CPropertySheet empty("No pages");
  EXPECT_EQ(-1, empty.DoModal());
}

TEST(WizardWithoutDriverTest, HeadlessDefaultCancelsAtOnce) {
  TestResources resources;
  NamePage page;
  CPropertySheet sheet("Headless");
  sheet.AddPage(&page);
  sheet.SetWizardMode();
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ(1, page.m_cancelCount);
}

TEST(WizardLifetimeTest, PagesDestroyedBeforeTheSheetLeaveIt) {
  TestResources resources;
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  CPropertySheet sheet("Lifetime");
  {
    NamePage page;
    sheet.AddPage(&page);
    sheet.SetWizardMode();
    EXPECT_EQ(IDCANCEL, sheet.DoModal());
  }
  EXPECT_EQ(0, sheet.GetPageCount());
}

}  // namespace
