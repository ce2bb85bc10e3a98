#pragma once
// Accepts TCP connections on one port and runs a handler for each on a thread of its own, at
// most maxConnections at once: a connection over the cap is closed as soon as it is accepted,
// so it neither waits behind the others nor keeps them waiting.
// stop() closes the listener, wakes every connection (shutdown of its socket, so blocked reads
// return) and joins every thread.
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "standins/common/UniqueFd.h"

class TcpServer {
public:
    // Runs on the connection's thread; the descriptor is closed when it returns.
    using Handler = std::function<void(int fd)>;

    TcpServer(std::string name, Handler handler, std::size_t maxConnections = 1024);
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
    };

    void acceptLoop();
    void reapFinished(std::unique_lock<std::mutex>& lock);
    void refuseWithoutDescriptors();
    void serve(Worker* worker, int fd);

    std::string name_;
    Handler handler_;
    std::size_t maxConnections_;
    UniqueFd listener_;
    UniqueFd wakeRead_;
    UniqueFd wakeWrite_;
    UniqueFd spare_;  // held for refuseWithoutDescriptors
    std::uint16_t port_ = 0;
    std::thread acceptThread_;

    std::mutex mutex_;
    std::list<Worker> workers_;
    std::size_t active_ = 0;
    bool stopping_ = false;
};
