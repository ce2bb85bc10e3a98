#pragma once
// Accepts TCP connections on one port and runs a handler for each on a thread of its own, with
// the connection's deadlines (ConnectionDeadline.h), at most maxConnections at once. A newcomer
// at the cap makes room by closing the connection that has waited longest for a request of
// its own (idle connections hold nothing worth keeping over a client that wants an answer);
// when every connection has a request under way, the newcomer is closed as soon as it is
// accepted, so it neither waits behind the others nor keeps them waiting.
// stop() closes the listener, wakes every connection (shutdown of its socket, so blocked reads
// return) and joins every thread.
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "standins/common/ConnectionDeadline.h"
#include "standins/common/UniqueFd.h"

class TcpServer {
public:
    // Runs on the connection's thread; the descriptor is closed when it returns.
    using Handler = std::function<void(int fd, ConnectionDeadline& deadline)>;

    struct Limits {
        std::size_t maxConnections = 1024;
        int idleTimeoutMs = 300 * 1000;
        int requestTimeoutMs = 30 * 1000;
    };

    TcpServer(std::string name, Handler handler, Limits limits);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    bool listen(const std::string& host, std::uint16_t port, std::string& error);
    std::uint16_t port() const { return port_; }
    void start();
    void stop();

private:
    struct Worker {
        std::thread thread;
        int fd = -1;  // -1 once the connection is closed
        bool done = false;
        bool evicted = false;  // closed to make room; still counted until its thread ends
        std::unique_ptr<ConnectionDeadline> deadline;
    };

    void acceptLoop();
    void reapFinished(std::unique_lock<std::mutex>& lock);
    void refuseWithoutDescriptors();
    // At the cap: closes the longest-idle connection; false when none is idle.
    bool evictLongestIdle();
    void serve(Worker* worker, int fd);

    std::string name_;
    Handler handler_;
    Limits limits_;
    UniqueFd listener_;
    UniqueFd wakeRead_;
    UniqueFd wakeWrite_;
    UniqueFd spare_;  // held for refuseWithoutDescriptors
    std::uint16_t port_ = 0;
    std::thread acceptThread_;

    std::mutex mutex_;
    std::list<Worker> workers_;
    std::size_t active_ = 0;
    std::size_t evicting_ = 0;  // evicted connections whose threads have not ended yet
    bool stopping_ = false;
};
