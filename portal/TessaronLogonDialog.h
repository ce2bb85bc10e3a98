#pragma once
// The logon dialog bound at run time: "Tessaron.dll", looked up by name, loaded on
// the first call and released with this object. A dialog that cannot be bound
// fails the logon with SN_FAILED.

#include "platform/DynamicLibrary.h"
#include "portal/LogonDialog.h"

namespace brindle::portal {

class TessaronLogonDialog final : public LogonDialog {
 public:
  int32_t CommonLogonEx(SN_HANDLE* handle, uint32_t apiVersion, uint32_t clientFlags,
                        uint32_t options, const char* nameSpace, int32_t showDialog,
                        int32_t reserved1, int32_t reserved2, uint32_t* sessionId,
                        uint32_t* flags, uint32_t* expiresAt, void* parentWindow,
                        SN_TicketDescriptor* ticket) override;

 private:
  platform::DynamicLibrary library_;
};

}  // namespace brindle::portal
