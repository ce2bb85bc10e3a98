#pragma once
// A driver for people: shows the active page as text that fits a terminal of 80 x 24, and
// reads one short command per line. It works the same on a terminal and on input piped from
// a file; at the end of input it cancels the run.
//
// Controls are named by their label or by their mnemonic letter, never by a number:
//   name Quarterly sales        type into the field labelled "NewsItem name" (or: i ...)
//   "summary row"               a quoted name when a word is not enough
//   zero | zero on | zero off   toggle, check or uncheck the check box "Zero suppression"
//   create                      choose the radio button "Create a new NewsItem"
//   box /Sales/Europe           choose in the tree labelled "Available NewsBoxes", by the same
//                               full name as brpublish --box (any letter case)
//   expand /Sales | collapse /Sales     show or hide a level of the tree
//   check Region | uncheck Region       check or uncheck an item of the page's check list
//   next | back | finish | cancel       press a sheet button
//   help NAME                   context help on a control;   show   the page again;   ? help
// A name matches the control whose name contains it (ignoring letter case); the longest
// leading phrase of the line that matches one control is taken. Controls without a label go
// by their kind: "text", "tree", "list".
// Message boxes are shown with their buttons; one that offers a choice reads a line
// (ok, cancel, yes, no, abort, retry, ignore; empty: the default button).
#include <cstdint>
#include <iosfwd>
#include <set>

#include "brindle/export.h"
#include "platform/ui/CString.h"
#include "platform/ui/CUiDriver.h"

class CTreeCtrl;

class BRINDLE_EXPORT CTerminalDriver : public CUiDriver {
 public:
  // The lines a page may take, the prompt line included.
  static constexpr int kScreenLines = 24;
  static constexpr int kScreenColumns = 80;

  CTerminalDriver(std::istream& in, std::ostream& out);
  ~CTerminalDriver() override;

  int MessageBox(const CMessageBoxRequest& request) override;
  void Help(const CHelpRequest& request) override;
  intptr_t RunModal(CPropertySheet& sheet) override;

  // The active page of `sheet` as the driver shows it.
  static CString Render(const CPropertySheet& sheet);

 private:
  static CString Render(const CPropertySheet& sheet, const std::set<const CTreeCtrl*>& pickedTrees);
  bool ReadLine(CString& line);
  bool Execute(CPropertySheet& sheet, const CString& line);

  std::istream& m_in;
  std::ostream& m_out;
  bool m_inputEnded = false;
  // Trees in which the person chose an item during this run.
  std::set<const CTreeCtrl*> m_pickedTrees;
};
