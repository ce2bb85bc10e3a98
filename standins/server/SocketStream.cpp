#include "standins/server/SocketStream.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>

#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"

namespace {
constexpr const char* SourceSocketStream = "standins\\server\\SocketStream";
}

SocketStream::SocketStream(int fd, ConnectionDeadline& deadline, RequestBudget* budget)
    : fd_(fd), deadline_(deadline), share_(budget), buffer_(new unsigned char[BufferSize]) {}

SocketStream::~SocketStream() = default;

void SocketStream::startMessage(std::uint64_t bound) {
    bound_ = bound;
    share_.release();
    deadline_.awaitRequest();
    if (buffered() != 0) {
        deadline_.requestStarted();
        share_.take(buffered());  // already held; counted whether or not the budget has room
    }
}

void SocketStream::readSome(void* buffer, std::uint32_t count, std::uint32_t& got) {
    got = 0;
    if (count == 0) return;
    if (begin_ == end_) {
        begin_ = end_ = 0;
        if (!deadline_.waitReadable(fd_))
            throw CBRWebIOStreamException(TransportReceiveFailed, ETIMEDOUT, SourceSocketStream, __LINE__);
        ssize_t n;
        do n = ::recv(fd_, buffer_.get(), BufferSize, 0);
        while (n < 0 && errno == EINTR);
        if (n == 0) throw CEndofStreamException(TransportEndOfStream, SourceSocketStream, __LINE__);
        if (n < 0) throw CBRWebIOStreamException(TransportReceiveFailed, errno, SourceSocketStream, __LINE__);
        deadline_.requestStarted();
        if (!share_.take(static_cast<std::uint64_t>(n))) {
            budgetSpent_ = true;
            throw CBRWebIOStreamException(TransportReceiveFailed, ENOMEM, SourceSocketStream, __LINE__);
        }
        end_ = static_cast<std::uint32_t>(n);
    }
    std::uint32_t n = end_ - begin_ < count ? end_ - begin_ : count;
    if (n > bound_) throw CBRWebIOStreamException(TransportBadTreeFormat, 0, SourceSocketStream, __LINE__);
    bound_ -= n;
    std::memcpy(buffer, buffer_.get() + begin_, n);
    begin_ += n;
    got = n;
}

void SocketStream::write(const void* buffer, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    if (!deadline_.sendAll(fd_, buffer, count))
        throw CBRWebIOStreamException(TransportSendFailed, errno, SourceSocketStream, __LINE__);
    written = count;
}
