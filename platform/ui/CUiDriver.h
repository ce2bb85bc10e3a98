#pragma once
// What drives the headless UI: it answers message boxes, receives help calls and runs
// modal property sheets. The host picks the process-wide driver with CUiApp::SetDriver.
#include <cstdint>
#include <vector>

#include "brindle/export.h"
#include "platform/ui/CString.h"
#include "platform/ui/UiDefs.h"

class CPropertySheet;

// What happened to a window, as CUiDriver::WindowChanged is told.
enum class UiChange {
  Created,    // it became a window (its parent, if any, is set)
  Changed,    // what it shows changed: text, enabling, visibility, place, checks, items, selection
  Destroyed,  // it is no longer a window; it may be in the middle of its destructor
};

// A message box as the driver sees it.
struct BRINDLE_EXPORT CMessageBoxRequest {
  CString text;
  CString caption;
  unsigned type = MB_OK;  // MB_* buttons | icon | default button
  unsigned helpId = 0;
  const CWnd* owner = nullptr;

  // The answers the box offers, in button order (MB_OK: IDOK; MB_YESNO: IDYES, IDNO; ...).
  std::vector<int> Buttons() const;
  // The answer of its default button.
  int DefaultAnswer() const;
  // The answer given when the box is closed without a choice: IDCANCEL when it offers
  // it, IDNO for yes/no, else its default button.
  int CloseAnswer() const;
};

// A request for a user name and password, as a logon dialog asks for them.
struct BRINDLE_EXPORT CCredentialsRequest {
  CString caption;    // the dialog's title
  CString nameSpace;  // where the user signs on; may be empty
  CString message;    // empty on the first try; after a refused password, why it was refused
  CString userName;   // proposed on entry (the last one tried), typed on return
  CString password;   // typed on return (never shown while typed)
};

enum class CredentialsAnswer {
  Given,      // userName and password hold what was typed
  Cancelled,  // the person declined to sign on
  CannotAsk,  // this driver has no way to ask; the caller asks by other means
};

// A call of the help engine.
struct CHelpRequest {
  CString file;
  unsigned command = HELP_CONTEXT;  // HELP_WM_HELP, HELP_CONTEXT, HELP_CONTEXTPOPUP
  unsigned controlId = 0;           // HELP_WM_HELP: the control the help is about
  std::uint32_t contextId = 0;      // the topic: given, or found in the help map by control id
  const CWnd* window = nullptr;
};

class BRINDLE_EXPORT CUiDriver {
 public:
  virtual ~CUiDriver();
  // Shows a message box and returns the answer: one of request.Buttons().
  virtual int MessageBox(const CMessageBoxRequest& request) = 0;
  // Receives a help call.
  virtual void Help(const CHelpRequest& request) = 0;
  // Runs a sheet that has been created until it ends (sheet.IsRunning() is false),
  // and returns its result. Must end the sheet (e.g. with Cancel) rather than block forever.
  virtual intptr_t RunModal(CPropertySheet& sheet) = 0;
  // Asks for a user name and password. The default cannot ask.
  virtual CredentialsAnswer AskCredentials(CCredentialsRequest& request);
  // Told of every window change, so that a driver that shows the windows keeps in step
  // with the model. A Destroyed window must only be used as a key. The default ignores it.
  virtual void WindowChanged(const CWnd& window, UiChange change);
};

// The driver used while the host has chosen none: message boxes are written to standard
// error and answered with their default button, help calls are ignored, and a modal run
// is cancelled at once.
class BRINDLE_EXPORT CHeadlessDriver : public CUiDriver {
 public:
  int MessageBox(const CMessageBoxRequest& request) override;
  void Help(const CHelpRequest& request) override;
  intptr_t RunModal(CPropertySheet& sheet) override;
};
