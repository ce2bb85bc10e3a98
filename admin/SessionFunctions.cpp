// The exported session functions: message catalogue, the three logins, logout.
#include "admin/AdminSession.h"
#include "admin/CurrentSession.h"
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
    return MessageCatalogue::instance().setBaseName(MessageLibraryBaseName);
}

std::int32_t besLogin(const char* server, const char* password) {
    LoginCredentials credentials;
    credentials.oldPassword = password ? password : "";
    return loginAsCurrent(server, credentials);
}

std::int32_t besLoginTicket(const char* server, const char* ticket) {
    LoginCredentials credentials;
    credentials.ticket = ticket;
    return loginAsCurrent(server, credentials);
}

std::int32_t besLoginUserPassword(const char* server, const char* userId, const char* password) {
    LoginCredentials credentials;
    credentials.userId = userId;
    credentials.password = password;
    return loginAsCurrent(server, credentials);
}

void besLogout(void) { CurrentSession::drop(); }

}  // extern "C"
