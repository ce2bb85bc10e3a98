#include "tools/brpublish/PortalConnectionExtras.h"

#include <dlfcn.h>

#include "platform/external/LumoraConnect.h"

namespace {

// Loaded once and kept for the life of the process, like libBRCUtil.so keeps it.
void* library() {
  static void* const handle = dlopen("libLUMORACONNECT.so", RTLD_NOW);
  return handle;
}

template <typename Fn>
Fn function(const char* name) {
  void* handle = library();
  return handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
}

}  // namespace

void PortalConnectionExtras::setTimeouts(int connectMs, int ioMs) {
  if (auto set = function<LC_SetTimeouts_fn>(LC_SET_TIMEOUTS_NAME)) set(connectMs, ioMs);
}

std::string PortalConnectionExtras::lastReason() {
  auto get = function<LC_GetLastErrorText_fn>(LC_GET_LAST_ERROR_TEXT_NAME);
  char reason[1024] = "";
  return get && get(reason, sizeof reason) == LC_OK ? reason : "";
}
