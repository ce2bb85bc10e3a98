#pragma once
// The wait cursor: shown while at least one wait is open. A CWaitCursor opens a wait for
// its life; Begin/End open and close waits explicitly (End never goes below none).
#include "brindle/export.h"

class BRINDLE_EXPORT CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

  // Shows the wait cursor again when every wait was ended by someone else.
  void Restore();

  static void Begin();
  static void End();
  // How many waits are open; the cursor is the wait cursor while this is above 0.
  static int Count();
  static bool IsShown() { return Count() > 0; }
};
