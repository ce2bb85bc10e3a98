// The fuzz targets' own checks, built into the ordinary tests: every seed of fuzz/corpus/<target>
// and every reproducer of a finding in cases/<target> is replayed through the target's code, so
// a finding stays fixed in every build (the sanitizer build included) without libFuzzer.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/targets/FuzzSupport.h"

extern "C" int replay_tree_reader(const std::uint8_t* data, std::size_t size);
extern "C" int replay_message_receive(const std::uint8_t* data, std::size_t size);
extern "C" int replay_tree_paths(const std::uint8_t* data, std::size_t size);
extern "C" int replay_xml_parse(const std::uint8_t* data, std::size_t size);
#ifdef BRINDLE_REPLAY_PORTAL
extern "C" int replay_portal_replies(const std::uint8_t* data, std::size_t size);
#endif

namespace robustness {
namespace {

struct Target {
    const char* name;
    int (*run)(const std::uint8_t*, std::size_t);
};

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') files.push_back(folder + "/" + entry->d_name);
        ::closedir(dir);
    }
    return files;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, SeedsAndFindingsPassTheTargetsChecks) {
    const Target& target = GetParam();
    const std::string source = BRINDLE_SOURCE_ROOT;
    std::vector<std::string> files = filesIn(source + "/fuzz/corpus/" + target.name);
    const std::vector<std::string> cases = filesIn(source + "/tests/robustness/cases/" + target.name);
    files.insert(files.end(), cases.begin(), cases.end());
    EXPECT_FALSE(files.empty()) << "no seeds for " << target.name;
    for (const std::string& file : files) {
        const std::string bytes = readFile(file);
        try {
            target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        } catch (const fuzzing::CheckFailed& failure) {
            ADD_FAILURE() << file << ": " << failure.what();
        } catch (const std::exception& e) {
            ADD_FAILURE() << file << ": an exception left the target: " << e.what();
        }
    }
}

const Target targets[] = {
    {"fuzz_tree_reader", replay_tree_reader},
    {"fuzz_message_receive", replay_message_receive},
    {"fuzz_tree_paths", replay_tree_paths},
    {"fuzz_xml_parse", replay_xml_parse},
#ifdef BRINDLE_REPLAY_PORTAL
    {"fuzz_portal_replies", replay_portal_replies},
#endif
};

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(targets),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace robustness
