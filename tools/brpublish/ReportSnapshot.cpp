#include "tools/brpublish/ReportSnapshot.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/brpublish/PublishSteps.h"

ReportSnapshot* ReportSnapshot::active_ = nullptr;

namespace {

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

// Writes all of bytes to fd; false on a failed write.
bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

ReportSnapshot::ReportSnapshot(std::string reportFile) : reportFile_(std::move(reportFile)) {
  active_ = this;
}

ReportSnapshot::~ReportSnapshot() {
  for (const std::string& copy : copies_) ::unlink(copy.c_str());
  if (active_ == this) active_ = nullptr;
}

unsigned char ReportSnapshot::SaveReport(std::uint32_t, CString* reportPath, CPromptProperties*,
                                         std::uint32_t) {
  if (active_ == nullptr || reportPath == nullptr) return 0;
  const std::string copy = active_->copyReport();
  if (copy.empty()) return 0;
  *reportPath = copy.c_str();
  return 1;
}

std::string ReportSnapshot::copyReport() {
  std::ifstream source(reportFile_, std::ios::binary);
  if (!source) {
    PublishSteps::report("cannot read the report file " + reportFile_ + ": " + std::strerror(errno));
    return "";
  }
  const std::string bytes((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
  std::string path = temporaryFolder() + "/brpublish-XXXXXX.xml";
  const int fd = ::mkstemps(path.data(), 4);
  if (fd < 0) {
    PublishSteps::report("cannot create a temporary file in " + temporaryFolder() + ": " +
                         std::strerror(errno));
    return "";
  }
  copies_.push_back(path);
  const bool written = writeAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    PublishSteps::report("cannot write " + path + ": " + std::strerror(errno));
    return "";
  }
  PublishSteps::report("saved the report as " + path);
  return path;
}
