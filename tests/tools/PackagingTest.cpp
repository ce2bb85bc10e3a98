// The installed package: `cmake --install` into a fresh prefix, then a host built against it
// with find_package(Brindle) and with pkg-config, run without LD_LIBRARY_PATH.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/BrindleServer.h"
#include "tools/ChildProcess.h"

namespace {

namespace fs = std::filesystem;

#if BRINDLE_TEST_SANITIZE
const std::string SanitizerFlags = "-fsanitize=address,undefined";
#else
const std::string SanitizerFlags = "";
#endif

ChildResult shell(const std::string& command, int timeoutMs = 120000) {
  ChildOptions options;
  options.timeoutMs = timeoutMs;
  // The host must find the installed libraries by itself, not the build's.
  options.environment = {"LD_LIBRARY_PATH"};
  return ChildProcess::Run({"/bin/sh", "-c", command}, options);
}

std::string shellQuoted(const std::string& text) { return "'" + text + "'"; }

class PackagingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/brindle-packaging-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    prefix_ = root_ + "/prefix";
    install_ = shell(shellQuoted(BRINDLE_TEST_CMAKE) + " --install " + shellQuoted(BrindleServer::buildDir()) +
                     " --prefix " + shellQuoted(prefix_) + " 2>&1");
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  void SetUp() override {
    ASSERT_EQ(install_.status, 0) << install_.out;
    ASSERT_TRUE(fs::exists(prefix_ + "/lib/cmake/Brindle/BrindleConfig.cmake"))
        << "no CMake package was installed; CMakeLists.txt must include(Packaging)";
  }

  // Runs the host the way a user would: no LD_LIBRARY_PATH, the libraries found through the
  // run paths, and the ones loaded at run time beside the library that loads them.
  static void expectHostWorks(const std::string& host) {
    const ChildResult run = shell(shellQuoted(host) + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("caught=1 visited=2 listed=1 message=The connection"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("bradm=" + prefix_ + "/lib/libbradm.so.1"), std::string::npos) << run.out;
  }

  static std::string root_;
  static std::string prefix_;
  static ChildResult install_;
};

std::string PackagingTest::root_;
std::string PackagingTest::prefix_;
ChildResult PackagingTest::install_;

TEST_F(PackagingTest, InstallsVersionedLibrariesHeadersToolsAndPackageFiles) {
  for (const char* library : {"bradm", "brui", "BRCUtil"}) {
    SCOPED_TRACE(library);
    const std::string base = prefix_ + "/lib/lib" + library + ".so";
    EXPECT_TRUE(fs::exists(base + ".1"));
    EXPECT_TRUE(fs::is_symlink(base)) << "the development name links to the versioned file";
  }
  for (const char* file :
       {"lib/libbradmtoolMsg.so", "lib/libSentrelAPI.so", "lib/libTessaron.so",
        "lib/libLUMORACONNECT.so", "bin/bradmtool", "bin/brpublish", "bin/brindle-server",
        "include/brindle1/brindle/bradm.h", "include/brindle1/brindle/BRCUtil.h",
        "include/brindle1/common/AttributeTree.h", "include/brindle1/platform/ui/CString.h",
        "lib/pkgconfig/bradm.pc", "lib/pkgconfig/brcutil.pc", "lib/pkgconfig/brui.pc",
        "lib/cmake/Brindle/BrindleConfigVersion.cmake"}) {
    EXPECT_TRUE(fs::exists(prefix_ + "/" + file)) << file;
  }
  const ChildResult version = shell(shellQuoted(prefix_ + "/bin/bradmtool") + " --version");
  EXPECT_EQ(version.status, 0) << version.err;
}

TEST_F(PackagingTest, HostBuildsWithFindPackage) {
  const std::string build = root_ + "/find-package";
  const ChildResult configure = shell(
      shellQuoted(BRINDLE_TEST_CMAKE) + " -S " + shellQuoted(BrindleServer::sourceDir() + "/tests/tools/consumer") +
      " -B " + shellQuoted(build) + " -DCMAKE_PREFIX_PATH=" + shellQuoted(prefix_) +
      " -DCMAKE_CXX_COMPILER=" + shellQuoted(BRINDLE_TEST_CXX_COMPILER) +
      " -DCMAKE_CXX_FLAGS=" + shellQuoted(SanitizerFlags) + " 2>&1");
  ASSERT_EQ(configure.status, 0) << configure.out;
  const ChildResult compile = shell(shellQuoted(BRINDLE_TEST_CMAKE) + " --build " + shellQuoted(build) + " 2>&1");
  ASSERT_EQ(compile.status, 0) << compile.out;
  expectHostWorks(build + "/host");
}

TEST_F(PackagingTest, HostBuildsWithPkgConfigAndTheHeadersAreComplete) {
  if (shell("command -v pkg-config >/dev/null").status != 0) GTEST_SKIP() << "pkg-config is not installed";
  const std::string pc = "PKG_CONFIG_PATH=" + shellQuoted(prefix_ + "/lib/pkgconfig") + " pkg-config";
  const std::string flags = "$(" + pc + " --cflags --libs brcutil)";
  const std::string host = root_ + "/pkg-config-host";
  const ChildResult compile = shell(
      shellQuoted(BRINDLE_TEST_CXX_COMPILER) + " -std=c++17 " + SanitizerFlags + " " +
      shellQuoted(BrindleServer::sourceDir() + "/tests/tools/consumer/host.cpp") + " " + flags +
      " -Wl,-rpath," + shellQuoted(prefix_ + "/lib") + " -o " + shellQuoted(host) + " 2>&1");
  ASSERT_EQ(compile.status, 0) << compile.out;
  expectHostWorks(host);

  // Every installed header compiles with only the installed tree on the include path.
  const std::string includes = prefix_ + "/include/brindle1";
  const ChildResult headers = shell(
      "cd " + shellQuoted(includes) + " && find . -name '*.h' | sort | sed 's|^./\\(.*\\)|#include \"\\1\"|' | " +
      shellQuoted(BRINDLE_TEST_CXX_COMPILER) + " -std=c++17 -fsyntax-only -x c++ $(" + pc +
      " --cflags brcutil) - 2>&1");
  EXPECT_EQ(headers.status, 0) << headers.out;
}

}  // namespace
