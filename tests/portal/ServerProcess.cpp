#include "ServerProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace portal_test {

namespace {

constexpr int kStartTimeoutMs = 10000;

// Reads one line from fd, waiting at most timeoutMs in all.
bool ReadLine(int fd, std::string& line, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  line.clear();
  while (line.size() < 4096) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char c;
    if (read(fd, &c, 1) != 1) return false;
    if (c == '\n') return true;
    line += c;
  }
  return false;
}

}  // namespace

ServerProcess::ServerProcess() {
  if (!Start()) Stop();
}

ServerProcess::~ServerProcess() { Stop(); }

// The build folder: BRINDLE_BUILD_DIR, else the parent of the folder of this test program
// (<build>/bin/tests_portal).
static std::string BuildFolder() {
  if (const char* buildDir = std::getenv("BRINDLE_BUILD_DIR")) return buildDir;
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : self.parent_path().parent_path().string();
}

bool ServerProcess::Start() {
  const std::string program = BuildFolder() + "/bin/brindle-server";
  if (access(program.c_str(), X_OK) != 0) {
    failure_ = program + " is not there";
    return false;
  }
  char pattern[] = "/tmp/brcutil-e2e-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    failure_ = "no temporary folder";
    return false;
  }
  folder_ = pattern;
  const std::string data = folder_ + "/data";

  int out[2];
  if (pipe(out) != 0) {
    failure_ = "no pipe";
    return false;
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl(program.c_str(), program.c_str(), "--data", data.c_str(), "--report-port", "0",
          "--portal-port", "0", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  if (pid_ < 0) {
    close(out[0]);
    failure_ = "fork failed";
    return false;
  }
  std::string line;
  const bool read = ReadLine(out[0], line, kStartTimeoutMs);
  close(out[0]);
  if (!read || std::sscanf(line.c_str(), "report-port=%d portal-port=%d", &reportPort_,
                           &portalPort_) != 2) {
    failure_ = "brindle-server did not announce its ports: '" + line + "'";
    return false;
  }
  return true;
}

void ServerProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    bool exited = false;
    for (int i = 0; i < 100 && !exited; ++i) {
      exited = waitpid(pid_, &status, WNOHANG) == pid_;
      if (!exited) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!exited) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    pid_ = -1;
  }
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    folder_.clear();
  }
}

std::string HttpGet(int port, const std::string& target, std::string& error) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    error = "no socket";
    return std::string();
  }
  timeval timeout = {5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string response;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
      char buffer[4096];
      ssize_t n;
      while (response.size() < (16u << 20) && (n = recv(fd, buffer, sizeof buffer, 0)) > 0) {
        response.append(buffer, static_cast<size_t>(n));
      }
    }
  }
  close(fd);
  const size_t headerEnd = response.find("\r\n\r\n");
  if (response.compare(0, 12, "HTTP/1.1 200") != 0 && response.compare(0, 12, "HTTP/1.0 200") != 0) {
    error = response.substr(0, response.find("\r\n"));
    if (error.empty()) error = "no answer";
    return std::string();
  }
  return headerEnd == std::string::npos ? std::string() : response.substr(headerEnd + 4);
}

}  // namespace portal_test
