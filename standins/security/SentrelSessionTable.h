#pragma once
// The sessions of libSentrelAPI.so behind their handles, and the library's last message.
//
// The interface has no call that ends a session (callers drop the handle), so the table keeps
// the MaxSessions most recent ones and forgets older ones: an old handle then reads as unknown.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/external/SentrelAPI.h"
#include "standins/security/SentrelAuthenticator.h"

class SentrelSessionTable {
public:
    static constexpr std::size_t MaxSessions = 64;

    struct Session {
        SentrelAuthenticator authenticator;
        std::string lastError;
    };

    static SentrelSessionTable& instance();

    // A new session with its users loaded; 0 and the library message set on failure.
    SN_HANDLE open();
    // Runs f on the session of handle under the table's lock; false when the handle is unknown.
    template <typename F>
    bool with(SN_HANDLE handle, F&& f) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = sessions_.find(handle);
        if (it == sessions_.end()) return false;
        f(*it->second);
        return true;
    }

    void setLastError(std::string message);
    std::string lastError();

private:
    std::mutex mutex_;
    std::map<SN_HANDLE, std::unique_ptr<Session>> sessions_;
    std::deque<SN_HANDLE> order_;
    SN_HANDLE next_ = 1;
    std::string lastError_;
};
