#include "tools/bradmtool/ReturnCodeMessages.h"

#include "brindle/bradm.h"
#include "common/CatalogueEntry.h"
#include "platform/external/bradmtoolMsg.h"
#include "tools/support/WaitBound.h"

namespace {

BrwebGetMessageFn messageFunction() {
  // The entry stays valid, owned by libbradm.so, until the library is unloaded.
  static const BrwebGetMessageFn function = [] {
    const CatalogueEntry* entry = besMsgInitialize();
    return entry ? reinterpret_cast<BrwebGetMessageFn>(entry->getMessage) : nullptr;
  }();
  return function;
}

}  // namespace

std::string ReturnCodeMessages::text(int code) {
  const BrwebGetMessageFn function = messageFunction();
  if (function == nullptr) return "";
  const char* message = function(code);
  return message ? message : "";
}

std::string ReturnCodeMessages::lastReason() {
  char reason[1024] = "";
  return besGetLastErrorText(reason, sizeof reason) == 0 ? reason : "";
}

std::string ReturnCodeMessages::describe(int code) {
  const bool ownCode = code == 1 || code == 3 || code == 4 || code == 1102;
  if (ownCode) {
    const std::string reason = lastReason();
    if (!reason.empty()) return WaitBound::withTimeoutAdvice(reason, "the report server's port");
  }
  const std::string number = "error " + std::to_string(code);
  if (messageFunction() == nullptr) return number;
  const std::string message = text(code);
  return message.empty() ? number + " (server error code)" : number + ": " + message;
}
