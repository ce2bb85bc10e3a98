#include "standins/common/ConnectionDeadline.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

void ConnectionDeadline::awaitRequest() {
    const Clock::time_point now = Clock::now();
    idleSince_ = now.time_since_epoch().count();
    inRequest_ = false;
    deadline_ = now + idle_;
}

void ConnectionDeadline::requestStarted() {
    if (inRequest_) return;
    inRequest_ = true;
    deadline_ = Clock::now() + request_;
}

bool ConnectionDeadline::idleSince(Clock::time_point& since) const {
    if (inRequest_) return false;
    since = Clock::time_point(Clock::duration(idleSince_.load()));
    return true;
}

bool ConnectionDeadline::waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        int rc = ::poll(&p, 1, static_cast<int>(left > 60000 ? 60000 : left));
        if (rc > 0) return true;
        if (rc < 0 && errno != EINTR) return true;  // let the read or write report the error
    }
}

bool ConnectionDeadline::waitReadable(int fd) const { return waitFor(fd, POLLIN, deadline_); }

bool ConnectionDeadline::sendAll(int fd, const void* data, std::size_t size) const {
    const Clock::time_point deadline = Clock::now() + request_;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitFor(fd, POLLOUT, deadline)) return false;
            continue;
        }
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
