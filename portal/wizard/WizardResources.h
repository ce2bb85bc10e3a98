#pragma once
// The wizard's resources: the four page templates, the welcome picture and the strip of
// tree images. The library's extension module adds them to its resources when it is
// loaded, so pages and the image list find them through the resource chain.

#include "platform/ui/CBitmapResource.h"
#include "platform/ui/CDialogTemplate.h"

class CResourceModule;

namespace brindle::wizard {

// Dialog templates.
constexpr unsigned IDD_WIZARD_WELCOME = 129;
constexpr unsigned IDD_WIZARD_NEWSBOXES = 130;
constexpr unsigned IDD_WIZARD_PROMPTS = 132;
constexpr unsigned IDD_WIZARD_PDF = 134;
// Bitmaps.
constexpr unsigned IDB_WIZARD_WELCOME = 131;
constexpr unsigned IDB_NEWSBOX_IMAGES = 133;

// Controls of the welcome page.
constexpr unsigned IDC_NEWSITEM_NAME = 1000;
constexpr unsigned IDC_DESCRIPTION = 1001;
constexpr unsigned IDC_WELCOME_PICTURE = 1010;
// Controls of the NewsBox page.
constexpr unsigned IDC_NEWSBOX_TREE = 1006;
constexpr unsigned IDC_OVERWRITE = 1028;
constexpr unsigned IDC_CREATE_NEW = 1029;
// Controls of the prompt page.
constexpr unsigned IDC_DIMENSION_FILTERING = 19822;
constexpr unsigned IDC_CURRENCY = 19823;
constexpr unsigned IDC_LONG_SHORT_NAMES = 19824;
constexpr unsigned IDC_ZERO_SUPPRESSION = 19825;
constexpr unsigned IDC_SWAP = 19826;
constexpr unsigned IDC_DIMENSION_LINES = 19829;
constexpr unsigned IDC_SELECT_ALL = 19830;
constexpr unsigned IDC_CLEAR_ALL = 19831;
// Controls of the PDF page.
constexpr unsigned IDC_PAGE_LAYOUT = 1014;
constexpr unsigned IDC_SELECTED_DISPLAYS = 1015;
constexpr unsigned IDC_ENTIRE_REPORT = 1027;
constexpr unsigned IDC_AXES = 1017;
constexpr unsigned IDC_SUMMARY_ROW = 1018;
constexpr unsigned IDC_SUMMARY_COLUMN = 1019;
constexpr unsigned IDC_TITLE = 1020;
constexpr unsigned IDC_LEGEND = 1022;
constexpr unsigned IDC_FONT_SUBSTITUTION = 1025;

// Images of the NewsBox strip, each kNewsBoxImageWidth pixels wide.
constexpr int kNewsBoxImageWidth = 17;
constexpr int kNewsBoxImageCount = 4;
constexpr int kImagePathLevel = 1;
constexpr int kImageNewsBox = 3;

CDialogTemplate WelcomePageTemplate();
CDialogTemplate NewsBoxPageTemplate();
CDialogTemplate PromptPageTemplate();
CDialogTemplate PdfPageTemplate();

// 173 x 330 pixels in at most 256 colours.
CBitmapResource WelcomeBitmap();
// 68 x 16 pixels in at most 16 colours: a document, a folder level, an open folder and a
// NewsBox, 17 pixels each; white is the transparent colour.
CBitmapResource NewsBoxImagesBitmap();

// Adds the four templates and the two bitmaps to `module`.
void AddWizardResources(CResourceModule& module);

}  // namespace brindle::wizard
