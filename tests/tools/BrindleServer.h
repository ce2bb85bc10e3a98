#pragma once
// A brindle-server of the build for one test: a fresh data folder, free loopback ports, stopped
// (SIGTERM, then SIGKILL after a few seconds) and its folder removed at the end.
#include <sys/types.h>

#include <string>
#include <vector>

class BrindleServer {
 public:
  // extraArgs go after --data and the ports, e.g. {"--users", FILE}. Check started().
  explicit BrindleServer(const std::vector<std::string>& extraArgs = {});
  ~BrindleServer();
  BrindleServer(const BrindleServer&) = delete;
  BrindleServer& operator=(const BrindleServer&) = delete;

  bool started() const { return reportPort_ > 0 && portalPort_ > 0; }
  // What went wrong when it did not start (its standard error, or why it was not run).
  const std::string& failure() const { return failure_; }
  int reportPort() const { return reportPort_; }
  int portalPort() const { return portalPort_; }
  std::string reportAddress() const { return "127.0.0.1:" + std::to_string(reportPort_); }
  std::string portalAddress() const { return "127.0.0.1:" + std::to_string(portalPort_); }
  // A folder for the test's own files, removed with the server's.
  const std::string& scratch() const { return scratch_; }

  // The build's folder (BRINDLE_BUILD_DIR) and a program in its bin/.
  static std::string buildDir();
  static std::string program(const std::string& name);
  static std::string sourceDir();

 private:
  pid_t pid_ = -1;
  int reportPort_ = 0;
  int portalPort_ = 0;
  std::string root_;
  std::string scratch_;
  std::string failure_;
};
