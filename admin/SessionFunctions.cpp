// The exported session functions: message catalogue, the three logins, logout.
#include "admin/AdminSession.h"
#include "admin/CallerBuffer.h"
#include "admin/ClientTimeouts.h"
#include "admin/CurrentSession.h"
#include "admin/ExportedCall.h"
#include "admin/LastErrorText.h"
#include "brindle/bradm.h"
#include "common/MessageCatalogue.h"

namespace {

constexpr const char* MessageLibraryBaseName = "bradmtoolMsg";

// A new session becomes current and stays so only when the login succeeds.
std::int32_t loginAsCurrent(const char* server, const LoginCredentials& credentials) {
    AdminSession& session = CurrentSession::replace(std::make_unique<AdminSession>());
    std::int32_t result;
    try {
        result = session.login(server, credentials);
    } catch (...) {
        CurrentSession::drop();
        throw;
    }
    if (result != AdminSession::Success) CurrentSession::drop();
    return result;
}

}  // namespace

extern "C" {

CatalogueEntry* besMsgInitialize(void) {
    return ExportedCall::run([] { return MessageCatalogue::instance().setBaseName(MessageLibraryBaseName); });
}

std::int32_t besLogin(const char* server, const char* password) {
    return ExportedCall::run([&]() -> std::int32_t {
        LoginCredentials credentials;
        credentials.oldPassword = password ? password : "";
        return loginAsCurrent(server, credentials);
    });
}

std::int32_t besLoginTicket(const char* server, const char* ticket) {
    return ExportedCall::run([&]() -> std::int32_t {
        LoginCredentials credentials;
        credentials.ticket = ticket;
        return loginAsCurrent(server, credentials);
    });
}

std::int32_t besLoginUserPassword(const char* server, const char* userId, const char* password) {
    return ExportedCall::run([&]() -> std::int32_t {
        LoginCredentials credentials;
        credentials.userId = userId;
        credentials.password = password;
        return loginAsCurrent(server, credentials);
    });
}

void besLogout(void) {
    ExportedCall::run([] {
        CurrentSession::drop();
        return 0;
    });
}

void besSetTimeouts(std::int32_t connectMs, std::int32_t ioMs) { ClientTimeouts::set(connectMs, ioMs); }

std::int32_t besGetLastErrorText(char* text, std::int32_t capacity) {
    CallerBuffer buffer(text, capacity);
    if (!buffer.usable()) return AdminSession::MissingArgument;
    return buffer.store(LastErrorText::get()) ? AdminSession::Success : AdminSession::IncompleteReply;
}

}  // extern "C"
