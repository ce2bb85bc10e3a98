// The prompt and PDF option pages: the PDF options word read and written back, which
// check boxes the display kind and the print mode allow, and the prompt list.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "WizardTestSupport.h"

namespace wizard_test {
namespace {

using ::testing::ElementsAre;

constexpr unsigned kPageLayout = 1014, kSelectedDisplays = 1015, kEntireReport = 1027;
constexpr unsigned kAxes = 1017, kSummaryRow = 1018, kSummaryColumn = 1019, kTitle = 1020, kLegend = 1022,
                   kFontSubstitution = 1025;
constexpr unsigned kFiltering = 19822, kCurrency = 19823, kNames = 19824, kLines = 19829, kSelectAll = 19830,
                   kClearAll = 19831;

std::vector<std::string> LineTexts(CCheckListBox& list) {
  std::vector<std::string> texts;
  for (int i = 0; i < list.GetCount(); ++i) texts.push_back(list.GetText(i).str());
  return texts;
}

std::vector<int> LineChecks(CCheckListBox& list) {
  std::vector<int> checks;
  for (int i = 0; i < list.GetCount(); ++i) checks.push_back(list.GetCheck(i));
  return checks;
}

std::vector<std::string> Lines(const CStringList& list) {
  std::vector<std::string> lines;
  for (const CString& line : list) lines.push_back(line.str());
  return lines;
}

// --- The PDF options word ---------------------------------------------------------------

struct WordCase {
  const char* what;
  std::uint32_t in;
  int displayKind;
  std::vector<unsigned> clicks;  // on the PDF page, before Back
  std::uint32_t out;
};

void PrintTo(const WordCase& c, std::ostream* out) { *out << c.what; }

class PdfWordTest : public WizardRun, public ::testing::WithParamInterface<WordCase> {};

TEST_P(PdfWordTest, BackWritesTheHostsWord) {
  const WordCase& c = GetParam();
  pdfWord = c.in;
  displayKind = c.displayKind;
  driver.Next().Next().Next();
  for (unsigned id : c.clicks) driver.Click(id);
  driver.Back().Cancel();

  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(driver.Refusals().empty()) << driver.Refusals().front();
  // Written at Back although the wizard was cancelled afterwards.
  EXPECT_EQ(pdfWord, c.out) << c.what << std::hex << ": got 0x" << pdfWord;
}

INSTANTIATE_TEST_SUITE_P(
    Words, PdfWordTest,
    ::testing::Values(WordCase{"bit 11 is dropped beside bit 10", 0xC00, 0, {}, 0x400},
                      WordCase{"bit 11 alone passes", 0x800, 0, {}, 0x800},
                      WordCase{"bit 12 without 18 is cleared", 0x1000, 0, {}, 0x0},
                      WordCase{"bit 12 with 18 passes", 0x41000, 0, {}, 0x41000},
                      WordCase{"bits 20 to 31 are cleared, 0 and 1 kept", 0xFFF00003, 0, {}, 0x3},
                      WordCase{"host bits pass", 0x2000 | 0x4000 | 0x8000 | 0x10000 | 0x20000, 0, {},
                               0x3E000},
                      WordCase{"every defined bit, disabled boxes keep theirs", 0xFFFFF, 2, {}, 0xFF7FF},
                      WordCase{"page layout chosen", 0x10, 0, {kPageLayout}, 0x4},
                      WordCase{"entire report chosen", 0x4, 0, {kEntireReport}, 0x10},
                      WordCase{"two modes kept until one is chosen", 0x14, 0, {}, 0x14},
                      WordCase{"axes checked", 0x10, 7, {kAxes}, 0x30},
                      WordCase{"font substitution unchecked", 0x80010, 0, {kFontSubstitution}, 0x10},
                      WordCase{"checked box stays checked when disabled", 0x30, 2, {kPageLayout}, 0x24}));

TEST_F(WizardRun, FinishOnThePdfPageWritesTheWord) {
  pdfWord = 0xC10 | 0x100000;
  driver.Next().Next().Next().Click(kPageLayout).Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(pdfWord, 0x404u);
}

TEST_F(WizardRun, PagesNotVisitedLeaveTheWordAlone) {
  pdfWord = 0xC10 | 0x100000;
  driver.Next().Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(pdfWord, 0xC10u | 0x100000u);
}

// --- Which check boxes may be used ------------------------------------------------------

struct Enabled {
  bool axes, legend, summaryRow, summaryColumn, title;
};

// The enabling table's rows 0 to 9, with both summary bits set in the word.
const Enabled kRows[10] = {
    {true, false, true, true, false},  {true, false, false, false, false}, {false, true, false, false, true},
    {false, true, false, false, true}, {false, false, false, false, true}, {true, false, true, true, true},
    {true, false, false, false, true}, {true, true, true, true, true},     {true, true, false, false, true},
    {false, false, false, false, false},
};

void ExpectEnabled(CPropertySheet& sheet, const Enabled& expected, const std::string& what) {
  EXPECT_EQ(WizardRun::IsEnabled(sheet, kAxes), expected.axes) << what;
  EXPECT_EQ(WizardRun::IsEnabled(sheet, kLegend), expected.legend) << what;
  EXPECT_EQ(WizardRun::IsEnabled(sheet, kSummaryRow), expected.summaryRow) << what;
  EXPECT_EQ(WizardRun::IsEnabled(sheet, kSummaryColumn), expected.summaryColumn) << what;
  EXPECT_EQ(WizardRun::IsEnabled(sheet, kTitle), expected.title) << what;
  EXPECT_TRUE(WizardRun::IsEnabled(sheet, kFontSubstitution)) << what;
  EXPECT_FALSE(WizardRun::IsEnabled(sheet, kSelectedDisplays)) << what;
}

struct KindCase {
  int displayKind;
  int row;  // of the table; kinds outside 0 to 8 use row 9
};

void PrintTo(const KindCase& c, std::ostream* out) { *out << "display kind " << c.displayKind; }

class EnablingTableTest : public WizardRun, public ::testing::WithParamInterface<KindCase> {};

TEST_P(EnablingTableTest, EntireReportUsesTheKindsRowAndPageLayoutEnablesNothing) {
  const KindCase& c = GetParam();
  displayKind = c.displayKind;
  pdfWord = 0x10 | 0x10000 | 0x20000;
  const std::string what = "display kind " + std::to_string(c.displayKind);
  driver.Next().Next().Next()
      .Do([&](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kEntireReport));
        ExpectEnabled(sheet, kRows[c.row], what + ", entire report");
      })
      .Click(kPageLayout)
      .Do([&](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kPageLayout));
        EXPECT_FALSE(IsChecked(sheet, kEntireReport));
        ExpectEnabled(sheet, kRows[9], what + ", page layout");
      })
      .Click(kEntireReport)
      .Do([&](CPropertySheet& sheet) { ExpectEnabled(sheet, kRows[c.row], what + ", entire report again"); })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EnablingTableTest,
                         ::testing::Values(KindCase{0, 0}, KindCase{1, 1}, KindCase{2, 2}, KindCase{3, 3},
                                           KindCase{4, 4}, KindCase{5, 5}, KindCase{6, 6}, KindCase{7, 7},
                                           KindCase{8, 8}, KindCase{9, 9}, KindCase{-1, 9}, KindCase{1000, 9}));

TEST_F(WizardRun, SummaryBoxesNeedTheirBits) {
  pdfWord = 0x10 | 0x10000;  // entire report, summary row allowed, column not
  displayKind = 7;
  driver.Next().Next().Next()
      .Do([](CPropertySheet& sheet) {
        ExpectEnabled(sheet, {true, true, true, false, true}, "row allowed");
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

TEST_F(WizardRun, PageLayoutInTheWordOpensInPageLayoutMode) {
  pdfWord = 0x4 | 0x10 | 0x10000 | 0x20000;
  displayKind = 7;
  driver.Next().Next().Next()
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kPageLayout));
        ExpectEnabled(sheet, kRows[9], "page layout");
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

TEST_F(WizardRun, SelectedDisplaysWithBit15EnableAxesLegendAndTitle) {
  pdfWord = 0x8 | 0x8000;
  displayKind = 4;  // its row allows only the title
  driver.Next().Next().Next()
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kSelectedDisplays));
        ExpectEnabled(sheet, {true, true, false, false, true}, "bits 3 and 15");
      })
      .Click(kEntireReport)
      .Do([](CPropertySheet& sheet) {
        EXPECT_FALSE(IsChecked(sheet, kSelectedDisplays));
        ExpectEnabled(sheet, kRows[4], "entire report");
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

TEST_F(WizardRun, SelectedDisplaysWithBit14AllowSummariesByTheirBits) {
  pdfWord = 0x8 | 0x8000 | 0x4000 | 0x20000;
  displayKind = 1000;
  driver.Next().Next().Next()
      .Do([](CPropertySheet& sheet) {
        ExpectEnabled(sheet, {true, true, false, true, true}, "bits 3, 14, 15 and 17");
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

TEST_F(WizardRun, SelectedDisplaysWithoutBit15UseTheKindsRow) {
  pdfWord = 0x8 | 0x10000 | 0x20000;
  displayKind = 0;
  driver.Next().Next().Next()
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(IsChecked(sheet, kSelectedDisplays));
        ExpectEnabled(sheet, kRows[0], "bit 3 alone");
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

// --- The prompt page --------------------------------------------------------------------

class PromptPageTest : public WizardRun {
 protected:
  PromptPageTest() {
    for (const char* key : {"k1", "k2", "k3"}) lineKeys.Add(key);
    for (const char* name : {"Region", "Product", "Region"}) lineNames.Add(name);
  }
};

TEST_F(PromptPageTest, ChecksComeFromTheRecordAndDuplicateNamesStayApart) {
  options.m_bDimensionLineFiltering = 1;
  options.m_filterableLines.AddTail("k3");
  options.m_filterableLines.AddTail("not-a-line");
  driver.Next().Next()
      .Do([](CPropertySheet& sheet) {
        CCheckListBox* list = LineList(sheet);
        ASSERT_NE(list, nullptr);
        EXPECT_THAT(LineTexts(*list), ElementsAre("Region", "Product", "Region"));
        EXPECT_THAT(LineChecks(*list), ElementsAre(0, 0, 1));
        EXPECT_TRUE(list->IsWindowEnabled());
      })
      .CheckItem(kLines, 0)
      .Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(Lines(options.m_filterableLines), ElementsAre("k1", "k3"));
  EXPECT_EQ(options.m_bDimensionLineFiltering, 1);
}

TEST_F(PromptPageTest, SelectAllAndClearAllWorkOnlyWithFilteringOn) {
  driver.Next().Next()
      .Do([](CPropertySheet& sheet) { EXPECT_FALSE(LineList(sheet)->IsWindowEnabled()); })
      .Click(kSelectAll)
      .Do([](CPropertySheet& sheet) { EXPECT_THAT(LineChecks(*LineList(sheet)), ElementsAre(0, 0, 0)); })
      .Click(kFiltering)
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(LineList(sheet)->IsWindowEnabled());
        EXPECT_THAT(LineChecks(*LineList(sheet)), ElementsAre(1, 1, 1));
      })
      .Click(kClearAll)
      .Do([](CPropertySheet& sheet) { EXPECT_THAT(LineChecks(*LineList(sheet)), ElementsAre(0, 0, 0)); })
      .Click(kSelectAll)
      .Do([](CPropertySheet& sheet) { EXPECT_THAT(LineChecks(*LineList(sheet)), ElementsAre(1, 1, 1)); })
      .CheckItem(kLines, 1, false)
      .Next()  // leaving the page rebuilds the run's list
      .Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_THAT(Lines(options.m_filterableLines), ElementsAre("k1", "k3"));
  EXPECT_EQ(options.m_bDimensionLineFiltering, 1);
}

TEST_F(PromptPageTest, TurningFilteringOffUnchecksEveryLine) {
  options.m_bDimensionLineFiltering = 1;
  options.m_filterableLines.AddTail("k1");
  options.m_filterableLines.AddTail("k2");
  driver.Next().Next()
      .Click(kFiltering)
      .Do([](CPropertySheet& sheet) {
        EXPECT_FALSE(LineList(sheet)->IsWindowEnabled());
        EXPECT_THAT(LineChecks(*LineList(sheet)), ElementsAre(0, 0, 0));
      })
      .Back()
      .Next()
      .Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(options.m_filterableLines.IsEmpty());
  EXPECT_EQ(options.m_bDimensionLineFiltering, 0);
}

TEST_F(PromptPageTest, UnavailableSwitchesAreDisabledButKeepTheirValues) {
  pdfWord = 0x3;
  options.m_bCurrency = 1;
  options.m_bLongShortNames = 1;
  options.m_bZeroSuppression = 1;
  options.m_nExtra = 99;
  driver.Next().Next()
      .Do([](CPropertySheet& sheet) {
        EXPECT_FALSE(IsEnabled(sheet, kCurrency));
        EXPECT_TRUE(IsChecked(sheet, kCurrency));
        EXPECT_FALSE(IsEnabled(sheet, kNames));
        EXPECT_TRUE(IsChecked(sheet, kNames));
        EXPECT_TRUE(IsEnabled(sheet, 19825));
      })
      .Click(19825)
      .Click(19826)
      .Finish();
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(options.m_bCurrency, 1);
  EXPECT_EQ(options.m_bLongShortNames, 1);
  EXPECT_EQ(options.m_bZeroSuppression, 0);
  EXPECT_EQ(options.m_bSwap, 1);
  EXPECT_EQ(options.m_nExtra, 99);
}

TEST_F(PromptPageTest, OnlyBitsZeroAndOneDisableTheSwitches) {
  pdfWord = 0xFFFFFFFC;
  driver.Next().Next()
      .Do([](CPropertySheet& sheet) {
        EXPECT_TRUE(IsEnabled(sheet, kCurrency));
        EXPECT_TRUE(IsEnabled(sheet, kNames));
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

}  // namespace
}  // namespace wizard_test
