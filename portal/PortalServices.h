#pragma once
// The outside systems one publishing run talks to: the security library, its logon
// dialog, the portal connection library and the report server. Default() binds the
// real ones; tests hand a run scripted ones.

#include <memory>

#include "portal/LogonDialog.h"
#include "portal/PortalConnection.h"
#include "portal/ReportServer.h"
#include "portal/SecurityLibrary.h"

namespace brindle::portal {

struct PortalServices {
  std::unique_ptr<SecurityLibrary> security;
  std::unique_ptr<LogonDialog> logonDialog;
  std::unique_ptr<PortalConnection> portal;
  std::unique_ptr<ReportServer> reportServer;

  // The libraries bound at run time and libbradm.so.
  static PortalServices Default();
};

}  // namespace brindle::portal
