#pragma once
// A loaded message library and its entry point "brwebGetMessage". An entry
// exists only when both are valid; it is owned by the MessageCatalogue and
// stays valid until the catalogue is destroyed (when the library is unloaded).
// The entry point has the signature of BrwebGetMessageFn in
// platform/external/bradmtoolMsg.h.

#include "platform/DynamicLibrary.h"

struct CatalogueEntry {
  platform::ModuleHandle module = nullptr;
  platform::ProcAddress getMessage = nullptr;
};
