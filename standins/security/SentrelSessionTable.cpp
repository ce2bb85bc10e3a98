#include "standins/security/SentrelSessionTable.h"

SentrelSessionTable& SentrelSessionTable::instance() {
    static SentrelSessionTable table;
    return table;
}

SN_HANDLE SentrelSessionTable::open() {
    auto session = std::make_unique<Session>();
    std::string error;
    if (!session->authenticator.load(error)) {
        setLastError(error);
        return 0;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    SN_HANDLE handle = next_++;
    if (next_ == 0) next_ = 1;
    sessions_[handle] = std::move(session);
    order_.push_back(handle);
    while (order_.size() > MaxSessions) {
        sessions_.erase(order_.front());
        order_.pop_front();
    }
    lastError_.clear();
    return handle;
}

void SentrelSessionTable::setLastError(std::string message) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastError_ = std::move(message);
}

std::string SentrelSessionTable::lastError() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastError_;
}
