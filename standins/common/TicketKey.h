#pragma once
// Where the ticket key lives, shared by brindle-server and the security libraries.
//
// Rule: beside the users file, as USERS.key (the server's --users FILE, the libraries'
// BRINDLE_USERS); without a users file, /tmp/brindle-ticket-UID.key (UID the user's number; not
// TMPDIR, which a host may set for itself and not for the server). The file holds the 32 key bytes, readable and writable by its owner only. When
// it is missing it is made at random; a file that another user owns, that others may read, or
// that does not hold a key is refused, so nobody can plant or read the key.
#include <string>

#include "standins/common/KeyedChecksum.h"

class TicketKey {
public:
    static std::string pathFor(const std::string& usersFile);

    // Reads the key at path, or makes it when the file does not exist; false with a message.
    static bool loadOrCreate(const std::string& path, KeyedChecksum::Key& key, std::string& error);
};
