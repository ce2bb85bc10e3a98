// The logon dialog of libTessaron.so in a window: the host's driver is the windowed one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "WindowTestSupport.h"
#include "platform/DynamicLibrary.h"
#include "platform/external/Tessaron.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/qt/CQtDriver.h"

namespace window_test {
namespace {

// What the person does with the logon window the n-th time it shows.
using WindowStep = std::function<void(QWidget& logon)>;

int32_t LogOnInWindow(const std::vector<WindowStep>& steps, int& windowsShown) {
  platform::DynamicLibrary tessaron("Tessaron.dll");
  auto logon = tessaron.function<SN_CommonLogonEx_fn>(SN_COMMON_LOGON_EX_NAME);
  if (!logon) return 99;
  CQtDriver qt;
  CUiDriverScope scope(qt);
  windowsShown = 0;
  QTimer watcher;
  QPointer<QWidget> handled;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* window = QApplication::activeModalWidget();
    if (!window || window->objectName() != "logon" || window == handled || !window->isVisible()) return;
    handled = window;
    const size_t step = static_cast<size_t>(windowsShown++);
    if (step < steps.size()) {
      steps[step](*window);
    } else {
      window->close();
    }
  });
  watcher.start(20);
  char buffer[SN_TICKET_BUFFER_SIZE] = {};
  SN_TicketDescriptor descriptor{SN_TICKET_DESCRIPTOR_KIND, 0, SN_TICKET_BUFFER_SIZE, buffer};
  SN_HANDLE handle = 0;
  uint32_t words[3] = {};
  return logon(&handle, SN_API_VERSION, SN_CLIENT_FLAGS, SN_INIT_OPTIONS, "Brindle", 1, 0, 0, &words[0], &words[2],
               &words[1], nullptr, &descriptor);
}

void Type(QWidget& logon, const char* field, const QString& text) {
  auto* edit = logon.findChild<QLineEdit*>(field);
  ASSERT_NE(edit, nullptr) << field;
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void Press(QWidget& logon, const char* button) {
  auto* push = logon.findChild<QPushButton*>(button);
  ASSERT_NE(push, nullptr) << button;
  QTest::mouseClick(push, Qt::LeftButton);
}

TEST(LogonWindowTest, AsksInAWindowWithThePasswordMaskedAndAgainAfterARefusal) {
  int shown = 0;
  const int32_t result = LogOnInWindow(
      {[](QWidget& logon) {
         auto* password = logon.findChild<QLineEdit*>("password");
         ASSERT_NE(password, nullptr);
         EXPECT_EQ(password->echoMode(), QLineEdit::Password);
         EXPECT_EQ(logon.findChild<QLabel*>("message"), nullptr);
         Type(logon, "user", "demo");
         Type(logon, "password", "wrong");
         Press(logon, "ok");
       },
       [](QWidget& logon) {
         auto* message = logon.findChild<QLabel*>("message");
         ASSERT_NE(message, nullptr);
         EXPECT_TRUE(message->text().startsWith("Logon failed: "));
         EXPECT_EQ(logon.findChild<QLineEdit*>("user")->text(), "demo");
         EXPECT_GT(SaveScreenshot(logon, "logon-retry"), 0);
         EXPECT_TRUE(ClippedTexts(logon).isEmpty()) << ClippedTexts(logon).join("\n").toStdString();
         Type(logon, "password", "demo");
         Press(logon, "ok");
       }},
      shown);
  EXPECT_EQ(result, SN_OK);
  EXPECT_EQ(shown, 2);
}

TEST(LogonWindowTest, CancelInTheWindowCancelsTheLogon) {
  int shown = 0;
  const int32_t result = LogOnInWindow({[](QWidget& logon) { Press(logon, "cancel"); }}, shown);
  EXPECT_EQ(result, SN_CANCELLED);
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace window_test
