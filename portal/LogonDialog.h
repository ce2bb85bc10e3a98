#pragma once
// The security library's logon dialog, which asks the user for the credentials and
// signs on (platform/external/Tessaron.h), behind an interface of our own.

#include <cstdint>

#include "platform/external/Tessaron.h"

namespace brindle::portal {

class LogonDialog {
 public:
  virtual ~LogonDialog() = default;

  virtual int32_t CommonLogonEx(SN_HANDLE* handle, uint32_t apiVersion, uint32_t clientFlags,
                                uint32_t options, const char* nameSpace, int32_t showDialog,
                                int32_t reserved1, int32_t reserved2, uint32_t* sessionId,
                                uint32_t* flags, uint32_t* expiresAt, void* parentWindow,
                                SN_TicketDescriptor* ticket) = 0;
};

}  // namespace brindle::portal
