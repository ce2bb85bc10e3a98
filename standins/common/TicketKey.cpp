#include "standins/common/TicketKey.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "standins/common/UniqueFd.h"

namespace {

bool readKey(const std::string& path, KeyedChecksum::Key& key, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd) {
        error = "cannot open ticket key " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "ticket key " + path + " is not a file";
        return false;
    }
    if (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        error = "ticket key " + path + " must belong to this user and be readable by nobody else (mode 0600)";
        return false;
    }
    if (st.st_size != static_cast<off_t>(key.size())) {
        error = "ticket key " + path + " does not hold a key of " + std::to_string(key.size()) + " bytes";
        return false;
    }
    std::size_t got = 0;
    while (got < key.size()) {
        ssize_t n = ::read(fd.get(), key.data() + got, key.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = "cannot read ticket key " + path;
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes a new random key to a private file and links it in under path; false with error when
// that fails for another reason than somebody else having made it first.
bool createKey(const std::string& path, std::string& error) {
    KeyedChecksum::Key key;
    if (!KeyedChecksum::randomKey(key)) {
        error = "no random source for the ticket key";
        return false;
    }
    static std::atomic<unsigned> counter{0};
    std::string temporary = path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    ::unlink(temporary.c_str());
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd) {
        error = "cannot create ticket key " + temporary + ": " + std::strerror(errno);
        return false;
    }
    bool written = writeAll(fd.get(), key.data(), key.size()) && ::fsync(fd.get()) == 0;
    fd.reset();
    // link, unlike rename, never replaces a key another process made meanwhile.
    bool linked = written && (::link(temporary.c_str(), path.c_str()) == 0 || errno == EEXIST);
    int linkError = errno;
    ::unlink(temporary.c_str());
    if (!linked) {
        error = "cannot create ticket key " + path + ": " + std::strerror(written ? linkError : EIO);
        return false;
    }
    return true;
}

}  // namespace

std::string TicketKey::pathFor(const std::string& usersFile) {
    if (!usersFile.empty()) return usersFile + ".key";
    return "/tmp/brindle-ticket-" + std::to_string(::geteuid()) + ".key";
}

bool TicketKey::loadOrCreate(const std::string& path, KeyedChecksum::Key& key, std::string& error) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            error = "cannot use ticket key " + path + ": " + std::strerror(errno);
            return false;
        }
        if (!createKey(path, error)) return false;
    }
    return readKey(path, key, error);
}
