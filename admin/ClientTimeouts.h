#pragma once
// The process-wide bounds on waits that besSetTimeouts sets: every connection made after the
// call takes them. 0 waits for ever (the default).
#include <cstdint>

class ClientTimeouts {
public:
    static void set(std::int32_t connectMs, std::int32_t exchangeMs);
    static std::int32_t connectMs();
    static std::int32_t exchangeMs();
};
