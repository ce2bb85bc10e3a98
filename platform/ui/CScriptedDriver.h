#pragma once
// A driver for tests: a script of user actions played in order during a modal run. Each
// action that cannot be done (a missing, hidden or disabled control, an unknown tree path)
// is recorded as a refusal and the script goes on. When the script runs out while the
// sheet still runs, the driver presses Cancel, so a run always ends. Message boxes take the
// queued answers in order, else their default answer; boxes and help calls are recorded.
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CString.h"
#include "platform/ui/CUiDriver.h"

class BRINDLE_EXPORT CScriptedDriver : public CUiDriver {
 public:
  using Step = std::function<void(CPropertySheet&)>;

  CScriptedDriver();
  ~CScriptedDriver() override;

  // Script steps; each returns the driver for chaining.
  CScriptedDriver& SetText(unsigned controlId, const char* text);    // edit: typed text
  CScriptedDriver& Click(unsigned controlId);                        // button, check, radio
  CScriptedDriver& CheckItem(unsigned listId, int index, bool checked = true);
  CScriptedDriver& SelectListItem(unsigned listId, int index);
  CScriptedDriver& SelectTreeItem(unsigned treeId, const char* path, char separator = '/');
  CScriptedDriver& SelectTreeItem(unsigned treeId, std::vector<CString> labels);
  CScriptedDriver& Press(int buttonId);  // a sheet button
  CScriptedDriver& Back() { return Press(ID_WIZBACK); }
  CScriptedDriver& Next() { return Press(ID_WIZNEXT); }
  CScriptedDriver& Finish() { return Press(ID_WIZFINISH); }
  CScriptedDriver& Cancel() { return Press(IDCANCEL); }
  CScriptedDriver& HelpOn(unsigned controlId);  // context help on a control
  // Runs `step` with the sheet: to look at state in the middle of a run, or act directly.
  CScriptedDriver& Do(Step step);
  // The answer of the next message box that has no queued answer yet.
  CScriptedDriver& AnswerMessageBox(int answer);
  // The next request for credentials is answered with these; one without a queued answer
  // is cancelled.
  CScriptedDriver& AnswerCredentials(const char* userName, const char* password);
  CScriptedDriver& CancelCredentials();

  int MessageBox(const CMessageBoxRequest& request) override;
  void Help(const CHelpRequest& request) override;
  intptr_t RunModal(CPropertySheet& sheet) override;
  CredentialsAnswer AskCredentials(CCredentialsRequest& request) override;

  const std::vector<CMessageBoxRequest>& MessageBoxes() const { return m_boxes; }
  const std::vector<CHelpRequest>& HelpCalls() const { return m_help; }
  // Every request for credentials as it was asked.
  const std::vector<CCredentialsRequest>& CredentialRequests() const { return m_credentialRequests; }
  // "press 12325: disabled", "click 1028: no such control", ...
  const std::vector<CString>& Refusals() const { return m_refusals; }
  // The result of every modal run, in order.
  const std::vector<intptr_t>& Results() const { return m_results; }
  intptr_t LastResult() const { return m_results.empty() ? 0 : m_results.back(); }
  int PendingSteps() const { return static_cast<int>(m_steps.size()); }
  // Whether the last run ended by the driver's own Cancel because the script ran out.
  bool RanOut() const { return m_ranOut; }
  void Clear();

 private:
  CScriptedDriver& Add(Step step);
  void Refuse(const CString& what);

  std::deque<Step> m_steps;
  std::deque<int> m_answers;
  struct Credentials {
    bool given;
    CString userName, password;
  };
  std::deque<Credentials> m_credentials;
  std::vector<CCredentialsRequest> m_credentialRequests;
  std::vector<CMessageBoxRequest> m_boxes;
  std::vector<CHelpRequest> m_help;
  std::vector<CString> m_refusals;
  std::vector<intptr_t> m_results;
  bool m_ranOut = false;
};
