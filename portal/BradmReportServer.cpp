#include "portal/BradmReportServer.h"

#include "brindle/bradm.h"

namespace brindle::portal {

int32_t BradmReportServer::GetLumoraServerInfo(const char* server, char* url, int32_t urlCapacity,
                                               char* port, int32_t portCapacity) {
  return besGetLumoraServerInfo(server, url, urlCapacity, port, portCapacity);
}

int32_t BradmReportServer::PublishReport(const char* server, const char* name,
                                         const char* description, const char* reportFile,
                                         char* url, int32_t urlCapacity) {
  return besPublishReport(server, name, description, reportFile, url, urlCapacity);
}

}  // namespace brindle::portal
