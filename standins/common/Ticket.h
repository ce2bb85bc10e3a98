#pragma once
// Tickets of the security stand-in, checked by the portal and the report server stand-ins.
//
// Text form (printable ASCII, at most MaxLength bytes, so it fits a 255-byte buffer):
//   BT1:<issued>:<expires>:<user in hex>:<seal>
// issued and expires are decimal seconds since 1970; the user name (1 to MaxUserLength bytes)
// is written as lower-case hex so that any byte of it is safe in a header; seal is the 64 hex
// digits of the keyed checksum of everything before ":<seal>". The key is the one of
// TicketKey.h, which no binary carries: a ticket sealed with any other key is refused.
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

    std::string user;
    std::int64_t issued = 0;
    std::int64_t expires = 0;
    // The key its issuer seals it with (not part of the text).
    std::optional<KeyedChecksum::Key> key;

    // The text sealed with key; empty when there is no key, or the user name is empty or longer
    // than MaxUserLength.
    std::string encode() const;
    // The ticket when text is well formed and sealed with key; else nothing.
    static std::optional<Ticket> decode(std::string_view text, const KeyedChecksum::Key& key);

    // A ticket for user, valid from now for lifetime seconds, to be sealed with key.
    static Ticket issue(std::string user, std::int64_t now, const KeyedChecksum::Key& key,
                        std::int64_t lifetime = DefaultLifetimeSeconds);

    // Valid at now: not yet expired and, when maxAge is not negative, issued at most maxAge
    // seconds ago (a checker may accept a shorter life than the issuer granted).
    bool validAt(std::int64_t now, std::int64_t maxAge = -1) const;
};
