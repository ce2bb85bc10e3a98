// Message boxes of the windowed driver: the buttons and the icon asked for, and the answer of
// the button the person clicks.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "platform/ui/CMessageBox.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/qt/CQtDriver.h"

namespace {

TEST(MessageBoxWindowTest, ShowsTheAskedButtonsAndIconAndAnswersTheClickedOne) {
  struct Case {
    unsigned type;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton click;  // NoButton: close the box with Escape
    int answer;
  };
  const std::vector<Case> cases = {
      {MB_OK, {QMessageBox::Ok}, QMessageBox::NoIcon, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL | MB_ICONWARNING, {QMessageBox::Ok, QMessageBox::Cancel}, QMessageBox::Warning,
       QMessageBox::Cancel, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::Question, QMessageBox::Yes,
       IDYES},
      {MB_YESNO | MB_ICONQUESTION, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::Question,
       QMessageBox::NoButton, IDNO},
      {MB_RETRYCANCEL | MB_ICONERROR, {QMessageBox::Retry, QMessageBox::Cancel}, QMessageBox::Critical,
       QMessageBox::Retry, IDRETRY},
      {MB_YESNOCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2,
       {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, QMessageBox::Information, QMessageBox::NoButton,
       IDCANCEL},
  };
  CQtDriver qt;
  CUiDriverScope scope(qt);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->windowTitle(), "Question time");
      EXPECT_EQ(box->text(), "Replace the report?");
      EXPECT_EQ(box->icon(), c.icon);
      EXPECT_EQ(box->buttons().size(), static_cast<int>(c.buttons.size()));
      for (QMessageBox::StandardButton button : c.buttons) EXPECT_NE(box->button(button), nullptr) << button;
      if (c.click == QMessageBox::NoButton) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        QTest::mouseClick(box->button(c.click), Qt::LeftButton);
      }
    });
    EXPECT_EQ(CMessageBox::Show("Replace the report?", c.type, "Question time"), c.answer);
    EXPECT_TRUE(seen);
  }
}

}  // namespace
