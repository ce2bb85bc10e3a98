#include "platform/ui/CTerminalDriver.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/CButton.h"
#include "platform/ui/CCheckListBox.h"
#include "platform/ui/CControlLabel.h"
#include "platform/ui/CDialogTemplate.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "platform/ui/CResourceChain.h"
#include "platform/ui/CTreeCtrl.h"

namespace {

constexpr const char* kCommandHelp =
    "Act on a control by its name or its letter, then what to do:\n"
    "  name Quarterly sales     type into a field (\\n starts a new line; \"\" empties it)\n"
    "  zero | zero on | off     toggle, check or uncheck a check box\n"
    "  create                   choose a radio button or press a button\n"
    "  box /Sales/Europe        choose in a tree by full name (any letter case)\n"
    "  expand PATH | collapse PATH   show or hide a level of the tree\n"
    "  check ITEM | uncheck ITEM     an item of the check list\n"
    "  \"summary row\"            quote a name when one word is not enough\n"
    "  next | back | finish | cancel | help NAME | show | ?\n";

constexpr const char* kHint = "Type a name or letter and a value, next, back, finish or cancel; ? for help.";

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

CString Unescape(const std::string& text) {
  CString out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else if (ch == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else {
      out += ch;
    }
  }
  return out;
}

// "Quarterly sales" with or without its quotes.
std::string Unquoted(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// One screen line: longer ones end in "...".
CString Fit(const CString& line) {
  if (line.GetLength() <= CTerminalDriver::kScreenColumns) return line;
  return line.Left(CTerminalDriver::kScreenColumns - 3) + "...";
}

// What a person calls the control: its label, else its kind.
std::string ControlName(const CWnd& control) {
  const CString name = CControlLabel::NameOf(control);
  if (!name.IsEmpty()) return name.str();
  switch (control.GetKind()) {
    case UiControlKind::TreeView: return "Tree";
    case UiControlKind::ListBox:
    case UiControlKind::CheckListBox: return "List";
    case UiControlKind::Edit: return "Text";
    default: return "Control";
  }
}

char ControlLetter(const CWnd& control) {
  const CWnd* label = CControlLabel::LabelOf(control);
  return label ? CControlLabel::Mnemonic(label->GetWindowText()) : 0;
}

CString NameWithLetter(const CWnd& control) {
  CString text(ControlName(control).c_str());
  const char letter = ControlLetter(control);
  if (letter != 0) text.AppendFormat(" (%c)", static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  return text;
}

CString Disabled(const CWnd& control) { return control.IsWindowEnabled() ? CString() : CString(" (disabled)"); }

std::vector<CWnd*> ActionableControls(const CWnd& page) {
  std::vector<CWnd*> controls;
  for (CWnd* control : page.GetChildren()) {
    if (control->IsWindowVisible() && CControlLabel::TakesFocus(*control)) controls.push_back(control);
  }
  return controls;
}

// A tree item's full name: "/" and the labels from the root, separated by "/".
CString ItemPath(const CTreeCtrl& tree, HTREEITEM item) {
  CString path;
  for (HTREEITEM at = item; at; at = tree.GetParentItem(at)) path = "/" + tree.GetItemText(at) + path;
  return path;
}

// The item with this full name, the leading "/" optional, labels in any letter case.
HTREEITEM FindItem(const CTreeCtrl& tree, const std::string& path) {
  std::string rest = path;
  if (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  if (rest.empty()) return nullptr;
  HTREEITEM level = TVI_ROOT;
  HTREEITEM found = nullptr;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    const CString label(rest.substr(start, end - start).c_str());
    found = nullptr;
    for (HTREEITEM child = tree.GetChildItem(level); child; child = tree.GetNextSiblingItem(child)) {
      if (tree.GetItemText(child).CompareNoCase(label) == 0) {
        found = child;
        break;
      }
    }
    if (!found) return nullptr;
    level = found;
    start = end + 1;
  }
  return found;
}

// The tree's shown rows: an item's children only when it is expanded.
void AddTreeRows(const CTreeCtrl& tree, HTREEITEM parent, int depth, std::vector<CString>& rows, int& selectedRow) {
  for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item)) {
    const bool hasChildren = tree.ItemHasChildren(item);
    const bool expanded = hasChildren && tree.IsExpanded(item);
    const bool selected = item == tree.GetSelectedItem();
    CString row(std::string(static_cast<size_t>(2 + 2 * depth), ' ').c_str());
    row += hasChildren ? (expanded ? "[-] " : "[+] ") : "    ";
    row += tree.GetItemText(item);
    if (selected) {
      row += "   <- chosen";
      selectedRow = static_cast<int>(rows.size());
    }
    rows.push_back(row);
    if (expanded) AddTreeRows(tree, item, depth + 1, rows, selectedRow);
  }
}

// At most `room` rows, around the chosen one, saying what is left out.
std::vector<CString> WindowRows(const std::vector<CString>& rows, int selectedRow, int room,
                                const char* howToSeeMore) {
  const int count = static_cast<int>(rows.size());
  if (count <= room) return rows;
  room = std::max(room, 3);
  const int chosen = std::max(selectedRow, 0);
  auto place = [&](int shown) { return std::max(0, std::min(chosen - shown / 2, count - shown)); };
  int shown = room - 1;  // a line says what is left out
  int first = place(shown);
  if (first > 0 && first + shown < count) {
    shown = room - 2;  // left out above and below
    first = place(shown);
  }
  std::vector<CString> out;
  CString line;
  if (first > 0) {
    line.Format("  ... %d more above", first);
    out.push_back(line);
  }
  for (int i = first; i < first + shown; ++i) out.push_back(rows[static_cast<size_t>(i)]);
  if (first + shown < count) {
    line.Format("  ... %d more below (%s)", count - first - shown, howToSeeMore);
    out.push_back(line);
  }
  return out;
}

// A list's items side by side, wrapped to the screen: "[x] Region  [ ] Product".
std::vector<CString> ListRows(const CListBox& list) {
  std::vector<CString> rows;
  const auto* checks = dynamic_cast<const CCheckListBox*>(&list);
  CString row("    ");
  for (int i = 0; i < list.GetCount(); ++i) {
    CString item;
    if (checks) {
      item.Format("[%c] %s", checks->GetCheck(i) == 1 ? 'x' : ' ', list.GetText(i).GetString());
    } else {
      item.Format("%s%s", list.GetSel(i) == 1 ? "> " : "", list.GetText(i).GetString());
    }
    if (row.GetLength() > 4 && row.GetLength() + 2 + item.GetLength() > CTerminalDriver::kScreenColumns) {
      rows.push_back(row);
      row = "    ";
    }
    row += (row.GetLength() > 4 ? "  " : "") + item;
  }
  if (list.GetCount() == 0) row += "(empty)";
  rows.push_back(row);
  return rows;
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

// The label a template gives its tree: the text of the label just before it.
CString TemplateTreeName(const CDialogTemplate& dialog) {
  CString label;
  for (const CDialogItem& item : dialog.items) {
    if (item.kind == UiControlKind::Static && !item.text.IsEmpty()) label = item.text;
    if (item.kind == UiControlKind::TreeView) return CControlLabel::StripMnemonics(label).TrimRight(":");
    if (item.kind != UiControlKind::Static && item.kind != UiControlKind::Picture &&
        item.kind != UiControlKind::GroupBox) {
      label.Empty();  // a label names only the control right after it
    }
  }
  return CString();
}

// Says when Finish would publish into a place the person did not choose: a tree whose
// chosen item was chosen for them, or a page with a tree they never saw.
CString FinishNote(const CPropertySheet& sheet, const std::set<const CTreeCtrl*>& pickedTrees) {
  const CWnd* finish = sheet.GetDlgItem(ID_WIZFINISH);
  if (!finish || !finish->IsUsable()) return CString();
  for (int i = 0; i < sheet.GetPageCount(); ++i) {
    const CPropertyPage* page = sheet.GetPage(i);
    if (!page->IsWindow()) {
      const CDialogTemplate* dialog = CResourceChain::FindDialogTemplate(page->GetTemplateId());
      const CString tree = dialog ? TemplateTreeName(*dialog) : CString();
      if (!tree.IsEmpty()) {
        CString note;
        note.Format("Note: Finish goes ahead without your choice from \"%s\" (page %d).", tree.GetString(), i + 1);
        return note;
      }
      continue;
    }
    for (const CWnd* control : page->GetChildren()) {
      const auto* tree = dynamic_cast<const CTreeCtrl*>(control);
      if (!tree || pickedTrees.count(tree) != 0) continue;
      CString note;
      if (tree->GetSelectedItem()) {
        const std::string name = Lower(ControlName(*tree));
        note.Format("Note: Finish uses %s,\n      which you did not pick (%s PATH picks one).",
                    ItemPath(*tree, tree->GetSelectedItem()).GetString(),
                    name.substr(name.find_last_of(' ') + 1).c_str());
        return note;
      }
    }
  }
  return CString();
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

CString CTerminalDriver::Render(const CPropertySheet& sheet) { return Render(sheet, {}); }

CString CTerminalDriver::Render(const CPropertySheet& sheet, const std::set<const CTreeCtrl*>& pickedTrees) {
  std::vector<CString> lines;
  // Rows of trees and lists: they take what the rest of the page leaves of the screen.
  struct Block {
    size_t at;
    std::vector<CString> rows;
    int selectedRow;
    const char* howToSeeMore;
  };
  std::vector<Block> blocks;
  const CPropertyPage* page = sheet.GetActivePage();
  if (page) {
    CString header;
    header.Format("--- %s (page %d of %d) ---", page->GetCaption().GetString(), sheet.GetActiveIndex() + 1,
                  sheet.GetPageCount());
    lines.push_back(header);
    // Labels that name a control are shown with that control.
    std::set<const CWnd*> namingLabels;
    for (const CWnd* control : ActionableControls(*page)) {
      if (const CWnd* label = CControlLabel::LabelOf(*control); label && label != control) namingLabels.insert(label);
    }
    for (const CWnd* control : page->GetChildren()) {
      if (!control->IsWindowVisible() || namingLabels.count(control) != 0) continue;
      const CString text = CControlLabel::StripMnemonics(control->GetWindowText());
      switch (control->GetKind()) {
        case UiControlKind::Static:
          if (!text.IsEmpty()) lines.push_back(text);
          break;
        case UiControlKind::GroupBox: lines.push_back("-- " + text + " --"); break;
        case UiControlKind::Edit: {
          CString value = control->GetWindowText();
          value.Replace("\r\n", "\\n");
          value.Replace("\n", "\\n");
          lines.push_back(NameWithLetter(*control) + ": " + (value.IsEmpty() ? CString("(empty)") : value) +
                          Disabled(*control));
          break;
        }
        case UiControlKind::CheckBox:
        case UiControlKind::RadioButton: {
          const auto* button = dynamic_cast<const CButton*>(control);
          const bool checked = button && button->GetCheck() == 1;
          const bool radio = control->GetKind() == UiControlKind::RadioButton;
          CString mark;
          mark.Format(radio ? "(%c) " : "[%c] ", checked ? (radio ? '*' : 'x') : ' ');
          lines.push_back(mark + NameWithLetter(*control) + Disabled(*control));
          break;
        }
        case UiControlKind::PushButton: lines.push_back("<" + NameWithLetter(*control) + ">" + Disabled(*control)); break;
        case UiControlKind::TreeView: {
          lines.push_back(NameWithLetter(*control) + ":" + Disabled(*control));
          Block block{lines.size(), {}, -1, "expand or collapse PATH changes what shows"};
          if (const auto* tree = dynamic_cast<const CTreeCtrl*>(control)) {
            AddTreeRows(*tree, TVI_ROOT, 0, block.rows, block.selectedRow);
            if (tree->GetCount() == 0) block.rows.push_back("    (empty)");
          }
          blocks.push_back(std::move(block));
          break;
        }
        case UiControlKind::ListBox:
        case UiControlKind::CheckListBox: {
          lines.push_back(NameWithLetter(*control) + (control->GetKind() == UiControlKind::CheckListBox
                                                         ? CString(" (check/uncheck ITEM):")
                                                         : CString(":")) +
                          Disabled(*control));
          if (const auto* list = dynamic_cast<const CListBox*>(control)) {
            blocks.push_back(Block{lines.size(), ListRows(*list), -1, "check ITEM works for every item"});
          }
          break;
        }
        default: break;
      }
    }
  }
  std::vector<const CWnd*> buttons;
  for (const CWnd* child : sheet.GetChildren()) {
    if (child->GetKind() == UiControlKind::PushButton && child->IsWindowVisible()) buttons.push_back(child);
  }
  std::stable_sort(buttons.begin(), buttons.end(), [](const CWnd* a, const CWnd* b) {
    return a->GetWindowRect().left < b->GetWindowRect().left;
  });
  CString row = "Buttons:";
  for (const CWnd* button : buttons) {
    row += " <" + CControlLabel::StripMnemonics(button->GetWindowText()) + ">";
    if (!button->IsWindowEnabled()) row += "(disabled)";
  }
  std::vector<CString> tail = {row};
  const CString note = FinishNote(sheet, pickedTrees);
  for (const std::string& noteLine : SplitLines(note.str())) tail.push_back(noteLine.c_str());
  tail.push_back(kHint);

  // The page, a blank line before it and the prompt after it fit the screen; trees and lists
  // share what is left, each at least a few rows.
  constexpr int kFewestRows = 3;
  int room = kScreenLines - 2 - static_cast<int>(lines.size() + tail.size());
  std::vector<std::vector<CString>> shown;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const int keepForOthers = kFewestRows * static_cast<int>(blocks.size() - i - 1);
    shown.push_back(WindowRows(blocks[i].rows, blocks[i].selectedRow, std::max(kFewestRows, room - keepForOthers),
                               blocks[i].howToSeeMore));
    room -= static_cast<int>(shown.back().size());
  }
  for (size_t i = blocks.size(); i-- > 0;) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(blocks[i].at), shown[i].begin(), shown[i].end());
  }
  lines.insert(lines.end(), tail.begin(), tail.end());
  CString text;
  for (const CString& line : lines) text += Fit(line) + "\n";
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
  m_out << "Help";
  if (request.window) {
    const std::string name = ControlName(*request.window);
    if (!name.empty()) m_out << " on \"" << name << "\"";
  }
  if (request.file.IsEmpty()) {
    m_out << ": no help file is set up.\n";
  } else {
    m_out << ": it is in " << request.file << ", which has no viewer on this system.\n";
  }
  m_out.flush();
}

intptr_t CTerminalDriver::RunModal(CPropertySheet& sheet) {
  m_pickedTrees.clear();
  bool showPage = true;
  while (sheet.IsRunning()) {
    if (showPage) m_out << "\n" << Render(sheet, m_pickedTrees);
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
  m_pickedTrees.clear();
  m_out.flush();
  return sheet.GetResult();
}

// Runs one command; true when the page should be shown again.
bool CTerminalDriver::Execute(CPropertySheet& sheet, const CString& line) {
  const std::string text = Trimmed(line.str());
  if (text.empty()) return false;
  auto refuse = [this](const std::string& why) {
    m_out << why << "\n";
    return false;
  };
  auto press = [&](int id) { return sheet.PressButton(id) ? true : refuse("That button is not available."); };
  CPropertyPage* page = sheet.GetActivePage();
  if (!page) return refuse("There is no page.");

  // The leading name (a quoted phrase, or words) and what follows it.
  std::vector<std::string> words;
  std::vector<size_t> wordEnds;
  std::string quoted;
  size_t quotedEnd = 0;
  if (text.front() == '"') {
    quotedEnd = text.find('"', 1);
    if (quotedEnd == std::string::npos) return refuse("A quoted name needs its closing quote.");
    quoted = Lower(text.substr(1, quotedEnd - 1));
    ++quotedEnd;
  } else {
    for (size_t at = 0; at < text.size();) {
      const size_t end = std::min(text.find(' ', at), text.size());
      if (end > at) {
        words.push_back(text.substr(at, end - at));
        wordEnds.push_back(end);
      }
      at = end + 1;
    }
  }
  // "help NAME": the name that follows says which control.
  const bool forHelp = !words.empty() && Lower(words.front()) == "help" && words.size() > 1;
  if (forHelp) {
    words.erase(words.begin());
    wordEnds.erase(wordEnds.begin());
  }
  const std::string first = words.empty() ? std::string() : Lower(words.front());
  const std::string afterFirst = words.empty() ? std::string() : Trimmed(text.substr(wordEnds.front()));

  if (!forHelp) {
    if (first == "next" && words.size() == 1) return press(ID_WIZNEXT);
    if (first == "back" && words.size() == 1) return press(ID_WIZBACK);
    if (first == "finish" && words.size() == 1) return press(ID_WIZFINISH);
    if (first == "cancel" && words.size() == 1) return press(IDCANCEL);
    if (first == "ok" && words.size() == 1) return press(IDOK);
    if (first == "show" && words.size() == 1) return true;
    if (first == "?" || (first == "help" && words.size() == 1)) {
      m_out << kCommandHelp << "On this page:";
      for (const CWnd* control : ActionableControls(*page)) m_out << " " << NameWithLetter(*control) << ";";
      m_out << "\n";
      return false;
    }
    if (first == "check" || first == "uncheck") {
      const std::string wanted = Lower(Unquoted(afterFirst));
      if (wanted.empty()) return refuse("Say which item: " + first + " ITEM.");
      for (CWnd* control : ActionableControls(*page)) {
        auto* list = dynamic_cast<CCheckListBox*>(control);
        if (!list) continue;
        int match = -1, prefixMatches = 0, prefixMatch = -1;
        for (int i = 0; i < list->GetCount() && match < 0; ++i) {
          const std::string item = Lower(list->GetText(i).str());
          if (item == wanted) match = i;
          if (item.rfind(wanted, 0) == 0) {
            ++prefixMatches;
            prefixMatch = i;
          }
        }
        if (match < 0 && prefixMatches == 1) match = prefixMatch;
        if (match < 0) continue;
        if (!list->IsWindowEnabled()) return refuse("That list is disabled.");
        list->UserSetCheck(match, first == "check" ? 1 : 0);
        return true;
      }
      return refuse("There is no such item.");
    }
    if (first == "expand" || first == "collapse" || first == "select") {
      CTreeCtrl* tree = nullptr;
      for (CWnd* control : ActionableControls(*page)) {
        if (!tree) tree = dynamic_cast<CTreeCtrl*>(control);
      }
      if (tree) {
        if (afterFirst.empty()) return refuse("Say which level: " + first + " /Sales.");
        HTREEITEM item = FindItem(*tree, Unquoted(afterFirst));
        if (!item) return refuse("There is no such item.");
        if (first == "select") {
          if (!tree->UserSelect(item)) return refuse("That control is disabled.");
          m_pickedTrees.insert(tree);
          return true;
        }
        tree->Expand(item, first == "expand" ? TVE_EXPAND : TVE_COLLAPSE);
        return true;
      }
    }
  }

  // A control by its letter or its name.
  const std::vector<CWnd*> controls = ActionableControls(*page);
  CWnd* control = nullptr;
  std::string argument;
  // The controls whose name matches `phrase` best: the whole name, then its beginning, then
  // the beginning of one of its words, then anywhere in it.
  auto matching = [&controls](const std::string& phrase) {
    std::vector<CWnd*> tiers[4];
    for (CWnd* candidate : controls) {
      const std::string name = Lower(ControlName(*candidate));
      const size_t at = name.find(phrase);
      if (at == std::string::npos) continue;
      bool atWord = false;
      for (size_t from = 0; from != std::string::npos && !atWord; from = name.find(phrase, from + 1)) {
        atWord = from == 0 || !std::isalnum(static_cast<unsigned char>(name[from - 1]));
      }
      const int tier = name == phrase ? 0 : (at == 0 ? 1 : (atWord ? 2 : 3));
      tiers[tier].push_back(candidate);
    }
    for (const auto& tier : tiers) {
      if (!tier.empty()) return tier;
    }
    return std::vector<CWnd*>();
  };
  auto ambiguous = [&](const std::vector<CWnd*>& found) {
    std::string which = "Which one? Say more of the name, or quote it:";
    for (const CWnd* candidate : found) which += "\n  " + ControlName(*candidate);
    return refuse(which);
  };
  if (!quoted.empty()) {
    const std::vector<CWnd*> found = matching(quoted);
    if (found.size() > 1) return ambiguous(found);
    if (found.size() == 1) control = found.front();
    argument = Trimmed(text.substr(quotedEnd));
  } else if (first.size() == 1 && std::isalpha(static_cast<unsigned char>(first[0]))) {
    for (CWnd* candidate : controls) {
      if (std::tolower(static_cast<unsigned char>(ControlLetter(*candidate))) == first[0]) control = candidate;
    }
    argument = afterFirst;
  } else {
    for (size_t count = words.size(); count > 0 && !control; --count) {
      std::string phrase;
      for (size_t i = 0; i < count; ++i) phrase += (i ? " " : "") + Lower(words[i]);
      const std::vector<CWnd*> found = matching(phrase);
      if (found.size() > 1) return ambiguous(found);
      if (found.size() == 1) {
        control = found.front();
        argument = Trimmed(text.substr(wordEnds[count - 1]));
      }
    }
  }
  if (!control) {
    const std::string name = quoted.empty() ? words.front() : quoted;
    return refuse("There is nothing called \"" + name + "\" on this page; ? lists the names.");
  }

  if (forHelp) {
    if (!sheet.HelpOnControl(control->GetDlgCtrlID())) m_out << "No help for that control.\n";
    return false;
  }
  if (!control->IsWindowEnabled()) return refuse("That control is disabled.");
  switch (control->GetKind()) {
    case UiControlKind::Edit: {
      if (argument.empty()) return refuse("Give the text after the name, e.g. " + Lower(ControlName(*control)) + " Quarterly sales.");
      static_cast<CEdit*>(control)->UserSetText(Unescape(Unquoted(argument)));
      return true;
    }
    case UiControlKind::CheckBox: {
      auto* box = static_cast<CButton*>(control);
      const std::string state = Lower(argument);
      if (!state.empty() && state != "on" && state != "off") return refuse("Say on or off.");
      if (state.empty() || (state == "on") != (box->GetCheck() == 1)) box->Click();
      return true;
    }
    case UiControlKind::RadioButton:
    case UiControlKind::PushButton:
      if (!argument.empty()) return refuse("That is a button: give its name alone.");
      static_cast<CButton*>(control)->Click();
      return true;
    case UiControlKind::TreeView: {
      auto* tree = static_cast<CTreeCtrl*>(control);
      if (argument.empty()) return refuse("Give the full name, e.g. " + Lower(ControlName(*tree)) + " /Sales/Europe.");
      HTREEITEM item = FindItem(*tree, Unquoted(argument));
      if (!item || !tree->UserSelect(item)) return refuse("There is no such item.");
      m_pickedTrees.insert(tree);
      return true;
    }
    case UiControlKind::ListBox: {
      auto* list = static_cast<CListBox*>(control);
      const int index = list->FindStringExact(-1, Unquoted(argument).c_str());
      if (index < 0 || !list->UserSelect(index)) return refuse("There is no such item.");
      return true;
    }
    case UiControlKind::CheckListBox: return refuse("Use check ITEM or uncheck ITEM.");
    default: return refuse("That control cannot be used from here.");
  }
}
