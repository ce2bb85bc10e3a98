#pragma once
// The memory a server lets requests in flight take, over all its connections. Each request
// takes bytes from it as they arrive (or, for a body of announced length, all at once before
// it is read) and gives them back when it is done; when the budget is used up the request
// that asks for more is refused, and the others go on.
#include <atomic>
#include <cstdint>

class RequestBudget {
public:
    explicit RequestBudget(std::uint64_t limit) : limit_(limit) {}
    RequestBudget(const RequestBudget&) = delete;
    RequestBudget& operator=(const RequestBudget&) = delete;

    std::uint64_t limit() const { return limit_; }
    std::uint64_t inUse() const { return used_.load(); }

    // One request's share: what it took is given back when it ends (or is destroyed).
    class Share {
    public:
        explicit Share(RequestBudget* budget = nullptr) : budget_(budget) {}
        ~Share() { release(); }
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;

        // Takes bytes more; false (taking nothing) when the budget cannot spare them.
        bool take(std::uint64_t bytes);
        void release();
        std::uint64_t taken() const { return taken_; }

    private:
        RequestBudget* budget_;
        std::uint64_t taken_ = 0;
    };

private:
    bool take(std::uint64_t bytes);
    void give(std::uint64_t bytes) { used_.fetch_sub(bytes); }

    const std::uint64_t limit_;
    std::atomic<std::uint64_t> used_{0};
};
