#pragma once
// The calls of the security library that signing on makes, behind an interface of
// our own so a publishing run can be handed a scripted library. The arguments and
// results are those of the library's C calls (platform/external/SentrelAPI.h).

#include <cstdint>

#include "platform/external/SentrelAPI.h"

namespace brindle::portal {

class SecurityLibrary {
 public:
  virtual ~SecurityLibrary() = default;

  virtual int32_t Init(uint32_t apiVersion, uint32_t clientFlags, SN_HANDLE* handle,
                       uint32_t options) = 0;
  virtual int32_t GetLastErrorMsg(char* buffer, int32_t capacity) = 0;
  // buffer holds SN_NAMESPACE_BUFFER_SIZE bytes.
  virtual int32_t GetDefaultNamespace(SN_HANDLE handle, char* buffer) = 0;
  virtual int32_t GetSessionLastErrorMsg(SN_HANDLE handle, char* buffer, int32_t capacity) = 0;
  // ticket holds SN_TICKET_BUFFER_SIZE bytes.
  virtual int32_t AuthenticateUser(SN_HANDLE handle, const char* nameSpace, const char* userName,
                                   const char* password, int32_t reserved, SN_LogonInfo* info,
                                   char* ticket) = 0;
};

}  // namespace brindle::portal
