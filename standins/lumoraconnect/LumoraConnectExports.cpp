// The exports of libLUMORACONNECT.so; callers bind them by ordinal (ordinal_N).
#include <type_traits>

#include "brindle/export.h"
#include "platform/external/LumoraConnect.h"
#include "standins/common/CopyText.h"
#include "standins/lumoraconnect/PortalConnectionTable.h"

namespace {

PortalConnectionTable& table() { return PortalConnectionTable::instance(); }

// Stores the waiting reply when it fits capacity bytes with its NUL; otherwise as much as
// fits, and LC_MORE_DATA with its length in size.
int32_t handOver(PortalClient& client, char* buffer, uint32_t& size, bool truncateWhenLong) {
    const std::string& reply = client.reply();
    uint32_t capacity = size;
    size = static_cast<uint32_t>(reply.size());
    if (reply.size() < capacity) {
        copyText(buffer, capacity, reply);
        client.releaseReply();
        return LC_OK;
    }
    if (truncateWhenLong) copyText(buffer, capacity, reply);
    client.setReplyWaiting(true);
    return LC_MORE_DATA;
}

}  // namespace

extern "C" {

BRINDLE_EXPORT int32_t ordinal_1(const char* portalAddress, int32_t) { return table().setUp(portalAddress); }

BRINDLE_EXPORT int32_t ordinal_2(LC_HANDLE* handle, const char* ticket) {
    PortalClient::lastErrorText().clear();
    if (!handle) return LC_BAD_ARGUMENT;
    LC_HANDLE opened = 0;
    int32_t rc = table().logOn(ticket, opened);
    *handle = rc == LC_OK ? opened : 0;
    return rc;
}

BRINDLE_EXPORT int32_t ordinal_4(LC_HANDLE handle, const char* request, char* reply, uint32_t* size,
                                 const char* locale) {
    PortalClient::lastErrorText().clear();
    if (!request || !reply || !size || *size == 0) return LC_BAD_ARGUMENT;
    auto client = table().find(handle);
    reply[0] = '\0';
    if (!client) return LC_BAD_HANDLE;
    std::lock_guard<std::mutex> lock(client->mutex());
    int32_t rc = client->send(request, locale);
    if (rc != LC_OK) {
        *size = 0;
        return rc;
    }
    return handOver(*client, reply, *size, true);
}

BRINDLE_EXPORT int32_t ordinal_5(LC_HANDLE handle) { return table().logOff(handle); }

BRINDLE_EXPORT int32_t ordinal_6(void) {
    table().shutDown();
    return LC_OK;
}

BRINDLE_EXPORT int32_t ordinal_7(LC_HANDLE handle, char* buffer, uint32_t* size) {
    if (!buffer || !size) return LC_BAD_ARGUMENT;
    auto client = table().find(handle);
    if (!client) return LC_BAD_HANDLE;
    std::lock_guard<std::mutex> lock(client->mutex());
    if (!client->replyWaiting()) return LC_NO_REPLY;
    // The buffer holds *size bytes and one more for the NUL.
    uint32_t capacity = *size + 1;
    if (capacity == 0) return LC_BAD_ARGUMENT;
    int32_t rc = handOver(*client, buffer, capacity, false);
    *size = capacity;
    return rc;
}

BRINDLE_EXPORT void LC_SetTimeouts(int32_t connectMs, int32_t ioMs) { table().setTimeouts(connectMs, ioMs); }

BRINDLE_EXPORT int32_t LC_GetLastErrorText(char* text, int32_t capacity) {
    if (!text || capacity < 1) return LC_BAD_ARGUMENT;
    const std::string& reason = PortalClient::lastErrorText();
    if (reason.size() >= static_cast<std::size_t>(capacity)) return LC_MORE_DATA;
    copyText(text, static_cast<uint32_t>(capacity), reason);
    return LC_OK;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&ordinal_1), LC_SetUp_fn>);
static_assert(std::is_same_v<decltype(&ordinal_2), LC_LogOn_fn>);
static_assert(std::is_same_v<decltype(&ordinal_4), LC_Send_fn>);
static_assert(std::is_same_v<decltype(&ordinal_5), LC_LogOff_fn>);
static_assert(std::is_same_v<decltype(&ordinal_6), LC_ShutDown_fn>);
static_assert(std::is_same_v<decltype(&ordinal_7), LC_FetchReply_fn>);
static_assert(std::is_same_v<decltype(&LC_SetTimeouts), LC_SetTimeouts_fn>);
static_assert(std::is_same_v<decltype(&LC_GetLastErrorText), LC_GetLastErrorText_fn>);
