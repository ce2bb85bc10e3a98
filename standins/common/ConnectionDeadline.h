#pragma once
// The deadlines of one server connection, so that no client holds it: while no request is
// under way the connection may stay silent for the idle time; from the first byte of a request
// the whole request must arrive within the request time, however slowly its bytes trickle in;
// and a reply must be taken by the client within the request time from its first send.
// Reads and writes wait with poll against the deadline that applies. The connection's own
// thread moves it between the phases; another thread may ask whether it is idle, and since when.
#include <atomic>
#include <chrono>
#include <cstddef>

class ConnectionDeadline {
public:
    using Clock = std::chrono::steady_clock;

    ConnectionDeadline(int idleMs, int requestMs) : idle_(idleMs), request_(requestMs) { awaitRequest(); }

    // Waiting for the next request: the idle deadline runs from now.
    void awaitRequest();
    // A request's first byte is here: its deadline runs from now (once per request).
    void requestStarted();
    bool inRequest() const { return inRequest_.load(); }
    // Since when the connection has been waiting for a request; false while one is under way.
    bool idleSince(Clock::time_point& since) const;

    // True once the deadline that applies now has passed, to the millisecond the waits count in.
    bool expired() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count() <= 0;
    }

    // Waits until fd has bytes (or its end) to read; false when the deadline has passed.
    bool waitReadable(int fd) const;
    // Sends every byte within the request time from now; false on time-out or failure.
    bool sendAll(int fd, const void* data, std::size_t size) const;

private:
    // Waits for events on fd until deadline; false when it passed first.
    static bool waitFor(int fd, short events, Clock::time_point deadline);

    std::chrono::milliseconds idle_;
    std::chrono::milliseconds request_;
    Clock::time_point deadline_;
    std::atomic<bool> inRequest_{false};
    std::atomic<Clock::rep> idleSince_{0};
};
