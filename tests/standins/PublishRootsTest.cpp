// brindle-server publishes only files inside its publish roots: the path is resolved before
// the check, the server's own files are never published, and a refused publish stores nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "standins/HttpFetch.h"
#include "standins/ReportClient.h"
#include "standins/ServerProcess.h"
#include "standins/server/ServerErrors.h"

namespace {

namespace fs = std::filesystem;

std::size_t contentFiles(const std::string& dataFolder) {
    std::size_t n = 0;
    for (const auto& entry : fs::directory_iterator(dataFolder + "/content")) n += entry.is_regular_file() ? 1 : 0;
    return n;
}

// Whether path lies in the folder the server publishes from by default (TMPDIR or /tmp).
bool insideDefaultRoot(const std::string& path) {
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root = fs::weakly_canonical(tmp && *tmp ? tmp : "/tmp");
    const fs::path resolved = fs::weakly_canonical(path);
    return std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end()).first == root.end();
}

TEST(PublishRoots, RefusesEverythingOutsideTheTemporaryFolderByDefault) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    std::string inside = server.writeScratchFile("inside.xml", "<Report>in</Report>");
    std::string linkOut = fs::path(inside).parent_path() / "link-out.xml";
    ASSERT_EQ(::symlink("/etc/passwd", linkOut.c_str()), 0);
    std::string dirLinkOut = fs::path(inside).parent_path() / "etc-link";
    ASSERT_EQ(::symlink("/etc", dirLinkOut.c_str()), 0);
    std::string scratch = fs::path(inside).parent_path().string();

    ReportClient client;
    client.connect(server.reportPort());
    std::size_t before = contentFiles(server.dataFolder());
    struct Case {
        const char* what;
        std::string path;
    };
    std::vector<Case> outside = {
        {"a system file", "/etc/passwd"},
        {"a link out of the root", linkOut},
        {"a path through a linked folder", dirLinkOut + "/passwd"},
        {"dot-dot out of the root", scratch + "/../../../../../../../etc/passwd"},
        {"a missing file outside", "/no-such-folder/report.xml"},
        {"the server's state", server.dataFolder() + "/objects.atf"},
    };
    // A build made inside the temporary folder has its programs inside the default root.
    if (!insideDefaultRoot(ServerProcess::binary())) outside.push_back({"the server's own binary", ServerProcess::binary()});
    for (const auto& c : outside) {
        EXPECT_EQ(client.publishReport("N", "", c.path, "", 3072).ErrorCode, ErrorOutsidePublishRoots) << c.what;
        EXPECT_EQ(client.reply().getText("ErrorText", ""),
                  "The report file is outside the folders this server publishes from.")
            << c.what;
        EXPECT_EQ(client.reply().findText("URL"), nullptr) << c.what;
    }
    EXPECT_EQ(contentFiles(server.dataFolder()), before) << "nothing was copied";
    ASSERT_EQ(client.getObject("/Published", 1, 0).ErrorCode, 0);
    EXPECT_EQ(client.reply().getBranch("Content")->childCount(), 0u) << "nothing was recorded";

    // Inside the root, also through a link that stays inside.
    std::string linkIn = scratch + "/link-in.xml";
    ASSERT_EQ(::symlink(inside.c_str(), linkIn.c_str()), 0);
    for (const std::string& path : {inside, linkIn, scratch + "/../" + fs::path(scratch).filename().string() + "/inside.xml"}) {
        ASSERT_EQ(client.publishReport("N", "", path, "", 3072).ErrorCode, 0) << path;
        std::string url = client.reply().getText("URL", "");
        EXPECT_EQ(httpFetch(server.portalPort(), "GET", url.substr(url.find("/gateway"))).body, "<Report>in</Report>");
    }
    client.close();
    EXPECT_EQ(server.stop(), 0);
}

TEST(PublishRoots, GivenRootsReplaceTheDefault) {
    ServerProcess server;
    std::string scratch = fs::path(server.dataFolder()).parent_path().string();
    fs::create_directories(scratch + "/reports");
    fs::create_directories(scratch + "/more");
    std::string inside = server.writeScratchFile("reports/r.xml", "<Report/>");
    std::string more = server.writeScratchFile("more/m.xml", "<Report/>");
    std::string beside = server.writeScratchFile("beside.xml", "<Report/>");
    ASSERT_TRUE(server.start({"--publish-root", scratch + "/reports", "--publish-root=" + scratch + "/more"}))
        << server.error();
    ReportClient client;
    client.connect(server.reportPort());
    EXPECT_EQ(client.publishReport("N", "", inside, "", 3072).ErrorCode, 0);
    EXPECT_EQ(client.publishReport("N", "", more, "", 3072).ErrorCode, 0);
    EXPECT_EQ(client.publishReport("N", "", beside, "", 3072).ErrorCode, ErrorOutsidePublishRoots);
    // Inside a root, a missing file or a folder is unreadable, as before.
    EXPECT_EQ(client.publishReport("N", "", scratch + "/reports/missing.xml", "", 3072).ErrorCode, ErrorFileUnreadable);
    EXPECT_EQ(client.publishReport("N", "", scratch + "/reports", "", 3072).ErrorCode, ErrorFileUnreadable);
    client.close();
    EXPECT_EQ(server.stop(), 0);
}

TEST(PublishRoots, ARootThatIsNoFolderStopsTheStart) {
    ServerProcess server;
    EXPECT_FALSE(server.start({"--publish-root", "/no/such/folder"}));
}

}  // namespace
