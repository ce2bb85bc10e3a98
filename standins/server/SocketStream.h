#pragma once
// The server's end of one report connection as a CIOStream: reads through a receive buffer,
// writes each buffer with one send. Reads fail (as the client's socket does) with
// CEndofStreamException when the peer has closed and CBRWebIOStreamException on an error or a
// time-out. A budget bounds the bytes one message may take, so a client cannot make the server
// hold more than that for one request.
#include <cstdint>
#include <memory>

#include "common/CIOStream.h"

class SocketStream : public CIOStream {
public:
    static constexpr std::uint32_t BufferSize = 64 * 1024;
    static constexpr std::uint64_t DefaultBudget = 256ull * 1024 * 1024;

    explicit SocketStream(int fd);
    ~SocketStream() override;

    void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override;
    void write(const void* buffer, std::uint32_t count, std::uint32_t& written) override;

    // Starts a new message: up to budget bytes may be read until the next call.
    void resetBudget(std::uint64_t budget = DefaultBudget) { budget_ = budget; }
    // Bytes received and not read yet.
    std::uint32_t buffered() const { return end_ - begin_; }

private:
    int fd_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::uint32_t begin_ = 0;
    std::uint32_t end_ = 0;
    std::uint64_t budget_ = DefaultBudget;
};
