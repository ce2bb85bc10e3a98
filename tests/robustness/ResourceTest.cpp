// Long runs keep the process's memory and descriptors flat: exchanges on one logged-in session,
// and per-call publishes that each open and close a connection of their own.
#include <gtest/gtest.h>

#include <string>

#include "RobustnessSupport.h"
#include "robustness/MemoryProbe.h"
#include "robustness/fixtures/ResponderServer.h"

namespace robustness {
namespace {

// Answers the pre-login request as an open server, every getObject with an object and every
// other request with an empty success.
void answerAsServer(std::size_t, const AttributeTree& request, ReplyChannel& channel) {
    static const std::string login = replyBytes(openServerData());
    static const std::string object = replyBytes(objectData());
    static const std::string done = replyBytes(AttributeTree());
    static const std::string published = replyBytes(publishData());
    if (request.findText("pre_login")) channel.send(login);
    else if (request.getInteger("type", 0) == 100) channel.send(object);
    else if (request.getInteger("type", 0) == 107) channel.send(published);
    else channel.send(done);
}

class ResourceTest : public RobustnessTest {};

TEST_F(ResourceTest, TenThousandExchangesOnOneSessionKeepMemoryAndDescriptorsFlat) {
    ResponderServer server(answerAsServer);
    ASSERT_EQ(besLogin(server.address().c_str(), "secret"), 0);
    AttributeTree query;
    query.setText("Name", "");
    query.setText("Revision", "");
    AttributeTree properties;
    properties.setText("Description", "changed");

    // Each round is four exchanges: a read that fills a query, an update (read and write) and a
    // single request.
    auto round = [&] {
        AttributeTree filled = query;
        ASSERT_EQ(besGetProperties("/r", -1, 0, &filled), 0);
        ASSERT_EQ(filled.getText("Name"), "sales");
        ASSERT_EQ(besSetProperties("/r", &properties), 0);
        ASSERT_EQ(besCopyObject("/r", "/s"), 0);
    };
    for (int i = 0; i < 250; ++i) round();  // warm-up: buffers and caches reach their size
    const std::size_t descriptors = openDescriptors();
    MemoryProbe memory;
    for (int i = 0; i < 2500; ++i) {
        round();
        if (HasFatalFailure()) return;
    }
    EXPECT_LT(memory.growthBytes(), 1u << 20) << "memory grew by " << memory.growthBytes() << " bytes";
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_GE(server.requests(), 1u + 4 * 2750);
    besLogout();
    server.stop();
}

TEST_F(ResourceTest, AThousandPerCallPublishesLeaveNoDescriptorBehind) {
    // Counted with the server listening and no connection open on either side; the server's end
    // of the last connection is closed once it has stopped.
    ResponderServer server(answerAsServer);
    const std::size_t descriptors = openDescriptors();
    char url[256] = "";
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(besPublishReport(server.address().c_str(), "sales", "", "/tmp/sales.brx", url, sizeof url), 0) << i;
        ASSERT_EQ(CurrentSession::get(), nullptr);
    }
    server.stop();
    EXPECT_EQ(openDescriptors(), descriptors);
    EXPECT_EQ(server.connections(), 1000u);
    EXPECT_STREQ(url, "http://server:8010/gateway?DC=R&E=CONTENT1");
}

}  // namespace
}  // namespace robustness
