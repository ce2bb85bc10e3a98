#include "standins/lumoraconnect/PortalClient.h"

#include <poll.h>

#include <cerrno>
#include <memory>

#include "platform/DurationText.h"
#include "standins/common/ConnectionDeadline.h"
#include "standins/common/HttpReader.h"
#include "standins/common/NetIo.h"

PortalClient::PortalClient(std::string host, std::uint16_t port, std::string ticket, int connectMs, int ioMs)
    : host_(std::move(host)), port_(port), connectMs_(connectMs), ioMs_(ioMs), ticket_(std::move(ticket)) {}

std::string& PortalClient::lastErrorText() {
    thread_local std::string text;
    return text;
}

int32_t PortalClient::logOn() {
    int status = 0;
    std::string answer;
    int32_t rc = exchange("/lumora/logon", "", nullptr, status, answer);
    if (rc != LC_OK) return rc;
    if (status == 200) return LC_OK;
    if (status == 401 || status == 403) {
        lastErrorText() = "the portal at " + endpoint() + " refused the ticket";
        return LC_TICKET_REFUSED;
    }
    lastErrorText() = "the portal at " + endpoint() + " answered the log-on with HTTP " + std::to_string(status);
    return LC_BAD_REPLY;
}

int32_t PortalClient::send(const std::string& request, const char* locale) {
    replyWaiting_ = false;
    reply_.clear();
    int status = 0;
    std::string answer;
    int32_t rc = exchange("/lumora", request, locale, status, answer);
    if (rc != LC_OK) return rc;
    // The portal answers failures of a request as XML results; any other status has no
    // reply to hand over.
    if (status != 200) {
        lastErrorText() = "the portal at " + endpoint() + " answered HTTP " + std::to_string(status);
        return LC_BAD_REPLY;
    }
    reply_ = std::move(answer);
    return LC_OK;
}

void PortalClient::releaseReply() {
    replyWaiting_ = false;
    std::string().swap(reply_);
}

int32_t PortalClient::exchange(const std::string& target, const std::string& body, const char* locale,
                               int& status, std::string& answer) {
    std::vector<std::pair<std::string, std::string>> headers = {
        {"X-Lumora-Ticket", ticket_},
        {"Content-Type", "text/xml; charset=utf-8"},
        {"User-Agent", "LUMORACONNECT"},
    };
    if (locale && *locale) headers.emplace_back("Accept-Language", locale);
    std::string wire = HttpMessage::formatRequest("POST", target, host_ + ":" + std::to_string(port_), headers, body);

    // A request is never sent twice: the portal may have acted on the first one even when its
    // answer was lost. A kept connection that the portal has closed meanwhile is noticed
    // before writing and replaced.
    if (connection_.valid() && !keptConnectionUsable()) connection_.reset();
    bool keep = false;
    int32_t rc = exchangeOnce(wire, status, answer, keep);
    if (!keep) connection_.reset();
    return rc;
}

// An idle kept connection has nothing to read; a readable one was closed by the portal (or
// carries bytes nobody asked for), either way it cannot carry the next request.
bool PortalClient::keptConnectionUsable() const {
    pollfd entry{connection_.get(), POLLIN, 0};
    const int ready = ::poll(&entry, 1, 0);
    return ready == 0;
}

int32_t PortalClient::exchangeOnce(const std::string& wire, int& status, std::string& answer, bool& keep) {
    keep = false;
    if (!connection_) {
        std::string error;
        int errorNumber = 0;
        connection_ = netio::connectTcp(host_, port_, connectMs_ > 0 ? connectMs_ : -1, error, &errorNumber);
        if (!connection_) {
            lastErrorText() = errorNumber == ECONNREFUSED ? "connection refused by the portal at " + endpoint()
                              : errorNumber == ETIMEDOUT
                                  ? "no connection to the portal at " + endpoint() + " within " +
                                        platform::secondsText(connectMs_)
                                  : "cannot connect to the portal at " + endpoint() + ": " + error;
            return LC_CONNECT_FAILED;
        }
        netio::setNoDelay(connection_.get());
    }
    // The whole exchange, from the first byte written to the last byte of the reply, runs
    // against one deadline when the host set one.
    std::unique_ptr<ConnectionDeadline> deadline;
    if (ioMs_ > 0) {
        deadline = std::make_unique<ConnectionDeadline>(ioMs_, ioMs_);
        deadline->requestStarted();
    }
    const bool sent = deadline ? deadline->sendAll(connection_.get(), wire.data(), wire.size())
                               : netio::sendAll(connection_.get(), wire);
    if (!sent) {
        connection_.reset();
        lastErrorText() = deadline && deadline->expired()
                              ? "the portal at " + endpoint() + " took no request within " + platform::secondsText(ioMs_)
                              : "sending to the portal at " + endpoint() + " failed";
        return LC_CONNECT_FAILED;
    }
    HttpReader reader(connection_.get(), MaxReply);
    if (deadline) reader.setDeadline(deadline.get());
    HttpMessage response;
    HttpReader::Result r = reader.readResponse(response);
    if (r == HttpReader::Result::Closed || r == HttpReader::Result::Failed) {
        connection_.reset();
        lastErrorText() = deadline && deadline->expired()
                              ? "no reply from the portal at " + endpoint() + " within " + platform::secondsText(ioMs_)
                          : r == HttpReader::Result::Closed
                              ? "the portal at " + endpoint() + " closed the connection without replying"
                              : "the portal at " + endpoint() + " closed the connection in the middle of its reply";
        return LC_CONNECT_FAILED;
    }
    if (r != HttpReader::Result::Ok) {
        connection_.reset();
        lastErrorText() = "the portal at " + endpoint() + " answered something that is not an HTTP reply";
        return LC_BAD_REPLY;
    }
    status = response.status;
    answer = std::move(response.body);
    keep = response.keepAlive() && response.header("Content-Length") != nullptr;
    return LC_OK;
}
