// The exported publishing functions. All but besBulkPublish run on a session of their own that
// ends with the call (and so also ends the session of an earlier login).
#include <string>

#include "admin/AdminSession.h"
#include "admin/CallerBuffer.h"
#include "admin/CurrentSession.h"
#include "admin/ExportedCall.h"
#include "admin/ReplyData.h"
#include "admin/ServerConnection.h"
#include "brindle/bradm.h"

namespace {

bool isMissing(const char* text) { return !text || !*text; }

// A text of the reply copied into a caller's buffer; false when the reply has no such text or it
// does not fit (the buffer is then unchanged).
bool copyReplyText(const AttributeTree& data, const char* name, CallerBuffer& buffer) {
    const char* text = data.findText(name);
    if (!text) {
        LastErrorText::set(std::string("the report server's reply has no \"") + name + "\"");
        return false;
    }
    if (!buffer.store(text)) {
        LastErrorText::set(std::string("the report server's \"") + name + "\" does not fit the buffer given");
        return false;
    }
    return true;
}

std::int32_t publishReport(const char* server, const char* name, const char* description,
                           const char* reportFile, char* urlBytes, std::int32_t urlCapacity) {
    PerCallSession call;
    CallerBuffer url(urlBytes, urlCapacity);
    if (isMissing(server) || isMissing(name) || isMissing(reportFile) || !url.usable())
        return AdminSession::MissingArgument;
    if (!call.session().open(server, AdminSession::PublishAgent))
        return AdminSession::ConnectionFailed;
    BRMessage& reply = call.session().connection()->publishReport(
        name, description, reportFile, url.currentText(), urlCapacity);
    if (reply.ErrorCode != 0) return reply.ErrorCode;
    if (!copyReplyText(replyData(reply), "URL", url)) return AdminSession::IncompleteReply;
    return AdminSession::Success;
}

}  // namespace

extern "C" {

std::int32_t besPublishReport(const char* server, const char* name, const char* description,
                              const char* reportFile, char* url, std::int32_t urlCapacity) {
    return ExportedCall::run([&]() -> std::int32_t {
        return publishReport(server, name, description, reportFile, url, urlCapacity);
    });
}

std::int32_t brwebPublishReport(const char* server, const char* name, const char* description,
                                const char* reportFile, char* url, std::int32_t urlCapacity) {
    return ExportedCall::run([&]() -> std::int32_t {
        return publishReport(server, name, description, reportFile, url, urlCapacity);
    });
}

std::int32_t besPublishReportLumora(const char* server, const char* name, const char* description,
                                    const char* reportFile, char* gatewayBytes,
                                    std::int32_t gatewayCapacity, char* contentBytes,
                                    std::int32_t contentCapacity) {
    return ExportedCall::run([&]() -> std::int32_t {
        PerCallSession call;
        CallerBuffer gateway(gatewayBytes, gatewayCapacity);
        CallerBuffer content(contentBytes, contentCapacity);
        if (isMissing(server) || isMissing(name) || isMissing(reportFile) || !gateway.usable() ||
            !content.usable())
            return AdminSession::MissingArgument;
        if (!call.session().open(server, AdminSession::PublishAgent))
            return AdminSession::ConnectionFailed;
        BRMessage& reply = call.session().connection()->publishPortalReport(
            name, description, reportFile, gateway.currentText(), gatewayCapacity,
            content.currentText(), contentCapacity);
        if (reply.ErrorCode != 0) return reply.ErrorCode;
        const AttributeTree& data = replyData(reply);
        // As with a missing "content", a gateway already copied stays in its buffer.
        if (!copyReplyText(data, "gateway", gateway) || !copyReplyText(data, "content", content))
            return AdminSession::IncompleteReply;
        return AdminSession::Success;
    });
}

std::int32_t besPublishReportEx(const char* server, const void*, const char* arg3, const void*,
                                const void*, const char* arg6, const void*, const void*,
                                const void*, const void*, const void*, const void*, const void*) {
    return ExportedCall::run([&]() -> std::int32_t {
        PerCallSession call;
        if (isMissing(server) || isMissing(arg3) || isMissing(arg6))
            return AdminSession::MissingArgument;
        if (!call.session().open(server, AdminSession::PublishAgent)) return AdminSession::ConnectionFailed;
        LastErrorText::set("connected; this call sends no request");
        return AdminSession::ConnectedOnly;
    });
}

std::int32_t besGetLumoraServerInfo(const char* server, char* urlBytes, std::int32_t urlCapacity,
                                    char* portBytes, std::int32_t portCapacity) {
    return ExportedCall::run([&]() -> std::int32_t {
        PerCallSession call;
        CallerBuffer url(urlBytes, urlCapacity);
        CallerBuffer port(portBytes, portCapacity);
        if (isMissing(server) || !url.usable() || !port.usable()) return AdminSession::MissingArgument;
        if (!call.session().open(server, AdminSession::ServerAgent))
            return AdminSession::ConnectionFailed;
        BRMessage& reply = call.session().connection()->getObject("/", -1, 0);
        if (reply.ErrorCode != 0) return reply.ErrorCode;
        const AttributeTree& data = replyData(reply);
        const char* urlText = data.findText("FLD.Publish.Lumora_url");
        const std::string portalUrl = urlText ? urlText : "";
        const std::string portText = std::to_string(data.getInteger("FLD.Publish.Lumora_port", 0));
        // Both or neither: a caller never sees a new URL beside an old port.
        if (!url.fits(portalUrl) || !port.fits(portText)) {
            LastErrorText::set("the portal's address does not fit the buffers given");
            return AdminSession::IncompleteReply;
        }
        url.store(portalUrl);
        port.store(portText);
        return AdminSession::Success;
    });
}

std::int32_t besBulkPublish(const char* objectPath) {
    return ExportedCall::run([&]() -> std::int32_t {
        AdminSession* session = CurrentSession::get();
        if (!session || !session->connection()) return LastErrorText::noSession();
        return session->connection()->bulkPublish(objectPath).ErrorCode;
    });
}

}  // extern "C"
