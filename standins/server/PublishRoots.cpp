#include "standins/server/PublishRoots.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The canonical absolute path, or empty when it cannot be resolved.
std::string resolve(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return {};
    std::string out(resolved);
    std::free(resolved);
    return out;
}

// The path the open descriptor names now.
std::string pathOfDescriptor(int fd) {
    char buffer[PATH_MAX + 1];
    std::string link = "/proc/self/fd/" + std::to_string(fd);
    ssize_t n = ::readlink(link.c_str(), buffer, PATH_MAX);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

bool isBelow(const std::string& resolved, const std::string& folder) {
    if (folder == "/") return !resolved.empty() && resolved[0] == '/';
    return resolved == folder ||
           (resolved.size() > folder.size() && resolved.compare(0, folder.size(), folder) == 0 &&
            resolved[folder.size()] == '/');
}

// The folder part of a path ("." when it has none).
std::string parentOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

std::string PublishRoots::defaultFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? std::string(tmp) : std::string("/tmp");
}

bool PublishRoots::setFolders(const std::vector<std::string>& folders, std::string& error) {
    folders_.clear();
    for (const std::string& folder : folders) {
        std::string resolved = resolve(folder);
        struct stat st;
        if (resolved.empty() || ::stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            error = "publish root " + folder + " is not an existing folder";
            return false;
        }
        folders_.push_back(resolved);
    }
    return true;
}

void PublishRoots::exclude(const std::string& path) {
    std::string resolved = resolve(path);
    struct stat st;
    if (resolved.empty() || ::stat(resolved.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) excludedFolders_.push_back(resolved);
    else excludedFiles_.emplace_back(st.st_dev, st.st_ino);
}

bool PublishRoots::contains(const std::string& resolved) const {
    for (const std::string& folder : folders_)
        if (isBelow(resolved, folder)) return true;
    return false;
}

bool PublishRoots::excluded(const std::string& resolved, dev_t device, ino_t inode) const {
    for (const std::string& folder : excludedFolders_)
        if (isBelow(resolved, folder)) return true;
    for (const auto& file : excludedFiles_)
        if (file.first == device && file.second == inode) return true;
    return false;
}

PublishRoots::Verdict PublishRoots::open(const std::string& path, UniqueFd& fd, std::string& error) const {
    std::string resolved = resolve(path);
    if (resolved.empty()) {
        // A missing file is "unreadable" only where the server would be allowed to look.
        std::string folder = resolve(parentOf(path));
        if (folder.empty() || !contains(folder)) return Verdict::Outside;
        error = "cannot open " + path + ": " + std::strerror(ENOENT);
        return Verdict::Unreadable;
    }
    if (!contains(resolved)) return Verdict::Outside;
    struct stat st;
    if (::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + " is not a file";
        return Verdict::Unreadable;
    }
    if (excluded(resolved, st.st_dev, st.st_ino)) return Verdict::Outside;
    // Non-blocking, so that a FIFO put in place of the file cannot hold the open.
    fd.reset(::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (!fd) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return Verdict::Unreadable;
    }
    struct stat opened;
    std::string now = pathOfDescriptor(fd.get());
    if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) || now.empty() || !contains(now) ||
        excluded(now, opened.st_dev, opened.st_ino)) {
        fd.reset();
        return Verdict::Outside;
    }
    return Verdict::Opened;
}
