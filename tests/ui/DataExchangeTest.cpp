#include <gtest/gtest.h>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CStatic.h"

namespace {

constexpr unsigned kName = 1000;
constexpr unsigned kDescription = 1001;
constexpr unsigned kFilter = 19822;
constexpr unsigned kList = 19829;
constexpr unsigned kPage = 1014;
constexpr unsigned kSelected = 1015;
constexpr unsigned kEntire = 1027;
constexpr unsigned kPicture = 1010;

CDialogTemplate OptionsTemplate() {
  CDialogTemplate dialog(500, "Options", 267, 210);
  dialog.Add(kName, UiControlKind::Edit, "", 122, 45, 143, 12)
      .Add(kDescription, UiControlKind::Edit, "", 122, 77, 143, 135, ES_MULTILINE | ES_WANTRETURN)
      .Add(kPicture, UiControlKind::Picture, "", 0, 3, 115, 165, 0, 131)
      .Add(kFilter, UiControlKind::CheckBox, "&Dimension line filtering", 0, 23, 236, 10)
      .Add(kList, UiControlKind::CheckListBox, "", 12, 35, 195, 113, LBS_OWNERDRAWFIXED | LBS_HASSTRINGS)
      .Add(kPage, UiControlKind::RadioButton, "&Page layout view", 13, 28, 205, 10, WS_GROUP)
      .Add(kSelected, UiControlKind::RadioButton, "Selected &display(s)", 13, 41, 205, 10)
      .Add(kEntire, UiControlKind::RadioButton, "&Entire report", 13, 54, 54, 10)
      .Add(IDC_STATIC, UiControlKind::GroupBox, "Selected display printing options", 7, 77, 254, 96, WS_GROUP);
  return dialog;
}

class OptionsDialog : public CDialog {
 public:
  CString m_name = "Report";
  CString m_description = "line one\nline two";
  bool m_filter = true;
  int m_mode = 2;
  CCheckListBox m_list;

  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kList, m_list);
    DDX_Text(pDX, kName, m_name);
    DDX_Text(pDX, kDescription, m_description);
    DDX_Check(pDX, kFilter, m_filter);
    DDX_Radio(pDX, kPage, m_mode);
  }
};

class DataExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dialog.CreateIndirect(OptionsTemplate(), nullptr));
    m_dialog.ShowWindow(SW_SHOW);
    ASSERT_TRUE(m_dialog.OnInitDialog());
  }
  CButton* Button(unsigned id) { return dynamic_cast<CButton*>(m_dialog.GetDlgItem(id)); }

  OptionsDialog m_dialog;
};

TEST_F(DataExchangeTest, MembersReachTheControlsAndComeBack) {
  EXPECT_EQ("Report", m_dialog.GetDlgItemText(kName));
  EXPECT_EQ("line one\nline two", m_dialog.GetDlgItemText(kDescription));
  EXPECT_EQ(1, m_dialog.IsDlgButtonChecked(kFilter));
  EXPECT_EQ(kEntire, m_dialog.GetCheckedRadioButton(kPage, kEntire));

  auto* name = dynamic_cast<CEdit*>(m_dialog.GetDlgItem(kName));
  ASSERT_TRUE(name->UserSetText("New name\nsecond line dropped"));  // one-line field
  ASSERT_TRUE(Button(kFilter)->Click());
  ASSERT_TRUE(Button(kPage)->Click());
  ASSERT_TRUE(m_dialog.UpdateData(true));
  EXPECT_EQ("New name", m_dialog.m_name);
  EXPECT_FALSE(m_dialog.m_filter);
  EXPECT_EQ(0, m_dialog.m_mode);
  EXPECT_EQ(0, Button(kEntire)->GetCheck());  // the group holds one checked button

  m_dialog.m_mode = -1;  // writing -1 unchecks the whole group
  ASSERT_TRUE(m_dialog.UpdateData(false));
  EXPECT_EQ(0u, m_dialog.GetCheckedRadioButton(kPage, kEntire));
  ASSERT_TRUE(m_dialog.UpdateData(true));
  EXPECT_EQ(-1, m_dialog.m_mode);
}

TEST_F(DataExchangeTest, ControlBindingPutsTheMemberInPlace) {
  EXPECT_EQ(&m_dialog.m_list, m_dialog.GetDlgItem(kList));
  EXPECT_TRUE(m_dialog.m_list.IsWindow());
  EXPECT_EQ(&m_dialog, m_dialog.m_list.GetParent());
  EXPECT_EQ(CDialogTemplate::MapDialogRect(CRect::FromXYWH(12, 35, 195, 113)),
            [&] {
              CRect rect = m_dialog.m_list.GetWindowRect();
              m_dialog.ScreenToClient(&rect);
              return rect;
            }());
  m_dialog.m_list.AddString("Region");
  m_dialog.m_list.AddString("Region");
  ASSERT_TRUE(m_dialog.m_list.UserSetCheck(1, 1));
  EXPECT_EQ(0, m_dialog.m_list.GetCheck(0));
  EXPECT_EQ(1, m_dialog.m_list.GetCheck(1));
  EXPECT_EQ(LB_ERR, m_dialog.m_list.GetCheck(2));
  EXPECT_FALSE(m_dialog.m_list.UserSetCheck(2, 1));
  ASSERT_TRUE(m_dialog.UpdateData(true));  // a second binding does nothing
  EXPECT_EQ(&m_dialog.m_list, m_dialog.GetDlgItem(kList));
  m_dialog.m_list.EnableWindow(false);
  EXPECT_FALSE(m_dialog.m_list.UserSetCheck(0, 1));
  EXPECT_TRUE(m_dialog.m_list.SetCheck(0, 1));  // the program still may
}

TEST_F(DataExchangeTest, TemplateMakesTheRightControls) {
  auto* picture = dynamic_cast<CStatic*>(m_dialog.GetDlgItem(kPicture));
  ASSERT_NE(nullptr, picture);
  EXPECT_EQ(UiControlKind::Picture, picture->GetKind());
  EXPECT_EQ(131u, picture->GetBitmapId());
  EXPECT_TRUE(dynamic_cast<CEdit*>(m_dialog.GetDlgItem(kDescription))->IsMultiLine());
  EXPECT_EQ(3u, Button(kSelected)->GetRadioGroup().size());
  EXPECT_EQ(UiControlKind::GroupBox, m_dialog.GetDlgItem(IDC_STATIC)->GetKind());
}

TEST_F(DataExchangeTest, DisabledControlsKeepTheirStateAndRefuseClicks) {
  Button(kFilter)->EnableWindow(false);
  EXPECT_FALSE(Button(kFilter)->Click());
  EXPECT_EQ(1, Button(kFilter)->GetCheck());
  ASSERT_TRUE(m_dialog.UpdateData(true));
  EXPECT_TRUE(m_dialog.m_filter);
}

class WrongKinds : public CDialog {
 public:
  CString m_text;
  int m_check = 0;
  CEdit m_notAList;
  unsigned m_id = 0;
  int m_step = 0;
  void DoDataExchange(CDataExchange* pDX) override {
    if (m_step == 0) DDX_Check(pDX, kName, m_check);    // an edit is no check box
    if (m_step == 1) DDX_Text(pDX, 4242, m_text);       // no such control
    if (m_step == 2) DDX_Control(pDX, kList, m_notAList);
    if (m_step == 3) DDX_Radio(pDX, kFilter, m_check);  // a check box is no radio button
  }
};

TEST(DataExchangeFailureTest, MismatchesFailTheExchange) {
  const char* const expected[] = {"control 1000 is not a check box", "no control 4242",
                                  "control 19829 cannot be bound to this member",
                                  "control 19822 is not a radio button"};
  for (int step = 0; step < 4; ++step) {
    WrongKinds dialog;
    ASSERT_TRUE(dialog.CreateIndirect(OptionsTemplate(), nullptr));
    dialog.m_step = step;
    EXPECT_FALSE(dialog.UpdateData(true)) << step;
    EXPECT_EQ(expected[step], dialog.GetLastExchangeFailure()) << step;
  }
}

}  // namespace
