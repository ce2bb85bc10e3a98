// The message catalogue and the message library it loads.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "common/MessageCatalogue.h"
#include "platform/external/bradmtoolMsg.h"

namespace fs = std::filesystem;

namespace {

// The build's lib/ folder: beside the bin/ folder that holds this test.
fs::path buildLibDir() {
  if (const char* dir = std::getenv("BRINDLE_BUILD_DIR")) return fs::path(dir) / "lib";
  return fs::canonical("/proc/self/exe").parent_path().parent_path() / "lib";
}

// A fresh folder of its own, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "brcatalogue-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

bool stillLoaded(const fs::path& file) {
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  ::dlclose(handle);
  return true;
}

const char* lookUp(const CatalogueEntry* entry, int code) {
  return reinterpret_cast<BrwebGetMessageFn>(entry->getMessage)(code);
}

TEST(MessageCatalogue, TwoLoadsGiveTheSameEntryAndTheLibraryIsLoadedOnce) {
  TempDir dir;
  const fs::path library = dir.path() / "libbradmtoolMsg.so";
  fs::copy_file(buildLibDir() / "libbradmtoolMsg.so", library);
  {
    MessageCatalogue catalogue;
    CatalogueEntry* first = catalogue.setBaseName((dir.path() / "bradmtoolMsg").c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(catalogue.setBaseName((dir.path() / "bradmtoolMsg").c_str()), first);
    EXPECT_EQ(catalogue.load(), first);
    EXPECT_EQ(catalogue.setBaseName("someOtherName"), first) << "a loaded entry is kept";
    EXPECT_NE(first->module, nullptr);
    EXPECT_NE(lookUp(first, 1020), nullptr);
    EXPECT_TRUE(stillLoaded(library));
  }
  // One release at destruction unloads it: it was loaded exactly once.
  EXPECT_FALSE(stillLoaded(library));
}

TEST(MessageCatalogue, MissingLibraryGivesNoneUntilItAppears) {
  TempDir dir;
  MessageCatalogue catalogue;
  EXPECT_EQ(catalogue.setBaseName((dir.path() / "bradmtoolMsg").c_str()), nullptr);
  EXPECT_EQ(catalogue.load(), nullptr);
  fs::copy_file(buildLibDir() / "libbradmtoolMsg.so", dir.path() / "libbradmtoolMsg.so");
  CatalogueEntry* entry = catalogue.load();
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(lookUp(entry, 0), "The operation succeeded.");
}

TEST(MessageCatalogue, LibraryWithoutTheEntryPointGivesNoneAndIsReleased) {
  TempDir dir;
  const fs::path library = dir.path() / "libbradmtoolMsg.so";
  fs::copy_file(buildLibDir() / "libbradmtoolMsgNoEntry.so", library);
  MessageCatalogue catalogue;
  EXPECT_EQ(catalogue.setBaseName((dir.path() / "bradmtoolMsg").c_str()), nullptr);
  EXPECT_FALSE(stillLoaded(library));
}

TEST(MessageCatalogue, ConcurrentLoadsLoadOnce) {
  TempDir dir;
  const fs::path library = dir.path() / "libbradmtoolMsg.so";
  fs::copy_file(buildLibDir() / "libbradmtoolMsg.so", library);
  std::vector<CatalogueEntry*> results(4, nullptr);
  {
    MessageCatalogue catalogue;
    catalogue.setBaseName("not-there-yet");
    EXPECT_EQ(catalogue.load(), nullptr);
    // Reaches the base name outside the lock, as the single-threaded caller would.
    catalogue.setBaseName((dir.path() / "bradmtoolMsg").c_str());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i) {
      threads.emplace_back([&, i] { results[i] = catalogue.load(); });
    }
    for (auto& t : threads) t.join();
    for (CatalogueEntry* r : results) EXPECT_EQ(r, results[0]);
    EXPECT_NE(results[0], nullptr);
  }
  EXPECT_FALSE(stillLoaded(library));
}

TEST(MessageCatalogue, TheProcessHasOneCatalogue) {
  EXPECT_EQ(&MessageCatalogue::instance(), &MessageCatalogue::instance());
}

TEST(MessageLibrary, TextsForTheKnownCodesOnly) {
  void* handle = ::dlopen((buildLibDir() / "libbradmtoolMsg.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  auto getMessage = reinterpret_cast<BrwebGetMessageFn>(::dlsym(handle, "brwebGetMessage"));
  ASSERT_NE(getMessage, nullptr);
  for (int code : {0, 1, 3, 4, 1102, 1020, 1055, 1070, 1071, 1072, 1074, 9001, 9006, 9011, 9012, 9013}) {
    SCOPED_TRACE(code);
    const char* text = getMessage(code);
    ASSERT_NE(text, nullptr);
    EXPECT_GT(std::strlen(text), 10u);
    EXPECT_EQ(std::strchr(text, '\n'), nullptr) << "one line";
  }
  for (int code : {-1, 2, 5, 1000, 1073, 9000, 9014, 99999}) EXPECT_EQ(getMessage(code), nullptr) << code;
  ::dlclose(handle);
}

}  // namespace
