#pragma once
// The ticket key the stand-ins of these tests seal and check tickets with: the one kept for
// the users file (none: the per-user key in the temporary folder), made when missing.
#include <string>

#include "standins/common/Ticket.h"
#include "standins/common/TicketKey.h"

inline KeyedChecksum::Key testTicketKey(const std::string& usersFile = std::string()) {
    KeyedChecksum::Key key{};
    std::string error;
    if (!TicketKey::loadOrCreate(TicketKey::pathFor(usersFile), key, error)) throw std::runtime_error(error);
    return key;
}
