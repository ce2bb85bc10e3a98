#pragma once
// One control of a dialog template: id, kind, text, rectangle in dialog units, styles.
#include "platform/ui/CRect.h"
#include "platform/ui/CString.h"
#include "platform/ui/UiDefs.h"

struct CDialogItem {
  unsigned id = IDC_STATIC;
  UiControlKind kind = UiControlKind::Static;
  CString text;
  CRect rect;                // dialog units, relative to the dialog's client area
  unsigned style = 0;        // WS_* | kind-specific styles (ES_*, TVS_*, LBS_*)
  unsigned resourceId = 0;   // a picture's bitmap resource
};
