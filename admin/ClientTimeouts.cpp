#include "admin/ClientTimeouts.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<std::int32_t> connectBound{0};
std::atomic<std::int32_t> exchangeBound{0};

}  // namespace

void ClientTimeouts::set(std::int32_t connectMs, std::int32_t exchangeMs) {
    connectBound = std::max(connectMs, 0);
    exchangeBound = std::max(exchangeMs, 0);
}

std::int32_t ClientTimeouts::connectMs() { return connectBound; }

std::int32_t ClientTimeouts::exchangeMs() { return exchangeBound; }
