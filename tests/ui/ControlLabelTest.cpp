// What a person calls a control: its caption, or the label before it, without "&" marks.
#include "platform/ui/CControlLabel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/ui/CButton.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CTreeCtrl.h"

namespace {

TEST(ControlLabelTest, MnemonicMarksAreTakenOutAndTheirLetterFound) {
  struct Case {
    const char* text;
    const char* shown;
    char letter;
  };
  const std::vector<Case> cases = {
      {"News&Item name:", "NewsItem name:", 'I'},
      {"&Next >", "Next >", 'N'},
      {"Salt && &Pepper", "Salt & Pepper", 'P'},
      {"Fish && Chips", "Fish & Chips", 0},
      {"Trailing &", "Trailing ", 0},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(CControlLabel::StripMnemonics(c.text), c.shown);
    EXPECT_EQ(CControlLabel::Mnemonic(c.text), c.letter);
  }
}

TEST(ControlLabelTest, AFieldIsNamedByTheLabelRightBeforeIt) {
  CWnd page;
  page.Create(nullptr, 1, "page", CRect(0, 0, 400, 300), WS_VISIBLE);
  auto add = [&page](std::unique_ptr<CWnd> control, unsigned id, const char* text) {
    control->Create(nullptr, id, text, CRect(0, 0, 10, 10), WS_VISIBLE);
    return page.AdoptChild(std::move(control));
  };
  add(std::make_unique<CStatic>(), IDC_STATIC, "News&Item name:");
  CWnd* name = add(std::make_unique<CEdit>(), 1000, "");
  CWnd* agree = add(std::make_unique<CButton>(UiControlKind::CheckBox), 1002, "&Agree");
  CWnd* unlabelled = add(std::make_unique<CTreeCtrl>(), 1006, "");  // a focusable control is before it
  add(std::make_unique<CStatic>(), IDC_STATIC, "&Description:");
  add(std::make_unique<CStatic>(UiControlKind::Picture), 1010, "");
  CWnd* notes = add(std::make_unique<CEdit>(), 1001, "");

  EXPECT_EQ(CControlLabel::NameOf(*name), "NewsItem name");
  EXPECT_EQ(CControlLabel::NameOf(*agree), "Agree");
  EXPECT_EQ(CControlLabel::LabelOf(*agree), agree);
  EXPECT_EQ(CControlLabel::LabelOf(*unlabelled), nullptr);
  EXPECT_EQ(CControlLabel::NameOf(*unlabelled), "");
  EXPECT_EQ(CControlLabel::NameOf(*notes), "Description");  // a picture between does not part them
}

}  // namespace
