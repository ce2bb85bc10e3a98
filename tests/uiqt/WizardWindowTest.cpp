// The wizard in a real window: key presses and mouse clicks on the Qt widgets go into the
// model, and what the model changes shows in the widgets.

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CPropertyPage.h"

namespace window_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wizard_test::kPublishedText;
using wizard_test::kPublishFailedText;

constexpr unsigned kName = 1000, kDescription = 1001, kPicture = 1010, kTree = 1006, kOverwrite = 1028,
                   kCreateNew = 1029;
constexpr unsigned kFiltering = 19822, kLines = 19829, kSelectAll = 19830, kClearAll = 19831, kZeros = 19825;
constexpr unsigned kPageLayout = 1014, kSelectedDisplays = 1015, kEntireReport = 1027;
constexpr unsigned kAxes = 1017, kSummaryRow = 1018, kSummaryColumn = 1019, kTitle = 1020, kLegend = 1022,
                   kFontSubstitution = 1025;

class WizardWindowTest : public WindowRun {
 protected:
  WizardWindowTest() {
    for (const char* key : {"k1", "k2", "k3"}) lineKeys.Add(key);
    for (const char* name : {"Region", "Product", "Channel"}) lineNames.Add(name);
  }

  std::string ModelText(unsigned id) const { return Sheet().FindControl(id)->GetWindowText().str(); }
  bool ModelEnabled(unsigned id) const { return IsEnabled(Sheet(), id); }
  bool ModelChecked(unsigned id) const { return IsChecked(Sheet(), id); }
  std::string SelectedBoxId() const {
    CTreeCtrl* tree = Tree(Sheet());
    return tree && tree->GetSelectedItem() ? ItemId(*tree, tree->GetSelectedItem()) : std::string();
  }
  std::string PageCaption() const { return Sheet().GetActivePage()->GetCaption().str(); }

  // The page as a person sees it: saved as a picture, and no text cut off.
  void ExpectPageShownWhole(const QString& screenshotName) {
    QDialog* dialog = qt.SheetDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_GT(SaveScreenshot(*dialog, screenshotName), 0) << screenshotName.toStdString();
    EXPECT_TRUE(ClippedTexts(*dialog).isEmpty()) << ClippedTexts(*dialog).join("\n").toStdString();
  }
};

TEST_F(WizardWindowTest, PublishesThroughAllFourPagesWithKeysAndClicks) {
  options.m_bDimensionLineFiltering = 1;
  options.m_filterableLines.AddTail("k1");
  saveMessageBoxScreenshot = true;
  const unsigned char result = RunInWindow([&] {
    // Welcome: the default name, the picture, Back off, Finish off until there is a box.
    EXPECT_EQ(qt.SheetDialog()->windowTitle(), "Publish to Lumora");
    EXPECT_EQ(PageCaption(), "Publish to Lumora Wizard - Welcome");
    EXPECT_EQ(qobject_cast<QLineEdit*>(Widget(kName))->text(), "Sales Report");
    ASSERT_NE(qobject_cast<QLabel*>(Widget(kPicture)), nullptr);
    EXPECT_FALSE(qobject_cast<QLabel*>(Widget(kPicture))->pixmap().isNull());
    EXPECT_FALSE(SheetButton(ID_WIZBACK)->isEnabled());
    EXPECT_TRUE(SheetButton(ID_WIZNEXT)->isEnabled());
    EXPECT_FALSE(SheetButton(ID_WIZFINISH)->isEnabled());
    EXPECT_EQ(SheetButton(ID_WIZNEXT)->text(), "&Next >");
    EXPECT_EQ(SheetButton(ID_WIZFINISH)->text(), "&Finish");
    EXPECT_FALSE(SheetButton(IDHELP)->isVisible());
    ExpectPageShownWhole("page-1-welcome");

    ReplaceText(kName, "Quarterly sales");
    EXPECT_EQ(ModelText(kName), "Quarterly sales");
    ReplaceText(kDescription, "First line\nSecond line");
    EXPECT_EQ(ModelText(kDescription), "First line\nSecond line");

    // NewsBoxes: the first box is chosen at once; a click on another box moves the model.
    PressSheetButton(ID_WIZNEXT);
    EXPECT_EQ(PageCaption(), "Publish to Lumora Wizard - NewsBoxes");
    auto* tree = qobject_cast<QTreeWidget*>(Widget(kTree));
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(SelectedBoxId(), "box-1");
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "Europe");
    EXPECT_FALSE(tree->currentItem()->icon(0).isNull());
    EXPECT_TRUE(SheetButton(ID_WIZFINISH)->isEnabled());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Widget(kCreateNew))->isChecked());
    EXPECT_FALSE(Widget(kOverwrite)->isEnabled());
    ExpectPageShownWhole("page-2-newsboxes");
    ClickTreeItem({"Sales", "Asia"});
    EXPECT_EQ(SelectedBoxId(), "box-2");

    // Report prompts: filtering is on, so the list is usable; a line is taken off.
    PressSheetButton(ID_WIZNEXT);
    EXPECT_EQ(PageCaption(), "Publish to Lumora Wizard - Report Prompts");
    auto* lines = qobject_cast<QListWidget*>(Widget(kLines));
    ASSERT_NE(lines, nullptr);
    ASSERT_EQ(lines->count(), 3);
    EXPECT_EQ(lines->item(0)->checkState(), Qt::Checked);
    EXPECT_TRUE(lines->isEnabled());
    ExpectPageShownWhole("page-3-prompts");
    Click(Widget(kSelectAll));
    EXPECT_EQ(LineList(Sheet())->GetCheck(2), 1);
    EXPECT_EQ(lines->item(2)->checkState(), Qt::Checked);
    ToggleListItem(kLines, 1);
    EXPECT_EQ(LineList(Sheet())->GetCheck(1), 0);
    Click(Widget(kZeros));
    EXPECT_TRUE(ModelChecked(kZeros));

    // PDF options: the last page; the page layout view is chosen.
    PressSheetButton(ID_WIZNEXT);
    EXPECT_EQ(PageCaption(), "Publish to Lumora Wizard - PDF Options");
    EXPECT_FALSE(SheetButton(ID_WIZNEXT)->isEnabled());
    ExpectPageShownWhole("page-4-pdf");
    Click(Widget(kPageLayout));
    EXPECT_TRUE(ModelChecked(kPageLayout));
    EXPECT_FALSE(ModelChecked(kEntireReport));
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Widget(kEntireReport))->isChecked());
    PressSheetButton(ID_WIZFINISH);
  });

  EXPECT_EQ(result, 1);
  EXPECT_THAT(shownBoxes, ElementsAre(kPublishedText));
  EXPECT_GT(messageBoxScreenshotSize, 0);
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<Name>Quarterly sales</Name><ParentId>box-2</ParentId>"));
  EXPECT_THAT(created[0], HasSubstr("<Description>First line\nSecond line</Description>"));
  EXPECT_EQ(newsItemId, "item-new");
  EXPECT_EQ(pdfWord & 0x1Cu, 0x4u);
  EXPECT_EQ(options.m_bZeroSuppression, 1);
  ASSERT_EQ(options.m_filterableLines.GetCount(), 2);
  EXPECT_EQ(options.m_filterableLines.GetHead(), "k1");
  EXPECT_EQ(options.m_filterableLines.GetTail(), "k3");
  EXPECT_TRUE(PortalClosed());
}

TEST_F(WizardWindowTest, CancelButtonEndsTheRunWithoutPublishing) {
  const unsigned char result = RunInWindow([&] {
    ReplaceText(kName, "Never published");
    PressSheetButton(ID_WIZNEXT);
    PressSheetButton(IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(shownBoxes.empty());
  EXPECT_TRUE(script.RequestsNamed("CreateNewsItem").empty());
  EXPECT_TRUE(script.publishCalls.empty());
  EXPECT_EQ(newsItemId, "");
  EXPECT_TRUE(PortalClosed());
}

TEST_F(WizardWindowTest, EscapeClosesTheWindowAsCancel) {
  const unsigned char result = RunInWindow([&] { QTest::keyClick(qt.SheetDialog(), Qt::Key_Escape); });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(script.publishCalls.empty());
}

TEST_F(WizardWindowTest, BackAndNextKeepTheChosenNewsBox) {
  const unsigned char result = RunInWindow([&] {
    PressSheetButton(ID_WIZNEXT);
    ClickTreeItem({"Finance"});
    EXPECT_EQ(SelectedBoxId(), "box-3");
    PressSheetButton(ID_WIZNEXT);
    PressSheetButton(ID_WIZBACK);
    EXPECT_EQ(PageCaption(), "Publish to Lumora Wizard - NewsBoxes");
    EXPECT_EQ(SelectedBoxId(), "box-3");
    auto* tree = qobject_cast<QTreeWidget*>(Widget(kTree));
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "Finance");
    EXPECT_EQ(tree->topLevelItemCount(), 2);  // filled once, not again
    // Opening and closing a level in the window opens and closes it in the model.
    HTREEITEM sales = Tree(Sheet())->FindItemByPath("Sales");
    ASSERT_NE(sales, nullptr);
    EXPECT_TRUE(Tree(Sheet())->IsExpanded(sales));
    tree->collapseItem(TreeItem({"Sales"}));
    EXPECT_FALSE(Tree(Sheet())->IsExpanded(sales));
    tree->expandItem(TreeItem({"Sales"}));
    EXPECT_TRUE(Tree(Sheet())->IsExpanded(sales));
    PressSheetButton(ID_WIZBACK);
    PressSheetButton(ID_WIZNEXT);
    EXPECT_EQ(SelectedBoxId(), "box-3");
    PressSheetButton(ID_WIZFINISH);
  });
  EXPECT_EQ(result, 1);
  const auto created = script.RequestsNamed("CreateNewsItem");
  ASSERT_EQ(created.size(), 1u);
  EXPECT_THAT(created[0], HasSubstr("<ParentId>box-3</ParentId>"));
}

TEST_F(WizardWindowTest, AFailingFinishShowsTheErrorAndKeepsTheWizardOpen) {
  script.publishResult = 7;
  const unsigned char result = RunInWindow([&] {
    PressSheetButton(ID_WIZNEXT);
    PressSheetButton(ID_WIZFINISH);  // the message box is answered while the click runs
    EXPECT_THAT(shownBoxes, ElementsAre(kPublishFailedText));
    EXPECT_TRUE(Sheet().IsRunning());
    EXPECT_TRUE(qt.SheetDialog()->isVisible());
    EXPECT_EQ(PageCaption(), "Publish to Lumora Wizard - NewsBoxes");
    EXPECT_TRUE(SheetButton(ID_WIZFINISH)->isEnabled());
    PressSheetButton(IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(script.RequestsNamed("DeleteNewsItem").size(), 1u);
  EXPECT_EQ(newsItemId, "");
}

TEST_F(WizardWindowTest, ModelChangesShowAtOnceInTheWidgets) {
  KnowItem("item-7", "Portal name", "Portal description", "box-2");
  options.m_bDimensionLineFiltering = 1;
  const unsigned char result = RunInWindow([&] {
    EXPECT_EQ(qobject_cast<QLineEdit*>(Widget(kName))->text(), "Portal name");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(Widget(kDescription))->toPlainText(), "Portal description");
    EXPECT_TRUE(SheetButton(ID_WIZFINISH)->isEnabled());
    PressSheetButton(ID_WIZNEXT);
    // The item's own box: Overwrite offered and chosen.
    EXPECT_TRUE(Widget(kOverwrite)->isEnabled());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Widget(kOverwrite))->isChecked());
    // Another box: the model takes Overwrite away, and the window shows it.
    ClickTreeItem({"Finance"});
    EXPECT_FALSE(ModelEnabled(kOverwrite));
    EXPECT_FALSE(Widget(kOverwrite)->isEnabled());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Widget(kCreateNew))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Widget(kOverwrite))->isChecked());
    ClickTreeItem({"Sales", "Asia"});
    EXPECT_TRUE(Widget(kOverwrite)->isEnabled());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Widget(kOverwrite))->isChecked());
    // Clicking the checked radio button again leaves it checked, as the model says.
    Click(Widget(kOverwrite));
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Widget(kOverwrite))->isChecked());
    // Prompt page: turning filtering off unchecks and disables the whole list.
    PressSheetButton(ID_WIZNEXT);
    Click(Widget(kFiltering));
    auto* lines = qobject_cast<QListWidget*>(Widget(kLines));
    ASSERT_NE(lines, nullptr);
    EXPECT_FALSE(lines->isEnabled());
    Click(Widget(kFiltering));
    EXPECT_TRUE(lines->isEnabled());
    for (int i = 0; i < lines->count(); ++i) EXPECT_EQ(lines->item(i)->checkState(), Qt::Checked) << i;
    Click(Widget(kClearAll));
    for (int i = 0; i < lines->count(); ++i) EXPECT_EQ(lines->item(i)->checkState(), Qt::Unchecked) << i;
    PressSheetButton(IDCANCEL);
  });
  EXPECT_EQ(result, 0);
}

TEST_F(WizardWindowTest, PdfPageEnablesItsOptionsByTheDisplayKindAndThePrintChoice) {
  displayKind = 2;
  pdfWord = 1u << 4;  // entire report
  const unsigned char result = RunInWindow([&] {
    for (int i = 0; i < 3; ++i) PressSheetButton(ID_WIZNEXT);
    ASSERT_EQ(PageCaption(), "Publish to Lumora Wizard - PDF Options");
    struct Expectation {
      unsigned id;
      bool entireReport;
      bool pageLayout;
    };
    const std::vector<Expectation> table = {
        {kAxes, false, false},        {kSummaryRow, false, false}, {kSummaryColumn, false, false},
        {kTitle, true, false},        {kLegend, true, false},      {kFontSubstitution, true, true},
    };
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Widget(kEntireReport))->isChecked());
    EXPECT_FALSE(Widget(kSelectedDisplays)->isEnabled());
    for (const Expectation& row : table) {
      EXPECT_EQ(Widget(row.id)->isEnabled(), row.entireReport) << row.id;
      EXPECT_EQ(ModelEnabled(row.id), row.entireReport) << row.id;
    }
    Click(Widget(kPageLayout));
    for (const Expectation& row : table) {
      EXPECT_EQ(Widget(row.id)->isEnabled(), row.pageLayout) << row.id;
      EXPECT_EQ(ModelEnabled(row.id), row.pageLayout) << row.id;
    }
    Click(Widget(kSelectedDisplays));  // disabled: nothing changes
    EXPECT_TRUE(ModelChecked(kPageLayout));
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Widget(kSelectedDisplays))->isChecked());
    PressSheetButton(ID_WIZBACK);  // stores the word
    PressSheetButton(IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(pdfWord & 0x1Cu, 0x4u);
}

TEST_F(WizardWindowTest, MnemonicLettersMoveTheFocusAndF1AsksForHelp) {
  const unsigned char result = RunInWindow([&] {
    QDialog* dialog = qt.SheetDialog();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    QTest::keyClick(dialog, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Widget(kDescription));
    QTest::keyClick(dialog, Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Widget(kName));
    // F1 on the name field: the help window names the file, the topic and the field.
    QTimer::singleShot(0, [] {
      QWidget* help = QApplication::activeModalWidget();
      ASSERT_NE(help, nullptr);
      EXPECT_EQ(help->objectName(), "help");
      auto* box = qobject_cast<QMessageBox*>(help);
      ASSERT_NE(box, nullptr);
      EXPECT_THAT(box->text().toStdString(), HasSubstr("Topic: 132072"));
      EXPECT_THAT(box->text().toStdString(), HasSubstr("About: NewsItem name"));
      box->accept();
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    Click(SheetButton(IDCANCEL));
  });
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace window_test
