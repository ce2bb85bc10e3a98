// The wizard's resources as the framework finds them: the page templates, the welcome
// picture and the strip of tree images.

#include <ostream>
#include <set>

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
