#pragma once
// One logged-on connection to the portal: the ticket, a kept-alive HTTP connection and the
// reply that waits to be fetched.
//
// Wire form: log on is "POST /lumora/logon" with the header X-Lumora-Ticket and an empty body
// (200: accepted, 401 or 403: refused); a request is "POST /lumora" with the same header,
// Accept-Language (the locale) and the XML request as text/xml body; the reply is the body of
// the answer.
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/external/LumoraConnect.h"
#include "standins/common/UniqueFd.h"

class PortalClient {
public:
    static constexpr std::size_t MaxReply = 64 * 1024 * 1024;

    // connectMs bounds each connect, ioMs each request's whole exchange; 0 waits for ever.
    PortalClient(std::string host, std::uint16_t port, std::string ticket, int connectMs = 0, int ioMs = 0);

    // The reason for the last failure of this thread's calls, one line; empty when none.
    static std::string& lastErrorText();

    // LC_OK, LC_TICKET_REFUSED, LC_CONNECT_FAILED or LC_BAD_REPLY.
    int32_t logOn();
    // LC_OK with the reply kept, else LC_CONNECT_FAILED or LC_BAD_REPLY.
    int32_t send(const std::string& request, const char* locale);

    // The reply of the last send, and whether one waits to be fetched.
    const std::string& reply() const { return reply_; }
    bool replyWaiting() const { return replyWaiting_; }
    void setReplyWaiting(bool waiting) { replyWaiting_ = waiting; }
    void releaseReply();

    // Serialises the calls on one handle.
    std::mutex& mutex() { return mutex_; }

private:
    // One exchange; status and body of the answer. Reuses the kept connection unless the
    // portal has closed it; a request is sent at most once.
    int32_t exchange(const std::string& target, const std::string& body, const char* locale, int& status,
                     std::string& answer);
    int32_t exchangeOnce(const std::string& wire, int& status, std::string& answer, bool& keep);
    bool keptConnectionUsable() const;

    std::string endpoint() const { return host_ + ":" + std::to_string(port_); }

    std::string host_;
    std::uint16_t port_;
    int connectMs_;
    int ioMs_;
    std::string ticket_;
    UniqueFd connection_;
    std::string reply_;
    bool replyWaiting_ = false;
    std::mutex mutex_;
};
