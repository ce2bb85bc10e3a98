#pragma once
// The extension module of libBRCUtil.so: its resources (the string table, and the
// wizard's dialogs and bitmaps, which their own code adds) and its place in the
// framework's resource chain. The library joins the chain when it is loaded and leaves
// it when it is unloaded.

#include "platform/ui/CExtensionModule.h"

namespace brindle::portal {

// The one module object, created with the string table on first use.
CExtensionModule& BRCUtilModule();

}  // namespace brindle::portal
