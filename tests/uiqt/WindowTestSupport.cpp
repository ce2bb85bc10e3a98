#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>

namespace window_test {

namespace {

constexpr int kWatchIntervalMs = 20;
constexpr int kWatchdogMs = 20000;

QString Describe(const QWidget& widget, const QString& text, const QSize& needed) {
  return QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
      .arg(widget.objectName(), text)
      .arg(needed.width())
      .arg(needed.height())
      .arg(widget.width())
      .arg(widget.height());
}

}  // namespace

QStringList ClippedTexts(const QWidget& root) {
  QStringList clipped;
  for (const QWidget* widget : root.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&root)) continue;
    const QSize size = widget->size();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
      if (label->text().isEmpty()) continue;
      const bool fits = label->wordWrap() ? label->heightForWidth(size.width()) <= size.height()
                                          : label->sizeHint().width() <= size.width();
      if (!fits) clipped << Describe(*label, label->text(), QSize(size.width(), label->heightForWidth(size.width())));
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
      const QSize hint = button->sizeHint();
      if (hint.width() > size.width() || hint.height() > size.height()) clipped << Describe(*button, button->text(), hint);
    } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
      if (group->minimumSizeHint().width() > size.width()) clipped << Describe(*group, group->title(), group->minimumSizeHint());
    } else if (const auto* line = qobject_cast<const QLineEdit*>(widget)) {
      if (line->minimumSizeHint().height() > size.height()) clipped << Describe(*line, line->text(), line->minimumSizeHint());
    }
  }
  return clipped;
}

qint64 SaveScreenshot(QWidget& widget, const QString& name) {
  const char* folder = std::getenv("BRINDLE_SCREENSHOT_DIR");
  const QString dir = folder && *folder ? QString::fromUtf8(folder) : QStringLiteral(BRINDLE_BUILD_DIR "/screenshots");
  QDir().mkpath(dir);
  const QString path = dir + "/" + name + ".png";
  if (!widget.grab().save(path, "PNG")) return 0;
  return QFileInfo(path).size();
}

WindowRun::WindowRun() : m_windowScope(qt) {
  m_boxWatcher.setInterval(kWatchIntervalMs);
  QObject::connect(&m_boxWatcher, &QTimer::timeout, [this] { AnswerMessageBox(); });
  m_boxWatcher.start();
}

WindowRun::~WindowRun() { m_boxWatcher.stop(); }

void WindowRun::AnswerMessageBox() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible() || box == m_lastBox || box->objectName() != "messagebox") return;
  m_lastBox = box;
  shownBoxes.push_back(box->text().toStdString());
  if (saveMessageBoxScreenshot && messageBoxScreenshotSize < 0) {
    messageBoxScreenshotSize = SaveScreenshot(*box, "messagebox");
  }
  QAbstractButton* answer = box->defaultButton();
  if (!answer && !box->buttons().isEmpty()) answer = box->buttons().front();
  if (answer) QTest::mouseClick(answer, Qt::LeftButton);
}

unsigned char WindowRun::RunInWindow(const std::function<void()>& script) {
  bool scriptRan = false;
  QTimer::singleShot(0, [&] {
    QDialog* dialog = qt.SheetDialog();
    if (!dialog) return;
    scriptRan = true;
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    script();
  });
  // Whatever a script leaves open is closed, so that the run always ends.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    ADD_FAILURE() << "a dialog was left open";
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) dialog->reject();
    }
  });
  watchdog.start(kWatchdogMs);
  const unsigned char result = Run();
  EXPECT_TRUE(scriptRan) << "the wizard's window never ran the script";
  return result;
}

CPropertySheet& WindowRun::Sheet() const { return *qt.RunningSheet(); }

QWidget* WindowRun::Widget(unsigned id) const {
  CPropertySheet* sheet = qt.RunningSheet();
  return sheet ? qt.WidgetFor(sheet->FindControl(id)) : nullptr;
}

QPushButton* WindowRun::SheetButton(int id) const { return qobject_cast<QPushButton*>(Widget(static_cast<unsigned>(id))); }

void WindowRun::Click(QWidget* widget) {
  ASSERT_NE(widget, nullptr);
  // A check box or radio button takes clicks on its box and text only, not on the rest of
  // its rectangle.
  QPoint where = widget->rect().center();
  if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget)) {
    where.setX(std::min(widget->sizeHint().width(), widget->width()) / 2);
  }
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
}

void WindowRun::PressSheetButton(int id) { Click(SheetButton(id)); }

void WindowRun::ReplaceText(unsigned id, const QString& text) {
  QWidget* field = Widget(id);
  ASSERT_NE(field, nullptr);
  field->setFocus();
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Delete);
  const QStringList lines = text.split('\n');
  for (int i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClicks(field, lines[i]);
  }
}

QTreeWidgetItem* WindowRun::TreeItem(const QStringList& labels) const {
  auto* tree = qobject_cast<QTreeWidget*>(Widget(1006));
  if (!tree || labels.isEmpty()) return nullptr;
  QTreeWidgetItem* found = nullptr;
  for (int i = 0; i < tree->topLevelItemCount() && !found; ++i) {
    if (tree->topLevelItem(i)->text(0) == labels.front()) found = tree->topLevelItem(i);
  }
  for (int level = 1; found && level < labels.size(); ++level) {
    QTreeWidgetItem* parent = found;
    found = nullptr;
    for (int i = 0; i < parent->childCount() && !found; ++i) {
      if (parent->child(i)->text(0) == labels[level]) found = parent->child(i);
    }
  }
  return found;
}

void WindowRun::ClickTreeItem(const QStringList& labels) {
  auto* tree = qobject_cast<QTreeWidget*>(Widget(1006));
  QTreeWidgetItem* item = TreeItem(labels);
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(item, nullptr) << labels.join('/').toStdString();
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->visualItemRect(item).center());
}

void WindowRun::ToggleListItem(unsigned id, int row) {
  auto* list = qobject_cast<QListWidget*>(Widget(id));
  ASSERT_NE(list, nullptr);
  ASSERT_LT(row, list->count());
  // Choosing the item and pressing the space bar flips its check box.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
  QTest::keyClick(list, Qt::Key_Space);
}

}  // namespace window_test
