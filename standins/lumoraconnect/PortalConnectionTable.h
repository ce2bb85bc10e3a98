#pragma once
// The state of libLUMORACONNECT.so: the portal address of the set-up and the logged-on
// connections behind their handles.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/external/LumoraConnect.h"
#include "standins/lumoraconnect/PortalClient.h"

class PortalConnectionTable {
public:
    static PortalConnectionTable& instance();

    int32_t setUp(const char* address);
    // LC_NOT_SET_UP before setUp, after shutDown, and after a log-on that could not reach the
    // portal while no connection was logged on.
    int32_t logOn(const char* ticket, LC_HANDLE& handle);
    std::shared_ptr<PortalClient> find(LC_HANDLE handle);
    int32_t logOff(LC_HANDLE handle);
    void shutDown();
    // Bounds for the connections logged on from now on (PortalClient); 0 waits for ever.
    void setTimeouts(int32_t connectMs, int32_t ioMs);

private:
    void forgetUnusedSetUp();

    std::mutex mutex_;
    bool setUp_ = false;
    std::string host_;
    std::uint16_t port_ = 80;
    std::map<LC_HANDLE, std::shared_ptr<PortalClient>> clients_;
    LC_HANDLE next_ = 1;
    int connectMs_ = 0;
    int ioMs_ = 0;
};
