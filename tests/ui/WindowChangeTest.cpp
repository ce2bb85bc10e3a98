// The driver hears of every change of a window's state, so a driver that shows the
// windows can keep in step with the model.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CTreeCtrl.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/CUiDriver.h"

namespace {

class ChangeRecorder : public CHeadlessDriver {
 public:
  struct Event {
    const CWnd* window;
    UiChange change;
  };
  void WindowChanged(const CWnd& window, UiChange change) override { events.push_back({&window, change}); }
  int Count(const CWnd* window, UiChange change) const {
    int count = 0;
    for (const Event& event : events) count += (event.window == window && event.change == change) ? 1 : 0;
    return count;
  }
  std::vector<Event> events;
};

class WindowChangeTest : public ::testing::Test {
 protected:
  WindowChangeTest() : m_scope(m_recorder) {
    m_parent.Create(nullptr, 1, "parent", CRect(0, 0, 400, 300), WS_VISIBLE);
  }

  ChangeRecorder m_recorder;
  CUiDriverScope m_scope;
  CWnd m_parent;
};

TEST_F(WindowChangeTest, CreatingAndDestroyingAWindowIsTold) {
  CEdit edit;
  edit.Create(&m_parent, 1000, "", CRect(0, 0, 50, 12), WS_VISIBLE);
  EXPECT_EQ(m_recorder.Count(&edit, UiChange::Created), 1);
  edit.DestroyWindow();
  EXPECT_EQ(m_recorder.Count(&edit, UiChange::Destroyed), 1);
  edit.DestroyWindow();  // not a window any more: nothing to tell
  EXPECT_EQ(m_recorder.Count(&edit, UiChange::Destroyed), 1);
}

TEST_F(WindowChangeTest, EveryVisibleStateChangeIsTold) {
  struct Case {
    const char* what;
    UiControlKind kind;
    std::function<void(CWnd&)> change;
  };
  const std::vector<Case> cases = {
      {"text", UiControlKind::Edit, [](CWnd& w) { w.SetWindowText("typed"); }},
      {"disabling", UiControlKind::Edit, [](CWnd& w) { w.EnableWindow(false); }},
      {"hiding", UiControlKind::Edit, [](CWnd& w) { w.ShowWindow(SW_HIDE); }},
      {"moving", UiControlKind::Edit, [](CWnd& w) { w.MoveWindow(5, 5, 60, 12); }},
      {"style", UiControlKind::Edit, [](CWnd& w) { w.ModifyStyle(0, WS_GROUP); }},
      {"check", UiControlKind::CheckBox, [](CWnd& w) { dynamic_cast<CButton&>(w).SetCheck(1); }},
      {"click", UiControlKind::CheckBox, [](CWnd& w) { dynamic_cast<CButton&>(w).Click(); }},
      {"list item", UiControlKind::CheckListBox, [](CWnd& w) { dynamic_cast<CListBox&>(w).AddString("a"); }},
      {"list check",
       UiControlKind::CheckListBox,
       [](CWnd& w) {
         auto& list = dynamic_cast<CCheckListBox&>(w);
         list.AddString("a");
         list.SetCheck(0, 1);
       }},
      {"tree item", UiControlKind::TreeView, [](CWnd& w) { dynamic_cast<CTreeCtrl&>(w).InsertItem("A"); }},
      {"tree selection",
       UiControlKind::TreeView,
       [](CWnd& w) {
         auto& tree = dynamic_cast<CTreeCtrl&>(w);
         tree.SelectItem(tree.InsertItem("A"));
       }},
      {"picture", UiControlKind::Picture, [](CWnd& w) { dynamic_cast<CStatic&>(w).SetBitmapId(131); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<CWnd> window;
    switch (c.kind) {
      case UiControlKind::CheckBox: window = std::make_unique<CButton>(c.kind); break;
      case UiControlKind::CheckListBox: window = std::make_unique<CCheckListBox>(); break;
      case UiControlKind::TreeView: window = std::make_unique<CTreeCtrl>(); break;
      case UiControlKind::Picture: window = std::make_unique<CStatic>(c.kind); break;
      default: window = std::make_unique<CEdit>(); break;
    }
    window->Create(&m_parent, 1000, "", CRect(0, 0, 50, 12), WS_VISIBLE);
    m_recorder.events.clear();
    c.change(*window);
    EXPECT_GE(m_recorder.Count(window.get(), UiChange::Changed), 1);
  }
}

TEST_F(WindowChangeTest, ASettingThatChangesNothingIsNotTold) {
  CButton check(UiControlKind::CheckBox);
  check.Create(&m_parent, 1002, "&Agree", CRect(0, 0, 50, 10), WS_VISIBLE);
  m_recorder.events.clear();
  check.SetCheck(0);
  check.EnableWindow(true);
  check.ShowWindow(SW_SHOW);
  EXPECT_TRUE(m_recorder.events.empty());
}

TEST_F(WindowChangeTest, ARadioClickTellsEveryButtonOfTheGroupThatChanged) {
  CButton first(UiControlKind::RadioButton), second(UiControlKind::RadioButton);
  first.Create(&m_parent, 1028, "&Overwrite", CRect(0, 0, 50, 10), WS_VISIBLE | WS_GROUP);
  second.Create(&m_parent, 1029, "&Create", CRect(0, 12, 50, 22), WS_VISIBLE);
  first.SetCheck(1);
  m_recorder.events.clear();
  ASSERT_TRUE(second.Click());
  EXPECT_EQ(m_recorder.Count(&first, UiChange::Changed), 1);
  EXPECT_EQ(m_recorder.Count(&second, UiChange::Changed), 1);
}

TEST_F(WindowChangeTest, AReplacedControlIsToldDestroyedAndItsReplacementCreated) {
  auto plain = std::make_unique<CTreeCtrl>();
  CWnd* old = plain.get();
  plain->Create(&m_parent, 1006, "", CRect(0, 0, 50, 50), WS_VISIBLE);
  m_parent.AdoptChild(std::move(plain));
  CTreeCtrl replacement;
  ASSERT_TRUE(m_parent.ReplaceChild(old, replacement));
  EXPECT_EQ(m_recorder.Count(&replacement, UiChange::Created), 1);
  EXPECT_EQ(m_recorder.Count(old, UiChange::Destroyed), 1);
  replacement.DestroyWindow();
}

}  // namespace
