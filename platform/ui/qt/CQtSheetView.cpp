#include "platform/ui/qt/CQtSheetView.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CControlLabel.h"
#include "platform/ui/CDialogTemplate.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CImageList.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CResourceChain.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CTreeCtrl.h"
#include "platform/ui/CUiDriver.h"
#include "platform/ui/qt/CQtImages.h"

namespace {

QString ToQt(const CString& text) { return QString::fromUtf8(text.GetString(), text.GetLength()); }

CString FromQt(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return CString(bytes.constData());
}

// Holds off the widgets' own signals while the model's state is copied into them.
class SyncGuard {
 public:
  explicit SyncGuard(int& depth) : m_depth(depth) { ++m_depth; }
  ~SyncGuard() { --m_depth; }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;

 private:
  int& m_depth;
};

// The model rectangle of `window` in its parent's client coordinates.
CRect RectInParent(const CWnd& window) {
  CRect rect = window.GetWindowRect();
  if (const CWnd* parent = window.GetParent()) parent->ScreenToClient(&rect);
  return rect;
}

}  // namespace

// The sheet's dialog: closing it (Escape, the window's close button) is Cancel.
class CQtSheetView::SheetDialog : public QDialog {
 public:
  SheetDialog(CQtSheetView& view, QWidget* owner) : QDialog(owner), m_view(view) {}
  void reject() override {
    if (m_view.m_sheet.IsRunning()) m_view.m_sheet.Cancel();
    m_view.AfterUserAction();
  }

 private:
  CQtSheetView& m_view;
};

CQtSheetView::CQtSheetView(CPropertySheet& sheet, QWidget* owner)
    : m_sheet(sheet), m_dialog(std::make_unique<SheetDialog>(*this, owner)) {
  m_dialog->setModal(true);
  m_dialog->setObjectName("sheet");
  // Dialog units come from the font's average letter width and its height; the model laid
  // its pages out for a 6 x 13 pixel cell.
  ChooseScale();
  auto* help = new QShortcut(QKeySequence::HelpContents, m_dialog.get());
  QObject::connect(help, &QShortcut::activated, [this] { AskHelpOnFocus(); });
  Build(m_sheet, nullptr);
  ArrangeKeyboard();
}

CQtSheetView::~CQtSheetView() {
  m_widgets.clear();
  m_windows.clear();
  m_trees.clear();
}

QDialog* CQtSheetView::Dialog() const { return m_dialog.get(); }

// The model lays its windows out in pixels of a font with a 6 x 13 pixel cell. The real
// font's cell gives the first scale; it grows where a control of this sheet (every page's
// template, and the button row) would not show its text whole at that scale.
void CQtSheetView::ChooseScale() {
  const QFontMetricsF metrics(m_dialog->font());
  const double letterWidth =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
  double scaleX = std::max(1.0, letterWidth / CDialogTemplate::kBaseUnitX);
  double scaleY = std::max(1.0, metrics.height() / CDialogTemplate::kBaseUnitY);
  auto need = [&](const QSize& hint, const CRect& modelPixels) {
    if (modelPixels.Width() > 0) scaleX = std::max(scaleX, hint.width() / double(modelPixels.Width()));
    if (modelPixels.Height() > 0) scaleY = std::max(scaleY, hint.height() / double(modelPixels.Height()));
  };
  for (int i = 0; i < m_sheet.GetPageCount(); ++i) {
    const CDialogTemplate* page = CResourceChain::FindDialogTemplate(m_sheet.GetPage(i)->GetTemplateId());
    if (!page) continue;
    for (const CDialogItem& item : page->items) {
      const CRect pixels = CDialogTemplate::MapDialogRect(item.rect);
      const QString text = ToQt(item.text);
      switch (item.kind) {
        case UiControlKind::CheckBox: need(QCheckBox(text).sizeHint(), pixels); break;
        case UiControlKind::RadioButton: need(QRadioButton(text).sizeHint(), pixels); break;
        case UiControlKind::PushButton: need(QPushButton(text).sizeHint(), pixels); break;
        case UiControlKind::Edit:
          if ((item.style & ES_MULTILINE) == 0) need(QLineEdit().minimumSizeHint(), pixels);
          break;
        case UiControlKind::Static: {
          // A label one line high must hold its text on that line.
          const QSize line = QFontMetrics(m_dialog->font()).size(0, ToQt(CControlLabel::StripMnemonics(item.text)));
          if (item.rect.Height() <= 8) need(line, pixels);
          break;
        }
        default: break;
      }
    }
  }
  for (const CWnd* child : m_sheet.GetChildren()) {
    if (child->GetKind() != UiControlKind::PushButton) continue;
    need(QPushButton(ToQt(child->GetWindowText())).sizeHint(), child->GetWindowRect());
  }
  for (const char* caption : {"&Next >", "&Finish", "< &Back"}) {
    need(QPushButton(caption).sizeHint(), CRect(0, 0, 75, 23));
  }
  constexpr double kLargest = 4.0;
  m_scaleX = std::min(scaleX, kLargest);
  m_scaleY = std::min(scaleY, kLargest);
}

QRect CQtSheetView::Scaled(const CRect& rect) const {
  const int left = static_cast<int>(std::lround(rect.left * m_scaleX));
  const int top = static_cast<int>(std::lround(rect.top * m_scaleY));
  const int right = static_cast<int>(std::lround(rect.right * m_scaleX));
  const int bottom = static_cast<int>(std::lround(rect.bottom * m_scaleY));
  return QRect(left, top, right - left, bottom - top);
}

void CQtSheetView::Exec() {
  if (!m_sheet.IsRunning()) return;
  if (const CPropertyPage* page = m_sheet.GetActivePage()) FocusFirstControl(*page);
  m_dialog->exec();
}

QWidget* CQtSheetView::WidgetFor(const CWnd* window) const {
  auto found = m_widgets.find(window);
  return found == m_widgets.end() ? nullptr : found->second.data();
}

CWnd* CQtSheetView::WindowFor(const QWidget* widget) const {
  for (const QWidget* at = widget; at; at = at->parentWidget()) {
    auto found = m_windows.find(at);
    if (found != m_windows.end()) return found->second;
  }
  return nullptr;
}

void CQtSheetView::Build(CWnd& window, QWidget* parentWidget) {
  if (!window.IsWindow() || WidgetFor(&window)) return;
  QWidget* widget = parentWidget ? MakeWidget(window, parentWidget) : m_dialog.get();
  m_widgets[&window] = widget;
  m_windows[widget] = &window;
  for (CWnd* child : window.GetChildren()) Build(*child, widget);
  Sync(window);
}

// The widgets' handlers act on the model window only while it is still shown by this view:
// a window the model destroyed has no widget any more (Forget), and must not be touched.
QWidget* CQtSheetView::MakeWidget(CWnd& window, QWidget* parentWidget) {
  QWidget* widget = nullptr;
  switch (window.GetKind()) {
    case UiControlKind::Static:
    case UiControlKind::Picture: {
      auto* label = new QLabel(parentWidget);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(window.GetKind() == UiControlKind::Static);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      widget = label;
      break;
    }
    case UiControlKind::GroupBox: widget = new QGroupBox(parentWidget); break;
    case UiControlKind::Edit: {
      auto* edit = dynamic_cast<CEdit*>(&window);
      if (edit && edit->IsMultiLine()) {
        auto* lines = new QPlainTextEdit(parentWidget);
        lines->setTabChangesFocus(true);
        QObject::connect(lines, &QPlainTextEdit::textChanged, [this, edit, lines] {
          if (m_syncing || !WidgetFor(edit)) return;
          edit->UserSetText(FromQt(lines->toPlainText()));
          AfterUserAction();
        });
        widget = lines;
      } else {
        auto* line = new QLineEdit(parentWidget);
        QObject::connect(line, &QLineEdit::textEdited, [this, &window](const QString& text) {
          if (m_syncing || !WidgetFor(&window)) return;
          if (auto* typedInto = dynamic_cast<CEdit*>(&window)) typedInto->UserSetText(FromQt(text));
          AfterUserAction();
        });
        widget = line;
      }
      break;
    }
    case UiControlKind::PushButton:
    case UiControlKind::CheckBox:
    case UiControlKind::RadioButton: {
      QAbstractButton* button = nullptr;
      if (window.GetKind() == UiControlKind::PushButton) {
        auto* push = new QPushButton(parentWidget);
        push->setAutoDefault(false);
        button = push;
      } else if (window.GetKind() == UiControlKind::CheckBox) {
        button = new QCheckBox(parentWidget);
      } else {
        button = new QRadioButton(parentWidget);
        button->setAutoExclusive(false);  // the model keeps its radio groups
      }
      QObject::connect(button, &QAbstractButton::clicked, [this, &window] {
        if (m_syncing || !WidgetFor(&window)) return;
        if (auto* model = dynamic_cast<CButton*>(&window)) {
          model->Click();
          // A click the model refused must not leave the widget toggled.
          if (WidgetFor(model)) Sync(*model);
        }
        AfterUserAction();
      });
      widget = button;
      break;
    }
    case UiControlKind::TreeView: {
      auto* tree = new QTreeWidget(parentWidget);
      tree->setHeaderHidden(true);
      tree->setColumnCount(1);
      tree->setRootIsDecorated((window.GetStyle() & TVS_LINESATROOT) != 0);
      tree->setSelectionMode(QAbstractItemView::SingleSelection);
      tree->setDragEnabled(false);
      tree->setIconSize(QSize(17, 16));
      QObject::connect(tree, &QTreeWidget::currentItemChanged, [this, tree, &window](QTreeWidgetItem* current) {
        if (m_syncing || !current || !WidgetFor(&window)) return;
        auto* model = dynamic_cast<CTreeCtrl*>(&window);
        auto handle = m_trees[tree].handles.find(current);
        if (model && handle != m_trees[tree].handles.end()) model->UserSelect(handle->second);
        AfterUserAction();
      });
      auto expand = [this, tree, &window](QTreeWidgetItem* item, unsigned code) {
        if (m_syncing || !WidgetFor(&window)) return;
        auto* model = dynamic_cast<CTreeCtrl*>(&window);
        auto handle = m_trees[tree].handles.find(item);
        if (model && handle != m_trees[tree].handles.end()) model->Expand(handle->second, code);
      };
      QObject::connect(tree, &QTreeWidget::itemExpanded, [expand](QTreeWidgetItem* item) { expand(item, TVE_EXPAND); });
      QObject::connect(tree, &QTreeWidget::itemCollapsed,
                       [expand](QTreeWidgetItem* item) { expand(item, TVE_COLLAPSE); });
      widget = tree;
      break;
    }
    case UiControlKind::ListBox:
    case UiControlKind::CheckListBox: {
      auto* list = new QListWidget(parentWidget);
      list->setVerticalScrollBarPolicy((window.GetStyle() & LBS_DISABLENOSCROLL) != 0 ? Qt::ScrollBarAlwaysOn
                                                                                     : Qt::ScrollBarAsNeeded);
      if (window.GetKind() == UiControlKind::CheckListBox) {
        QObject::connect(list, &QListWidget::itemChanged, [this, list, &window](QListWidgetItem* item) {
          if (m_syncing || !WidgetFor(&window)) return;
          if (auto* model = dynamic_cast<CCheckListBox*>(&window)) {
            model->UserSetCheck(list->row(item), item->checkState() == Qt::Checked ? 1 : 0);
            if (WidgetFor(model)) Sync(*model);
          }
          AfterUserAction();
        });
      } else {
        QObject::connect(list, &QListWidget::currentRowChanged, [this, &window](int row) {
          if (m_syncing || row < 0 || !WidgetFor(&window)) return;
          if (auto* model = dynamic_cast<CListBox*>(&window)) model->UserSelect(row);
          AfterUserAction();
        });
      }
      widget = list;
      break;
    }
    default: widget = new QWidget(parentWidget); break;
  }
  widget->setObjectName(QStringLiteral("control-%1").arg(window.GetDlgCtrlID()));
  return widget;
}

void CQtSheetView::Forget(const CWnd* window) {
  auto found = m_widgets.find(window);
  if (found == m_widgets.end()) return;
  QPointer<QWidget> widget = found->second;
  m_widgets.erase(found);
  if (!widget) return;
  m_windows.erase(widget.data());
  if (auto* tree = qobject_cast<QTreeWidget*>(widget.data())) m_trees.erase(tree);
  if (widget != m_dialog.get()) {
    widget->hide();
    widget->deleteLater();
  }
}

void CQtSheetView::WindowChanged(const CWnd& window, UiChange change) {
  switch (change) {
    case UiChange::Destroyed: Forget(&window); return;
    case UiChange::Created: {
      QWidget* parentWidget = WidgetFor(window.GetParent());
      if (!parentWidget) return;
      Build(const_cast<CWnd&>(window), parentWidget);
      if (QWidget* widget = WidgetFor(&window); widget && window.IsWindowVisible()) widget->show();
      ArrangeKeyboard();
      return;
    }
    case UiChange::Changed:
      if (WidgetFor(&window)) Sync(window);
      return;
  }
}

void CQtSheetView::Sync(const CWnd& window) {
  QWidget* widget = WidgetFor(&window);
  if (!widget) return;
  SyncGuard guard(m_syncing);
  SyncGeometry(window, *widget);
  SyncContent(window, *widget);
}

void CQtSheetView::SyncGeometry(const CWnd& window, QWidget& widget) {
  if (&widget == m_dialog.get()) {
    CRect client;
    window.GetClientRect(&client);
    m_dialog->setFixedSize(Scaled(client).size());
    m_dialog->setWindowTitle(ToQt(window.GetWindowText()));
    return;
  }
  widget.setGeometry(Scaled(RectInParent(window)));
  const bool shown = (window.GetStyle() & WS_VISIBLE) != 0;
  const bool wasShown = !widget.isHidden();
  widget.setVisible(shown);
  widget.setEnabled(window.IsWindowEnabled());
  if (shown && !wasShown && window.GetKind() == UiControlKind::Dialog && m_dialog->isVisible()) {
    FocusFirstControl(window);
  }
}

void CQtSheetView::SyncContent(const CWnd& window, QWidget& widget) {
  const QString text = ToQt(window.GetWindowText());
  switch (window.GetKind()) {
    case UiControlKind::Static: {
      auto& label = static_cast<QLabel&>(widget);
      // A mnemonic shows (and works) only when the label has a control to give the focus to.
      const QString shown = label.buddy() ? text : ToQt(CControlLabel::StripMnemonics(window.GetWindowText()));
      if (label.text() != shown) label.setText(shown);
      break;
    }
    case UiControlKind::Picture: {
      auto& label = static_cast<QLabel&>(widget);
      const auto* picture = dynamic_cast<const CStatic*>(&window);
      const CBitmapResource* bitmap = picture ? CResourceChain::FindBitmap(picture->GetBitmapId()) : nullptr;
      if (bitmap && !bitmap->IsEmpty()) {
        const QPixmap pixmap = QPixmap::fromImage(CQtImages::FromBitmap(*bitmap));
        label.setPixmap(pixmap.scaled(widget.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
      } else {
        label.clear();
      }
      break;
    }
    case UiControlKind::GroupBox:
      static_cast<QGroupBox&>(widget).setTitle(ToQt(CControlLabel::StripMnemonics(window.GetWindowText())));
      break;
    case UiControlKind::Edit:
      if (auto* lines = qobject_cast<QPlainTextEdit*>(&widget)) {
        if (lines->toPlainText() != text) lines->setPlainText(text);
      } else if (auto* line = qobject_cast<QLineEdit*>(&widget)) {
        if (line->text() != text) line->setText(text);
      }
      break;
    case UiControlKind::PushButton:
    case UiControlKind::CheckBox:
    case UiControlKind::RadioButton: {
      auto& button = static_cast<QAbstractButton&>(widget);
      if (button.text() != text) button.setText(text);
      if (const auto* model = dynamic_cast<const CButton*>(&window)) {
        if (auto* check = qobject_cast<QCheckBox*>(&widget)) {
          check->setCheckState(model->GetCheck() == 2 ? Qt::PartiallyChecked
                                                      : (model->GetCheck() == 1 ? Qt::Checked : Qt::Unchecked));
        } else if (window.GetKind() == UiControlKind::RadioButton) {
          button.setChecked(model->GetCheck() == 1);
        }
      }
      if (window.GetParent() == &m_sheet) UpdateDefaultButton();
      break;
    }
    case UiControlKind::TreeView:
      if (const auto* tree = dynamic_cast<const CTreeCtrl*>(&window)) SyncTree(*tree, static_cast<QTreeWidget&>(widget));
      break;
    case UiControlKind::ListBox:
    case UiControlKind::CheckListBox:
      if (const auto* list = dynamic_cast<const CListBox*>(&window)) SyncList(*list, static_cast<QListWidget&>(widget));
      break;
    default: break;
  }
}

void CQtSheetView::SyncTree(const CTreeCtrl& tree, QTreeWidget& view) {
  TreeState& state = m_trees[&view];
  std::vector<std::pair<HTREEITEM, HTREEITEM>> shape;
  for (HTREEITEM item : tree.GetAllItems()) shape.emplace_back(item, tree.GetParentItem(item));
  if (shape != state.shape) {
    view.clear();
    state.items.clear();
    state.handles.clear();
    state.scrolledTo = nullptr;
    for (const auto& [item, parent] : shape) {
      QTreeWidgetItem* widgetItem =
          parent ? new QTreeWidgetItem(state.items.at(parent)) : new QTreeWidgetItem(&view);
      state.items[item] = widgetItem;
      state.handles[widgetItem] = item;
    }
    state.shape = std::move(shape);
  }
  const CImageList* images = tree.GetImageList(TVSIL_NORMAL);
  const HTREEITEM selected = tree.GetSelectedItem();
  for (const auto& [item, parent] : state.shape) {
    QTreeWidgetItem* widgetItem = state.items.at(item);
    const QString label = ToQt(tree.GetItemText(item));
    if (widgetItem->text(0) != label) widgetItem->setText(0, label);
    int image = 0, selectedImage = 0;
    tree.GetItemImage(item, image, selectedImage);
    widgetItem->setIcon(0, ImageIcon(images, item == selected ? selectedImage : image));
    // Only a change: setting the state again from inside the view's own expand or collapse
    // signal would leave the view's record of open levels out of step.
    if (widgetItem->isExpanded() != tree.IsExpanded(item)) widgetItem->setExpanded(tree.IsExpanded(item));
  }
  QTreeWidgetItem* current = selected ? state.items.at(selected) : nullptr;
  if (view.currentItem() != current) view.setCurrentItem(current);
  if (current && !current->isSelected()) current->setSelected(true);
  if (!current) view.clearSelection();
  // Scrolling opens the item's levels in the view, so it follows the model's request once
  // and never undoes a level the person closed afterwards.
  const HTREEITEM shownItem = tree.GetLastEnsuredVisible();
  if (shownItem != state.scrolledTo && shownItem && state.items.count(shownItem)) {
    view.scrollToItem(state.items.at(shownItem));
  }
  state.scrolledTo = shownItem;
}

void CQtSheetView::SyncList(const CListBox& list, QListWidget& view) {
  const bool checks = list.GetKind() == UiControlKind::CheckListBox;
  bool same = view.count() == list.GetCount();
  for (int i = 0; same && i < list.GetCount(); ++i) same = view.item(i)->text() == ToQt(list.GetText(i));
  if (!same) {
    view.clear();
    for (int i = 0; i < list.GetCount(); ++i) {
      auto* item = new QListWidgetItem(ToQt(list.GetText(i)), &view);
      if (checks) item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    }
  }
  const auto* checkList = dynamic_cast<const CCheckListBox*>(&list);
  for (int i = 0; i < list.GetCount(); ++i) {
    QListWidgetItem* item = view.item(i);
    if (checkList) item->setCheckState(checkList->GetCheck(i) == 1 ? Qt::Checked : Qt::Unchecked);
    item->setSelected(list.GetSel(i) == 1);
  }
}

QIcon CQtSheetView::ImageIcon(const CImageList* images, int index) {
  if (!images || !images->IsCreated() || index < 0 || index >= images->GetImageCount()) return QIcon();
  const auto key = std::make_pair(images, index);
  auto cached = m_icons.find(key);
  if (cached == m_icons.end()) {
    cached = m_icons.emplace(key, QIcon(QPixmap::fromImage(CQtImages::FromImageList(*images, index)))).first;
  }
  return cached->second;
}

// Tab order follows each page's controls in template order, then the sheet's buttons
// from left to right; a label's mnemonic gives the focus to the control after it.
void CQtSheetView::ArrangeKeyboard() {
  std::vector<QWidget*> chain;
  std::vector<const CWnd*> buttons;
  for (const CWnd* child : m_sheet.GetChildren()) {
    if (child->GetKind() != UiControlKind::Dialog) {
      buttons.push_back(child);
      continue;
    }
    const std::vector<CWnd*>& controls = child->GetChildren();
    for (size_t i = 0; i < controls.size(); ++i) {
      const CWnd& control = *controls[i];
      if (CControlLabel::TakesFocus(control)) {
        if (QWidget* widget = WidgetFor(&control)) chain.push_back(widget);
        continue;
      }
      auto* label = qobject_cast<QLabel*>(WidgetFor(&control));
      if (!label || control.GetKind() != UiControlKind::Static) continue;
      QWidget* buddy = nullptr;
      if (CControlLabel::Mnemonic(control.GetWindowText()) != 0) {
        for (size_t j = i + 1; j < controls.size() && !buddy; ++j) {
          if (CControlLabel::TakesFocus(*controls[j])) buddy = WidgetFor(controls[j]);
        }
      }
      if (label->buddy() != buddy) {
        label->setBuddy(buddy);
        SyncGuard guard(m_syncing);
        SyncContent(control, *label);
      }
    }
  }
  std::stable_sort(buttons.begin(), buttons.end(), [](const CWnd* a, const CWnd* b) {
    return a->GetWindowRect().left < b->GetWindowRect().left;
  });
  for (const CWnd* button : buttons) {
    if (QWidget* widget = WidgetFor(button)) chain.push_back(widget);
  }
  for (size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void CQtSheetView::FocusFirstControl(const CWnd& page) {
  for (const CWnd* control : page.GetChildren()) {
    if (!CControlLabel::TakesFocus(*control) || !control->IsUsable()) continue;
    if (QWidget* widget = WidgetFor(control)) {
      widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

// Enter presses Next while it is enabled, else Finish.
void CQtSheetView::UpdateDefaultButton() {
  QPushButton* chosen = nullptr;
  for (int id : {ID_WIZNEXT, ID_WIZFINISH, IDOK}) {
    const CWnd* button = m_sheet.GetDlgItem(static_cast<unsigned>(id));
    if (button && button->IsUsable()) {
      chosen = qobject_cast<QPushButton*>(WidgetFor(button));
      if (chosen) break;
    }
  }
  for (const CWnd* child : m_sheet.GetChildren()) {
    if (auto* push = qobject_cast<QPushButton*>(WidgetFor(child))) push->setDefault(push == chosen);
  }
}

void CQtSheetView::AskHelpOnFocus() {
  const CWnd* window = WindowFor(QApplication::focusWidget());
  if (window && window != &m_sheet && window->GetKind() != UiControlKind::Dialog) {
    m_sheet.HelpOnControl(window->GetDlgCtrlID());
  }
  AfterUserAction();
}

void CQtSheetView::AfterUserAction() {
  if (!m_sheet.IsRunning() && m_dialog->isVisible()) m_dialog->done(0);
}
