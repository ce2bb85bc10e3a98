#include "portal/TessaronLogonDialog.h"

namespace brindle::portal {

int32_t TessaronLogonDialog::CommonLogonEx(SN_HANDLE* handle, uint32_t apiVersion,
                                           uint32_t clientFlags, uint32_t options,
                                           const char* nameSpace, int32_t showDialog,
                                           int32_t reserved1, int32_t reserved2,
                                           uint32_t* sessionId, uint32_t* flags,
                                           uint32_t* expiresAt, void* parentWindow,
                                           SN_TicketDescriptor* ticket) {
  if (!library_.loaded()) library_ = platform::DynamicLibrary("Tessaron.dll");
  auto fn = library_.function<SN_CommonLogonEx_fn>(SN_COMMON_LOGON_EX_NAME);
  if (fn == nullptr) return SN_FAILED;
  return fn(handle, apiVersion, clientFlags, options, nameSpace, showDialog, reserved1, reserved2,
            sessionId, flags, expiresAt, parentWindow, ticket);
}

}  // namespace brindle::portal
