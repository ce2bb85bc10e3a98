#include "platform/ui/CTerminalDriver.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <sstream>
#include <string>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CTreeCtrl.h"

namespace {

constexpr const char* kCommandHelp =
    "Commands:\n"
    "  next | back | finish | cancel | helpbutton   press a button\n"
    "  set ID TEXT        type TEXT into edit ID (\\n: new line)\n"
    "  click ID           click button, check box or radio button ID\n"
    "  check ID N on|off  check or uncheck item N of check list ID\n"
    "  pick ID N          choose item N of list ID\n"
    "  select ID PATH     choose the item at PATH (A/B) in tree ID\n"
    "  help ID            help on control ID\n"
    "  show               show the page again\n"
    "  ?                  this list\n";

// "&Next >" is shown as "Next >"; "&&" stands for one "&".
CString WithoutMnemonics(const CString& text) {
  CString out;
  for (int i = 0; i < text.GetLength(); ++i) {
    const char ch = text[i];
    if (ch == '&') {
      if (text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += ch;
  }
  return out;
}

CString Unescape(const CString& text) {
  CString out;
  for (int i = 0; i < text.GetLength(); ++i) {
    const char ch = text[i];
    if (ch == '\\' && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else if (ch == '\\' && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else {
      out += ch;
    }
  }
  return out;
}

bool ParseNumber(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0' && errno != ERANGE;
}

bool ParseId(const std::string& text, unsigned& id) {
  long value = 0;
  if (!ParseNumber(text, value) || value < 0 || value > static_cast<long>(UINT_MAX)) return false;
  id = static_cast<unsigned>(value);
  return true;
}

bool ParseIndex(const std::string& text, int& index) {
  long value = 0;
  if (!ParseNumber(text, value) || value < 0 || value > INT_MAX) return false;
  index = static_cast<int>(value);
  return true;
}

CString ControlLine(const CWnd& control) {
  CString line;
  switch (control.GetKind()) {
    case UiControlKind::Static: line = WithoutMnemonics(control.GetWindowText()); break;
    default: line = control.Describe(); break;
  }
  if (control.GetKind() == UiControlKind::CheckBox || control.GetKind() == UiControlKind::RadioButton ||
      control.GetKind() == UiControlKind::PushButton || control.GetKind() == UiControlKind::GroupBox) {
    line = WithoutMnemonics(line);
  }
  const bool listsItsOwnState =
      control.GetKind() == UiControlKind::TreeView || control.GetKind() == UiControlKind::CheckListBox;
  if (!control.IsWindowEnabled() && !listsItsOwnState) line += " (disabled)";
  return line;
}

const char* AnswerName(int answer) {
  switch (answer) {
    case IDOK: return "ok";
    case IDCANCEL: return "cancel";
    case IDABORT: return "abort";
    case IDRETRY: return "retry";
    case IDIGNORE: return "ignore";
    case IDYES: return "yes";
    case IDNO: return "no";
    default: return "?";
  }
}

}  // namespace

CTerminalDriver::CTerminalDriver(std::istream& in, std::ostream& out) : m_in(in), m_out(out) {}

CTerminalDriver::~CTerminalDriver() = default;

bool CTerminalDriver::ReadLine(CString& line) {
  if (m_inputEnded) return false;
  std::string text;
  if (!std::getline(m_in, text)) {
    m_inputEnded = true;
    return false;
  }
  if (!text.empty() && text.back() == '\r') text.pop_back();
  line = text;
  return true;
}

CString CTerminalDriver::Render(const CPropertySheet& sheet) {
  CString text;
  text.Format("=== %s ===\n", sheet.GetWindowText().GetString());
  const CPropertyPage* page = sheet.GetActivePage();
  if (page) {
    text.AppendFormat("--- %s (page %d of %d) ---\n", page->GetCaption().GetString(), sheet.GetActiveIndex() + 1,
                      sheet.GetPageCount());
    for (const CWnd* control : page->GetChildren()) {
      if (!control->IsWindowVisible()) continue;
      text += "  " + ControlLine(*control) + "\n";
    }
  }
  std::vector<const CWnd*> buttons;
  for (const CWnd* child : sheet.GetChildren()) {
    if (child->GetKind() == UiControlKind::PushButton && child->IsWindowVisible()) buttons.push_back(child);
  }
  std::stable_sort(buttons.begin(), buttons.end(), [](const CWnd* a, const CWnd* b) {
    return a->GetWindowRect().left < b->GetWindowRect().left;
  });
  text += "Buttons:";
  for (const CWnd* button : buttons) {
    text += " <" + WithoutMnemonics(button->GetWindowText()) + ">";
    if (!button->IsWindowEnabled()) text += "(disabled)";
  }
  text += "\n";
  return text;
}

int CTerminalDriver::MessageBox(const CMessageBoxRequest& request) {
  m_out << "\n[" << request.caption << "] " << request.text << "\n";
  const std::vector<int> buttons = request.Buttons();
  if (buttons.size() == 1) {
    m_out << "(" << AnswerName(buttons.front()) << ")\n";
    m_out.flush();
    return buttons.front();
  }
  while (true) {
    m_out << "Answer (";
    for (size_t i = 0; i < buttons.size(); ++i) m_out << (i ? "/" : "") << AnswerName(buttons[i]);
    m_out << ") [" << AnswerName(request.DefaultAnswer()) << "]: ";
    m_out.flush();
    CString line;
    if (!ReadLine(line)) {
      m_out << "\n";
      return request.CloseAnswer();
    }
    line.Trim();
    if (line.IsEmpty()) return request.DefaultAnswer();
    for (int button : buttons) {
      if (line.CompareNoCase(AnswerName(button)) == 0) return button;
    }
    m_out << "Please answer with one of the choices.\n";
  }
}

void CTerminalDriver::Help(const CHelpRequest& request) {
  m_out << "Help: " << request.file << ", topic " << request.contextId;
  if (request.command == HELP_WM_HELP) m_out << " (control " << request.controlId << ")";
  m_out << "\n";
  m_out.flush();
}

intptr_t CTerminalDriver::RunModal(CPropertySheet& sheet) {
  bool showPage = true;
  while (sheet.IsRunning()) {
    if (showPage) m_out << "\n" << Render(sheet);
    m_out << "> ";
    m_out.flush();
    CString line;
    if (!ReadLine(line)) {
      m_out << "\n(end of input: cancelling)\n";
      sheet.Cancel();
      break;
    }
    showPage = Execute(sheet, line);
  }
  m_out.flush();
  return sheet.GetResult();
}

// Runs one command; true when the page should be shown again.
bool CTerminalDriver::Execute(CPropertySheet& sheet, const CString& line) {
  std::istringstream words(line.str());
  std::string command;
  if (!(words >> command)) return false;
  auto refuse = [this](const char* why) {
    m_out << why << "\n";
    return false;
  };
  auto press = [&](int id) { return sheet.PressButton(id) ? true : refuse("That button is not available."); };

  if (command == "next") return press(ID_WIZNEXT);
  if (command == "back") return press(ID_WIZBACK);
  if (command == "finish") return press(ID_WIZFINISH);
  if (command == "cancel") return press(IDCANCEL);
  if (command == "ok") return press(IDOK);
  if (command == "helpbutton") return press(IDHELP);
  if (command == "show") return true;
  if (command == "?") {
    m_out << kCommandHelp;
    return false;
  }

  std::string idText;
  unsigned id = 0;
  if (!(words >> idText) || !ParseId(idText, id)) {
    if (command == "set" || command == "click" || command == "check" || command == "pick" ||
        command == "select" || command == "help") {
      return refuse("Give the control's number, as shown in brackets.");
    }
    return refuse("Unknown command; ? lists the commands.");
  }
  CWnd* control = sheet.FindControl(id);
  if (!control || !control->IsWindowVisible()) return refuse("There is no such control on this page.");

  if (command == "help") {
    if (!sheet.HelpOnControl(id)) m_out << "No help for that control.\n";
    return false;
  }
  if (!control->IsWindowEnabled()) return refuse("That control is disabled.");

  if (command == "set") {
    auto* edit = dynamic_cast<CEdit*>(control);
    if (!edit) return refuse("That control is not a text field.");
    std::string rest;
    std::getline(words, rest);
    if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
    edit->UserSetText(Unescape(CString(rest)));
    return true;
  }
  if (command == "click") {
    auto* button = dynamic_cast<CButton*>(control);
    if (!button || !button->Click()) return refuse("That control cannot be clicked.");
    return true;
  }
  if (command == "check") {
    auto* list = dynamic_cast<CCheckListBox*>(control);
    std::string indexText, state = "on";
    int index = 0;
    if (!list) return refuse("That control is not a check list.");
    if (!(words >> indexText) || !ParseIndex(indexText, index)) return refuse("Give the item's number.");
    words >> state;
    if (state != "on" && state != "off") return refuse("Say on or off.");
    if (!list->UserSetCheck(index, state == "on" ? 1 : 0)) return refuse("There is no such item.");
    return true;
  }
  if (command == "pick") {
    auto* list = dynamic_cast<CListBox*>(control);
    std::string indexText;
    int index = 0;
    if (!list) return refuse("That control is not a list.");
    if (!(words >> indexText) || !ParseIndex(indexText, index)) return refuse("Give the item's number.");
    if (!list->UserSelect(index)) return refuse("There is no such item.");
    return true;
  }
  if (command == "select") {
    auto* tree = dynamic_cast<CTreeCtrl*>(control);
    if (!tree) return refuse("That control is not a tree.");
    std::string path;
    std::getline(words, path);
    const CString where = CString(path).Trim();
    HTREEITEM item = tree->FindItemByPath(where);
    if (!item || !tree->UserSelect(item)) return refuse("There is no such item.");
    return true;
  }
  return refuse("Unknown command; ? lists the commands.");
}
