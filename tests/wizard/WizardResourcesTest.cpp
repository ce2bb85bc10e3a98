// The wizard's resources as the framework finds them: the page templates, the welcome
// picture and the strip of tree images.

#include <ostream>
#include <map>
#include <set>
#include <string>

#include "WizardTestSupport.h"
#include "platform/ui/CImageList.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CResourceChain.h"
#include "platform/ui/CStatic.h"
#include "portal/wizard/WizardResources.h"

namespace wizard_test {
namespace {

struct TemplateCase {
  unsigned id;
  const char* title;
  int width, height;
  size_t controls;
};

void PrintTo(const TemplateCase& c, std::ostream* out) { *out << "dialog " << c.id; }

class WizardTemplateTest : public ::testing::TestWithParam<TemplateCase> {
 protected:
  WizardTemplateTest() { AttachLibraryResources(); }
};

TEST_P(WizardTemplateTest, IsFoundThroughTheResourceChain) {
  const TemplateCase& c = GetParam();
  const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(c.id);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->title, c.title);
  EXPECT_EQ(dialog->width, c.width);
  EXPECT_EQ(dialog->height, c.height);
  EXPECT_EQ(dialog->items.size(), c.controls);
  EXPECT_EQ(dialog->fontName, "MS Sans Serif");
  EXPECT_EQ(dialog->pointSize, 8);
}

INSTANTIATE_TEST_SUITE_P(Pages, WizardTemplateTest,
                         ::testing::Values(TemplateCase{129, "Publish to Lumora Wizard - Welcome", 266, 214, 6},
                                           TemplateCase{130, "Publish to Lumora Wizard - NewsBoxes", 267, 214, 5},
                                           TemplateCase{132, "Publish to Lumora Wizard - Report Prompts", 267, 210, 9},
                                           TemplateCase{134, "Publish to Lumora Wizard - PDF Options", 267, 191, 13}));

// Every control of the four page templates, in creation order, as the pages are drawn.
struct ControlRow {
  unsigned dialog;
  unsigned id;
  UiControlKind kind;
  const char* text;
  int x, y, w, h;
  unsigned styles;  // styles the control must have (others may be set too)
};

constexpr unsigned S = IDC_STATIC;
using K = UiControlKind;

const ControlRow kControls[] = {
    {129, S, K::Static, "News&Item name:", 122, 35, 78, 8, 0},
    {129, 1000, K::Edit, "", 122, 45, 143, 12, ES_AUTOHSCROLL},
    {129, S, K::Static, "&Description:", 122, 67, 38, 8, 0},
    {129, 1001, K::Edit, "", 122, 77, 143, 135, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL},
    {129, 1010, K::Picture, "", 0, 3, 115, 165, 0},
    {129, S, K::Static, "This wizard will help you publish your document to Lumora.", 122, 3, 121, 24, 0},

    {130, S, K::Static, "Where do you want the NewsItem to appear?", 0, 0, 265, 8, 0},
    {130, S, K::Static, "&Available NewsBoxes:", 0, 17, 245, 8, 0},
    {130, 1006, K::TreeView, "", 0, 27, 265, 158,
     TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP},
    {130, 1028, K::RadioButton, "&Overwrite the existing NewsItem", 0, 190, 265, 10, WS_GROUP},
    {130, 1029, K::RadioButton, "&Create a new NewsItem", 0, 204, 227, 10, 0},

    {132, S, K::Static, "Which items do you want the report consumer to be able to change?", 0, 0, 236, 16, 0},
    {132, 19822, K::CheckBox, "&Dimension line filtering", 0, 23, 236, 10, 0},
    {132, 19829, K::CheckListBox, "", 12, 35, 195, 113,
     LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_DISABLENOSCROLL},
    {132, 19830, K::PushButton, "Selec&t All", 215, 35, 50, 14, 0},
    {132, 19831, K::PushButton, "Clear &All", 215, 53, 50, 14, 0},
    {132, 19825, K::CheckBox, "&Zero suppression", 0, 158, 236, 10, 0},
    {132, 19826, K::CheckBox, "&Swap rows and columns", 0, 172, 236, 10, 0},
    {132, 19823, K::CheckBox, "&Currency", 0, 186, 236, 10, 0},
    {132, 19824, K::CheckBox, "&Long/Short category names", 0, 200, 236, 10, 0},

    {134, S, K::Static, "Which PDF options do you want?", 7, 0, 260, 8, 0},
    {134, S, K::GroupBox, "Print", 7, 17, 254, 52, 0},
    {134, 1014, K::RadioButton, "&Page layout view", 13, 28, 205, 10, WS_GROUP},
    {134, 1015, K::RadioButton, "Selected &display(s)", 13, 41, 205, 10, 0},
    {134, 1027, K::RadioButton, "&Entire report", 13, 54, 54, 10, 0},
    {134, S, K::GroupBox, "Selected display printing options", 7, 77, 254, 96, 0},
    {134, 1017, K::CheckBox, "A&xes and labels on all pages", 13, 88, 205, 10, 0},
    {134, 1018, K::CheckBox, "Summary &row on all pages", 13, 102, 205, 10, 0},
    {134, 1019, K::CheckBox, "Summary &column on all pages", 13, 116, 204, 10, 0},
    {134, 1020, K::CheckBox, "Display &title on all pages", 13, 131, 204, 10, 0},
    {134, 1022, K::CheckBox, "I&nclude the legend", 13, 145, 204, 10, 0},
    {134, 1025, K::CheckBox, "Use font &substitution", 13, 159, 246, 10, 0},
    {134, S, K::Static, "Click Finish to publish your document.", 7, 181, 213, 8, 0},
};

TEST(WizardTemplateControls, EveryControlHasItsIdKindTextAndRectangle) {
  AttachLibraryResources();
  std::map<unsigned, size_t> next;  // the index of the next control per dialog
  for (const ControlRow& row : kControls) {
    const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(row.dialog);
    ASSERT_NE(dialog, nullptr) << row.dialog;
    const size_t index = next[row.dialog]++;
    ASSERT_LT(index, dialog->items.size()) << "dialog " << row.dialog;
    const CDialogItem& item = dialog->items[index];
    const std::string where = "dialog " + std::to_string(row.dialog) + " control " + std::to_string(index);
    EXPECT_EQ(item.id, row.id) << where;
    EXPECT_EQ(item.kind, row.kind) << where;
    EXPECT_EQ(item.text, row.text) << where;
    EXPECT_EQ(item.rect, CRect(row.x, row.y, row.x + row.w, row.y + row.h)) << where;
    EXPECT_EQ(item.style & row.styles, row.styles) << where;
  }
  for (const auto& [dialog, count] : next) {
    EXPECT_EQ(CResourceChain::FindDialogTemplate(dialog)->items.size(), count) << "dialog " << dialog;
  }
  EXPECT_EQ(CResourceChain::FindDialogTemplate(129)->FindItem(1010)->resourceId, 131u);
  // A single-line name, and a list that keeps the host's order.
  EXPECT_EQ(CResourceChain::FindDialogTemplate(129)->FindItem(1000)->style & ES_MULTILINE, 0u);
  EXPECT_EQ(CResourceChain::FindDialogTemplate(132)->FindItem(19829)->style & LBS_SORT, 0u);
}

TEST_F(WizardRun, PagesAreMadeFromTheirTemplates) {
  driver
      .Do([](CPropertySheet& sheet) {
        auto* picture = dynamic_cast<CStatic*>(sheet.FindControl(1010));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->GetKind(), UiControlKind::Picture);
        EXPECT_EQ(picture->GetBitmapId(), 131u);
        EXPECT_EQ(sheet.GetActivePage()->GetCaption(), "Publish to Lumora Wizard - Welcome");
        EXPECT_NE(sheet.FindControl(1001)->GetStyle() & ES_MULTILINE, 0u);
        EXPECT_EQ(sheet.FindControl(1000)->GetStyle() & ES_MULTILINE, 0u);
      })
      .Next()
      .Do([](CPropertySheet& sheet) {
        EXPECT_EQ(sheet.GetActivePage()->GetCaption(), "Publish to Lumora Wizard - NewsBoxes");
        EXPECT_EQ(Control(sheet, 1028)->GetWindowText(), "&Overwrite the existing NewsItem");
        EXPECT_EQ(Control(sheet, 1029)->GetWindowText(), "&Create a new NewsItem");
      })
      .Cancel();
  EXPECT_EQ(Run(), 0);
}

int DistinctColours(const CBitmapResource& bitmap) {
  std::set<std::uint32_t> colours(bitmap.GetPixels().begin(), bitmap.GetPixels().end());
  return static_cast<int>(colours.size());
}

TEST(WizardBitmaps, WelcomePictureIs173By330In256Colours) {
  AttachLibraryResources();
  const CBitmapResource* picture = CResourceChain::FindBitmap(131);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetWidth(), 173);
  EXPECT_EQ(picture->GetHeight(), 330);
  EXPECT_EQ(picture->GetColorCount(), 256);
  EXPECT_LE(DistinctColours(*picture), 256);
  EXPECT_GT(DistinctColours(*picture), 16);
}

TEST(WizardBitmaps, TreeImagesAreFourImagesIn16ColoursOverWhite) {
  AttachLibraryResources();
  const CBitmapResource* strip = CResourceChain::FindBitmap(133);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->GetWidth(), 68);
  EXPECT_EQ(strip->GetHeight(), 16);
  EXPECT_EQ(strip->GetColorCount(), 16);
  EXPECT_LE(DistinctColours(*strip), 16);

  CImageList images;
  ASSERT_TRUE(images.Create(133, 17, 0, 0xFFFFFF));
  ASSERT_EQ(images.GetImageCount(), 4);
  // Every image draws something and leaves a transparent border; the folder level and the
  // NewsBox differ.
  bool differs = false;
  for (int index = 0; index < 4; ++index) {
    int drawn = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 17; ++x) {
        if (!images.IsTransparent(index, x, y)) ++drawn;
        if (index == 1 && images.GetPixel(1, x, y) != images.GetPixel(3, x, y)) differs = true;
      }
    }
    EXPECT_GT(drawn, 40) << "image " << index;
    EXPECT_TRUE(images.IsTransparent(index, 0, 0)) << "image " << index;
  }
  EXPECT_TRUE(differs);
}

}  // namespace
}  // namespace wizard_test
