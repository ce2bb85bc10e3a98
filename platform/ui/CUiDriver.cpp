#include "platform/ui/CUiDriver.h"

#include <cstdio>

#include "platform/ui/CPropertySheet.h"

std::vector<int> CMessageBoxRequest::Buttons() const {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int CMessageBoxRequest::DefaultAnswer() const {
  const std::vector<int> buttons = Buttons();
  const size_t index = (type & MB_DEFMASK) >> 8;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

int CMessageBoxRequest::CloseAnswer() const {
  const std::vector<int> buttons = Buttons();
  for (int button : buttons) {
    if (button == IDCANCEL) return IDCANCEL;
  }
  if ((type & MB_TYPEMASK) == MB_YESNO) return IDNO;
  return DefaultAnswer();
}

CUiDriver::~CUiDriver() = default;

void CUiDriver::WindowChanged(const CWnd&, UiChange) {}

CredentialsAnswer CUiDriver::AskCredentials(CCredentialsRequest&) { return CredentialsAnswer::CannotAsk; }

int CHeadlessDriver::MessageBox(const CMessageBoxRequest& request) {
  std::fprintf(stderr, "[%s] %s\n", request.caption.GetString(), request.text.GetString());
  return request.DefaultAnswer();
}

void CHeadlessDriver::Help(const CHelpRequest&) {}

intptr_t CHeadlessDriver::RunModal(CPropertySheet& sheet) {
  sheet.Cancel();
  return sheet.GetResult();
}
