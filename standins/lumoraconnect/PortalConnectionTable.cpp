#include "standins/lumoraconnect/PortalConnectionTable.h"

#include <cstring>

#include "standins/common/NetIo.h"
#include "standins/common/Ticket.h"

namespace {

// Tickets travel in a header: printable ASCII only, and no longer than a ticket can be.
bool sendableTicket(const char* ticket) {
    std::size_t n = std::strlen(ticket);
    if (n == 0 || n > Ticket::MaxLength) return false;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(ticket[i]);
        if (c < 0x21 || c > 0x7e) return false;
    }
    return true;
}

}  // namespace

PortalConnectionTable& PortalConnectionTable::instance() {
    static PortalConnectionTable table;
    return table;
}

int32_t PortalConnectionTable::setUp(const char* address) {
    if (!address) return LC_BAD_ARGUMENT;
    std::string host;
    std::uint16_t port = 0;
    if (!netio::splitHostPort(address, host, port)) return LC_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(mutex_);
    host_ = host;
    port_ = port == 0 ? 80 : port;  // "host:0" is what a report server without a port yields
    setUp_ = true;
    return LC_OK;
}

int32_t PortalConnectionTable::logOn(const char* ticket, LC_HANDLE& handle) {
    std::string host;
    std::uint16_t port;
    int connectMs, ioMs;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!setUp_) return LC_NOT_SET_UP;
        host = host_;
        port = port_;
        connectMs = connectMs_;
        ioMs = ioMs_;
    }
    if (!ticket) return LC_BAD_ARGUMENT;
    if (!sendableTicket(ticket)) return LC_TICKET_REFUSED;
    auto client = std::make_shared<PortalClient>(host, port, ticket, connectMs, ioMs);
    int32_t rc = client->logOn();
    if (rc == LC_CONNECT_FAILED || rc == LC_BAD_REPLY) {
        forgetUnusedSetUp();
        return rc;
    }
    if (rc != LC_OK) return rc;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!setUp_) return LC_NOT_SET_UP;  // shut down meanwhile
    do {
        handle = next_++;
    } while (handle == 0 || clients_.count(handle));
    clients_[handle] = std::move(client);
    return LC_OK;
}

std::shared_ptr<PortalClient> PortalConnectionTable::find(LC_HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = clients_.find(handle);
    return it == clients_.end() ? nullptr : it->second;
}

int32_t PortalConnectionTable::logOff(LC_HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return clients_.erase(handle) ? LC_OK : LC_BAD_HANDLE;
}

// The set-up names one portal for the whole process. A log-on that could not reach it drops
// the set-up while no connection uses it, so the next log-on answers "not set up" and its
// caller sets up afresh for the address it has, rather than trying this one again.
void PortalConnectionTable::forgetUnusedSetUp() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (clients_.empty()) setUp_ = false;
}

void PortalConnectionTable::setTimeouts(int32_t connectMs, int32_t ioMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    connectMs_ = connectMs > 0 ? connectMs : 0;
    ioMs_ = ioMs > 0 ? ioMs : 0;
}

void PortalConnectionTable::shutDown() {
    std::lock_guard<std::mutex> lock(mutex_);
    clients_.clear();
    setUp_ = false;
}
