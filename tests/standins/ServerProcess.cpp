#include "standins/ServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr int StopTimeoutMs = 5000;

std::string makeTemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brindle-standins-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    return made ? std::string(made) : std::string();
}

}  // namespace

ServerProcess::ServerProcess() {
    scratch_ = makeTemporaryFolder();
    dataFolder_ = scratch_ + "/data";
}

ServerProcess::~ServerProcess() {
    stop();
    std::error_code ignored;
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
}

std::string ServerProcess::binary() {
    const char* build = std::getenv("BRINDLE_BUILD_DIR");
    if (build && *build) return std::string(build) + "/bin/brindle-server";
    // Without the variable: the server sits beside this test program in the build's bin/.
    std::error_code ignored;
    return (std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path() / "brindle-server").string();
}

std::string ServerProcess::writeScratchFile(const std::string& name, const std::string& bytes) const {
    std::string path = scratch_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

bool ServerProcess::start(const std::vector<std::string>& extraArguments) {
    if (running()) stop();
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        error_ = "pipe failed";
        return false;
    }
    std::vector<std::string> args = {binary(), "--data", dataFolder_, "--report-port", "0", "--portal-port", "0"};
    args.insert(args.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        pid_ = -1;
        error_ = "cannot start " + args[0];
        return false;
    }

    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(StartTimeoutMs);
    while (line.find('\n') == std::string::npos) {
        int left = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
        pollfd p{pipeFds[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) <= 0) break;
        char chunk[256];
        ssize_t n = read(pipeFds[0], chunk, sizeof chunk);
        if (n <= 0) break;
        line.append(chunk, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    unsigned report = 0, portal = 0;
    if (std::sscanf(line.c_str(), "report-port=%u portal-port=%u", &report, &portal) != 2) {
        error_ = "the server did not announce its ports (output: \"" + line + "\")";
        stop(SIGKILL);
        return false;
    }
    reportPort_ = static_cast<std::uint16_t>(report);
    portalPort_ = static_cast<std::uint16_t>(portal);
    return true;
}

int ServerProcess::stop(int signal) {
    if (pid_ <= 0) return 0;
    kill(pid_, signal);
    int status = 0;
    for (int waited = 0; waited < StopTimeoutMs; waited += 10) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
}
