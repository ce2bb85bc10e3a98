#pragma once
// A critical section over std::mutex. Not recursive: a thread that holds it
// must not enter it again. enter/leave mirror the calls it replaces; lock and
// unlock make it usable with std::lock_guard and std::scoped_lock.

#include <mutex>

namespace platform {

class CriticalSection {
 public:
  constexpr CriticalSection() noexcept = default;
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void enter() { mutex_.lock(); }
  void leave() { mutex_.unlock(); }

  void lock() { enter(); }
  void unlock() { leave(); }

 private:
  std::mutex mutex_;
};

}  // namespace platform
