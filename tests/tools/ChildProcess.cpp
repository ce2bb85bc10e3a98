#include "tools/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

void applyEnvironment(const std::vector<std::string>& environment) {
  for (const std::string& entry : environment) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos)
      ::unsetenv(entry.c_str());
    else
      ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
  }
}

[[noreturn]] void execute(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  const std::string message = "cannot run " + argv[0] + ": " + std::strerror(errno) + "\n";
  (void)!::write(2, message.data(), message.size());
  ::_exit(127);
}

int exitStatus(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

int remainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Reads what fd has into text; false at end of file or on failure.
bool drain(int fd, std::string& text) {
  char buffer[4096];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  if (got > 0) {
    text.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
  return got < 0 && errno == EINTR;
}

void finish(pid_t pid, bool kill, ChildResult& result) {
  if (kill) {
    ::kill(pid, SIGKILL);
    result.timedOut = true;
  }
  int raw = 0;
  while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
  }
  result.status = exitStatus(raw);
}

}  // namespace

ChildResult ChildProcess::Run(const std::vector<std::string>& argv, const ChildOptions& options) {
  int in[2], out[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
    return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    // A session of its own: no controlling terminal, so nothing can ask the person running
    // the tests.
    ::setsid();
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    applyEnvironment(options.environment);
    execute(argv);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  ::signal(SIGPIPE, SIG_IGN);

  ChildResult result;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
  std::size_t written = 0;
  int inFd = in[1];
  if (options.input.empty()) {
    ::close(inFd);
    inFd = -1;
  }
  bool outOpen = true, errOpen = true, expired = false;
  while (outOpen || errOpen) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
    if (!outOpen) fds[0].fd = -1;
    if (!errOpen) fds[1].fd = -1;
    const int timeout = remainingMs(deadline);
    if (timeout == 0) {
      expired = true;
      break;
    }
    if (::poll(fds, 3, timeout) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) outOpen = drain(out[0], result.out);
    if (fds[1].revents != 0) errOpen = drain(err[0], result.err);
    if (inFd >= 0 && fds[2].revents != 0) {
      const ssize_t sent = ::write(inFd, options.input.data() + written, options.input.size() - written);
      if (sent > 0) written += static_cast<std::size_t>(sent);
      if (sent < 0 || written == options.input.size()) {
        ::close(inFd);
        inFd = -1;
      }
    }
  }
  if (inFd >= 0) ::close(inFd);
  ::close(out[0]);
  ::close(err[0]);
  finish(pid, expired, result);
  return result;
}

ChildResult ChildProcess::WithTerminal(const std::vector<std::string>& argv, const ChildOptions& options) {
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return {};
  int terminal = -1;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    // The terminal stays the controlling terminal and standard error; the program's own input
    // and output are the pipes.
    if (!options.inputFromTerminal) ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    applyEnvironment(options.environment);
    execute(argv);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::signal(SIGPIPE, SIG_IGN);

  ChildResult result;
  if (!options.inputFromTerminal) (void)!::write(in[1], options.input.data(), options.input.size());
  ::close(in[1]);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
  std::size_t answered = 0;
  std::size_t searchFrom = 0;
  bool outOpen = true, terminalOpen = true, expired = false;
  while (outOpen || terminalOpen) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {terminal, POLLIN, 0}};
    if (!outOpen) fds[0].fd = -1;
    if (!terminalOpen) fds[1].fd = -1;
    const int timeout = remainingMs(deadline);
    if (timeout == 0) {
      expired = true;
      break;
    }
    if (::poll(fds, 2, timeout) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) outOpen = drain(out[0], result.out);
    // A pseudo-terminal whose other side is closed reports EIO: the program has ended.
    if (fds[1].revents != 0) terminalOpen = drain(terminal, result.err);
    while (answered < options.terminalAnswers.size()) {
      const auto& [prompt, answer] = options.terminalAnswers[answered];
      const std::size_t at = result.err.find(prompt, searchFrom);
      if (at == std::string::npos) break;
      const std::string line = answer + "\n";
      (void)!::write(terminal, line.data(), line.size());
      searchFrom = at + prompt.size();
      ++answered;
    }
  }
  ::close(out[0]);
  ::close(terminal);
  finish(pid, expired, result);
  return result;
}
