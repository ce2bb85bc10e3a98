#include "portal/BRCUtilModule.h"

#include "portal/PortalStrings.h"

namespace brindle::portal {

namespace {

struct ModuleWithStrings {
  ModuleWithStrings() { module.Resources().AddStrings(kPortalStrings); }
  CExtensionModule module{"BRCUtil"};
};

}  // namespace

CExtensionModule& BRCUtilModule() {
  static ModuleWithStrings instance;
  return instance.module;
}

}  // namespace brindle::portal
