#include "standins/server/HttpServer.h"

#include "standins/common/NetIo.h"

HttpResponse HttpResponse::text(int status, std::string reason, std::string body) {
    HttpResponse r;
    r.status = status;
    r.reason = std::move(reason);
    r.body = std::move(body);
    return r;
}

HttpServer::HttpServer(Handler handler)
    : handler_(std::move(handler)), tcp_("portal", [this](int fd) { serveConnection(fd); }) {}

void HttpServer::serveConnection(int fd) {
    netio::setTimeouts(fd, IdleTimeoutMs);
    netio::setNoDelay(fd);
    HttpReader reader(fd, MaxRequestBody);
    for (;;) {
        HttpMessage request;
        HttpReader::Result r = reader.readRequest(request);
        if (r == HttpReader::Result::Closed || r == HttpReader::Result::Failed) return;
        if (r != HttpReader::Result::Ok) {
            bool tooLarge = r == HttpReader::Result::TooLarge;
            HttpResponse refusal = tooLarge ? HttpResponse::text(413, "Payload Too Large", "Request too large.\n")
                                            : HttpResponse::text(400, "Bad Request", "Malformed request.\n");
            netio::sendAll(fd, HttpMessage::formatResponse(refusal.status, refusal.reason, refusal.contentType,
                                                           refusal.body, false));
            return;
        }
        HttpResponse response;
        try {
            response = handler_(request);
        } catch (const std::exception&) {
            response = HttpResponse::text(500, "Internal Server Error", "The request could not be served.\n");
        }
        bool keep = request.keepAlive();
        std::string wire = HttpMessage::formatResponse(response.status, response.reason, response.contentType,
                                                       response.body,
                                                       keep, response.headers);
        if (!netio::sendAll(fd, wire) || !keep) return;
    }
}
