#pragma once
// The two report server calls of a publishing run, behind an interface of our own so
// a run can be handed a scripted report server. Arguments and results are those of
// besPublishReport and besGetLumoraServerInfo (brindle/bradm.h); either may throw.

#include <cstdint>

namespace brindle::portal {

class ReportServer {
 public:
  virtual ~ReportServer() = default;

  virtual int32_t GetLumoraServerInfo(const char* server, char* url, int32_t urlCapacity,
                                      char* port, int32_t portCapacity) = 0;
  virtual int32_t PublishReport(const char* server, const char* name, const char* description,
                                const char* reportFile, char* url, int32_t urlCapacity) = 0;
};

}  // namespace brindle::portal
