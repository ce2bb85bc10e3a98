#include "platform/ui/CScriptedDriver.h"

#include <utility>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CTreeCtrl.h"

namespace {

// Upper bound of steps in one run, so a step that keeps adding steps cannot loop forever.
constexpr int kMaxStepsPerRun = 100000;

CString Describe(const char* action, unsigned id, const char* why) {
  CString text;
  text.Format("%s %u: %s", action, id, why);
  return text;
}

// The control a step works on, or the reason it cannot.
template <typename Control>
Control* Lookup(CPropertySheet& sheet, unsigned id, const char*& why) {
  CWnd* wnd = sheet.FindControl(id);
  if (!wnd) {
    why = "no such control";
    return nullptr;
  }
  auto* control = dynamic_cast<Control*>(wnd);
  if (!control) {
    why = "not that kind of control";
    return nullptr;
  }
  if (!control->IsWindowVisible()) {
    why = "hidden";
    return nullptr;
  }
  if (!control->IsWindowEnabled()) {
    why = "disabled";
    return nullptr;
  }
  return control;
}

}  // namespace

CScriptedDriver::CScriptedDriver() = default;

CScriptedDriver::~CScriptedDriver() = default;

CScriptedDriver& CScriptedDriver::Add(Step step) {
  m_steps.push_back(std::move(step));
  return *this;
}

void CScriptedDriver::Refuse(const CString& what) { m_refusals.push_back(what); }

CScriptedDriver& CScriptedDriver::SetText(unsigned controlId, const char* text) {
  return Add([this, controlId, typed = CString(text)](CPropertySheet& sheet) {
    const char* why = nullptr;
    CEdit* edit = Lookup<CEdit>(sheet, controlId, why);
    if (!edit || !edit->UserSetText(typed)) Refuse(Describe("set", controlId, why ? why : "refused"));
  });
}

CScriptedDriver& CScriptedDriver::Click(unsigned controlId) {
  return Add([this, controlId](CPropertySheet& sheet) {
    const char* why = nullptr;
    CButton* button = Lookup<CButton>(sheet, controlId, why);
    if (!button || !button->Click()) Refuse(Describe("click", controlId, why ? why : "refused"));
  });
}

CScriptedDriver& CScriptedDriver::CheckItem(unsigned listId, int index, bool checked) {
  return Add([this, listId, index, checked](CPropertySheet& sheet) {
    const char* why = nullptr;
    CCheckListBox* list = Lookup<CCheckListBox>(sheet, listId, why);
    if (!list || !list->UserSetCheck(index, checked ? 1 : 0)) {
      Refuse(Describe("check", listId, why ? why : "no such item"));
    }
  });
}

CScriptedDriver& CScriptedDriver::SelectListItem(unsigned listId, int index) {
  return Add([this, listId, index](CPropertySheet& sheet) {
    const char* why = nullptr;
    CListBox* list = Lookup<CListBox>(sheet, listId, why);
    if (!list || !list->UserSelect(index)) Refuse(Describe("pick", listId, why ? why : "no such item"));
  });
}

CScriptedDriver& CScriptedDriver::SelectTreeItem(unsigned treeId, const char* path, char separator) {
  return Add([this, treeId, where = CString(path), separator](CPropertySheet& sheet) {
    const char* why = nullptr;
    CTreeCtrl* tree = Lookup<CTreeCtrl>(sheet, treeId, why);
    HTREEITEM item = tree ? tree->FindItemByPath(where, separator) : nullptr;
    if (tree && !item) why = "no such item";
    if (!item || !tree->UserSelect(item)) Refuse(Describe("select", treeId, why ? why : "refused"));
  });
}

CScriptedDriver& CScriptedDriver::SelectTreeItem(unsigned treeId, std::vector<CString> labels) {
  return Add([this, treeId, labels = std::move(labels)](CPropertySheet& sheet) {
    const char* why = nullptr;
    CTreeCtrl* tree = Lookup<CTreeCtrl>(sheet, treeId, why);
    HTREEITEM item = tree ? tree->FindItemByPath(labels) : nullptr;
    if (tree && !item) why = "no such item";
    if (!item || !tree->UserSelect(item)) Refuse(Describe("select", treeId, why ? why : "refused"));
  });
}

CScriptedDriver& CScriptedDriver::Press(int buttonId) {
  return Add([this, buttonId](CPropertySheet& sheet) {
    const unsigned id = static_cast<unsigned>(buttonId);
    const char* why = nullptr;
    auto* button = dynamic_cast<CButton*>(sheet.GetDlgItem(id));
    if (!button) why = "no such button";
    else if (!button->IsWindowVisible()) why = "hidden";
    else if (!button->IsWindowEnabled()) why = "disabled";
    if (why || !sheet.PressButton(buttonId)) Refuse(Describe("press", id, why ? why : "refused"));
  });
}

CScriptedDriver& CScriptedDriver::HelpOn(unsigned controlId) {
  return Add([this, controlId](CPropertySheet& sheet) {
    if (!sheet.FindControl(controlId)) {
      Refuse(Describe("help", controlId, "no such control"));
      return;
    }
    sheet.HelpOnControl(controlId);
  });
}

CScriptedDriver& CScriptedDriver::Do(Step step) { return Add(std::move(step)); }

CScriptedDriver& CScriptedDriver::AnswerMessageBox(int answer) {
  m_answers.push_back(answer);
  return *this;
}

int CScriptedDriver::MessageBox(const CMessageBoxRequest& request) {
  m_boxes.push_back(request);
  if (m_answers.empty()) return request.DefaultAnswer();
  const int answer = m_answers.front();
  m_answers.pop_front();
  return answer;
}

void CScriptedDriver::Help(const CHelpRequest& request) { m_help.push_back(request); }

CScriptedDriver& CScriptedDriver::AnswerCredentials(const char* userName, const char* password) {
  m_credentials.push_back({true, userName, password});
  return *this;
}

CScriptedDriver& CScriptedDriver::CancelCredentials() {
  m_credentials.push_back({false, CString(), CString()});
  return *this;
}

CredentialsAnswer CScriptedDriver::AskCredentials(CCredentialsRequest& request) {
  m_credentialRequests.push_back(request);
  if (m_credentials.empty() || !m_credentials.front().given) {
    if (!m_credentials.empty()) m_credentials.pop_front();
    return CredentialsAnswer::Cancelled;
  }
  request.userName = m_credentials.front().userName;
  request.password = m_credentials.front().password;
  m_credentials.pop_front();
  return CredentialsAnswer::Given;
}

intptr_t CScriptedDriver::RunModal(CPropertySheet& sheet) {
  m_ranOut = false;
  for (int done = 0; sheet.IsRunning() && !m_steps.empty() && done < kMaxStepsPerRun; ++done) {
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step(sheet);
  }
  if (sheet.IsRunning()) {
    m_ranOut = true;
    sheet.Cancel();
  }
  m_results.push_back(sheet.GetResult());
  return sheet.GetResult();
}

void CScriptedDriver::Clear() {
  m_steps.clear();
  m_answers.clear();
  m_credentials.clear();
  m_credentialRequests.clear();
  m_boxes.clear();
  m_help.clear();
  m_refusals.clear();
  m_results.clear();
  m_ranOut = false;
}
