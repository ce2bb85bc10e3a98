// brindle-server killed (SIGKILL) while clients publish: after a restart every publish it
// acknowledged is there, and nothing an interrupted write left behind remains.
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "standins/HttpFetch.h"
#include "standins/ReportClient.h"
#include "standins/ServerProcess.h"
#include "standins/common/NetIo.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Acknowledged {
    std::string content;
    std::string bytes;
};

TEST(Durability, AKillDuringPublishingLosesNoAcknowledgedPublishAndLeavesNothingBehind) {
    ServerProcess server;
    ASSERT_TRUE(server.start()) << server.error();
    constexpr int Clients = 3;
    std::mutex mutex;
    std::vector<Acknowledged> acknowledged;
    std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (int c = 0; c < Clients; ++c) {
        std::string bytes = "<Report>" + std::to_string(c) + std::string(256 * 1024, 'r') + "</Report>";
        std::string file = server.writeScratchFile("report" + std::to_string(c) + ".xml", bytes);
        clients.emplace_back([&, bytes, file] {
            try {
                ReportClient client;
                client.connect(server.reportPort());
                netio::setTimeouts(client.socket().handle(), 5000);
                for (int i = 0; i < 2000 && !stop; ++i) {
                    if (client.publishReport("N", "", file, "", 3072).ErrorCode != 0) break;
                    std::string url = client.reply().getText("URL", "");
                    std::lock_guard<std::mutex> lock(mutex);
                    acknowledged.push_back({url.substr(url.find("E=") + 2), bytes});
                }
            } catch (const std::exception&) {
                // The server was killed under this client.
            }
        });
    }
    std::this_thread::sleep_for(500ms);
    server.stop(SIGKILL);
    stop = true;
    for (std::thread& t : clients) t.join();
    ASSERT_FALSE(acknowledged.empty());

    // What a kill in the middle of a write leaves: a new file never renamed, a content that no
    // object refers to yet.
    std::ofstream(server.dataFolder() + "/objects.atf.new-99999-0") << "half";
    std::ofstream(server.dataFolder() + "/content/R9999999") << "orphan";
    std::ofstream(server.dataFolder() + "/content/R9999998.new-99999-1") << "half";

    ASSERT_TRUE(server.start()) << server.error();
    ReportClient client;
    client.connect(server.reportPort());
    for (const Acknowledged& a : acknowledged) {
        SCOPED_TRACE(a.content);
        EXPECT_EQ(client.getObject("/Published/" + a.content).ErrorCode, 0);
        EXPECT_TRUE(httpFetch(server.portalPort(), "GET", "/gateway?DC=R&E=" + a.content).body == a.bytes);
    }
    for (const std::string& folder : {server.dataFolder(), server.dataFolder() + "/content"})
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos) << entry.path();
    // Every content left is one an object refers to.
    for (const auto& entry : fs::directory_iterator(server.dataFolder() + "/content"))
        EXPECT_EQ(client.getObject("/Published/" + entry.path().filename().string()).ErrorCode, 0) << entry.path();
    EXPECT_FALSE(fs::exists(server.dataFolder() + "/content/R9999999"));
    client.close();
    EXPECT_EQ(server.stop(), 0);
}

}  // namespace
