#include "admin/CurrentSession.h"

namespace {

std::unique_ptr<AdminSession>& current() {
    static std::unique_ptr<AdminSession> session;
    return session;
}

}  // namespace

AdminSession& CurrentSession::replace(std::unique_ptr<AdminSession> session) {
    drop();
    current() = std::move(session);
    return *current();
}

AdminSession* CurrentSession::get() { return current().get(); }

void CurrentSession::drop() {
    std::unique_ptr<AdminSession> old = std::move(current());
    if (old) old->close();
}

PerCallSession::PerCallSession()
    : session_(&CurrentSession::replace(std::make_unique<AdminSession>())) {}

PerCallSession::~PerCallSession() {
    if (CurrentSession::get() == session_) CurrentSession::drop();
}
