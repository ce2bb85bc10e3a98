#pragma once
// The window that asks for a user name and password: the password is masked, and a message
// line above the fields says why the last answer was refused.
#include <QDialog>

class QLabel;
class QLineEdit;
struct CCredentialsRequest;

class CQtLogonDialog : public QDialog {
 public:
  CQtLogonDialog(const CCredentialsRequest& request, QWidget* parent);
  QString UserName() const;
  QString Password() const;

 private:
  QLineEdit* m_user;
  QLineEdit* m_password;
};
