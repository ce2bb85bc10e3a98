#include "tools/support/PasswordSource.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "tools/support/UsageError.h"

namespace {

// Longer answers are cut here; nobody types a longer password.
constexpr std::size_t LongestAnswer = 4096;
const int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

// The terminal's settings while echo is off, for the signal handler to put back.
int quietTerminal = -1;
termios savedSettings;

extern "C" void restoreTerminalAndReraise(int signalNumber) {
  if (quietTerminal >= 0) ::tcsetattr(quietTerminal, TCSAFLUSH, &savedSettings);
  ::signal(signalNumber, SIG_DFL);
  ::raise(signalNumber);
}

// Echo off on the terminal for the object's lifetime; the previous settings come back at the
// end, or before the program dies of one of the usual signals.
class EchoOff {
 public:
  explicit EchoOff(int terminal) {
    if (::tcgetattr(terminal, &savedSettings) != 0) return;
    termios quiet = savedSettings;
    quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
    quietTerminal = terminal;
    struct sigaction action = {};
    action.sa_handler = restoreTerminalAndReraise;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < std::size(EndingSignals); ++i)
      ::sigaction(EndingSignals[i], &action, &previous_[i]);
    active_ = ::tcsetattr(terminal, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (quietTerminal < 0) return;
    ::tcsetattr(quietTerminal, TCSAFLUSH, &savedSettings);
    quietTerminal = -1;
    for (std::size_t i = 0; i < std::size(EndingSignals); ++i)
      ::sigaction(EndingSignals[i], &previous_[i], nullptr);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

  bool active() const { return active_; }

 private:
  struct sigaction previous_[std::size(EndingSignals)] = {};
  bool active_ = false;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

void writeAll(int fd, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t sent = ::write(fd, text.data() + written, text.size() - written);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return;
    written += static_cast<std::size_t>(sent);
  }
}

// One line from the terminal; false when input ended before anything was typed.
bool readLine(int fd, std::string& line) {
  bool any = false;
  char c = 0;
  while (line.size() < LongestAnswer) {
    const ssize_t got = ::read(fd, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return any;
    any = true;
    if (c == '\n') return true;
    line += c;
  }
  return true;
}

std::string withoutLineEnd(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::optional<std::string> PasswordSource::given(const std::optional<std::string>& option,
                                                 const std::optional<std::string>& file,
                                                 bool forUser) {
  if (option) return option;
  if (file) return firstLineOf(*file);
  if (!forUser) return std::nullopt;
  const char* fromEnvironment = std::getenv(EnvironmentVariable);
  if (fromEnvironment != nullptr) return std::string(fromEnvironment);
  return std::nullopt;
}

std::string PasswordSource::ask(const std::string& tool, const std::string& user) {
  const std::string missing = "--user " + user +
                              " needs a password: give --password, --password-file or " +
                              EnvironmentVariable + ", or run on a terminal to be asked";
  if (!::isatty(STDIN_FILENO)) throw UsageError(missing);
  const FileDescriptor terminal(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (terminal.get() < 0) throw UsageError(missing);

  std::string line;
  bool answered = false;
  {
    // Echo goes off before the prompt shows, so nothing typed after it can be echoed (turning
    // it off flushes what was typed before).
    const EchoOff echoOff(terminal.get());
    if (!echoOff.active()) throw UsageError("cannot turn the terminal's echo off to ask for a password");
    writeAll(terminal.get(), tool + ": password for " + user + ": ");
    answered = readLine(terminal.get(), line);
  }
  // The Enter typed was not echoed either.
  writeAll(terminal.get(), "\n");
  if (!answered) throw UsageError("no password typed for " + user);
  return withoutLineEnd(line);
}

std::string PasswordSource::firstLineOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw UsageError("cannot read the password file " + file);
  std::string line;
  std::getline(in, line);
  if (in.bad()) throw UsageError("cannot read the password file " + file);
  return withoutLineEnd(line);
}
