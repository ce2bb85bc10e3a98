#include "standins/security/SentrelAuthenticator.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "standins/common/TicketKey.h"

bool SentrelAuthenticator::load(std::string& error) {
    users_ = UserDirectory();
    const char* path = std::getenv(UsersVariable);
    std::string usersFile = path ? path : "";
    if (!usersFile.empty() && !users_.loadFile(usersFile, error)) return false;
    return TicketKey::loadOrCreate(TicketKey::pathFor(usersFile), key_, error);
}

int32_t SentrelAuthenticator::authenticate(const char* nameSpace, const std::string& user,
                                           const std::string& password, Ticket& ticket,
                                           std::string& error) const {
    if (nameSpace && *nameSpace && std::strcmp(nameSpace, DefaultNamespace) != 0) {
        error = std::string("Unknown namespace \"") + nameSpace + "\".";
        return SN_UNKNOWN_NAMESPACE;
    }
    if (!users_.checkPassword(user, password)) {
        error = "Unknown user or wrong password.";
        return SN_LOGON_REFUSED;
    }
    ticket = Ticket::issue(user, static_cast<std::int64_t>(std::time(nullptr)), key_);
    return SN_OK;
}

void SentrelAuthenticator::describe(const Ticket& ticket, SN_LogonInfo& info) {
    static std::atomic<std::uint32_t> nextSession{1};
    std::uint32_t id = nextSession.fetch_add(1);
    info.sessionId = id == 0 ? nextSession.fetch_add(1) : id;
    info.expiresAt = static_cast<std::uint32_t>(ticket.expires);
    info.flags = 0;
}
