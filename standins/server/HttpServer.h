#pragma once
// HTTP/1.1 on a TcpServer: reads requests on each connection (kept alive between requests),
// hands each to the handler and writes its response whole; HEAD gets the head of what GET
// would get. A connection is closed when it
// stays idle past the idle time or a request (head and body) does not arrive within the
// request time from its first byte; a body the server's request budget cannot hold is
// answered 503.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "standins/common/HttpReader.h"
#include "standins/server/TcpServer.h"

struct HttpResponse {
    int status = 200;
    std::string reason = "OK";
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;

    static HttpResponse text(int status, std::string reason, std::string body);
};

class HttpServer {
public:
    using Handler = std::function<HttpResponse(const HttpMessage& request)>;
    static constexpr std::size_t MaxRequestBody = 8 * 1024 * 1024;

    struct Limits {
        int idleTimeoutMs = 300 * 1000;
        int requestTimeoutMs = 30 * 1000;
        std::size_t maxConnections = 1024;
        RequestBudget* budget = nullptr;
    };

    HttpServer(Handler handler, Limits limits);

    bool listen(const std::string& host, std::uint16_t port, std::string& error) {
        return tcp_.listen(host, port, error);
    }
    std::uint16_t port() const { return tcp_.port(); }
    void start() { tcp_.start(); }
    void stop() { tcp_.stop(); }

private:
    void serveConnection(int fd, ConnectionDeadline& deadline);

    Handler handler_;
    Limits limits_;
    TcpServer tcp_;
};
