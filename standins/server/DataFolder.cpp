#include "standins/server/DataFolder.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "standins/common/UniqueFd.h"

namespace {

bool makeFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) {
        struct stat st;
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
        error = path + " is not a folder";
        return false;
    }
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
}

}  // namespace

bool DataFolder::open(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "no data folder given";
        return false;
    }
    path_ = path;
    while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
    return makeFolder(path_, error) && makeFolder(path_ + "/content", error);
}

bool DataFolder::writeFile(const std::string& name, const std::string& bytes, std::string& error) const {
    return writeAtomically(path_ + "/" + name, bytes, error);
}

bool DataFolder::readFile(const std::string& name, std::string& bytes, std::string& error,
                          std::size_t maxSize) const {
    error.clear();
    std::string path = path_ + "/" + name;
    if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT) return false;
    return readAnyFile(path, bytes, error, maxSize);
}

bool DataFolder::validContentName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            return false;
    return true;
}

bool DataFolder::writeContent(const std::string& name, const std::string& bytes, std::string& error) const {
    if (!validContentName(name)) {
        error = "bad content name";
        return false;
    }
    return writeAtomically(path_ + "/content/" + name, bytes, error);
}

bool DataFolder::readContent(const std::string& name, std::string& bytes, std::string& error) const {
    if (!validContentName(name)) {
        error = "bad content name";
        return false;
    }
    return readAnyFile(path_ + "/content/" + name, bytes, error, MaxStateFile);
}

bool DataFolder::hasContent(const std::string& name) const {
    return validContentName(name) && ::access((path_ + "/content/" + name).c_str(), F_OK) == 0;
}

bool DataFolder::readAnyFile(const std::string& path, std::string& bytes, std::string& error, std::size_t maxSize) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    return readDescriptor(fd.get(), path, bytes, error, maxSize);
}

bool DataFolder::readDescriptor(int fd, const std::string& path, std::string& bytes, std::string& error,
                                std::size_t maxSize) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + " is not a file";
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxSize) {
        error = path + " is larger than " + std::to_string(maxSize) + " bytes";
        return false;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0) return true;
        if (bytes.size() + static_cast<std::size_t>(n) > maxSize) {
            error = path + " is larger than " + std::to_string(maxSize) + " bytes";
            return false;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
}

bool DataFolder::writeAtomically(const std::string& target, const std::string& bytes, std::string& error) const {
    static std::atomic<unsigned> counter{0};
    std::string temporary = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    {
        UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!fd) {
            error = "cannot create " + temporary + ": " + std::strerror(errno);
            return false;
        }
        const char* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            ssize_t n = ::write(fd.get(), p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = "cannot write " + temporary + ": " + std::strerror(errno);
                ::unlink(temporary.c_str());
                return false;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        if (::fsync(fd.get()) != 0) {
            error = "cannot flush " + temporary + ": " + std::strerror(errno);
            ::unlink(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "cannot rename " + temporary + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename is durable once the folder that holds the name is flushed.
    return syncFolder(target.substr(0, target.find_last_of('/')), error);
}

bool DataFolder::syncFolder(const std::string& folder, std::string& error) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd || ::fsync(fd.get()) != 0) {
        error = "cannot flush the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::vector<std::string> DataFolder::removeLeftovers(const std::set<std::string>& referencedContent) const {
    std::vector<std::string> removed;
    auto removeIf = [&](const std::string& folder, const std::function<bool(const std::string&)>& leftover) {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir) return;
        while (dirent* entry = ::readdir(dir.get())) {
            std::string name = entry->d_name;
            if (name == "." || name == ".." || !leftover(name)) continue;
            std::string path = folder + "/" + name;
            struct stat st;
            if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
                removed.push_back(path);
        }
    };
    auto temporary = [](const std::string& name) { return name.find(".new-") != std::string::npos; };
    removeIf(path_, temporary);
    removeIf(path_ + "/content", [&](const std::string& name) {
        return temporary(name) || (validContentName(name) && referencedContent.count(name) == 0);
    });
    if (!removed.empty()) {
        std::string ignored;
        syncFolder(path_, ignored);
        syncFolder(path_ + "/content", ignored);
    }
    return removed;
}
