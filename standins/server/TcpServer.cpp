#include "standins/server/TcpServer.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "standins/common/NetIo.h"

TcpServer::TcpServer(std::string name, Handler handler, Limits limits)
    : name_(std::move(name)), handler_(std::move(handler)), limits_(limits) {
    if (limits_.maxConnections == 0) limits_.maxConnections = 1;
}

TcpServer::~TcpServer() { stop(); }

bool TcpServer::listen(const std::string& host, std::uint16_t port, std::string& error) {
    listener_ = netio::listenTcp(host, port, error);
    if (!listener_) return false;
    port_ = netio::localPort(listener_.get());
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = "pipe failed";
        return false;
    }
    wakeRead_.reset(pipeFds[0]);
    wakeWrite_.reset(pipeFds[1]);
    spare_.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return true;
}

void TcpServer::start() { acceptThread_ = std::thread([this] { acceptLoop(); }); }

void TcpServer::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ && !acceptThread_.joinable() && workers_.empty()) return;
        stopping_ = true;
        for (Worker& w : workers_)
            if (w.fd >= 0) ::shutdown(w.fd, SHUT_RDWR);
    }
    if (wakeWrite_) {
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(wakeWrite_.get(), &c, 1);
    }
    if (acceptThread_.joinable()) acceptThread_.join();
    std::list<Worker> remaining;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A connection accepted just before stopping may have registered after the shutdowns.
        for (Worker& w : workers_)
            if (w.fd >= 0) ::shutdown(w.fd, SHUT_RDWR);
        remaining.splice(remaining.end(), workers_);
    }
    for (Worker& w : remaining)
        if (w.thread.joinable()) w.thread.join();
    listener_.reset();
}

void TcpServer::reapFinished(std::unique_lock<std::mutex>& lock) {
    std::list<Worker> finished;
    for (auto it = workers_.begin(); it != workers_.end();) {
        auto next = std::next(it);
        if (it->done) finished.splice(finished.end(), workers_, it);
        it = next;
    }
    lock.unlock();
    for (Worker& w : finished) w.thread.join();
    lock.lock();
}

// Out of descriptors, the waiting connection would stay in the backlog and wake every poll.
// An idle connection makes room for it, as at the cap; without one, the spare descriptor is
// given up for a moment to take the newcomer and close it.
void TcpServer::refuseWithoutDescriptors() {
    bool evicted;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        evicted = evictLongestIdle();
    }
    if (evicted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // its thread frees the descriptor
        return;
    }
    spare_.reset();
    int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) ::close(fd);
    spare_.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (fd < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void TcpServer::acceptLoop() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            reapFinished(lock);
            if (stopping_) return;
        }
        pollfd fds[2] = {{listener_.get(), POLLIN, 0}, {wakeRead_.get(), POLLIN, 0}};
        int rc = ::poll(fds, 2, 1000);
        if (rc < 0 && errno != EINTR) return;
        if (rc <= 0) continue;
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        int fd = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE) refuseWithoutDescriptors();
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            ::close(fd);
            return;
        }
        if (active_ - evicting_ >= limits_.maxConnections && !evictLongestIdle()) {
            ::close(fd);  // over the cap with every connection busy: refused at once
            continue;
        }
        workers_.emplace_back();
        Worker* worker = &workers_.back();
        worker->fd = fd;
        worker->deadline = std::make_unique<ConnectionDeadline>(limits_.idleTimeoutMs, limits_.requestTimeoutMs);
        ++active_;
        try {
            worker->thread = std::thread([this, worker, fd] { serve(worker, fd); });
        } catch (const std::system_error&) {
            // No thread to be had: this connection is refused, the others go on.
            ::close(fd);
            workers_.pop_back();
            --active_;
        }
    }
}

bool TcpServer::evictLongestIdle() {
    Worker* oldest = nullptr;
    ConnectionDeadline::Clock::time_point oldestSince{};
    for (Worker& w : workers_) {
        ConnectionDeadline::Clock::time_point since;
        if (w.done || w.evicted || w.fd < 0 || !w.deadline->idleSince(since)) continue;
        if (!oldest || since < oldestSince) {
            oldest = &w;
            oldestSince = since;
        }
    }
    if (!oldest) return false;
    oldest->evicted = true;
    ++evicting_;
    ::shutdown(oldest->fd, SHUT_RDWR);  // its thread sees the end of the stream and returns
    return true;
}

void TcpServer::serve(Worker* worker, int fd) {
    try {
        handler_(fd, *worker->deadline);
    } catch (...) {
        // A handler failure ends this connection only.
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ::close(fd);
    worker->fd = -1;
    worker->done = true;
    --active_;
    if (worker->evicted) --evicting_;
}
