#pragma once
// The report server reached through libbradm.so.

#include "portal/ReportServer.h"

namespace brindle::portal {

class BradmReportServer final : public ReportServer {
 public:
  int32_t GetLumoraServerInfo(const char* server, char* url, int32_t urlCapacity, char* port,
                              int32_t portCapacity) override;
  int32_t PublishReport(const char* server, const char* name, const char* description,
                        const char* reportFile, char* url, int32_t urlCapacity) override;
};

}  // namespace brindle::portal
