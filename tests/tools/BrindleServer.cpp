#include "tools/BrindleServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr auto StartTimeout = std::chrono::seconds(10);
constexpr auto StopTimeout = std::chrono::seconds(5);
constexpr auto PollInterval = std::chrono::milliseconds(10);

std::string readFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string environmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

std::string BrindleServer::buildDir() { return environmentOr("BRINDLE_BUILD_DIR", BRINDLE_BUILD_DIR); }
std::string BrindleServer::sourceDir() { return environmentOr("BRINDLE_SOURCE_DIR", BRINDLE_SOURCE_DIR); }
std::string BrindleServer::program(const std::string& name) { return buildDir() + "/bin/" + name; }

BrindleServer::BrindleServer(const std::vector<std::string>& extraArgs) {
  char pattern[] = "/tmp/brindle-tools-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    failure_ = "cannot make a temporary folder";
    return;
  }
  root_ = pattern;
  scratch_ = root_ + "/scratch";
  std::filesystem::create_directories(scratch_);
  const std::string data = root_ + "/data";
  const std::string outPath = root_ + "/server.out";
  const std::string errPath = root_ + "/server.err";

  std::vector<std::string> argv = {program("brindle-server"), "--data", data,
                                   "--report-port", "0", "--portal-port", "0"};
  argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
  pid_ = ::fork();
  if (pid_ == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int none = ::open("/dev/null", O_RDONLY);
    ::dup2(none, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }

  const auto deadline = std::chrono::steady_clock::now() + StartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string out = readFile(outPath);
    int report = 0, portal = 0;
    const std::size_t at = out.find("report-port=");
    if (at != std::string::npos && out.find('\n', at) != std::string::npos &&
        std::sscanf(out.c_str() + at, "report-port=%d portal-port=%d", &report, &portal) == 2) {
      reportPort_ = report;
      portalPort_ = portal;
      return;
    }
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    std::this_thread::sleep_for(PollInterval);
  }
  failure_ = "brindle-server did not start: " + readFile(errPath);
}

BrindleServer::~BrindleServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + StopTimeout;
    int raw = 0;
    bool ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      ended = ::waitpid(pid_, &raw, WNOHANG) == pid_;
      if (!ended) std::this_thread::sleep_for(PollInterval);
    }
    if (!ended) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &raw, 0);
    }
  }
  if (!root_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
}
