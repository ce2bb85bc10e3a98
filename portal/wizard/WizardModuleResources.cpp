// Adds the wizard's dialogs and bitmaps to the library's extension module when the
// library is loaded, next to the string table the module starts with.

#include "portal/BRCUtilModule.h"
#include "portal/wizard/WizardResources.h"

namespace {

struct WizardResourcesAdded {
  WizardResourcesAdded() { brindle::wizard::AddWizardResources(brindle::portal::BRCUtilModule().Resources()); }
};

const WizardResourcesAdded added;

}  // namespace
