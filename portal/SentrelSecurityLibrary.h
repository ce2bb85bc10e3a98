#pragma once
// The security library bound at run time: "SentrelAPI.dll", calls looked up by name.
// The library is loaded on the first call and released with this object. When it or
// one of its calls cannot be found, the call fails with SN_FAILED and
// GetLastErrorMsg tells why.

#include <string>

#include "platform/DynamicLibrary.h"
#include "portal/SecurityLibrary.h"

namespace brindle::portal {

class SentrelSecurityLibrary final : public SecurityLibrary {
 public:
  int32_t Init(uint32_t apiVersion, uint32_t clientFlags, SN_HANDLE* handle,
               uint32_t options) override;
  int32_t GetLastErrorMsg(char* buffer, int32_t capacity) override;
  int32_t GetDefaultNamespace(SN_HANDLE handle, char* buffer) override;
  int32_t GetSessionLastErrorMsg(SN_HANDLE handle, char* buffer, int32_t capacity) override;
  int32_t AuthenticateUser(SN_HANDLE handle, const char* nameSpace, const char* userName,
                           const char* password, int32_t reserved, SN_LogonInfo* info,
                           char* ticket) override;

 private:
  // The named call, or null with bindingError_ saying why.
  template <typename Fn>
  Fn Resolve(const char* name);

  platform::DynamicLibrary library_;
  std::string bindingError_;
};

}  // namespace brindle::portal
