// The installed package: `cmake --install` into a fresh prefix, then a host built against it
// with find_package(Brindle) and with pkg-config, run without LD_LIBRARY_PATH.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
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
    EXPECT_NE(run.out.find("caught=1 visited=2 children=date,name,owner, listed=1 message=The connection"), std::string::npos) << run.out;
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
        "include/brindle1/common/AttributeTree.h", "include/brindle1/common/AttributeChildren.h",
        "include/brindle1/platform/ui/CString.h",
        "lib/pkgconfig/bradm.pc", "lib/pkgconfig/brcutil.pc", "lib/pkgconfig/brui.pc",
        "lib/cmake/Brindle/BrindleConfigVersion.cmake"}) {
    EXPECT_TRUE(fs::exists(prefix_ + "/" + file)) << file;
  }
  // What changes a branch's children is the libraries' own business.
  EXPECT_FALSE(fs::exists(prefix_ + "/include/brindle1/common/AttributeChildrenEditor.h"));
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

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string firstWordOf(const std::string& text) {
  std::istringstream words(text);
  std::string word;
  words >> word;
  return word;
}

std::set<std::string> wordsOf(const std::string& text) {
  std::istringstream words(text);
  std::set<std::string> result;
  for (std::string word; words >> word;) result.insert(word);
  return result;
}

TEST_F(PackagingTest, InstallsTheReadmeAndTheLicence) {
  for (const char* document : {"README.md", "LICENSE"}) {
    SCOPED_TRACE(document);
    const std::string installed = prefix_ + "/share/doc/brindle/" + document;
    ASSERT_TRUE(fs::exists(installed));
    EXPECT_EQ(readFile(installed), readFile(BrindleServer::sourceDir() + "/" + document));
  }
}

TEST_F(PackagingTest, ManPagesOfEveryProgramRender) {
  if (!BRINDLE_TEST_MAN_PAGES) GTEST_SKIP() << "help2man was not found when the build was configured";
  if (shell("command -v man >/dev/null").status != 0) GTEST_SKIP() << "man is not installed";
  for (const std::string program : {"bradmtool", "brpublish", "brindle-server"}) {
    SCOPED_TRACE(program);
    const std::string page = prefix_ + "/share/man/man1/" + program + ".1";
    ASSERT_TRUE(fs::exists(page));
    const ChildResult rendered = shell("MANWIDTH=100 man -l " + shellQuoted(page) + " 2>&1");
    EXPECT_EQ(rendered.status, 0) << rendered.out;
    std::string title = program;
    for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(rendered.out.find(title + "(1)"), std::string::npos) << rendered.out;
    EXPECT_NE(rendered.out.find(program + " - "), std::string::npos) << rendered.out;
    // A help that starts "Usage:" gives SYNOPSIS and OPTIONS sections, one that starts
    // "usage:" a DESCRIPTION of it all.
    const bool sections = rendered.out.find("DESCRIPTION") != std::string::npos ||
                          (rendered.out.find("SYNOPSIS") != std::string::npos &&
                           rendered.out.find("OPTIONS") != std::string::npos);
    EXPECT_TRUE(sections) << rendered.out;
  }
  const ChildResult bradmtool = shell("MANWIDTH=100 man -l " +
                                      shellQuoted(prefix_ + "/share/man/man1/bradmtool.1") + " 2>&1");
  EXPECT_NE(bradmtool.out.find(std::string("bradmtool ") + BRINDLE_TEST_VERSION), std::string::npos)
      << bradmtool.out;
  EXPECT_NE(bradmtool.out.find("--password-file"), std::string::npos) << bradmtool.out;
}

TEST_F(PackagingTest, LibrariesExportOnlyTheirOwnSymbols) {
  if (shell("command -v nm >/dev/null").status != 0) GTEST_SKIP() << "nm is not installed";
  for (const char* library : {"bradm", "brui", "BRCUtil"}) {
    SCOPED_TRACE(library);
    const ChildResult symbols = shell("nm -D --defined-only -C " +
                                      shellQuoted(prefix_ + "/lib/lib" + library + ".so.1"));
    ASSERT_EQ(symbols.status, 0) << symbols.err;
    std::istringstream lines(symbols.out);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);) {
      // "ADDRESS TYPE NAME"; a template function's name may follow its return type.
      std::string name = line.substr(std::min(line.size(), line.find(' ', line.find(' ') + 1) + 1));
      if (name.rfind("void ", 0) == 0) name = name.substr(5);
      EXPECT_NE(name.rfind("std::", 0), 0u) << line;
      EXPECT_NE(name.rfind("__gnu_cxx::", 0), 0u) << line;
      ++count;
    }
    EXPECT_GT(count, 0u);
  }
}

class CompletionTest : public PackagingTest {
 protected:
  // What the installed completion offers for the words typed so far (the last one being
  // completed), one word a line.
  static std::set<std::string> offered(const std::string& typed) {
    const std::string script =
        "source " + shellQuoted(prefix_ + "/share/bash-completion/completions/bradmtool") +
        " || exit 3; complete -p bradmtool | grep -q -- '-F _bradmtool' || exit 4; "
        "read -r -a COMP_WORDS <<< " + shellQuoted(typed) + "; " +
        (typed.empty() || typed.back() == ' ' ? "COMP_WORDS+=(''); " : "") +
        "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _bradmtool; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const ChildResult result = ChildProcess::Run({"/bin/bash", "--norc", "-c", script});
    EXPECT_EQ(result.status, 0) << result.err;
    return wordsOf(result.out);
  }

  // The command names bradmtool's help lists ("mirrors add" gives "mirrors").
  static std::set<std::string> commandsInHelp() {
    const ChildResult help = shell(shellQuoted(prefix_ + "/bin/bradmtool") + " --help");
    std::istringstream lines(help.out.substr(help.out.find("Commands:\n") + 10));
    std::set<std::string> commands;
    for (std::string line; std::getline(lines, line) && !line.empty();)
      commands.insert(firstWordOf(line));
    return commands;
  }
};

TEST_F(CompletionTest, OffersEveryCommandOfTheHelp) {
  const std::set<std::string> help = commandsInHelp();
  ASSERT_GT(help.count("list"), 0u);
  ASSERT_GT(help.count("mirrors"), 0u);
  std::set<std::string> expected = help;
  expected.insert("help");
  EXPECT_EQ(offered("bradmtool "), expected);
  EXPECT_EQ(offered("bradmtool --json --server 127.0.0.1:1 "), expected);
  EXPECT_EQ(offered("bradmtool re"), (std::set<std::string>{"remove", "remove-path", "reset"}));
  EXPECT_EQ(offered("bradmtool mirrors "), (std::set<std::string>{"add", "remove"}));
  EXPECT_EQ(offered("bradmtool --server "), std::set<std::string>{});
}

TEST_F(CompletionTest, OffersEachCommandsOptionsFromItsHelp) {
  for (const std::string& command : commandsInHelp()) {
    if (command == "mirrors") continue;
    SCOPED_TRACE(command);
    const ChildResult help = shell(shellQuoted(prefix_ + "/bin/bradmtool") + " " + command + " --help");
    const std::set<std::string> options = offered("bradmtool " + command + " --");
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("  --", 0) != 0) continue;
      const std::string option = firstWordOf(line);
      EXPECT_GT(options.count(option), 0u) << option;
    }
    for (const char* global : {"--server", "--user", "--password-file", "--json", "--help"})
      EXPECT_GT(options.count(global), 0u) << global;
  }
}

}  // namespace
