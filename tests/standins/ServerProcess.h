#pragma once
// Runs brindle-server for a test: a fresh data folder, ports 0, the ports read from its first
// line of output. The server is stopped (SIGTERM, then SIGKILL after a few seconds) and waited
// for when the object goes, and the data folder removed.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class ServerProcess {
public:
    ServerProcess();
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server on this object's data folder with the extra arguments; false (with a
    // message in error()) when it did not announce its ports within a few seconds.
    bool start(const std::vector<std::string>& extraArguments = {});
    // Sends the signal and waits; the exit status (-1 when it had to be killed).
    int stop(int signal = 15);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    const std::string& dataFolder() const { return dataFolder_; }
    std::uint16_t reportPort() const { return reportPort_; }
    std::uint16_t portalPort() const { return portalPort_; }
    const std::string& error() const { return error_; }

    // The server binary of this build.
    static std::string binary();
    // A file in the data folder's parent scratch space: written with the bytes, path returned.
    std::string writeScratchFile(const std::string& name, const std::string& bytes) const;

private:
    std::string dataFolder_;
    std::string scratch_;
    pid_t pid_ = -1;
    std::uint16_t reportPort_ = 0;
    std::uint16_t portalPort_ = 0;
    std::string error_;
};
