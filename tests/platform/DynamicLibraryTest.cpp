#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/DynamicLibrary.h"

namespace {

using platform::DynamicLibrary;

TEST(DynamicLibrary, FileNamesMapToSharedObjects) {
  struct Case {
    const char* given;
    const char* mapped;
  };
  const Case cases[] = {
      {"bradmtoolMsg.dll", "libbradmtoolMsg.so"},
      {"LUMORACONNECT.DLL", "libLUMORACONNECT.so"},
      {"Plain", "libPlain.so"},
      {"dir/sub/Thing.dll", "dir/sub/libThing.so"},
      {"/abs/Thing", "/abs/libThing.so"},
      {"libready.so", "libready.so"},
      {"name.so.1", "name.so.1"},
      {"dir.d/file.txt", "dir.d/file.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::sharedLibraryFileName(c.given), c.mapped) << c.given;
  EXPECT_EQ(platform::ordinalSymbolName(4), "ordinal_4");
}

TEST(DynamicLibrary, LoadsFromTheSearchPathAndLooksUpByNameAndOrdinal) {
  const char* searchPath = std::getenv("LD_LIBRARY_PATH");
  if (searchPath == nullptr || *searchPath == '\0') GTEST_SKIP() << "needs the build's lib/ on the search path";
  DynamicLibrary library("brplatformSample.dll");
  ASSERT_TRUE(library.loaded()) << platform::lastLoadError();
  auto answer = library.function<int (*)()>("sampleAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(library.function<int (*)()>(7u)(), 7);
  EXPECT_EQ(library.function<int (*)()>(1u)(), 1);
  EXPECT_EQ(library.symbol(2u), nullptr);
  EXPECT_EQ(library.symbol("noSuchSymbol"), nullptr);
  EXPECT_NE(platform::lastLoadError(), "");

  DynamicLibrary moved(std::move(library));
  EXPECT_FALSE(library.loaded());
  EXPECT_TRUE(moved.loaded());
  moved.reset();
  EXPECT_FALSE(moved.loaded());
}

// A bare name that is not on the search path is found beside the object that holds the
// loading code (here the test program, which links the layer statically).
TEST(DynamicLibrary, BareNameIsFoundBesideTheLoadingObject) {
  namespace fs = std::filesystem;
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const fs::path sample = fs::path(BRINDLE_BUILD_DIR) / "lib" / "libbrplatformSample.so";
  ASSERT_TRUE(fs::exists(sample)) << sample;
  const std::string baseName = "brplatformBeside" + std::to_string(::getpid());
  const fs::path beside = self.parent_path() / ("lib" + baseName + ".so");
  fs::copy_file(sample, beside, fs::copy_options::overwrite_existing);
  struct RemoveAtEnd {
    fs::path path;
    ~RemoveAtEnd() { std::error_code ignored; fs::remove(path, ignored); }
  } cleanup{beside};

  DynamicLibrary library(baseName + ".dll");
  ASSERT_TRUE(library.loaded()) << platform::lastLoadError();
  auto answer = library.function<int (*)()>("sampleAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
}

TEST(DynamicLibrary, FreeFunctionsReportFailureWithNulls) {
  EXPECT_EQ(platform::loadLibrary("noSuchLibraryAnywhere.dll"), nullptr);
  EXPECT_NE(platform::lastLoadError().find("noSuchLibraryAnywhere"), std::string::npos);
  EXPECT_EQ(platform::loadLibrary(nullptr), nullptr);
  EXPECT_EQ(platform::getProcAddress(nullptr, "x"), nullptr);
  EXPECT_FALSE(platform::freeLibrary(nullptr));
  DynamicLibrary none("noSuchLibraryAnywhere");
  EXPECT_FALSE(none.loaded());
  EXPECT_EQ(none.symbol("x"), nullptr);
}

}  // namespace
