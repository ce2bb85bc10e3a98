#include "portal/PortalServices.h"

#include "portal/BradmReportServer.h"
#include "portal/LumoraPortalConnection.h"
#include "portal/SentrelSecurityLibrary.h"
#include "portal/TessaronLogonDialog.h"

namespace brindle::portal {

PortalServices PortalServices::Default() {
  PortalServices services;
  services.security = std::make_unique<SentrelSecurityLibrary>();
  services.logonDialog = std::make_unique<TessaronLogonDialog>();
  services.portal = std::make_unique<LumoraPortalConnection>();
  services.reportServer = std::make_unique<BradmReportServer>();
  return services;
}

}  // namespace brindle::portal
