#include "platform/ui/qt/CQtLogonDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/CUiDriver.h"

namespace {

QString ToQt(const CString& text) { return QString::fromUtf8(text.GetString(), text.GetLength()); }

}  // namespace

CQtLogonDialog::CQtLogonDialog(const CCredentialsRequest& request, QWidget* parent)
    : QDialog(parent), m_user(new QLineEdit(this)), m_password(new QLineEdit(this)) {
  setObjectName("logon");
  setWindowTitle(ToQt(request.caption));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  if (!request.nameSpace.IsEmpty()) {
    auto* where = new QLabel(tr("Sign on to %1").arg(ToQt(request.nameSpace)), this);
    where->setTextFormat(Qt::PlainText);
    layout->addWidget(where);
  }
  if (!request.message.IsEmpty()) {
    auto* message = new QLabel(tr("Logon failed: %1").arg(ToQt(request.message)), this);
    message->setObjectName("message");
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    layout->addWidget(message);
  }
  auto* fields = new QFormLayout;
  m_user->setObjectName("user");
  m_user->setText(ToQt(request.userName));
  m_password->setObjectName("password");
  m_password->setEchoMode(QLineEdit::Password);
  fields->addRow(tr("&User name:"), m_user);
  fields->addRow(tr("&Password:"), m_password);
  layout->addLayout(fields);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  // After a refusal the user name stays; the password is what to type again.
  (m_user->text().isEmpty() ? m_user : m_password)->setFocus();
}

QString CQtLogonDialog::UserName() const { return m_user->text(); }

QString CQtLogonDialog::Password() const { return m_password->text(); }
