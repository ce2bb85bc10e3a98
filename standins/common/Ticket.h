#pragma once
// Tickets of the security stand-in, checked by the portal and the report server stand-ins.
//
// Text form (printable ASCII, at most MaxLength bytes, so it fits a 255-byte buffer):
//   BT1:<issued>:<expires>:<user in hex>:<seal>
// issued and expires are decimal seconds since 1970; the user name (1 to MaxUserLength bytes)
// is written as lower-case hex so that any byte of it is safe in a header; seal is the 16 hex
// digits of the keyed checksum of everything before ":<seal>". The key is the fixed demo key
// below: these tickets keep honest programs honest, they are no protection against a person
// who reads this file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "standins/common/KeyedChecksum.h"

struct Ticket {
    static constexpr std::size_t MaxLength = 254;
    static constexpr std::size_t MaxUserLength = 64;
    // Lifetime of the tickets the security libraries issue.
    static constexpr std::int64_t DefaultLifetimeSeconds = 3600;
    static const KeyedChecksum::Key DemoKey;

    std::string user;
    std::int64_t issued = 0;
    std::int64_t expires = 0;

    // The sealed text; empty when the user name is empty or longer than MaxUserLength.
    std::string encode() const;
    // The ticket when text is well formed and its seal is right; else nothing.
    static std::optional<Ticket> decode(std::string_view text);

    // A ticket for user, valid from now for lifetime seconds.
    static Ticket issue(std::string user, std::int64_t now, std::int64_t lifetime = DefaultLifetimeSeconds);

    // Valid at now: not yet expired and, when maxAge is not negative, issued at most maxAge
    // seconds ago (a checker may accept a shorter life than the issuer granted).
    bool validAt(std::int64_t now, std::int64_t maxAge = -1) const;
};
