#pragma once
// The windowed driver: property sheets run as modal Qt dialogs (CQtSheetView), message
// boxes are Qt message boxes, and help calls open a window that names the help file, the
// topic and the control asked about. A QApplication must exist or be creatable (a display
// is needed); the driver makes one when the host has none.
#include <QPointer>
#include <memory>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CUiDriver.h"

class CQtSheetView;
class QApplication;
class QDialog;
class QWidget;

class BRINDLE_EXPORT CQtDriver : public CUiDriver {
 public:
  CQtDriver();
  ~CQtDriver() override;
  CQtDriver(const CQtDriver&) = delete;
  CQtDriver& operator=(const CQtDriver&) = delete;

  int MessageBox(const CMessageBoxRequest& request) override;
  void Help(const CHelpRequest& request) override;
  intptr_t RunModal(CPropertySheet& sheet) override;
  void WindowChanged(const CWnd& window, UiChange change) override;
  // A logon window with the password masked (CQtLogonDialog).
  CredentialsAnswer AskCredentials(CCredentialsRequest& request) override;

  // The dialog of the sheet running now; none outside a run.
  QDialog* SheetDialog() const;
  CPropertySheet* RunningSheet() const;
  // The widget that shows `window` in the running sheet; none when there is none.
  QWidget* WidgetFor(const CWnd* window) const;

 private:
  QWidget* DialogParent() const;

  std::unique_ptr<QApplication> m_ownApplication;
  std::vector<CQtSheetView*> m_views;  // the runs in progress, innermost last
};
