#pragma once
// Message boxes. They are handed to the current driver (CUiApp::GetDriver), which shows
// them, records them or answers them; the result is the answer (IDOK, IDCANCEL, ...).
#include "brindle/export.h"
#include "platform/ui/CString.h"
#include "platform/ui/UiDefs.h"

class BRINDLE_EXPORT CMessageBox {
 public:
  // A box with `text`; an empty or absent caption is the application name.
  static int Show(const char* text, unsigned type = MB_OK, const char* caption = nullptr,
                  const CWnd* owner = nullptr, unsigned helpId = 0);
  // A box showing string resource `stringId` (found through the resource chain).
  static int ShowString(unsigned stringId, unsigned type = MB_OK, const CWnd* owner = nullptr);
};
