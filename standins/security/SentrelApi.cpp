// The exported calls of libSentrelAPI.so.
#include <type_traits>

#include "brindle/export.h"
#include "platform/external/SentrelAPI.h"
#include "standins/common/CopyText.h"
#include "standins/security/SentrelSessionTable.h"

namespace {

SentrelSessionTable& table() { return SentrelSessionTable::instance(); }

int32_t refuseUnknownHandle() {
    table().setLastError("Unknown session handle.");
    return SN_BAD_HANDLE;
}

}  // namespace

extern "C" {

BRINDLE_EXPORT int32_t SN_Init(uint32_t apiVersion, uint32_t, SN_HANDLE* handle, uint32_t) {
    if (!handle) {
        table().setLastError("SN_Init needs the address of a handle.");
        return SN_BAD_ARGUMENT;
    }
    *handle = 0;
    if ((apiVersion >> 16) != (SN_API_VERSION >> 16)) {
        table().setLastError("Unsupported interface version " + std::to_string(apiVersion >> 16) + ".");
        return SN_FAILED;
    }
    SN_HANDLE opened = table().open();
    if (opened == 0) return SN_FAILED;
    *handle = opened;
    return SN_OK;
}

BRINDLE_EXPORT int32_t SN_GetLastErrorMsg(char* buffer, int32_t capacity) {
    if (!buffer || capacity <= 0) return SN_BAD_ARGUMENT;
    copyText(buffer, static_cast<std::size_t>(capacity), table().lastError());
    return SN_OK;
}

BRINDLE_EXPORT int32_t SN_GetDefaultNamespace(SN_HANDLE handle, char* buffer) {
    if (!buffer) return SN_BAD_ARGUMENT;
    bool known = table().with(handle, [&](SentrelSessionTable::Session& s) {
        copyText(buffer, SN_NAMESPACE_BUFFER_SIZE, SentrelAuthenticator::DefaultNamespace);
        s.lastError.clear();
    });
    if (!known) {
        buffer[0] = '\0';
        return refuseUnknownHandle();
    }
    return SN_OK;
}

BRINDLE_EXPORT int32_t SN_GetSessionLastErrorMsg(SN_HANDLE handle, char* buffer, int32_t capacity) {
    if (!buffer || capacity <= 0) return SN_BAD_ARGUMENT;
    bool known = table().with(handle, [&](SentrelSessionTable::Session& s) {
        copyText(buffer, static_cast<std::size_t>(capacity), s.lastError);
    });
    if (!known) {
        copyText(buffer, static_cast<std::size_t>(capacity), "Unknown session handle.");
        return SN_BAD_HANDLE;
    }
    return SN_OK;
}

BRINDLE_EXPORT int32_t SN_AuthenticateUser(SN_HANDLE handle, const char* nameSpace, const char* userName,
                                           const char* password, int32_t, SN_LogonInfo* info,
                                           char* ticket) {
    if (!ticket) return SN_BAD_ARGUMENT;
    ticket[0] = '\0';
    int32_t result = SN_BAD_HANDLE;
    bool known = table().with(handle, [&](SentrelSessionTable::Session& s) {
        if (!userName || !*userName) {
            s.lastError = "No user name given.";
            result = SN_BAD_ARGUMENT;
            return;
        }
        Ticket issued;
        result = s.authenticator.authenticate(nameSpace, userName, password ? password : "", issued, s.lastError);
        if (result != SN_OK) return;
        copyText(ticket, SN_TICKET_BUFFER_SIZE, issued.encode());
        if (info) SentrelAuthenticator::describe(issued, *info);
        s.lastError.clear();
    });
    return known ? result : refuseUnknownHandle();
}

}  // extern "C"

// The exports keep the types our callers bind them to.
static_assert(std::is_same_v<decltype(&SN_Init), SN_Init_fn>);
static_assert(std::is_same_v<decltype(&SN_GetLastErrorMsg), SN_GetLastErrorMsg_fn>);
static_assert(std::is_same_v<decltype(&SN_GetDefaultNamespace), SN_GetDefaultNamespace_fn>);
static_assert(std::is_same_v<decltype(&SN_GetSessionLastErrorMsg), SN_GetSessionLastErrorMsg_fn>);
static_assert(std::is_same_v<decltype(&SN_AuthenticateUser), SN_AuthenticateUser_fn>);
