#pragma once
// The portal connection library bound at run time: "LUMORACONNECT.dll", calls
// looked up by ordinal, loaded on the first call and released with this object.
// A call that cannot be bound answers LC_CONNECT_FAILED, which every caller
// treats as a failure; shutting down a library that was never loaded does nothing.

#include "platform/DynamicLibrary.h"
#include "portal/PortalConnection.h"

namespace brindle::portal {

class LumoraPortalConnection final : public PortalConnection {
 public:
  int32_t SetUp(const char* portalAddress, int32_t mode) override;
  int32_t LogOn(LC_HANDLE* handle, const char* ticket) override;
  int32_t Send(LC_HANDLE handle, const char* request, char* reply, uint32_t* size,
               const char* locale) override;
  int32_t LogOff(LC_HANDLE handle) override;
  int32_t ShutDown() override;
  int32_t FetchReply(LC_HANDLE handle, char* buffer, uint32_t* size) override;

 private:
  template <typename Fn>
  Fn Resolve(unsigned ordinal);

  platform::DynamicLibrary library_;
};

}  // namespace brindle::portal
