#pragma once
// The one process-wide current session. Making a session current closes the one it replaces.
// Unguarded: the exported interface serves one call at a time.
#include <memory>

#include "admin/AdminSession.h"

class CurrentSession {
public:
    // Closes the previous current session, if any, and makes session current.
    static AdminSession& replace(std::unique_ptr<AdminSession> session);
    // Null when there is none.
    static AdminSession* get();
    // Closes and destroys the current session, if any.
    static void drop();
};

// A new session made current for one exported call and dropped when the call ends, whether it
// returns or throws.
class PerCallSession {
public:
    PerCallSession();
    ~PerCallSession();
    PerCallSession(const PerCallSession&) = delete;
    PerCallSession& operator=(const PerCallSession&) = delete;

    AdminSession& session() { return *session_; }

private:
    AdminSession* session_;
};
