#include "admin/RevisionGuardedUpdate.h"

#include "admin/AdminSession.h"
#include "admin/ReplyData.h"
#include "admin/ServerConnection.h"

RevisionGuardedUpdate::RevisionGuardedUpdate(ServerConnection& connection, const char* object)
    : connection_(connection), object_(object) {}

std::int32_t RevisionGuardedUpdate::read() {
    BRMessage& reply = connection_.getObject(object_, -1, 0);
    if (reply.ErrorCode != 0) return reply.ErrorCode;
    working_.assign(replyData(reply));  // deep copies, hidden children included
    return AdminSession::Success;
}

bool RevisionGuardedUpdate::revision(std::string& revision) const {
    const char* text = working_.findText("Revision");
    if (!text || !*text) return false;
    revision = text;
    return true;
}

std::int32_t RevisionGuardedUpdate::run(const Change& change, const AttributeTree* written) {
    const std::int32_t readResult = read();
    if (readResult != AdminSession::Success) return readResult;
    if (change) change(working_);
    std::string currentRevision;
    if (!revision(currentRevision)) return AdminSession::NoRevision;
    return connection_.setObject(object_, currentRevision.c_str(), written ? *written : working_)
        .ErrorCode;
}
