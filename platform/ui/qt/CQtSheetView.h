#pragma once
// A running property sheet shown as a modal Qt dialog. Every window of the model gets a
// widget at its rectangle (pixels of the model's 8-point font scaled to the real font's
// dialog units). What a person does goes into the model at once (typed text, clicks,
// checks, tree choices); what the model changes reaches the widgets through
// WindowChanged. The dialog closes when the sheet's run ends.
#include <QIcon>
#include <QPointer>
#include <QRect>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/ui/CRect.h"
#include "platform/ui/UiDefs.h"

class CImageList;
class CListBox;
class CPropertySheet;
class CTreeCtrl;
class CWnd;
class QDialog;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
enum class UiChange;

class CQtSheetView {
 public:
  CQtSheetView(CPropertySheet& sheet, QWidget* owner);
  ~CQtSheetView();
  CQtSheetView(const CQtSheetView&) = delete;
  CQtSheetView& operator=(const CQtSheetView&) = delete;

  // Shows the dialog modally until the sheet's run ends.
  void Exec();
  QDialog* Dialog() const;
  CPropertySheet& Sheet() const { return m_sheet; }
  // The widget showing `window`; none when it has none.
  QWidget* WidgetFor(const CWnd* window) const;
  // The model window shown by `widget` or by the nearest parent widget that shows one.
  CWnd* WindowFor(const QWidget* widget) const;
  void WindowChanged(const CWnd& window, UiChange change);
  // Model rectangles in pixels of the model's font, mapped to the real font.
  QRect Scaled(const CRect& rect) const;

 private:
  class SheetDialog;

  void ChooseScale();
  void Build(CWnd& window, QWidget* parentWidget);
  QWidget* MakeWidget(CWnd& window, QWidget* parentWidget);
  void Forget(const CWnd* window);
  void Sync(const CWnd& window);
  void SyncGeometry(const CWnd& window, QWidget& widget);
  void SyncContent(const CWnd& window, QWidget& widget);
  void SyncTree(const CTreeCtrl& tree, QTreeWidget& view);
  void SyncList(const CListBox& list, QListWidget& view);
  void ArrangeKeyboard();
  void FocusFirstControl(const CWnd& page);
  void UpdateDefaultButton();
  QIcon ImageIcon(const CImageList* images, int index);
  void AfterUserAction();
  void AskHelpOnFocus();

  CPropertySheet& m_sheet;
  std::unique_ptr<SheetDialog> m_dialog;
  std::unordered_map<const CWnd*, QPointer<QWidget>> m_widgets;
  std::unordered_map<const QWidget*, CWnd*> m_windows;
  // Per tree widget: the model's items in the order shown, and the widget item of each.
  struct TreeState {
    std::vector<std::pair<HTREEITEM, HTREEITEM>> shape;  // (item, parent) depth-first
    std::unordered_map<HTREEITEM, QTreeWidgetItem*> items;
    std::unordered_map<const QTreeWidgetItem*, HTREEITEM> handles;
    HTREEITEM scrolledTo = nullptr;  // the item last scrolled into view for the model
  };
  std::unordered_map<const QTreeWidget*, TreeState> m_trees;
  std::map<std::pair<const CImageList*, int>, QIcon> m_icons;
  double m_scaleX = 1.0;
  double m_scaleY = 1.0;
  int m_syncing = 0;
};
