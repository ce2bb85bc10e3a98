#include "portal/wizard/WizardResources.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ui/CResourceModule.h"

namespace brindle::wizard {
namespace {

using Kind = UiControlKind;

}  // namespace

CDialogTemplate WelcomePageTemplate() {
  CDialogTemplate dialog(IDD_WIZARD_WELCOME, "Publish to Lumora Wizard - Welcome", 266, 214);
  dialog.Add(IDC_STATIC, Kind::Static, "News&Item name:", 122, 35, 78, 8)
      .Add(IDC_NEWSITEM_NAME, Kind::Edit, "", 122, 45, 143, 12, ES_AUTOHSCROLL | WS_TABSTOP)
      .Add(IDC_STATIC, Kind::Static, "&Description:", 122, 67, 38, 8)
      .Add(IDC_DESCRIPTION, Kind::Edit, "", 122, 77, 143, 135,
           ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP)
      .Add(IDC_WELCOME_PICTURE, Kind::Picture, "", 0, 3, 115, 165, 0, IDB_WIZARD_WELCOME)
      .Add(IDC_STATIC, Kind::Static, "This wizard will help you publish your document to Lumora.", 122,
           3, 121, 24);
  return dialog;
}

CDialogTemplate NewsBoxPageTemplate() {
  CDialogTemplate dialog(IDD_WIZARD_NEWSBOXES, "Publish to Lumora Wizard - NewsBoxes", 267, 214);
  dialog.Add(IDC_STATIC, Kind::Static, "Where do you want the NewsItem to appear?", 0, 0, 265, 8)
      .Add(IDC_STATIC, Kind::Static, "&Available NewsBoxes:", 0, 17, 245, 8)
      .Add(IDC_NEWSBOX_TREE, Kind::TreeView, "", 0, 27, 265, 158,
           TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP |
               WS_TABSTOP)
      .Add(IDC_OVERWRITE, Kind::RadioButton, "&Overwrite the existing NewsItem", 0, 190, 265, 10,
           WS_GROUP | WS_TABSTOP)
      .Add(IDC_CREATE_NEW, Kind::RadioButton, "&Create a new NewsItem", 0, 204, 227, 10);
  return dialog;
}

CDialogTemplate PromptPageTemplate() {
  CDialogTemplate dialog(IDD_WIZARD_PROMPTS, "Publish to Lumora Wizard - Report Prompts", 267, 210);
  dialog
      .Add(IDC_STATIC, Kind::Static, "Which items do you want the report consumer to be able to change?",
           0, 0, 236, 16)
      .Add(IDC_DIMENSION_FILTERING, Kind::CheckBox, "&Dimension line filtering", 0, 23, 236, 10,
           WS_TABSTOP)
      .Add(IDC_DIMENSION_LINES, Kind::CheckListBox, "", 12, 35, 195, 113,
           LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_EXTENDEDSEL | LBS_DISABLENOSCROLL | WS_VSCROLL |
               WS_TABSTOP)
      .Add(IDC_SELECT_ALL, Kind::PushButton, "Selec&t All", 215, 35, 50, 14, WS_TABSTOP)
      .Add(IDC_CLEAR_ALL, Kind::PushButton, "Clear &All", 215, 53, 50, 14, WS_TABSTOP)
      .Add(IDC_ZERO_SUPPRESSION, Kind::CheckBox, "&Zero suppression", 0, 158, 236, 10, WS_TABSTOP)
      .Add(IDC_SWAP, Kind::CheckBox, "&Swap rows and columns", 0, 172, 236, 10, WS_TABSTOP)
      .Add(IDC_CURRENCY, Kind::CheckBox, "&Currency", 0, 186, 236, 10, WS_TABSTOP)
      .Add(IDC_LONG_SHORT_NAMES, Kind::CheckBox, "&Long/Short category names", 0, 200, 236, 10,
           WS_TABSTOP);
  return dialog;
}

CDialogTemplate PdfPageTemplate() {
  CDialogTemplate dialog(IDD_WIZARD_PDF, "Publish to Lumora Wizard - PDF Options", 267, 191);
  dialog.Add(IDC_STATIC, Kind::Static, "Which PDF options do you want?", 7, 0, 260, 8)
      .Add(IDC_STATIC, Kind::GroupBox, "Print", 7, 17, 254, 52)
      .Add(IDC_PAGE_LAYOUT, Kind::RadioButton, "&Page layout view", 13, 28, 205, 10, WS_GROUP | WS_TABSTOP)
      .Add(IDC_SELECTED_DISPLAYS, Kind::RadioButton, "Selected &display(s)", 13, 41, 205, 10)
      .Add(IDC_ENTIRE_REPORT, Kind::RadioButton, "&Entire report", 13, 54, 54, 10)
      .Add(IDC_STATIC, Kind::GroupBox, "Selected display printing options", 7, 77, 254, 96, WS_GROUP)
      .Add(IDC_AXES, Kind::CheckBox, "A&xes and labels on all pages", 13, 88, 205, 10, WS_TABSTOP)
      .Add(IDC_SUMMARY_ROW, Kind::CheckBox, "Summary &row on all pages", 13, 102, 205, 10, WS_TABSTOP)
      .Add(IDC_SUMMARY_COLUMN, Kind::CheckBox, "Summary &column on all pages", 13, 116, 204, 10, WS_TABSTOP)
      .Add(IDC_TITLE, Kind::CheckBox, "Display &title on all pages", 13, 131, 204, 10, WS_TABSTOP)
      .Add(IDC_LEGEND, Kind::CheckBox, "I&nclude the legend", 13, 145, 204, 10, WS_TABSTOP)
      .Add(IDC_FONT_SUBSTITUTION, Kind::CheckBox, "Use font &substitution", 13, 159, 246, 10, WS_TABSTOP)
      .Add(IDC_STATIC, Kind::Static, "Click Finish to publish your document.", 7, 181, 213, 8);
  return dialog;
}

namespace {

// The sixteen colours of the tree images.
constexpr std::uint32_t kBlack = 0x000000, kMaroon = 0x800000, kOlive = 0x808000, kNavy = 0x000080,
                        kSilver = 0xC0C0C0, kGray = 0x808080, kRed = 0xFF0000, kYellow = 0xFFFF00,
                        kBlue = 0x0000FF, kWhite = 0xFFFFFF;

std::uint32_t ImageColour(char code) {
  switch (code) {
    case 'k': return kBlack;
    case 'm': return kMaroon;
    case 'o': return kOlive;
    case 'n': return kNavy;
    case 's': return kSilver;
    case 'g': return kGray;
    case 'r': return kRed;
    case 'y': return kYellow;
    case 'b': return kBlue;
    default: return kWhite;  // '.' and anything else: transparent
  }
}

// Each image is 17 x 16; '.' is white, which the image list treats as transparent.
constexpr std::string_view kDocumentImage[16] = {
    ".................", "...kkkkkkkk......", "...ksssssskk.....", "...ksssssskgk....",
    "...ksgggssskkk...", "...ksssssssssk...", "...ksggggggssk...", "...ksssssssssk...",
    "...ksggggggssk...", "...ksssssssssk...", "...ksggggggssk...", "...ksssssssssk...",
    "...ksggggggssk...", "...ksssssssssk...", "...kkkkkkkkkkk...", ".................",
};
constexpr std::string_view kFolderImage[16] = {
    ".................", ".................", "..kkkkk..........", ".kyyyyyk.........",
    ".kyyyyyykkkkkkk..", ".kyyyyyyyyyyyyok.", ".kyyyyyyyyyyyyok.", ".kyyyyyyyyyyyyok.",
    ".kyyyyyyyyyyyyok.", ".kyyyyyyyyyyyyok.", ".kyyyyyyyyyyyyok.", ".kyyyyyyyyyyyyok.",
    ".kooooooooooooook", "..kkkkkkkkkkkkkk.", ".................", ".................",
};
constexpr std::string_view kOpenFolderImage[16] = {
    ".................", ".................", "..kkkkk..........", ".kyyyyyk.........",
    ".kyyyyyykkkkkk...", ".kyyyyyyyyyyyok..", ".kyykkkkkkkkkkkk.", ".kykyyyyyyyyyyyk.",
    ".kkyyyyyyyyyyyok.", ".kkyyyyyyyyyyok..", ".kyyyyyyyyyyyok..", ".kyyyyyyyyyyok...",
    ".kooooooooooook..", "..kkkkkkkkkkkk...", ".................", ".................",
};
constexpr std::string_view kNewsBoxImage[16] = {
    ".................", ".nnnnnnnnnnnnnnn.", ".nbbbbbbbbbbbbbn.", ".nbsssssssssssbn.",
    ".nbsrrrrrrrrrsbn.", ".nbsssssssssssbn.", ".nbskkkskkkkksbn.", ".nbskkkssssssbn..",
    ".nbskkkskkkkksbn.", ".nbsssssssssssbn.", ".nbskkkkkkkkksbn.", ".nbsssssssssssbn.",
    ".nbskkkkkkkkksbn.", ".nbbbbbbbbbbbbbn.", ".nnnnnnnnnnnnnnn.", ".................",
};

void DrawImage(CBitmapResource& strip, int index, const std::string_view (&rows)[16]) {
  const int left = index * kNewsBoxImageWidth;
  for (int y = 0; y < 16; ++y) {
    const std::string_view row = rows[y];
    for (int x = 0; x < kNewsBoxImageWidth && x < static_cast<int>(row.size()); ++x) {
      strip.SetPixel(left + x, y, ImageColour(row[static_cast<size_t>(x)]));
    }
  }
}

std::uint32_t Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
  return (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

// A shade of the welcome picture's background: 192 steps from deep blue to teal.
std::uint32_t BackgroundShade(int step) { return Rgb(0, 32 + step / 2, 96 + step * 3 / 4); }

void DrawDocument(CBitmapResource& picture, int left, int top) {
  picture.FillRect(left + 6, top + 6, 84, 108, Rgb(0, 16, 48));  // shadow
  picture.FillRect(left, top, 84, 108, kWhite);
  picture.FillRect(left + 10, top + 12, 50, 6, kNavy);  // heading
  for (int line = 0; line < 7; ++line) {
    picture.FillRect(left + 10, top + 28 + line * 10, line % 3 == 2 ? 40 : 64, 3, kSilver);
  }
  // A small bar chart at the foot of the page.
  static constexpr int kBars[] = {14, 24, 18, 30};
  for (int bar = 0; bar < 4; ++bar) {
    picture.FillRect(left + 12 + bar * 16, top + 100 - kBars[bar], 10, kBars[bar],
                     bar % 2 == 0 ? kRed : kYellow);
  }
}

void DrawGlobe(CBitmapResource& picture, int centreX, int centreY, int radius) {
  for (int y = -radius; y <= radius; ++y) {
    for (int x = -radius; x <= radius; ++x) {
      const int distance2 = x * x + y * y;
      if (distance2 > radius * radius) continue;
      const bool meridian = std::abs(x) % 12 == 0 || std::abs(y) % 12 == 0;
      const std::uint32_t colour = meridian ? Rgb(224, 240, 255) : Rgb(32, 144, 64 + (y + radius) / 4 * 8);
      picture.SetPixel(centreX + x, centreY + y, colour);
    }
  }
}

}  // namespace

CBitmapResource WelcomeBitmap() {
  constexpr int kWidth = 173, kHeight = 330;
  CBitmapResource picture(kWidth, kHeight, 256);
  for (int y = 0; y < kHeight; ++y) {
    picture.FillRect(0, y, kWidth, 1, BackgroundShade(y * 191 / (kHeight - 1)));
  }
  DrawDocument(picture, 24, 40);
  DrawGlobe(picture, 112, 210, 40);
  // An arrow from the document to the globe: the report going to the portal.
  for (int step = 0; step < 40; ++step) picture.FillRect(70 + step / 2, 160 + step, 4, 2, kYellow);
  return picture;
}

CBitmapResource NewsBoxImagesBitmap() {
  CBitmapResource strip(kNewsBoxImageWidth * kNewsBoxImageCount, 16, 16, kWhite);
  DrawImage(strip, 0, kDocumentImage);
  DrawImage(strip, kImagePathLevel, kFolderImage);
  DrawImage(strip, 2, kOpenFolderImage);
  DrawImage(strip, kImageNewsBox, kNewsBoxImage);
  return strip;
}

void AddWizardResources(CResourceModule& module) {
  module.AddDialogTemplate(WelcomePageTemplate());
  module.AddDialogTemplate(NewsBoxPageTemplate());
  module.AddDialogTemplate(PromptPageTemplate());
  module.AddDialogTemplate(PdfPageTemplate());
  module.AddBitmap(IDB_WIZARD_WELCOME, WelcomeBitmap());
  module.AddBitmap(IDB_NEWSBOX_IMAGES, NewsBoxImagesBitmap());
}

}  // namespace brindle::wizard
