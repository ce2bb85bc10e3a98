// The wizard's main paths, Cancel on every page, a publication that fails at Finish, the
// sign-on before the wizard, and the sheet's button row.

#include <dlfcn.h>

#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>

#include "WizardTestSupport.h"
#include "platform/ui/CRuntimeClass.h"
#include "portal/wizard/CWizardPane1.h"
#include "portal/wizard/CWizardPaneNewsBoxes.h"
#include "portal/wizard/CWizardPanePDFReportStyle.h"
#include "portal/wizard/CWizardPanePromptProperties.h"
#include "portal/wizard/CWizardSheet.h"

namespace wizard_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr unsigned kName = 1000, kDescription = 1001, kTree = 1006, kOverwrite = 1028, kCreateNew = 1029;

class WizardFlowTest : public WizardRun {};

TEST_F(WizardFlowTest, FirstPublicationCreatesTheItemInTheFirstNewsBox) {
  options.m_bSwap = 1;
  driver
      .Do([](CPropertySheet& sheet) {
        EXPECT_EQ(sheet.FindControl(kName)->GetWindowText(), "Sales Report");
        EXPECT_EQ(sheet.FindControl(kDescription)->GetWindowText(), "");
        EXPECT_FALSE(IsEnabled(sheet, ID_WIZBACK));
        EXPECT_TRUE(IsEnabled(sheet, ID_WIZNEXT));
        EXPECT_FALSE(IsEnabled(sheet, ID_WIZFINISH));
      })
      .SetText(kDescription, "Monthly figures")
      .Finish()  // refused: nothing to publish into yet
      .Next()
      .Do([](CPropertySheet& sheet) {
        CTreeCtrl* tree = Tree(sheet);
        ASSERT_NE(tree, nullptr);
        ASSERT_NE(tree->GetSelectedItem(), nullptr);
        EXPECT_EQ(ItemId(*tree, tree->GetSelectedItem()), "box-1");
        EXPECT_EQ(tree->GetLastEnsuredVisible(), tree->GetSelectedItem());
        EXPECT_TRUE(IsEnabled(sheet, ID_WIZFINISH));
        EXPECT_TRUE(IsChecked(sheet, kCreateNew));
        EXPECT_FALSE(IsChecked(sheet, kOverwrite));
        EXPECT_FALSE(IsEnabled(sheet, kOverwrite));
      })
      .Finish();

  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(driver.LastResult(), ID_WIZFINISH);
  EXPECT_THAT(driver.Refusals(), ElementsAre(HasSubstr("12325")));
  EXPECT_THAT(MessageTexts(), ElementsAre(kPublishedText));
  EXPECT_EQ(newsItemId, "item-new");
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<Name>Sales Report</Name><ParentId>box-1</ParentId>"));
  EXPECT_THAT(created[0], HasSubstr("<Description>Monthly figures</Description>"));
  ASSERT_EQ(script.publishCalls.size(), 1u);
  EXPECT_EQ(script.publishCalls[0].name, "item-new");
  EXPECT_EQ(options.m_bSwap, 1);
  EXPECT_TRUE(PortalClosed());
}

TEST_F(WizardFlowTest, KnownItemOpensWithThePortalsValuesAndOverwrites) {
  KnowItem("item-7", "Portal name", "Portal description", "box-2");
  driver
      .Do([](CPropertySheet& sheet) {
        EXPECT_EQ(sheet.FindControl(kName)->GetWindowText(), "Portal name");
        EXPECT_EQ(sheet.FindControl(kDescription)->GetWindowText(), "Portal description");
        EXPECT_TRUE(IsEnabled(sheet, ID_WIZFINISH));
      })
      .Next()
      .Do([](CPropertySheet& sheet) {
        CTreeCtrl* tree = Tree(sheet);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(ItemId(*tree, tree->GetSelectedItem()), "box-2");
        EXPECT_TRUE(IsChecked(sheet, kOverwrite));
        EXPECT_TRUE(IsEnabled(sheet, kOverwrite));
        EXPECT_FALSE(IsChecked(sheet, kCreateNew));
      })
      .Finish();

  EXPECT_EQ(Run(true), 1);
  EXPECT_TRUE(script.RequestsNamed("CreateNewsItem").empty());
  const auto updated = script.RequestsNamed("SetNewsItemProperties");
  ASSERT_EQ(updated.size(), 1u);
  EXPECT_THAT(updated[0], HasSubstr("<Id>item-7</Id>"));
  EXPECT_EQ(newsItemId, "item-7");
  EXPECT_EQ(portalAddress, "portal.example:8020");
  EXPECT_THAT(MessageTexts(), ElementsAre(kPublishedText));
}

TEST_F(WizardFlowTest, KnownItemMovedToAnotherNewsBoxBecomesANewItem) {
  KnowItem("item-7", "Portal name", "", "box-2");
  driver.Next()
      .SelectTreeItem(kTree, "Sales/Europe")
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kCreateNew));
        EXPECT_FALSE(IsEnabled(sheet, kOverwrite));
      })
      .SelectTreeItem(kTree, "Sales/Asia")
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kOverwrite));
        EXPECT_TRUE(IsEnabled(sheet, kOverwrite));
      })
      .SelectTreeItem(kTree, "Sales/Europe")
      .Finish();

  EXPECT_EQ(Run(), 1);
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<ParentId>box-1</ParentId>"));
  EXPECT_EQ(newsItemId, "item-new");
}

TEST_F(WizardFlowTest, SuccessMessageIsAnOkBoxOwnedByTheHostsMainWindow) {
  struct MainWindow {
    MainWindow() { CUiApp::SetMainWnd(&window); }
    ~MainWindow() { CUiApp::SetMainWnd(nullptr); }
    CWnd window;
  } host;
  driver.Next().Finish();

  EXPECT_EQ(Run(), 1);
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  const CMessageBoxRequest& box = driver.MessageBoxes()[0];
  EXPECT_EQ(box.text, kPublishedText);
  EXPECT_EQ(box.owner, &host.window);
  EXPECT_EQ(box.Buttons(), std::vector<int>{IDOK});
}

TEST_F(WizardFlowTest, SecondEntryPointHandsTheDerivedPortalAddressBack) {
  portalAddress.Empty();
  script.infoUrl = "http://lumora.example/portal";
  script.infoPort = "8020";
  driver.Next().Finish();

  EXPECT_EQ(Run(true), 1);
  EXPECT_EQ(portalAddress, "lumora.example:8020");
}

// Cancel on page N: nothing is handed back and the portal is closed.
class CancelOnPageTest : public WizardRun, public ::testing::WithParamInterface<int> {};

TEST_P(CancelOnPageTest, LeavesTheHostsValuesAlone) {
  KnowItem("item-7", "Portal name", "", "box-2");
  options.m_bDimensionLineFiltering = 1;
  options.m_filterableLines.AddTail("k1");
  lineKeys.Add("k1");
  lineNames.Add("Region");
  pdfWord = 0x10;
  driver.SetText(kName, "Renamed");
  for (int page = 0; page < GetParam(); ++page) {
    // Leaving the prompt page rebuilds the run's copy of the options without the line.
    if (page == 2) driver.CheckItem(19829, 0, false);
    driver.Next();
  }
  driver.Do([this](CPropertySheet& sheet) { EXPECT_EQ(sheet.GetActiveIndex(), GetParam()); }).Cancel();

  EXPECT_EQ(Run(true), 0);
  EXPECT_EQ(driver.LastResult(), IDCANCEL);
  EXPECT_FALSE(driver.RanOut());
  EXPECT_TRUE(driver.Refusals().empty());
  EXPECT_EQ(newsItemId, "item-7");
  EXPECT_EQ(portalAddress, "portal.example:8020");
  EXPECT_EQ(options.m_filterableLines.GetCount(), 1);
  EXPECT_EQ(pdfWord, 0x10u);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(script.publishCalls.empty());
  EXPECT_TRUE(script.RequestsNamed("SetNewsItemProperties").empty());
  EXPECT_TRUE(PortalClosed());
}

INSTANTIATE_TEST_SUITE_P(EveryPage, CancelOnPageTest, ::testing::Values(0, 1, 2, 3));

TEST_F(WizardFlowTest, PublishFailureAtFinishKeepsTheWizardOnThePage) {
  script.publishResult = 7;
  driver.Next()
      .Finish()
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(sheet.IsRunning());
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
      })
      .Cancel();

  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(MessageTexts(), ElementsAre(kPublishFailedText));
  // The NewsItem made for this run is taken back.
  EXPECT_EQ(script.RequestsNamed("CreateNewsItem").size(), 1u);
  EXPECT_EQ(script.RequestsNamed("DeleteNewsItem").size(), 1u);
  EXPECT_EQ(newsItemId, "");
}

TEST_F(WizardFlowTest, OverwriteAfterAFailedNewItemUpdatesTheKnownItem) {
  KnowItem("item-7", "Portal name", "", "box-2");
  script.publishResult = 7;
  driver.Next()
      .SelectTreeItem(kTree, "Sales/Europe")
      .Finish()  // a new item in another box: made, publishing fails, taken back
      .Do([this](CPropertySheet& sheet) {
        EXPECT_TRUE(sheet.IsRunning());
        script.publishResult = 0;
      })
      .SelectTreeItem(kTree, "Sales/Asia")
      .Do([](CPropertySheet& sheet) { EXPECT_TRUE(IsChecked(sheet, kOverwrite)); })
      .Finish();

  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(MessageTexts(), ElementsAre(kPublishFailedText, kPublishedText));
  EXPECT_EQ(script.RequestsNamed("CreateNewsItem").size(), 1u);
  EXPECT_EQ(script.RequestsNamed("DeleteNewsItem").size(), 1u);
  const auto updated = script.RequestsNamed("SetNewsItemProperties");
  ASSERT_EQ(updated.size(), 1u);
  EXPECT_THAT(updated[0], HasSubstr("<Id>item-7</Id>"));
  EXPECT_EQ(newsItemId, "item-7");
}

// With neither radio button checked the page stores -1 as its choice, which Finish reads as
// "create": the known item is not overwritten although the run had chosen to update it.
TEST_F(WizardFlowTest, NeitherChoiceOnTheNewsBoxPageCreatesANewItem) {
  KnowItem("item-7", "Portal name", "", "box-2");
  driver.Next()
      .Do([](CPropertySheet& sheet) {
        ASSERT_TRUE(IsChecked(sheet, kOverwrite));
        for (unsigned id : {kOverwrite, kCreateNew}) Button(sheet, id)->SetCheck(0);
      })
      .Finish();

  EXPECT_EQ(Run(), 1);
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<ParentId>box-2</ParentId>"));
  EXPECT_EQ(newsItemId, "item-new");
}

TEST_F(WizardFlowTest, PublishFailureOnTheFirstPageKeepsFinishUsable) {
  KnowItem("item-7", "Portal name", "", "box-2");
  script.saveResult = false;
  driver.Finish()
      .Do([](CPropertySheet& sheet) {
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        EXPECT_FALSE(IsEnabled(sheet, ID_WIZBACK));
        EXPECT_TRUE(IsEnabled(sheet, ID_WIZFINISH));
      })
      .Do([this](CPropertySheet&) { script.saveResult = true; })
      .Finish();

  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(MessageTexts(), ElementsAre("Failed to save the Brindle report in XML format.", kPublishedText));
  EXPECT_EQ(newsItemId, "item-7");
}

TEST_F(WizardFlowTest, FailedSignOnIsShownAndNoWizardRuns) {
  script.dialogResult = -1;
  EXPECT_EQ(Run(), 0);
  EXPECT_THAT(MessageTexts(), ElementsAre("Login to Sentrel failed."));
  EXPECT_TRUE(driver.Results().empty());
}

TEST_F(WizardFlowTest, CancelledSignOnEndsWithoutAMessage) {
  script.dialogResult = SN_CANCELLED;
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(driver.Results().empty());
}

TEST_F(WizardFlowTest, ButtonRowReadsCancelBackNextFinish) {
  driver.Do([](CPropertySheet& sheet) {
    const CRect cancel = Control(sheet, IDCANCEL)->GetWindowRect();
    const CRect back = Control(sheet, ID_WIZBACK)->GetWindowRect();
    const CRect next = Control(sheet, ID_WIZNEXT)->GetWindowRect();
    const CRect finish = Control(sheet, ID_WIZFINISH)->GetWindowRect();
    EXPECT_LT(cancel.right, back.left + 1);
    EXPECT_EQ(back.right, next.left);
    EXPECT_LT(next.right, finish.left);
    EXPECT_EQ(cancel.top, finish.top);
    EXPECT_TRUE(Control(sheet, ID_WIZFINISH)->IsWindowVisible());
    EXPECT_FALSE(Control(sheet, IDHELP)->IsWindowVisible());
    EXPECT_EQ(Control(sheet, ID_WIZNEXT)->GetWindowText(), "&Next >");
    EXPECT_EQ(Control(sheet, ID_WIZFINISH)->GetWindowText(), "&Finish");
    EXPECT_NE(sheet.GetExStyle() & WS_EX_CONTEXTHELP, 0u);
    EXPECT_NE(sheet.GetStyle() & WS_SYSMENU, 0u);
    EXPECT_EQ(sheet.GetWindowText(), "Publish to Lumora");
  });
  driver.Cancel();
  EXPECT_EQ(Run(), 0);
}

// The row as the wizard sheet leaves it, against the platform's own row for the same pages:
// Finish takes Help's place, Next ends where Cancel ended with Back beside it, and Cancel
// stands where Back stood.
TEST(WizardButtonRow, ButtonsMoveToTheirExactPlaces) {
  AttachLibraryResources();
  portal_test::PortalScript script;
  auto publisher = script.MakePublisher();
  const unsigned ids[] = {IDCANCEL, ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDHELP};
  std::map<unsigned, CRect> before, after;
  auto record = [&ids](std::map<unsigned, CRect>& rects) {
    return [&ids, &rects](CPropertySheet& sheet) {
      for (unsigned id : ids) {
        CWnd* button = sheet.FindControl(id);
        ASSERT_NE(button, nullptr) << id;
        CRect rect = button->GetWindowRect();
        sheet.ScreenToClient(&rect);
        rects[id] = rect;
      }
    };
  };
  // The pages outlive the sheet, as in the entry points.
  auto runSheet = [&](bool wizardSheet, std::map<unsigned, CRect>& rects) {
    const CStringArray none;
    CWizardPane1 welcome(*publisher, "Report");
    CWizardPaneNewsBoxes newsBoxes(*publisher);
    CWizardPanePromptProperties prompts(*publisher, none, none, 0);
    std::uint32_t word = 0;
    CWizardPanePDFReportStyle pdf(*publisher, &word, 0);
    std::unique_ptr<CPropertySheet> sheet;
    if (wizardSheet) {
      sheet = std::make_unique<CWizardSheet>("Publish to Lumora");
    } else {
      sheet = std::make_unique<CPropertySheet>("Publish to Lumora");
    }
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{&welcome, &newsBoxes, &prompts, &pdf}) {
      sheet->AddPage(page);
    }
    sheet->SetWizardMode();
    CScriptedDriver driver;
    CUiDriverScope scope(driver);
    driver.Do(record(rects)).Cancel();
    EXPECT_EQ(sheet->DoModal(), IDCANCEL);
  };
  runSheet(false, before);
  runSheet(true, after);
  ASSERT_EQ(before.size(), 5u);
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[ID_WIZFINISH], before[IDHELP]);
  const int shift = before[IDCANCEL].right - before[ID_WIZNEXT].right;
  CRect next = before[ID_WIZNEXT], back = before[ID_WIZBACK];
  next.OffsetRect(shift, 0);
  back.OffsetRect(shift, 0);
  EXPECT_EQ(after[ID_WIZNEXT], next);
  EXPECT_EQ(after[ID_WIZBACK], back);
  EXPECT_EQ(after[ID_WIZNEXT].right, before[IDCANCEL].right);
  EXPECT_EQ(after[IDCANCEL], before[ID_WIZBACK]);
}

TEST(WizardClasses, EachHasARunTimeClassRecordUnderItsOwnName) {
  const std::pair<const char*, const char*> classes[] = {
      {"CWizardSheet", "CPropertySheet"},      {"CWizardPage", "CPropertyPage"},
      {"CWizardPane1", "CWizardPage"},         {"CWizardPaneNewsBoxes", "CWizardPage"},
      {"CWizardPanePromptProperties", "CWizardPage"}, {"CWizardPanePDFReportStyle", "CWizardPage"},
  };
  for (const auto& [name, base] : classes) {
    const CRuntimeClass* record = CRuntimeClass::FromName(name);
    ASSERT_NE(record, nullptr) << name;
    EXPECT_STREQ(record->m_lpszClassName, name);
    ASSERT_NE(record->m_pBaseClass, nullptr) << name;
    EXPECT_STREQ(record->m_pBaseClass->m_lpszClassName, base) << name;
  }
}

TEST(WizardExports, BothInteractiveEntryPointsAreExported) {
  // The build folder from the test's environment, else the one this binary was built in.
  const char* buildDir = std::getenv("BRINDLE_BUILD_DIR");
  if (buildDir == nullptr) buildDir = BRINDLE_BUILD_DIR;
  const std::string path = std::string(buildDir) + "/lib/libBRCUtil.so";
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_NE(dlsym(library, "brPublishToLumora"), nullptr);
  EXPECT_NE(dlsym(library, "brPublishToLumora2"), nullptr);
  dlclose(library);
}

}  // namespace
}  // namespace wizard_test
