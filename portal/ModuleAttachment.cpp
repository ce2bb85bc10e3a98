// Joins the framework's resource chain when libBRCUtil.so is loaded and leaves it when
// the library is unloaded, so hosts find the library's strings, dialogs and bitmaps.
// The module object is created during the attachment's construction and therefore
// outlives its destruction.

#include "portal/BRCUtilModule.h"

namespace {

struct ModuleAttachment {
  ModuleAttachment() { brindle::portal::BRCUtilModule().Init(); }
  ~ModuleAttachment() { brindle::portal::BRCUtilModule().Term(); }
  ModuleAttachment(const ModuleAttachment&) = delete;
  ModuleAttachment& operator=(const ModuleAttachment&) = delete;
};

const ModuleAttachment attachment;

}  // namespace
