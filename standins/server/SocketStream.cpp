#include "standins/server/SocketStream.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>

#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"
#include "standins/common/NetIo.h"

namespace {
constexpr const char* SourceSocketStream = "standins\\server\\SocketStream";
}

SocketStream::SocketStream(int fd) : fd_(fd), buffer_(new unsigned char[BufferSize]) {}

SocketStream::~SocketStream() = default;

void SocketStream::readSome(void* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    if (count == 0) return;
    if (begin_ == end_) {
        begin_ = end_ = 0;
        ssize_t n;
        do n = ::recv(fd_, buffer_.get(), BufferSize, 0);
        while (n < 0 && errno == EINTR);
        if (n == 0) throw CEndofStreamException(TransportEndOfStream, SourceSocketStream, __LINE__);
        if (n < 0) throw CBRWebIOStreamException(TransportReceiveFailed, errno, SourceSocketStream, __LINE__);
        end_ = static_cast<std::uint32_t>(n);
    }
    std::uint32_t n = end_ - begin_ < count ? end_ - begin_ : count;
    if (n > budget_) throw CBRWebIOStreamException(TransportBadTreeFormat, 0, SourceSocketStream, __LINE__);
    budget_ -= n;
    std::memcpy(buffer, buffer_.get() + begin_, n);
    begin_ += n;
    got = n;
}

void SocketStream::write(const void* buffer, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    if (!netio::sendAll(fd_, buffer, count))
        throw CBRWebIOStreamException(TransportSendFailed, errno, SourceSocketStream, __LINE__);
    written = count;
}
