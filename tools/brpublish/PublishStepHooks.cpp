// The two functions of libbradm.so that libBRCUtil.so imports by name, defined by the
// executable so that their calls show as steps (see PublishSteps.h). Each forwards to the next
// definition in the lookup order, the one of libbradm.so, and passes on its result and any
// exception unchanged.
#include <dlfcn.h>

#include <cstdint>
#include <string>

#include "brindle/bradm.h"
#include "tools/brpublish/PublishSteps.h"

namespace {

template <typename Fn>
Fn nextDefinition(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

// besPublishReport's result when libbradm.so cannot be found: the server was not reached.
constexpr std::int32_t NotReached = 4;

// The library's reason for a call that failed, kept for the failure line.
void recordFailure(std::int32_t result) {
  PublishSteps::recordReturnCode(result);
  char reason[1024] = "";
  if (result != 0 && besGetLastErrorText(reason, sizeof reason) == 0) PublishSteps::recordReason(reason);
}

// Runs a call of libbradm.so; a transport failure it raises leaves its reason too.
template <typename Call>
std::int32_t watched(Call call) {
  try {
    const std::int32_t result = call();
    recordFailure(result);
    return result;
  } catch (...) {
    recordFailure(-1);
    throw;
  }
}

}  // namespace

extern "C" {

std::int32_t besGetLumoraServerInfo(const char* server, char* url, std::int32_t urlCapacity,
                                    char* port, std::int32_t portCapacity) {
  static const auto next = nextDefinition<decltype(&besGetLumoraServerInfo)>("besGetLumoraServerInfo");
  PublishSteps::report(std::string("finding the portal through the report server ") +
                       (server ? server : ""));
  if (next == nullptr) return NotReached;
  const std::int32_t result = watched([&] { return next(server, url, urlCapacity, port, portCapacity); });
  if (result == 0) PublishSteps::report(std::string("the portal is ") + url + " (port " + port + ")");
  return result;
}

std::int32_t besPublishReport(const char* server, const char* name, const char* description,
                              const char* reportFile, char* url, std::int32_t urlCapacity) {
  static const auto next = nextDefinition<decltype(&besPublishReport)>("besPublishReport");
  PublishSteps::report(std::string("publishing to the report server ") + (server ? server : "") +
                       " as " + (name ? name : ""));
  if (next == nullptr) return NotReached;
  const std::int32_t result =
      watched([&] { return next(server, name, description, reportFile, url, urlCapacity); });
  if (result == 0)
    PublishSteps::report(std::string("published at ") + url + "; updating the NewsItem");
  return result;
}

}  // extern "C"
