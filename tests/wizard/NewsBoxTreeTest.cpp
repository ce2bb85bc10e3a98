// The NewsBox tree: one item per level of a full name, NewsBoxes marked and carrying their
// Id, the first selection, and the tree emptied again when the portal is closed.

#include <memory>

#include "WizardTestSupport.h"
#include "portal/wizard/CWizardPaneNewsBoxes.h"
#include "portal/wizard/CWizardSheet.h"
#include "portal/wizard/NewsBoxTree.h"
#include "portal/wizard/WizardResources.h"

namespace wizard_test {
namespace {

using brindle::wizard::NewsBoxTree;
using ::testing::ElementsAre;

constexpr unsigned kTree = 1006, kOverwrite = 1028, kCreateNew = 1029;

// A tree filled from a NewsBox list through a connected publisher.
class NewsBoxTreeTest : public ::testing::Test {
 protected:
  NewsBoxTreeTest() { AttachLibraryResources(); }

  NewsBoxTree& Fill(const Boxes& boxes, bool expectFilled = true) {
    script.replies["DescribeNewsBox"] = portal_test::NewsBoxListReply(boxes);
    publisher = script.MakePublisher();
    portal_test::ConnectPublisher(*publisher);
    NewsBoxTree& state = NewsBoxTree::Of(*publisher);
    state.SetTreeControl(&tree);
    EXPECT_EQ(state.FillNewsBoxTree(*publisher), expectFilled);
    return state;
  }

  HTREEITEM At(const char* path) { return tree.FindItemByPath(path); }
  std::string IdAt(const char* path) { return WizardRun::ItemId(tree, At(path)); }
  int ImageAt(const char* path) {
    int image = -1, selected = -1;
    tree.GetItemImage(At(path), image, selected);
    EXPECT_EQ(image, selected);
    return image;
  }
  std::vector<std::string> Labels(HTREEITEM parent) {
    std::vector<std::string> labels;
    for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
      labels.push_back(tree.GetItemText(item).str());
    }
    return labels;
  }

  portal_test::PortalScript script;
  CTreeCtrl tree;
  std::unique_ptr<PortalPublisher> publisher;
};

TEST_F(NewsBoxTreeTest, LevelsAreSharedAndOnlyNewsBoxesCarryIds) {
  Fill({{"/A/B", "b"}, {"/A/C", "c"}});
  EXPECT_THAT(Labels(TVI_ROOT), ElementsAre("A"));
  EXPECT_THAT(Labels(At("A")), ElementsAre("B", "C"));
  EXPECT_EQ(IdAt("A"), "");
  EXPECT_EQ(ImageAt("A"), brindle::wizard::kImagePathLevel);
  EXPECT_EQ(IdAt("A/B"), "b");
  EXPECT_EQ(ImageAt("A/B"), brindle::wizard::kImageNewsBox);
  EXPECT_EQ(IdAt("A/C"), "c");
  EXPECT_TRUE(tree.IsExpanded(At("A")));
  // The first NewsBox of the list is selected and scrolled to.
  EXPECT_EQ(tree.GetSelectedItem(), At("A/B"));
  EXPECT_EQ(tree.GetLastEnsuredVisible(), At("A/B"));
}

TEST_F(NewsBoxTreeTest, ANewsBoxNamedLikeALevelTurnsTheLevelIntoANewsBox) {
  Fill({{"/A/B", "b"}, {"/A/C", "c"}, {"/A", "a"}});
  EXPECT_EQ(tree.GetCount(), 3);
  EXPECT_EQ(IdAt("A"), "a");
  EXPECT_EQ(ImageAt("A"), brindle::wizard::kImageNewsBox);
  EXPECT_THAT(Labels(At("A")), ElementsAre("B", "C"));
}

TEST_F(NewsBoxTreeTest, NamesWithoutSlashAndIncompleteEntriesAreNotShown) {
  script.replies["DescribeNewsBox"] = portal_test::ResultReply(
      "Success",
      "<NewsBox><FullName>Plain</FullName><Id>p</Id></NewsBox>"
      "<NewsBox><FullName>/NoId</FullName></NewsBox>"
      "<NewsBox><Id>no-name</Id></NewsBox>"
      "<NewsBox><FullName>/Shown</FullName><Id>s</Id></NewsBox>");
  publisher = script.MakePublisher();
  portal_test::ConnectPublisher(*publisher);
  NewsBoxTree& state = NewsBoxTree::Of(*publisher);
  state.SetTreeControl(&tree);
  EXPECT_TRUE(state.FillNewsBoxTree(*publisher));
  EXPECT_THAT(Labels(TVI_ROOT), ElementsAre("Shown"));
  // The first NewsBox has no item, so nothing is selected.
  EXPECT_EQ(tree.GetSelectedItem(), nullptr);
}

TEST_F(NewsBoxTreeTest, DoubleSlashSeparatesLikeOneSlash) {
  Fill({{"/A//B", "b"}, {"//X", "x"}, {"/Y/Z//W", "w"}});
  EXPECT_THAT(Labels(TVI_ROOT), ElementsAre("A", "X", "Y"));
  EXPECT_EQ(IdAt("A/B"), "b");
  EXPECT_EQ(IdAt("X"), "x");
  EXPECT_EQ(IdAt("Y/Z/W"), "w");
}

TEST_F(NewsBoxTreeTest, PathsAreKnownByTheirWholeText) {
  // "/A//B" and "/A/B" are different paths: each gets its own level item B.
  Fill({{"/A//B", "b1"}, {"/A/B", "b2"}, {"/A/B/C", "c"}, {"A/D", "not-shown"}});
  EXPECT_THAT(Labels(At("A")), ElementsAre("B", "B"));
  const HTREEITEM second = tree.GetNextSiblingItem(tree.GetChildItem(At("A")));
  EXPECT_EQ(WizardRun::ItemId(tree, second), "b2");
  EXPECT_THAT(Labels(second), ElementsAre("C"));
  EXPECT_EQ(tree.GetCount(), 4);
}

TEST_F(NewsBoxTreeTest, KnownItemSelectsItsOwnNewsBox) {
  script.replies["DescribeNewsBox"] = portal_test::NewsBoxListReply({{"/A/B", "b"}, {"/A/C", "c"}});
  publisher = script.MakePublisher();
  portal_test::ConnectPublisher(*publisher);
  publisher->m_strNewsItemId = "item-7";
  publisher->m_strExistingNewsBoxId = "c";
  NewsBoxTree& state = NewsBoxTree::Of(*publisher);
  state.SetTreeControl(&tree);
  EXPECT_TRUE(state.FillNewsBoxTree(*publisher));
  EXPECT_EQ(tree.GetSelectedItem(), At("A/C"));
  EXPECT_EQ(tree.GetLastEnsuredVisible(), At("A/C"));
}

TEST_F(NewsBoxTreeTest, AFilledTreeIsKept) {
  NewsBoxTree& state = Fill({{"/A/B", "b"}});
  tree.SelectItem(At("A"));
  EXPECT_TRUE(state.FillNewsBoxTree(*publisher));
  EXPECT_EQ(tree.GetCount(), 2);
  EXPECT_EQ(tree.GetSelectedItem(), At("A"));
}

TEST_F(NewsBoxTreeTest, ImageListComesFromBitmap133WithWhiteTransparent) {
  NewsBoxTree& state = Fill({{"/A/B", "b"}});
  const CImageList* images = tree.GetImageList(TVSIL_NORMAL);
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images, state.GetImageList());
  EXPECT_EQ(images->GetImageCount(), 4);
  EXPECT_EQ(images->GetImageWidth(), 17);
  EXPECT_EQ(images->GetTransparentColor(), 0xFFFFFFu);
}

TEST_F(NewsBoxTreeTest, ClosingThePortalEmptiesTheTree) {
  Fill({{"/A/B", "b"}, {"/A/C", "c"}, {"/D/E/F", "f"}});
  EXPECT_EQ(tree.GetCount(), 6);
  publisher->ClosePortal();
  EXPECT_EQ(tree.GetCount(), 0);
  EXPECT_EQ(NewsBoxTree::Of(*publisher).FindNewsBoxItem("b"), nullptr);
  // A tree that holds nothing is filled again on the next visit.
  portal_test::ConnectPublisher(*publisher);
  EXPECT_TRUE(NewsBoxTree::Of(*publisher).FillNewsBoxTree(*publisher));
  EXPECT_EQ(tree.GetCount(), 6);
}

TEST_F(NewsBoxTreeTest, AListWithoutNewsBoxesFails) {
  publisher = script.MakePublisher();  // never connected: no list
  NewsBoxTree& state = NewsBoxTree::Of(*publisher);
  state.SetTreeControl(&tree);
  EXPECT_FALSE(state.FillNewsBoxTree(*publisher));
  EXPECT_EQ(tree.GetCount(), 0);
}

TEST_F(NewsBoxTreeTest, DeepPathsDoNotExhaustTheStack) {
  std::string deep;
  for (int level = 0; level < 20000; ++level) deep += "/L";
  Fill({{deep, "deep"}});
  EXPECT_EQ(tree.GetCount(), 20000);
  publisher->ClosePortal();
  EXPECT_EQ(tree.GetCount(), 0);
}

// The NewsBox page in a running wizard.
class NewsBoxPageTest : public WizardRun {};

TEST_F(NewsBoxPageTest, SelectingALevelEmptiesTheNewsBoxAndDisablesFinish) {
  driver.Next()
      .Do([](CPropertySheet& sheet) { EXPECT_TRUE(IsEnabled(sheet, ID_WIZFINISH)); })
      .SelectTreeItem(kTree, "Sales")
      .Do([](CPropertySheet& sheet) {
        EXPECT_FALSE(IsEnabled(sheet, ID_WIZFINISH));
        EXPECT_TRUE(IsChecked(sheet, kCreateNew));
      })
      .SelectTreeItem(kTree, "Finance")
      .Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(script.RequestsNamed("CreateNewsItem"),
              ElementsAre(::testing::HasSubstr("<ParentId>box-3</ParentId>")));
}

TEST_F(NewsBoxPageTest, SelectionAndChoiceSurviveGoingBackAndForth) {
  KnowItem("item-7", "Portal name", "", "box-2");
  driver.Next()
      .SelectTreeItem(kTree, "Finance")
      .Back()
      .Next()
      .Do([](CPropertySheet& sheet) {
        CTreeCtrl* tree = Tree(sheet);
        EXPECT_EQ(ItemId(*tree, tree->GetSelectedItem()), "box-3");
        EXPECT_TRUE(IsChecked(sheet, kCreateNew));
        EXPECT_FALSE(IsEnabled(sheet, kOverwrite));
        EXPECT_EQ(tree->GetCount(), 4);
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(script.RequestsNamed("DescribeNewsBox").size(), 1u);
}

// The page alone, with a publisher whose NewsBox list is empty.
TEST(NewsBoxPageAlone, AnEmptyListIsReportedAndThePageStaysUsable) {
  AttachLibraryResources();
  portal_test::PortalScript script;
  auto publisher = script.MakePublisher();
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  {
    CWizardPaneNewsBoxes page(*publisher);
    CWizardSheet sheet("Publish to Lumora");
    sheet.AddPage(&page);
    sheet.SetWizardMode();
    driver
        .Do([](CPropertySheet& running) {
          EXPECT_EQ(WizardRun::Tree(running)->GetCount(), 0);
          EXPECT_FALSE(WizardRun::IsEnabled(running, ID_WIZFINISH));
          EXPECT_TRUE(WizardRun::IsEnabled(running, ID_WIZBACK));
        })
        .Cancel();
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
  }
  ASSERT_EQ(driver.MessageBoxes().size(), 1u);
  EXPECT_EQ(driver.MessageBoxes()[0].text, kNoNewsBoxesText);
}

}  // namespace
}  // namespace wizard_test
