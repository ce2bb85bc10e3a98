#pragma once
// A small HTTP/1.1 reader and the texts of requests and responses, for the portal stand-in
// and the connection library. Bodies are delimited by Content-Length (a response without one
// runs to the end of the connection); chunked bodies and Content-Length headers that disagree
// are refused. Every size is bounded before anything is kept: a head, whole, to MaxHeadSize.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "standins/common/ConnectionDeadline.h"
#include "standins/common/RequestBudget.h"

struct HttpMessage {
    // Request line.
    std::string method;
    std::string target;
    // Status line.
    int status = 0;
    std::string reason;

    std::string version;  // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header of that name (ASCII case ignored), else null.
    const std::string* header(std::string_view name) const;
    // HTTP/1.1 keeps the connection unless "Connection: close"; HTTP/1.0 only with keep-alive.
    bool keepAlive() const;

    static std::string formatRequest(std::string_view method, std::string_view target,
                                     std::string_view host,
                                     const std::vector<std::pair<std::string, std::string>>& headers,
                                     std::string_view body);
    static std::string formatResponse(int status, std::string_view reason, std::string_view contentType,
                                      std::string_view body, bool keepAlive,
                                      const std::vector<std::pair<std::string, std::string>>& headers = {});
};

class HttpReader {
public:
    enum class Result {
        Ok,
        Closed,     // the peer closed (or timed out) before the first byte of a message
        Malformed,  // not HTTP, or chunked, or a bad or conflicting length
        TooLarge,   // head or body beyond the bounds
        Failed,     // the connection broke or timed out inside a message
        Busy,       // the body does not fit the server's budget for requests in flight
    };
    static constexpr std::size_t MaxHeadSize = 32 * 1024;
    static constexpr std::size_t MaxHeaders = 100;

    HttpReader(int fd, std::size_t maxBody) : fd_(fd), maxBody_(maxBody) {}

    // A server's reader: reads wait against the connection's deadlines (else the socket's own
    // time-outs apply), and a request's body of announced length is taken from budget before
    // it is read (and given back when the next request is read).
    void setDeadline(ConnectionDeadline* deadline) { deadline_ = deadline; }
    void setBudget(RequestBudget* budget) { share_ = std::make_unique<RequestBudget::Share>(budget); }

    Result readRequest(HttpMessage& message);
    Result readResponse(HttpMessage& message);

private:
    Result readHead(std::string& head);
    Result readBody(HttpMessage& message, bool untilCloseAllowed);
    static bool parseHeaders(std::string_view lines, HttpMessage& message);
    // One recv into the buffer: false at end of stream or on failure.
    bool fill();

    int fd_;
    std::size_t maxBody_;
    std::string buffer_;  // bytes received and not yet used
    ConnectionDeadline* deadline_ = nullptr;
    std::unique_ptr<RequestBudget::Share> share_;
};
