#include "standins/common/NetIo.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace netio {
namespace {

bool resolve(const std::string& host, std::uint16_t port, sockaddr_in& address, std::string& error) {
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return false;
    }
    address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

std::string systemText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

UniqueFd connectTcp(const std::string& host, std::uint16_t port, int timeoutMs, std::string& error,
                    int* errorNumber) {
    // Records the failure of what, from errno, and gives up.
    const auto failed = [&](const char* what) {
        if (errorNumber) *errorNumber = errno;
        error = systemText(what);
        return UniqueFd();
    };
    if (errorNumber) *errorNumber = 0;
    sockaddr_in address;
    if (!resolve(host, port, address, error)) return {};
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) return failed("socket");
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) return failed("connect");
        pollfd p{fd.get(), POLLOUT, 0};
        int rc;
        do rc = ::poll(&p, 1, timeoutMs);
        while (rc < 0 && errno == EINTR);
        int soError = 0;
        socklen_t len = sizeof soError;
        if (rc <= 0 || getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
            errno = rc == 0 ? ETIMEDOUT : (soError ? soError : errno);
            return failed("connect");
        }
    }
    int flags = fcntl(fd.get(), F_GETFL);
    fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

UniqueFd listenTcp(const std::string& host, std::uint16_t port, std::string& error) {
    sockaddr_in address;
    if (!resolve(host, port, address, error)) return {};
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) {
        error = systemText("socket");
        return {};
    }
    int one = 1;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = systemText(("bind " + host + ":" + std::to_string(port)).c_str());
        return {};
    }
    if (::listen(fd.get(), 128) != 0) {
        error = systemText("listen");
        return {};
    }
    return fd;
}

std::uint16_t localPort(int fd) {
    sockaddr_in address{};
    socklen_t len = sizeof address;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &len) != 0) return 0;
    return ntohs(address.sin_port);
}

bool sendAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void setTimeouts(int fd, int timeoutMs) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

void setNoDelay(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

bool splitHostPort(const std::string& address, std::string& host, std::uint16_t& port) {
    std::size_t colon = address.rfind(':');
    host = address.substr(0, colon);
    if (host.empty()) return false;
    if (colon == std::string::npos) return true;
    std::string digits = address.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return false;
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace netio
