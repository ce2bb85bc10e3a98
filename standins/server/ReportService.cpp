#include "standins/server/ReportService.h"

#include <ctime>
#include <sys/stat.h>
#include <random>

#include "common/AttributeTreeException.h"
#include "common/BRMessage.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"
#include "standins/common/ConnectionDeadline.h"
#include "standins/common/NetIo.h"
#include "standins/common/Ticket.h"
#include "standins/server/PortalService.h"
#include "standins/server/SocketStream.h"

namespace {

constexpr std::int32_t LoginMessage = 2;
constexpr std::int32_t OperationMessage = 4;
constexpr std::uint32_t Preamble = 9;

enum Operation : std::int32_t {
    GetObject = 100,
    SetObject = 101,
    CreateObject = 102,
    RemoveObject = 103,
    MoveObject = 104,
    CopyObject = 105,
    CommandObject = 106,
    PublishReport = 107,
    BulkPublish = 111,
    PublishPortalReport = 113,
};

// A text field of the request; false when missing or not a text.
bool textField(const AttributeTree& data, const char* name, std::string& value) {
    const char* text = data.findText(name);
    if (!text) return false;
    value = text;
    return true;
}

std::string newSecurityDescriptor(const std::string& user) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(random()));
    return "SD1:" + user.substr(0, 64) + ":" + hex;
}

// The content name a republish names: "E" of the URL's query, else "nic".
std::string contentOfUrl(const std::string& url) {
    auto params = PortalService::queryParameters(url);
    auto e = params.find("E");
    if (e != params.end() && !e->second.empty()) return e->second;
    auto nic = params.find("nic");
    return nic != params.end() ? nic->second : std::string();
}

}  // namespace

ReportService::ReportService(ObjectStore& store, const DataFolder& folder, Settings settings)
    : store_(store), folder_(folder), settings_(std::move(settings)),
      tcp_("report", [this](int fd, ConnectionDeadline& deadline) { serveConnection(fd, deadline); },
           {settings_.maxConnections, settings_.idleTimeoutMs, settings_.requestTimeoutMs}) {}

void ReportService::serveConnection(int fd, ConnectionDeadline& deadline) {
    netio::setNoDelay(fd);
    SocketStream stream(fd, deadline, settings_.budget);
    Session session;
    BRMessage request;
    BRMessage reply;
    try {
        if (stream.readU32() != Preamble) return;
        for (;;) {
            stream.startMessage();
            bool headerValid = true;
            try {
                request.receive(stream);
            } catch (const AttributeTreeException&) {
                headerValid = false;  // both documents were read: the stream is still in step
            }
            reply.clear();
            AttributeTree data;
            Outcome outcome = answer(request, headerValid, session, data);
            reply.MessageType = headerValid ? request.MessageType : 0;
            reply.ErrorCode = outcome.code;
            reply.Agent = AgentName;
            reply.ProtocolVersion = 1;
            reply.SecurityDescriptor = session.securityDescriptor;
            if (outcome.code != 0) data.setText("ErrorText", outcome.message.c_str());
            reply.dataBranch()->assign(data);
            reply.send(stream, 0);
        }
    } catch (const CBRWebIOStreamException&) {
        // The peer went away, timed out or sent something that is not a document; or the
        // server's memory for requests is spent, which the client is told before it is cut off.
        if (stream.budgetSpent()) refuseBusy(stream, session);
    }
}

void ReportService::refuseBusy(SocketStream& stream, const Session& session) {
    try {
        BRMessage reply;
        reply.MessageType = OperationMessage;
        reply.ErrorCode = ErrorServerBusy;
        reply.Agent = AgentName;
        reply.ProtocolVersion = 1;
        reply.SecurityDescriptor = session.securityDescriptor;
        reply.dataBranch()->setText("ErrorText", "The server's memory for requests is used up; try again later.");
        reply.send(stream, 0);
    } catch (const CBRWebIOStreamException&) {
        // The client is gone already.
    }
}

ReportService::Outcome ReportService::answer(BRMessage& request, bool headerValid, Session& session,
                                             AttributeTree& reply) {
    if (!headerValid) return {ErrorBadRequest, "The request header lacks one of its five values."};
    const AttributeTree* data = request.dataBranch();
    if (!data) return {ErrorBadRequest, "The request's data is not a branch."};
    if (request.MessageType == LoginMessage) return loginDialogue(*data, session, reply);
    if (request.MessageType != OperationMessage)
        return {ErrorBadRequest, "Unknown message type " + std::to_string(request.MessageType) + "."};
    std::int32_t type = data->getInteger("type", 0);
    if (settings_.secured) {
        if (!session.loggedIn) return {ErrorNotLoggedIn, "Log in first: this server is secured."};
        if (request.SecurityDescriptor != session.securityDescriptor)
            return {ErrorNotLoggedIn, "The request carries another SecurityDescriptor than the login gave."};
    }
    try {
        return operation(type, *data, reply);
    } catch (const AttributeTreeException&) {
        return {ErrorBadRequest, "The request cannot be served."};
    }
}

ReportService::Outcome ReportService::loginDialogue(const AttributeTree& data, Session& session,
                                                    AttributeTree& reply) {
    if (data.findText("pre_login")) {
        reply.setText("Mode", settings_.secured ? "password" : "none");
        reply.setInteger("Secured", settings_.secured ? 1 : 0);
        reply.setText("ServerNamespace", "Brindle");
        reply.setText("ACL", "");
        return {};
    }
    std::string user = "anonymous";
    if (settings_.secured) {
        Outcome checked = checkCredentials(data, user);
        if (checked.code != 0) {
            session = Session();
            return checked;
        }
    }
    session.loggedIn = true;
    session.user = user;
    session.securityDescriptor = newSecurityDescriptor(user);
    reply.setInteger("permission", 1);
    reply.setText("user", user.c_str());
    return {};
}

ReportService::Outcome ReportService::checkCredentials(const AttributeTree& data, std::string& user) const {
    std::string ticketText, userId, password;
    if (textField(data, "ticket", ticketText)) {
        auto ticket = Ticket::decode(ticketText, settings_.ticketKey);
        if (!ticket) return {ErrorLoginRefused, "The ticket is not valid."};
        if (!ticket->validAt(static_cast<std::int64_t>(std::time(nullptr)), settings_.ticketMaxAge))
            return {ErrorLoginRefused, "The ticket has expired."};
        user = ticket->user;
        return {};
    }
    if (textField(data, "user_id", userId) && textField(data, "password", password)) {
        if (!settings_.users->checkPassword(userId, password))
            return {ErrorLoginRefused, "Unknown user or wrong password."};
        user = userId;
        return {};
    }
    if (textField(data, "old_password", password)) {
        if (!settings_.users->checkPassword(UserDirectory::DefaultUser, password))
            return {ErrorLoginRefused, "Wrong password."};
        user = UserDirectory::DefaultUser;
        return {};
    }
    return {ErrorLoginRefused, "No credentials were given."};
}

ReportService::Outcome ReportService::operation(std::int32_t type, const AttributeTree& data, AttributeTree& reply) {
    if (type == PublishReport || type == PublishPortalReport) return publish(type, data, reply);
    std::string object;
    if (!textField(data, "object", object)) return {ErrorBadRequest, "The request has no text \"object\"."};
    ObjectStore::Result r;
    std::string text;
    switch (type) {
        case GetObject:
            r = store_.get(object, data.getInteger("depth", -1), data.getInteger("thumbnail", 0), reply);
            break;
        case SetObject: {
            const AttributeNode* value = nullptr;
            auto it = data.children().find("value");
            if (it != data.children().end()) value = it->second.get();
            if (!textField(data, "revision", text) || !value || value->kind() != NodeKind::Branch)
                return {ErrorBadRequest, "setObject needs a text \"revision\" and a branch \"value\"."};
            r = store_.set(object, text, static_cast<const AttributeTree&>(*value));
            break;
        }
        case CreateObject: {
            AttributeTree empty;
            const AttributeTree* props = &empty;
            auto it = data.children().find("props");
            if (it != data.children().end()) {
                if (it->second->kind() != NodeKind::Branch) return {ErrorBadRequest, "\"props\" is not a branch."};
                props = static_cast<const AttributeTree*>(it->second.get());
            }
            r = store_.create(object, *props);
            break;
        }
        case RemoveObject:
            r = store_.remove(object, data.getInteger("recurse", 0) != 0);
            break;
        case MoveObject:
        case CopyObject:
            if (!textField(data, "newname", text)) return {ErrorBadRequest, "The request has no text \"newname\"."};
            r = type == MoveObject ? store_.move(object, text) : store_.copy(object, text);
            break;
        case CommandObject: {
            if (!textField(data, "revision", text)) return {ErrorBadRequest, "The request has no text \"revision\"."};
            r = store_.command(object, text, data.getInteger("command", 0));
            break;
        }
        case BulkPublish: {
            std::int32_t count = 0;
            r = store_.bulkPublish(object, count);
            if (r.ok()) reply.setInteger("count", count);
            break;
        }
        default:
            return {ErrorBadRequest, "Unknown operation " + std::to_string(type) + "."};
    }
    return {r.code, r.message};
}

ReportService::Outcome ReportService::publish(std::int32_t type, const AttributeTree& data, AttributeTree& reply) {
    std::string name, description, file, given;
    if (!textField(data, "name", name) || name.empty()) return {ErrorBadRequest, "The report needs a \"name\"."};
    textField(data, "description", description);
    if (!textField(data, "brx", file) || file.empty()) return {ErrorBadRequest, "No report file (\"brx\") given."};

    std::string bytes, error;
    UniqueFd report;
    switch (settings_.roots->open(file, report, error)) {
        case PublishRoots::Verdict::Outside:
            return {ErrorOutsidePublishRoots, "The report file is outside the folders this server publishes from."};
        case PublishRoots::Verdict::Unreadable:
            return {ErrorFileUnreadable, error};
        case PublishRoots::Verdict::Opened:
            break;
    }
    // The copy in memory counts with the requests in flight, like the bytes they send.
    struct stat st;
    RequestBudget::Share copy(settings_.budget);
    if (::fstat(report.get(), &st) == 0 && st.st_size > 0 &&
        static_cast<std::uint64_t>(st.st_size) <= MaxReportSize && !copy.take(static_cast<std::uint64_t>(st.st_size)))
        return {ErrorServerBusy, "The server's memory for requests is used up; try again later."};
    if (!DataFolder::readDescriptor(report.get(), file, bytes, error, MaxReportSize))
        return {ErrorFileUnreadable, error};

    bool portal = type == PublishPortalReport;
    textField(data, portal ? "content" : "url", given);
    std::string content = portal ? given : contentOfUrl(given);
    if (content.empty() || !folder_.hasContent(content)) content = store_.newContentName(folder_);

    std::string gateway = "http://" + settings_.host + ":" + std::to_string(settings_.portalPort) + "/gateway";
    std::string url = gateway + "?DC=R&E=" + content;
    // Each answer must fit its buffer with the NUL.
    auto fits = [&](const char* sizeField, const std::string& text) {
        return static_cast<std::int64_t>(text.size()) < static_cast<std::int64_t>(data.getInteger(sizeField, 0));
    };
    if (portal ? !fits("gatewaysize", gateway) || !fits("contentsize", content) : !fits("urlsize", url))
        return {ErrorBufferTooSmall, "The answer does not fit the buffer sizes of the request."};

    if (!folder_.writeContent(content, bytes, error)) return {ErrorStorageFailed, error};
    ObjectStore::Result r = store_.recordPublication(content, name, description, file, url, bytes);
    if (!r.ok()) return {r.code, r.message};
    if (portal) {
        reply.setText("gateway", gateway.c_str());
        reply.setText("content", content.c_str());
    } else {
        reply.setText("URL", url.c_str());
    }
    return {};
}
