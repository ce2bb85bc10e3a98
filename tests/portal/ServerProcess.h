#pragma once
// brindle-server run by a test: started from the build's bin folder on free loopback ports
// with a fresh data folder, stopped (and waited for) when the object goes.

#include <sys/types.h>

#include <string>

namespace portal_test {

class ServerProcess {
 public:
  ServerProcess();
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Empty when the server runs; else why not.
  const std::string& failure() const { return failure_; }
  int reportPort() const { return reportPort_; }
  int portalPort() const { return portalPort_; }
  std::string reportServer() const { return "127.0.0.1:" + std::to_string(reportPort_); }
  const std::string& folder() const { return folder_; }

 private:
  bool Start();
  void Stop();

  std::string folder_;
  std::string failure_;
  pid_t pid_ = -1;
  int reportPort_ = 0;
  int portalPort_ = 0;
};

// The body of an HTTP GET of target from 127.0.0.1:port; empty with status in error when
// the answer is not 200.
std::string HttpGet(int port, const std::string& target, std::string& error);

}  // namespace portal_test
