#include <gtest/gtest.h>

#include "platform/ui/CExtensionModule.h"
#include "platform/ui/CImageList.h"
#include "platform/ui/CMessageBox.h"
#include "platform/ui/CResourceChain.h"
#include "platform/ui/CResourceModule.h"
#include "platform/ui/CScriptedDriver.h"
#include "platform/ui/CUiApp.h"

namespace {

TEST(ResourceChainTest, LookupWalksApplicationThenNewestExtensionFirst) {
  CResourceModule app("host");
  app.AddString(1, "host one");
  CExtensionModule older("older");
  older.Resources().AddString(1, "older one");
  older.Resources().AddString(2, "older two");
  older.Resources().AddString(3, "older three");
  CExtensionModule newer("newer");
  newer.Resources().AddString(2, "newer two");

  ASSERT_TRUE(older.Init());
  ASSERT_TRUE(newer.Init());
  EXPECT_FALSE(newer.Init());  // once only
  CResourceChain::SetApplicationModule(&app);

  struct Case {
    unsigned id;
    const char* expected;
  } const cases[] = {{1, "host one"}, {2, "newer two"}, {3, "older three"}};
  for (const Case& c : cases) {
    CString text;
    EXPECT_TRUE(text.LoadString(c.id)) << c.id;
    EXPECT_EQ(c.expected, text) << c.id;
  }
  CString untouched("keep");
  EXPECT_FALSE(untouched.LoadString(4));
  EXPECT_EQ("keep", untouched);

  newer.Term();
  EXPECT_EQ("older two", CResourceChain::GetString(2));
  CResourceChain::SetApplicationModule(nullptr);
  EXPECT_EQ("older one", CResourceChain::GetString(1));
  older.Term();
  EXPECT_EQ("", CResourceChain::GetString(1));
}

TEST(ResourceChainTest, ModuleLeavesTheChainWhenDestroyed) {
  const CResourceModule* resources = nullptr;
  {
    CExtensionModule module("scoped");
    module.Resources().AddString(77, "scoped text");
    module.Init();
    resources = &module.Resources();
    EXPECT_TRUE(CResourceChain::IsAttached(resources));
    EXPECT_EQ("scoped text", CResourceChain::GetString(77));
  }
  EXPECT_FALSE(CResourceChain::IsAttached(resources));
  EXPECT_EQ("", CResourceChain::GetString(77));
}

TEST(ResourceChainTest, TemplatesAndBitmapsComeThroughTheChain) {
  CExtensionModule module("pictures");
  CBitmapResource strip(68, 16, 16, 0xFFFFFF);
  strip.FillRect(17, 0, 17, 16, 0x808000);  // image 1 painted, the rest white
  module.Resources().AddBitmap(133, strip);
  module.Resources().AddDialogTemplate(CDialogTemplate(129, "Welcome", 266, 214));
  module.Init();

  const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(129);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("Welcome", dialog->title);
  EXPECT_EQ(nullptr, CResourceChain::FindDialogTemplate(130));

  CImageList images;
  ASSERT_TRUE(images.Create(133, 17, 0, 0xFFFFFF));
  EXPECT_EQ(4, images.GetImageCount());
  EXPECT_EQ(16, images.GetImageHeight());
  EXPECT_TRUE(images.IsTransparent(0, 3, 3));
  EXPECT_FALSE(images.IsTransparent(1, 3, 3));
  EXPECT_EQ(0x808000u, images.GetPixel(1, 16, 15));
  EXPECT_EQ(0u, images.GetPixel(4, 0, 0));  // outside the strip
  EXPECT_FALSE(images.Create(133, 17, 0, 0xFFFFFF));  // made already

  CImageList missing;
  EXPECT_FALSE(missing.Create(999, 17, 0, CLR_NONE));
  EXPECT_FALSE(missing.Create(strip, 0, 0, CLR_NONE));
  EXPECT_FALSE(missing.Create(strip, 69, 0, CLR_NONE));
}

TEST(MessageBoxTest, GoesToTheDriverWithCaptionAndType) {
  CScriptedDriver driver;
  CUiDriverScope scope(driver);
  CExtensionModule module("messages");
  module.Resources().AddString(2000, "A NewsItem was successfully published or updated.");
  module.Init();

  EXPECT_EQ(IDOK, CMessageBox::Show("plain"));
  driver.AnswerMessageBox(IDNO);
  EXPECT_EQ(IDNO, CMessageBox::Show("Sure?", MB_YESNO | MB_ICONQUESTION, "Question"));
  EXPECT_EQ(IDOK, CMessageBox::ShowString(2000));
  driver.AnswerMessageBox(IDYES);  // not a button of MB_OKCANCEL: the close answer
  EXPECT_EQ(IDCANCEL, CMessageBox::Show("Go on?", MB_OKCANCEL));

  const auto& boxes = driver.MessageBoxes();
  ASSERT_EQ(4u, boxes.size());
  EXPECT_EQ("plain", boxes[0].text);
  EXPECT_EQ(CUiApp::GetAppName(), boxes[0].caption);
  EXPECT_EQ(MB_OK, boxes[0].type);
  EXPECT_EQ("Question", boxes[1].caption);
  EXPECT_EQ(MB_YESNO | MB_ICONQUESTION, boxes[1].type);
  EXPECT_EQ("A NewsItem was successfully published or updated.", boxes[2].text);
}

TEST(MessageBoxTest, DefaultAndCloseAnswersFollowTheButtons) {
  struct Case {
    unsigned type;
    int defaultAnswer;
    int closeAnswer;
  } const cases[] = {
      {MB_OK, IDOK, IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL, IDCANCEL},
      {MB_YESNO, IDYES, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL, IDCANCEL},
      {MB_YESNO | MB_DEFBUTTON3, IDYES, IDNO},  // no third button: the first
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY, IDRETRY},
  };
  for (const Case& c : cases) {
    CMessageBoxRequest request;
    request.type = c.type;
    EXPECT_EQ(c.defaultAnswer, request.DefaultAnswer()) << c.type;
    EXPECT_EQ(c.closeAnswer, request.CloseAnswer()) << c.type;
  }
}

TEST(MessageBoxTest, SettingNoDriverRestoresTheHeadlessOne) {
  CScriptedDriver driver;
  CUiDriver* before = CUiApp::SetDriver(&driver);
  EXPECT_EQ(&driver, &CUiApp::GetDriver());
  CUiApp::SetDriver(nullptr);
  EXPECT_NE(nullptr, dynamic_cast<CHeadlessDriver*>(&CUiApp::GetDriver()));
  CUiApp::SetDriver(before);
}

}  // namespace
