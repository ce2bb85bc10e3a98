#include "admin/AdminSession.h"

#include "admin/LastErrorText.h"
#include "admin/ReplyData.h"
#include "admin/ServerAddress.h"
#include "admin/ServerConnection.h"
#include "common/AttributeTree.h"
#include "common/CBRWebIOStreamException.h"

namespace {

bool isPasswordMode(const std::string& mode) { return mode == "password"; }

bool serverIsSecured(const AttributeTree& preLoginData) {
    if (isPasswordMode(preLoginData.getText("Mode"))) return preLoginData.getInteger("Secured") != 0;
    preLoginData.getText("ServerNamespace");  // required, though its value is not used
    return !preLoginData.getText("ACL").empty();
}

}  // namespace

AdminSession::AdminSession() = default;

AdminSession::~AdminSession() { close(); }

bool AdminSession::open(const char* serverAddress, const char* agentName) {
    close();
    connection_ = std::make_unique<ServerConnection>(agentName);
    const ServerAddress address(serverAddress);
    if (!address.hasValidPort()) {
        LastErrorText::set("port " + std::to_string(address.rejectedPort()) + " is outside 1..65535");
        return false;
    }
    return connection_->connect(address.host(), address.port());
}

void AdminSession::close() {
    if (!connection_) return;
    connection_->disconnect();
    connection_.reset();
}

std::int32_t AdminSession::login(const char* serverAddress, const LoginCredentials& credentials) {
    if (!serverAddress || !credentials.complete()) return MissingArgument;
    std::int32_t result = ConnectionFailed;
    try {
        if (open(serverAddress, ServerAgent)) result = runLoginDialogue(credentials);
    } catch (const CBRWebIOStreamException&) {
        result = ConnectionFailed;
    } catch (...) {
        close();
        throw;
    }
    if (result != Success) close();
    return result;
}

std::int32_t AdminSession::runLoginDialogue(const LoginCredentials& credentials) {
    BRMessage& preLoginReply = connection_->preLogin();
    if (!serverIsSecured(replyData(preLoginReply))) return preLoginReply.ErrorCode;

    BRMessage& loginReply = connection_->login(credentials.ticket, credentials.userId,
                                               credentials.password, credentials.oldPassword);
    if (loginReply.ErrorCode != 0) return loginReply.ErrorCode;
    if (replyData(loginReply).getInteger("permission", 0) == 0) {
        LastErrorText::set("the report server granted this login no permission");
        return ConnectionFailed;
    }
    return loginReply.ErrorCode;
}
