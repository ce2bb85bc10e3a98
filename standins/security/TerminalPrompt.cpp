#include "standins/security/TerminalPrompt.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>


namespace {

// Turns echo off for its lifetime and restores the terminal afterwards.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (tcgetattr(fd_, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        active_ = tcsetattr(fd_, TCSANOW, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) tcsetattr(fd_, TCSANOW, &saved_);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int fd_;
    termios saved_{};
    bool active_ = false;
};

}  // namespace

bool TerminalPrompt::open() {
    tty_.reset(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    return tty_.valid() && isatty(tty_.get());
}

void TerminalPrompt::say(const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(tty_.get(), p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::optional<std::string> TerminalPrompt::ask(const std::string& question, bool hidden) {
    if (!tty_) return std::nullopt;
    if (!hidden) {
        say(question);
        return readLine();
    }
    // Echo goes off before the question appears, so nothing typed after it is shown.
    EchoOff quiet(tty_.get());
    say(question);
    return readLine();
}

std::optional<std::string> TerminalPrompt::readLine() {
    std::string line;
    for (;;) {
        pollfd p{tty_.get(), POLLIN, 0};
        int rc = ::poll(&p, 1, AnswerTimeoutMs);
        if (rc < 0 && errno == EINTR) continue;
        if (rc <= 0) return std::nullopt;
        char c;
        ssize_t n = ::read(tty_.get(), &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::nullopt;
        if (c == '\n') break;
        if (line.size() < MaxAnswer) line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}
