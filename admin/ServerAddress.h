#pragma once
// A report server address as the exported functions receive it: a host, optionally followed by
// ":" and a decimal port.
#include <cstdint>
#include <string>

class ServerAddress {
public:
    static constexpr std::uint16_t DefaultPort = 8010;

    // Splits at the first ":". The port text is read like a C decimal integer (leading blanks,
    // an optional sign, digits up to the first other byte); no digits or the value 0 give the
    // default port. A value outside 1..65535 leaves the address without a usable port.
    explicit ServerAddress(const char* text);

    const std::string& host() const { return host_; }
    // Meaningful only when hasValidPort().
    std::uint16_t port() const { return port_; }
    bool hasValidPort() const { return validPort_; }
    // The port value read when it is outside 1..65535.
    long long rejectedPort() const { return rejectedPort_; }

private:
    std::string host_;
    std::uint16_t port_ = DefaultPort;
    bool validPort_ = true;
    long long rejectedPort_ = 0;
};
