#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/CriticalSection.h"

namespace {

TEST(CriticalSection, SerialisesUpdates) {
  platform::CriticalSection section;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        if (i % 2) {
          std::lock_guard<platform::CriticalSection> lock(section);
          ++counter;
        } else {
          section.enter();
          ++counter;
          section.leave();
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 80000);
}

}  // namespace
