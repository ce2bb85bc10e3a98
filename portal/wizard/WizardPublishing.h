#pragma once
// The two publications through the wizard, as the exported entry points run them, with
// the outside systems given so they can be scripted. The wizard is driven by the driver
// the host chose for the framework (CUiApp::SetDriver).
//
// Pointer arguments may be none: a missing host string counts as empty and receives
// nothing, missing line arrays as empty, a missing options record or PDF options word as
// a default one that is not handed back.

#include <cstdint>

#include "brindle/BRCUtil.h"
#include "platform/ui/CStringArray.h"
#include "portal/PortalServices.h"

class CWnd;

namespace brindle::wizard {

struct WizardPublication {
  CWnd* ownerWindow = nullptr;
  const char* documentName = nullptr;  // the default NewsItem name
  const char* reportServer = nullptr;
  // In and out; none for the entry point without a portal address.
  CString* portalAddress = nullptr;
  SaveReportCallback saveReport = nullptr;
  std::uint32_t saveReportData = 0;
  const CStringArray* lineKeys = nullptr;
  const CStringArray* lineNames = nullptr;
  CPromptProperties* options = nullptr;
  std::uint32_t* pdfOptions = nullptr;
  int displayKind = 0;
  CString* newsItemId = nullptr;  // in and out
};

// Opens the portal, runs the wizard modally and, when it ended with Finish, hands the
// NewsItem's Id, the portal address and the options back and tells the user. 1 after a
// publication, else 0.
unsigned char PublishWithWizard(const WizardPublication& call, brindle::portal::PortalServices services);

}  // namespace brindle::wizard
