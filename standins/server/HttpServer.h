#pragma once
// HTTP/1.1 on a TcpServer: reads requests on each connection (kept alive between requests),
// hands each to the handler and writes its response with one send.
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
    static constexpr int IdleTimeoutMs = 60 * 1000;

    explicit HttpServer(Handler handler);

    bool listen(const std::string& host, std::uint16_t port, std::string& error) {
        return tcp_.listen(host, port, error);
    }
    std::uint16_t port() const { return tcp_.port(); }
    void start() { tcp_.start(); }
    void stop() { tcp_.stop(); }

private:
    void serveConnection(int fd);

    Handler handler_;
    TcpServer tcp_;
};
