#pragma once
// Signs users on for both security libraries: checks name and password against the users and
// issues a ticket.
//
// The libraries take no options, so the users file is named by the environment variable
// BRINDLE_USERS (the same file the server takes with --users); without it only the built-in
// default user of UserDirectory is known. Tickets are sealed with the key TicketKey.h finds for
// that users file, the one the server checks them with. The file and the key are read again at
// every SN_Init and every logon dialog, so a changed file takes effect without restarting the
// host.
#include <cstdint>
#include <string>

#include "platform/external/SentrelAPI.h"
#include "standins/common/Ticket.h"
#include "standins/common/UserDirectory.h"

class SentrelAuthenticator {
public:
    static constexpr const char* UsersVariable = "BRINDLE_USERS";
    static constexpr const char* DefaultNamespace = "Brindle";

    // Loads the users; false with a message when the named file cannot be used.
    bool load(std::string& error);

    // SN_OK with the ticket, SN_LOGON_REFUSED for an unknown user or a wrong password,
    // SN_UNKNOWN_NAMESPACE for a namespace other than DefaultNamespace (null or "" mean it).
    int32_t authenticate(const char* nameSpace, const std::string& user, const std::string& password,
                         Ticket& ticket, std::string& error) const;

    // Fills the three-word record of a logon.
    static void describe(const Ticket& ticket, SN_LogonInfo& info);

private:
    UserDirectory users_;
    KeyedChecksum::Key key_{};
};
