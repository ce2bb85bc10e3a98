#include "standins/server/HttpServer.h"

#include "standins/common/NetIo.h"

HttpResponse HttpResponse::text(int status, std::string reason, std::string body) {
    HttpResponse r;
    r.status = status;
    r.reason = std::move(reason);
    r.body = std::move(body);
    return r;
}

HttpServer::HttpServer(Handler handler, Limits limits)
    : handler_(std::move(handler)), limits_(limits),
      tcp_("portal", [this](int fd, ConnectionDeadline& deadline) { serveConnection(fd, deadline); },
           {limits.maxConnections, limits.idleTimeoutMs, limits.requestTimeoutMs}) {}

namespace {

HttpResponse refusalFor(HttpReader::Result r) {
    switch (r) {
        case HttpReader::Result::TooLarge: return HttpResponse::text(413, "Payload Too Large", "Request too large.\n");
        case HttpReader::Result::Busy:
            return HttpResponse::text(503, "Service Unavailable", "The server is busy; try again later.\n");
        default: return HttpResponse::text(400, "Bad Request", "Malformed request.\n");
    }
}

}  // namespace

void HttpServer::serveConnection(int fd, ConnectionDeadline& deadline) {
    netio::setNoDelay(fd);
    HttpReader reader(fd, MaxRequestBody);
    reader.setDeadline(&deadline);
    reader.setBudget(limits_.budget);
    for (;;) {
        HttpMessage request;
        HttpReader::Result r = reader.readRequest(request);
        if (r == HttpReader::Result::Closed || r == HttpReader::Result::Failed) return;
        if (r != HttpReader::Result::Ok) {
            HttpResponse refusal = refusalFor(r);
            std::string wire = HttpMessage::formatResponse(refusal.status, refusal.reason, refusal.contentType,
                                                           refusal.body, false);
            deadline.sendAll(fd, wire.data(), wire.size());
            return;
        }
        // HEAD is answered as GET would be, without the body.
        bool headOnly = request.method == "HEAD";
        if (headOnly) request.method = "GET";
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
        if (headOnly) wire.resize(wire.size() - response.body.size());
        if (!deadline.sendAll(fd, wire.data(), wire.size()) || !keep) return;
    }
}
