#include "admin/ServerConnection.h"

#include <cerrno>
#include <cstring>

#include "admin/ClientTimeouts.h"
#include "admin/LastErrorText.h"
#include "platform/DurationText.h"
#include "common/AttributeTree.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CSocket.h"

namespace {

constexpr unsigned char Preamble[4] = {0x00, 0x00, 0x00, 0x09};

void storeText(AttributeTree& data, const char* name, const char* text, int isSet = 0) {
    data.setText(name, text ? text : "")->setIsSet(isSet);
}

void storeText(AttributeTree& data, const char* name, const std::string& text) {
    data.setText(name, text.c_str());
}

void storeInteger(AttributeTree& data, const char* name, std::int32_t value, int isSet = 0) {
    data.setInteger(name, value)->setIsSet(isSet);
}

}  // namespace

ServerConnection::ServerConnection(std::string agentName) : agentName_(std::move(agentName)) {}

ServerConnection::~ServerConnection() = default;

bool ServerConnection::connect(const std::string& host, std::uint16_t port) {
    if (!socket_) socket_ = std::make_unique<CSocket>();
    host_ = host;
    endpoint_ = host + ":" + std::to_string(port);
    socket_->setTimeouts(ClientTimeouts::connectMs(), ClientTimeouts::exchangeMs());
    try {
        socket_->resolve(host.c_str());
        socket_->connect(port);
        socket_->writeAll(Preamble, sizeof Preamble);
        return true;
    } catch (const CBRWebIOStreamException& failure) {
        LastErrorText::set(connectFailureText(failure));
        return false;
    }
}

std::string ServerConnection::connectFailureText(const CBRWebIOStreamException& failure) const {
    const int error = failure.systemError;
    if (failure.code == TransportHostNotFound) return "no such host '" + host_ + "'";
    if (failure.code == TransportSendFailed) return exchangeFailureText(failure);
    switch (error) {
        case ECONNREFUSED:
            return "connection refused by " + endpoint_;
        case ETIMEDOUT:
            return "no connection to " + endpoint_ + " within " +
                   platform::secondsText(ClientTimeouts::connectMs());
        case ENETUNREACH:
        case EHOSTUNREACH:
            return "no route to " + endpoint_;
        default:
            return "cannot connect to " + endpoint_ + ": " + std::strerror(error);
    }
}

std::string ServerConnection::exchangeFailureText(const CBRWebIOStreamException& failure) const {
    const int error = failure.systemError;
    const bool timedOut = error == ETIMEDOUT && failure.code != 0;
    if (timedOut && failure.code == TransportReceiveFailed) {
        return "no reply from " + endpoint_ + " within " + platform::secondsText(ClientTimeouts::exchangeMs());
    }
    if (timedOut) {
        return endpoint_ + " took no request within " + platform::secondsText(ClientTimeouts::exchangeMs());
    }
    switch (failure.code) {
        case 0:  // end of stream
            return socket_ && socket_->receivedInExchange() > 0
                       ? "the server closed the connection in the middle of its reply"
                       : "the server at " + endpoint_ + " closed the connection without replying";
        case TransportBadTreeFormat:
            return "the reply from " + endpoint_ + " is not a report server message";
        case TransportReceiveFailed:
            return "receiving from " + endpoint_ + " failed: " + std::strerror(error);
        case TransportSendFailed:
            return error == EPIPE || error == ECONNRESET
                       ? "the server at " + endpoint_ + " closed the connection"
                       : "sending to " + endpoint_ + " failed: " + std::strerror(error);
        default:
            return LastErrorText::describeException(failure);
    }
}

void ServerConnection::disconnect() {
    if (socket_) socket_->close();
}

AttributeTree& ServerConnection::beginRequest(std::int32_t messageType) {
    message_.clear();
    message_.Agent = agentName_;
    message_.MessageType = messageType;
    return *message_.dataBranch();  // clear removed "data", so this is a new empty branch
}

BRMessage& ServerConnection::exchange(int selective) {
    if (!socket_) throw CBRWebIOStreamException(TransportSocketFailed, 0, SourceCSocket, 115);
    socket_->beginExchange();
    try {
        message_.send(*socket_, selective);
        message_.receive(*socket_);
    } catch (const CBRWebIOStreamException& failure) {
        LastErrorText::set(exchangeFailureText(failure));
        throw;
    }
    return message_;
}

BRMessage& ServerConnection::preLogin() {
    AttributeTree& data = beginRequest(LoginMessage);
    storeText(data, "pre_login", "1");
    return exchange(0);
}

BRMessage& ServerConnection::login(const char* ticket, const char* userId, const char* password,
                                   const char* oldPassword) {
    AttributeTree& data = beginRequest(LoginMessage);
    if (ticket) {
        storeText(data, "ticket", ticket);
    } else if (userId && password) {
        storeText(data, "user_id", userId);
        storeText(data, "password", password);
    } else if (oldPassword) {
        storeText(data, "old_password", oldPassword);
    }
    return exchange(0);
}

BRMessage& ServerConnection::getObject(const char* object, std::int32_t depth,
                                       std::int32_t thumbnail) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", GetObject);
    storeText(data, "object", object);
    storeInteger(data, "depth", depth);
    storeInteger(data, "thumbnail", thumbnail);
    return exchange(0);
}

BRMessage& ServerConnection::setObject(const char* object, const char* revision,
                                       const AttributeTree& value) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeText(data, "object", object, 1);
    storeInteger(data, "type", SetObject, 1);
    storeText(data, "revision", revision, 1);
    data.put("value", &value)->setIsSet(1);
    return exchange(1);
}

BRMessage& ServerConnection::createObject(const char* object, const AttributeTree& properties) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", CreateObject);
    storeText(data, "object", object);
    data.put("props", &properties);
    return exchange(0);
}

BRMessage& ServerConnection::removeObject(const char* object, std::int32_t recurse) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", RemoveObject);
    storeText(data, "object", object);
    storeInteger(data, "recurse", recurse);
    return exchange(0);
}

BRMessage& ServerConnection::moveOrCopy(Operation operation, const char* object,
                                        const char* newName) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", operation);
    storeText(data, "object", object);
    storeText(data, "newname", newName);
    return exchange(0);
}

BRMessage& ServerConnection::moveObject(const char* object, const char* newName) {
    return moveOrCopy(MoveObject, object, newName);
}

BRMessage& ServerConnection::copyObject(const char* object, const char* newName) {
    return moveOrCopy(CopyObject, object, newName);
}

BRMessage& ServerConnection::commandObject(const char* object, const char* revision,
                                           std::int32_t command) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", CommandObject);
    storeText(data, "object", object);
    storeText(data, "revision", revision, 1);
    storeInteger(data, "command", command);
    return exchange(0);
}

BRMessage& ServerConnection::bulkPublish(const char* object) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", BulkPublish);
    storeText(data, "object", object);
    return exchange(0);
}

BRMessage& ServerConnection::publishReport(const char* name, const char* description,
                                           const char* reportFile, const std::string& url,
                                           std::int32_t urlSize) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", PublishReport);
    storeText(data, "name", name);
    storeText(data, "description", description);
    storeText(data, "brx", reportFile);
    storeText(data, "url", url);
    storeInteger(data, "urlsize", urlSize);
    return exchange(0);
}

BRMessage& ServerConnection::publishPortalReport(const char* name, const char* description,
                                                 const char* reportFile,
                                                 const std::string& gateway,
                                                 std::int32_t gatewaySize,
                                                 const std::string& content,
                                                 std::int32_t contentSize) {
    AttributeTree& data = beginRequest(OperationMessage);
    storeInteger(data, "type", PublishPortalReport);
    storeText(data, "name", name);
    storeText(data, "description", description);
    storeText(data, "brx", reportFile);
    storeText(data, "gateway", gateway);
    storeInteger(data, "gatewaysize", gatewaySize);
    storeText(data, "content", content);
    storeInteger(data, "contentsize", contentSize);
    return exchange(0);
}
