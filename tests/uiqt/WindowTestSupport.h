#pragma once
// A wizard run in a real window: the fixture of the wizard tests with the windowed driver
// installed. RunInWindow plays a script of mouse clicks and key presses on the real widgets
// inside the modal run; message boxes are answered with their default button and their
// texts recorded; a watchdog closes every dialog if a script leaves one open.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "WizardTestSupport.h"
#include "platform/ui/qt/CQtDriver.h"

class QAbstractButton;
class QMessageBox;
class QPushButton;
class QTreeWidgetItem;
class QWidget;

namespace window_test {

// The widgets under `root` whose text does not fit in their rectangle, as "name: text".
QStringList ClippedTexts(const QWidget& root);

// Saves `widget`'s pixels as NAME.png in the screenshot folder; the file's size, 0 when
// nothing could be saved.
qint64 SaveScreenshot(QWidget& widget, const QString& name);

class WindowRun : public wizard_test::WizardRun {
 protected:
  WindowRun();
  ~WindowRun() override;

  // Publishes through the wizard (as Run) while `script` works the window.
  unsigned char RunInWindow(const std::function<void()>& script);

  CPropertySheet& Sheet() const;
  // The widget of control `id` on the active page or of the sheet's button `id`.
  QWidget* Widget(unsigned id) const;
  QPushButton* SheetButton(int id) const;
  // What a person does.
  void Click(QWidget* widget);
  void PressSheetButton(int id);
  void ReplaceText(unsigned id, const QString& text);
  void ClickTreeItem(const QStringList& labels);
  void ToggleListItem(unsigned id, int row);
  // The tree item at these labels in the tree widget of the active page; none when missing.
  QTreeWidgetItem* TreeItem(const QStringList& labels) const;

  CQtDriver qt;
  // Texts of the message boxes shown, in order.
  std::vector<std::string> shownBoxes;
  bool saveMessageBoxScreenshot = false;
  qint64 messageBoxScreenshotSize = -1;

 private:
  void AnswerMessageBox();

  CUiDriverScope m_windowScope;
  QTimer m_boxWatcher;
  QPointer<QMessageBox> m_lastBox;
};

}  // namespace window_test
