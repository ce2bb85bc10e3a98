#include "portal/SentrelSecurityLibrary.h"

#include "portal/BoundedCopy.h"

namespace brindle::portal {

namespace {
constexpr const char* kLibraryName = "SentrelAPI.dll";
}

template <typename Fn>
Fn SentrelSecurityLibrary::Resolve(const char* name) {
  if (!library_.loaded()) {
    library_ = platform::DynamicLibrary(kLibraryName);
    if (!library_.loaded()) {
      bindingError_ = "The security library " + platform::sharedLibraryFileName(kLibraryName) +
                      " could not be loaded: " + platform::lastLoadError();
      return nullptr;
    }
  }
  Fn fn = library_.function<Fn>(name);
  if (fn == nullptr) {
    bindingError_ = std::string("The security library has no call ") + name + ".";
  }
  return fn;
}

int32_t SentrelSecurityLibrary::Init(uint32_t apiVersion, uint32_t clientFlags, SN_HANDLE* handle,
                                     uint32_t options) {
  auto fn = Resolve<SN_Init_fn>(SN_INIT_NAME);
  return fn ? fn(apiVersion, clientFlags, handle, options) : SN_FAILED;
}

int32_t SentrelSecurityLibrary::GetLastErrorMsg(char* buffer, int32_t capacity) {
  // A binding failure is the most recent error the caller can be told about.
  if (!bindingError_.empty()) {
    CopyBounded(bindingError_, buffer, capacity);
    bindingError_.clear();
    return SN_OK;
  }
  auto fn = Resolve<SN_GetLastErrorMsg_fn>(SN_GET_LAST_ERROR_MSG_NAME);
  if (fn == nullptr) {
    CopyBounded(bindingError_, buffer, capacity);
    bindingError_.clear();
    return SN_OK;
  }
  return fn(buffer, capacity);
}

int32_t SentrelSecurityLibrary::GetDefaultNamespace(SN_HANDLE handle, char* buffer) {
  auto fn = Resolve<SN_GetDefaultNamespace_fn>(SN_GET_DEFAULT_NAMESPACE_NAME);
  return fn ? fn(handle, buffer) : SN_FAILED;
}

int32_t SentrelSecurityLibrary::GetSessionLastErrorMsg(SN_HANDLE handle, char* buffer,
                                                       int32_t capacity) {
  if (!bindingError_.empty()) {
    CopyBounded(bindingError_, buffer, capacity);
    bindingError_.clear();
    return SN_OK;
  }
  auto fn = Resolve<SN_GetSessionLastErrorMsg_fn>(SN_GET_SESSION_LAST_ERROR_NAME);
  if (fn == nullptr) {
    CopyBounded(bindingError_, buffer, capacity);
    bindingError_.clear();
    return SN_OK;
  }
  return fn(handle, buffer, capacity);
}

int32_t SentrelSecurityLibrary::AuthenticateUser(SN_HANDLE handle, const char* nameSpace,
                                                 const char* userName, const char* password,
                                                 int32_t reserved, SN_LogonInfo* info,
                                                 char* ticket) {
  auto fn = Resolve<SN_AuthenticateUser_fn>(SN_AUTHENTICATE_USER_NAME);
  return fn ? fn(handle, nameSpace, userName, password, reserved, info, ticket) : SN_FAILED;
}

}  // namespace brindle::portal
