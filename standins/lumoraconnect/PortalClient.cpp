#include "standins/lumoraconnect/PortalClient.h"

#include "standins/common/HttpReader.h"
#include "standins/common/NetIo.h"

PortalClient::PortalClient(std::string host, std::uint16_t port, std::string ticket)
    : host_(std::move(host)), port_(port), ticket_(std::move(ticket)) {}

int32_t PortalClient::logOn() {
    int status = 0;
    std::string answer;
    int32_t rc = exchange("/lumora/logon", "", nullptr, status, answer);
    if (rc != LC_OK) return rc;
    if (status == 200) return LC_OK;
    if (status == 401 || status == 403) return LC_TICKET_REFUSED;
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
    if (status != 200) return LC_BAD_REPLY;
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

    bool reused = connection_.valid();
    bool keep = false;
    bool unanswered = false;
    int32_t rc = exchangeOnce(wire, status, answer, keep, unanswered);
    // A kept connection the portal closed meanwhile fails before any answer: try a new one.
    if (rc == LC_CONNECT_FAILED && reused && unanswered)
        rc = exchangeOnce(wire, status, answer, keep, unanswered);
    if (!keep) connection_.reset();
    return rc;
}

int32_t PortalClient::exchangeOnce(const std::string& wire, int& status, std::string& answer, bool& keep,
                                   bool& unanswered) {
    keep = false;
    unanswered = true;
    if (!connection_) {
        std::string error;
        connection_ = netio::connectTcp(host_, port_, ConnectTimeoutMs, error);
        if (!connection_) return LC_CONNECT_FAILED;
        netio::setTimeouts(connection_.get(), ReplyTimeoutMs);
        netio::setNoDelay(connection_.get());
    }
    if (!netio::sendAll(connection_.get(), wire)) {
        connection_.reset();
        return LC_CONNECT_FAILED;
    }
    HttpReader reader(connection_.get(), MaxReply);
    HttpMessage response;
    HttpReader::Result r = reader.readResponse(response);
    if (r == HttpReader::Result::Closed || r == HttpReader::Result::Failed) {
        unanswered = r == HttpReader::Result::Closed;
        connection_.reset();
        return LC_CONNECT_FAILED;
    }
    unanswered = false;
    if (r != HttpReader::Result::Ok) {
        connection_.reset();
        return LC_BAD_REPLY;
    }
    status = response.status;
    answer = std::move(response.body);
    keep = response.keepAlive() && response.header("Content-Length") != nullptr;
    return LC_OK;
}
