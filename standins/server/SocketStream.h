#pragma once
// The server's end of one report connection as a CIOStream: reads through a receive buffer,
// writes each buffer whole. Reads fail (as the client's socket does) with CEndofStreamException
// when the peer has closed and CBRWebIOStreamException on an error or when the connection's
// deadline passes. Two bounds keep a client from making the server hold memory it has not
// sent: one message may take at most its bound, and every byte of it is taken from the
// server's budget for requests in flight until the next message starts.
#include <cstdint>
#include <memory>

#include "common/CIOStream.h"
#include "standins/common/ConnectionDeadline.h"
#include "standins/common/RequestBudget.h"

class SocketStream : public CIOStream {
public:
    static constexpr std::uint32_t BufferSize = 64 * 1024;
    static constexpr std::uint64_t DefaultBound = 256ull * 1024 * 1024;

    SocketStream(int fd, ConnectionDeadline& deadline, RequestBudget* budget = nullptr);
    ~SocketStream() override;

    void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override;
    void write(const void* buffer, std::uint32_t count, std::uint32_t& written) override;

    // Starts a new message: up to bound bytes may be read until the next call; what the last
    // message took from the budget is given back, and the connection waits for a request.
    void startMessage(std::uint64_t bound = DefaultBound);
    // Bytes received and not read yet.
    std::uint32_t buffered() const { return end_ - begin_; }
    // True when the last read failed because the server's budget was used up.
    bool budgetSpent() const { return budgetSpent_; }

private:
    int fd_;
    ConnectionDeadline& deadline_;
    RequestBudget::Share share_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::uint32_t begin_ = 0;
    std::uint32_t end_ = 0;
    std::uint64_t bound_ = DefaultBound;
    bool budgetSpent_ = false;
};
