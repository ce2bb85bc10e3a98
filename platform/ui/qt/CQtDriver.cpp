#include "platform/ui/qt/CQtDriver.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "platform/ui/CControlLabel.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/qt/CQtLogonDialog.h"
#include "platform/ui/qt/CQtSheetView.h"

namespace {

QString ToQt(const CString& text) { return QString::fromUtf8(text.GetString(), text.GetLength()); }

// Arguments of the application the driver makes itself; Qt keeps referring to them.
int g_argc = 1;
char g_appName[] = "brindle";
char* g_argv[] = {g_appName, nullptr};

QMessageBox::StandardButton ToQtButton(int answer) {
  switch (answer) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
  }
}

QMessageBox::Icon ToQtIcon(unsigned type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

CQtDriver::CQtDriver() {
  if (!QApplication::instance()) m_ownApplication = std::make_unique<QApplication>(g_argc, g_argv);
}

CQtDriver::~CQtDriver() = default;

QWidget* CQtDriver::DialogParent() const { return m_views.empty() ? nullptr : SheetDialog(); }

QDialog* CQtDriver::SheetDialog() const { return m_views.empty() ? nullptr : m_views.back()->Dialog(); }

CPropertySheet* CQtDriver::RunningSheet() const { return m_views.empty() ? nullptr : &m_views.back()->Sheet(); }

QWidget* CQtDriver::WidgetFor(const CWnd* window) const {
  return m_views.empty() ? nullptr : m_views.back()->WidgetFor(window);
}

int CQtDriver::MessageBox(const CMessageBoxRequest& request) {
  QMessageBox box(ToQtIcon(request.type), ToQt(request.caption), ToQt(request.text), QMessageBox::NoButton,
                  DialogParent());
  box.setObjectName("messagebox");
  std::vector<std::pair<QAbstractButton*, int>> answers;
  for (int answer : request.Buttons()) {
    QAbstractButton* button = box.addButton(ToQtButton(answer));
    answers.emplace_back(button, answer);
    if (answer == request.DefaultAnswer()) box.setDefaultButton(qobject_cast<QPushButton*>(button));
    if (answer == request.CloseAnswer()) box.setEscapeButton(button);
  }
  box.exec();
  for (const auto& [button, answer] : answers) {
    if (box.clickedButton() == button) return answer;
  }
  return request.CloseAnswer();
}

void CQtDriver::Help(const CHelpRequest& request) {
  QString about;
  if (request.window) about = ToQt(CControlLabel::NameOf(*request.window));
  QString text = QObject::tr("Help file: %1\nTopic: %2").arg(ToQt(request.file)).arg(request.contextId);
  if (!about.isEmpty()) text += QObject::tr("\nAbout: %1").arg(about);
  QMessageBox box(QMessageBox::Information, QObject::tr("Help"), text, QMessageBox::Ok, DialogParent());
  box.setObjectName("help");
  box.setInformativeText(QObject::tr("There is no viewer for this help file on this system."));
  box.exec();
}

intptr_t CQtDriver::RunModal(CPropertySheet& sheet) {
  CQtSheetView view(sheet, DialogParent());
  m_views.push_back(&view);
  view.Exec();
  m_views.pop_back();
  if (sheet.IsRunning()) sheet.Cancel();
  return sheet.GetResult();
}

CredentialsAnswer CQtDriver::AskCredentials(CCredentialsRequest& request) {
  CQtLogonDialog dialog(request, DialogParent());
  if (dialog.exec() != QDialog::Accepted) return CredentialsAnswer::Cancelled;
  request.userName = dialog.UserName().toUtf8().constData();
  request.password = dialog.Password().toUtf8().constData();
  return CredentialsAnswer::Given;
}

void CQtDriver::WindowChanged(const CWnd& window, UiChange change) {
  for (CQtSheetView* view : m_views) view->WindowChanged(window, change);
}
