#include "portal/LumoraPortalConnection.h"

namespace brindle::portal {

template <typename Fn>
Fn LumoraPortalConnection::Resolve(unsigned ordinal) {
  if (!library_.loaded()) library_ = platform::DynamicLibrary("LUMORACONNECT.dll");
  return library_.function<Fn>(ordinal);
}

int32_t LumoraPortalConnection::SetUp(const char* portalAddress, int32_t mode) {
  auto fn = Resolve<LC_SetUp_fn>(LC_ORDINAL_SET_UP);
  return fn ? fn(portalAddress, mode) : LC_CONNECT_FAILED;
}

int32_t LumoraPortalConnection::LogOn(LC_HANDLE* handle, const char* ticket) {
  auto fn = Resolve<LC_LogOn_fn>(LC_ORDINAL_LOG_ON);
  return fn ? fn(handle, ticket) : LC_CONNECT_FAILED;
}

int32_t LumoraPortalConnection::Send(LC_HANDLE handle, const char* request, char* reply,
                                     uint32_t* size, const char* locale) {
  auto fn = Resolve<LC_Send_fn>(LC_ORDINAL_SEND);
  return fn ? fn(handle, request, reply, size, locale) : LC_CONNECT_FAILED;
}

int32_t LumoraPortalConnection::LogOff(LC_HANDLE handle) {
  auto fn = Resolve<LC_LogOff_fn>(LC_ORDINAL_LOG_OFF);
  return fn ? fn(handle) : LC_CONNECT_FAILED;
}

int32_t LumoraPortalConnection::ShutDown() {
  if (!library_.loaded()) return LC_OK;
  auto fn = Resolve<LC_ShutDown_fn>(LC_ORDINAL_SHUT_DOWN);
  return fn ? fn() : LC_CONNECT_FAILED;
}

int32_t LumoraPortalConnection::FetchReply(LC_HANDLE handle, char* buffer, uint32_t* size) {
  auto fn = Resolve<LC_FetchReply_fn>(LC_ORDINAL_FETCH_REPLY);
  return fn ? fn(handle, buffer, size) : LC_CONNECT_FAILED;
}

}  // namespace brindle::portal
