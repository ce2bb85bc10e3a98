#pragma once
// The portal connection library's calls (platform/external/LumoraConnect.h), one
// member per ordinal, behind an interface of our own.

#include <cstdint>

#include "platform/external/LumoraConnect.h"

namespace brindle::portal {

class PortalConnection {
 public:
  virtual ~PortalConnection() = default;

  virtual int32_t SetUp(const char* portalAddress, int32_t mode) = 0;               // ordinal 1
  virtual int32_t LogOn(LC_HANDLE* handle, const char* ticket) = 0;                 // ordinal 2
  virtual int32_t Send(LC_HANDLE handle, const char* request, char* reply, uint32_t* size,
                       const char* locale) = 0;                                     // ordinal 4
  virtual int32_t LogOff(LC_HANDLE handle) = 0;                                     // ordinal 5
  virtual int32_t ShutDown() = 0;                                                   // ordinal 6
  virtual int32_t FetchReply(LC_HANDLE handle, char* buffer, uint32_t* size) = 0;   // ordinal 7
};

}  // namespace brindle::portal
