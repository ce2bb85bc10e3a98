#pragma once
// The process's memory and descriptors, for the resource checks. Memory is the resident set
// (/proc/self/statm) in an ordinary build; under the address sanitizer, whose quarantine keeps
// freed blocks resident for a while, it is the heap bytes in use as the sanitizer counts them.
#include <dirent.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
#define BRINDLE_ROBUSTNESS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRINDLE_ROBUSTNESS_ASAN 1
#endif
#endif

#ifdef BRINDLE_ROBUSTNESS_ASAN
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace robustness {

inline std::size_t memoryInUse() {
#ifdef BRINDLE_ROBUSTNESS_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    std::size_t pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%zu %zu", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
#endif
}

// Entries of /proc/self/fd (the directory's own descriptor left out).
inline std::size_t openDescriptors() {
    std::size_t count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        ::closedir(dir);
        if (count > 0) --count;
    }
    return count;
}

class MemoryProbe {
public:
    MemoryProbe() : start_(memoryInUse()) {}
    std::size_t growthBytes() const {
        const std::size_t now = memoryInUse();
        return now > start_ ? now - start_ : 0;
    }

private:
    std::size_t start_;
};

}  // namespace robustness
