#pragma once
// A driver for people: shows the active page as text (caption, controls and their states,
// the sheet's buttons) and reads one short command per line. It works the same on a
// terminal and on input piped from a file; at the end of input it cancels the run.
//
// Commands ("id" is a control id as shown in brackets):
//   next | back | finish | cancel | helpbutton   press a sheet button
//   set ID TEXT        type TEXT into an edit (\n starts a new line in a multi-line edit)
//   click ID           click a button, check box or radio button
//   check ID N on|off  check or uncheck item N (from 0) of a check list
//   pick ID N          choose item N of a list
//   select ID PATH     choose the tree item at PATH (labels separated by "/")
//   help ID            context help on a control
//   show               show the page again;   ?   list the commands
// Message boxes are shown with their buttons; one that offers a choice reads a line
// (ok, cancel, yes, no, abort, retry, ignore; empty: the default button).
#include <cstdint>
#include <iosfwd>

#include "brindle/export.h"
#include "platform/ui/CString.h"
#include "platform/ui/CUiDriver.h"

class BRINDLE_EXPORT CTerminalDriver : public CUiDriver {
 public:
  CTerminalDriver(std::istream& in, std::ostream& out);
  ~CTerminalDriver() override;

  int MessageBox(const CMessageBoxRequest& request) override;
  void Help(const CHelpRequest& request) override;
  intptr_t RunModal(CPropertySheet& sheet) override;

  // The active page of `sheet` as the driver shows it.
  static CString Render(const CPropertySheet& sheet);

 private:
  bool ReadLine(CString& line);
  bool Execute(CPropertySheet& sheet, const CString& line);

  std::istream& m_in;
  std::ostream& m_out;
  bool m_inputEnded = false;
};
