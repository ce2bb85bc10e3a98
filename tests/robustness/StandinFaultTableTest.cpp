// The fault table against brindle-server: functions of each session kind, end to end through
// the fault proxy to the real stand-in. Where the faults land is read from a clean run of the
// same call first, so the table follows the bytes the server really sends. Each call must end
// with its documented code or exception and leave the current session as the rules say.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "RobustnessSupport.h"
#include "portal/ServerProcess.h"
#include "robustness/fixtures/FaultProxy.h"
#include "robustness/fixtures/WireLayout.h"

namespace robustness {
namespace {

using portal_test::ServerProcess;

struct StandinCall {
    const char* name;
    Discipline discipline;
    // The call, given the address to connect to and a number of its own (for names that must
    // be new each time).
    std::function<std::int32_t(const std::string& address, int serial)> call;
};

void PrintTo(const StandinCall& call, std::ostream* out) { *out << call.name; }

std::string g_reportFile;
std::string g_knownUrl;

std::vector<StandinCall> calls() {
    return {
        {"besLogin", Discipline::Login, [](const std::string& a, int) { return besLogin(a.c_str(), nullptr); }},
        {"besGetLumoraServerInfo", Discipline::PerCall,
         [](const std::string& a, int) {
             char url[256] = "", port[16] = "";
             return besGetLumoraServerInfo(a.c_str(), url, sizeof url, port, sizeof port);
         }},
        // Publishes again under a known content name, so every reply has the same length.
        {"besPublishReport", Discipline::PerCall,
         [](const std::string& a, int) {
             char url[256];
             std::snprintf(url, sizeof url, "%s", g_knownUrl.c_str());
             return besPublishReport(a.c_str(), "sales", "again", g_reportFile.c_str(), url, sizeof url);
         }},
        {"besList", Discipline::OnSession,
         [](const std::string&, int) {
             AttributeTree listed;
             return besList("/", &listed);
         }},
        {"besGetProperties", Discipline::OnSession,
         [](const std::string&, int) {
             AttributeTree query;
             query.setText("Description", "");
             return besGetProperties("/Published", -1, 0, &query);
         }},
        {"besCreateObject", Discipline::OnSession,
         [](const std::string&, int serial) {
             const std::string path = "/Published/made-" + std::to_string(serial);
             return besCreateObject("Folder", path.c_str(), "made", "", "");
         }},
        {"besSetProperties", Discipline::OnSession,
         [](const std::string&, int) {
             AttributeTree properties;
             properties.setText("Description", "changed");
             return besSetProperties("/Published", &properties);
         }},
    };
}

class StandinFaultTable : public RobustnessTest, public ::testing::WithParamInterface<StandinCall> {
protected:
    void SetUp() override {
        RobustnessTest::SetUp();
        server_ = std::make_unique<ServerProcess>();
        ASSERT_EQ(server_->failure(), "");
        g_reportFile = server_->folder() + "/sales.xml";
        std::ofstream(g_reportFile) << "<Report><Title>Sales</Title></Report>\n";
        char url[256] = "";
        ASSERT_EQ(besPublishReport(server_->reportServer().c_str(), "sales", "first", g_reportFile.c_str(), url,
                                   sizeof url),
                  0);
        g_knownUrl = url;
    }

    // The call once per fault, each on a connection of its own through one proxy (the login
    // first, on the same connection, for the functions on the current session); the outcomes,
    // and what the connections carried.
    std::vector<Outcome> run(const std::vector<Fault>& faults,
                             std::chrono::milliseconds idleClose = FaultProxy::DefaultIdleClose,
                             std::vector<Transcript>* carried = nullptr) {
        const StandinCall& op = GetParam();
        FaultProxy proxy(static_cast<std::uint16_t>(server_->reportPort()), faults, idleClose);
        std::vector<Outcome> outcomes;
        for (std::size_t i = 0; i < std::max<std::size_t>(faults.size(), 1); ++i) {
            if (op.discipline == Discipline::OnSession) {
                EXPECT_EQ(besLogin(proxy.address().c_str(), nullptr), 0) << op.name << ": the login before the call";
            }
            outcomes.push_back(Outcome::of([&] { return op.call(proxy.address(), ++serial_); }));
            besLogout();
        }
        proxy.stop();
        if (carried != nullptr) *carried = proxy.transcripts();
        return outcomes;
    }

    // The call is made once before, so what it changes on the server is changed already.
    Transcript record(std::size_t& repliesStart) {
        run({});
        std::vector<Transcript> carried;
        const Outcome outcome = run({}, FaultProxy::DefaultIdleClose, &carried).at(0);
        expectNormal(GetParam().discipline, 0, outcome, std::string(GetParam().name) + ", clean run");
        EXPECT_EQ(carried.size(), 1u) << "one connection";
        const Transcript clean = carried.empty() ? Transcript() : carried[0];
        repliesStart = 0;
        if (GetParam().discipline == Discipline::OnSession) {
            const std::vector<std::size_t> ends = WireLayout(clean.fromServer).documentEnds();
            repliesStart = ends.size() >= 2 ? ends[1] : 0;
        }
        return clean;
    }

    std::unique_ptr<ServerProcess> server_;
    int serial_ = 0;
};

std::string nameOf(const ::testing::TestParamInfo<StandinCall>& info) { return info.param.name; }

// Cuts at the start of and one byte into every field of the function's first reply, and behind
// every document of its replies; the cut behind the last is harmless.
TEST_P(StandinFaultTable, CutServerBytes) {
    const StandinCall& op = GetParam();
    std::size_t start = 0;
    const Transcript clean = record(start);
    ASSERT_GT(clean.fromServer.size(), start);
    const std::string replies = clean.fromServer.substr(start);
    const WireLayout all(replies);
    const std::vector<std::size_t> ends = all.documentEnds();
    ASSERT_GE(ends.size(), 2u) << op.name << ": a reply is a header and a data document";
    std::vector<std::size_t> cuts = WireLayout(replies.substr(0, ends[1])).faultOffsets();
    cuts.insert(cuts.end(), ends.begin(), ends.end());
    std::vector<Fault> faults;
    for (std::size_t cut : cuts) faults.push_back(Fault::cut(start + cut));
    const std::vector<Outcome> outcomes = run(faults);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const std::string where = std::string(op.name) + ", the server's bytes cut " + std::to_string(cuts[i]) +
                                  " bytes into the function's replies";
        if (cuts[i] < replies.size()) expectTransportFailure(op.discipline, outcomes[i], where);
        else expectNormal(op.discipline, 0, outcomes[i], where);
    }
}

// Cuts of the client's bytes: before and behind the preamble, inside the first request and one
// byte short of it (the function's own request for those on the current session).
TEST_P(StandinFaultTable, CutClientBytes) {
    const StandinCall& op = GetParam();
    std::size_t ignored = 0;
    const Transcript clean = record(ignored);
    const WireLayout requests(clean.fromClient.substr(4));
    const std::vector<std::size_t> ends = requests.documentEnds();
    // The function's own request follows the login's (two documents) on the current session.
    const std::size_t first = op.discipline == Discipline::OnSession && ends.size() >= 2 ? 4 + ends[1] : 0;
    const std::size_t size = (op.discipline == Discipline::OnSession && ends.size() >= 4 ? 4 + ends[3]
                                                                                         : clean.fromClient.size()) -
                             first;
    std::vector<std::size_t> cuts = {0, 20, size - 1};
    if (op.discipline != Discipline::OnSession) cuts.push_back(4);  // behind the preamble
    std::vector<Fault> faults;
    for (std::size_t cut : cuts) faults.push_back(Fault::cut(first + cut).towardsServer());
    const std::vector<Outcome> outcomes = run(faults);
    for (std::size_t i = 0; i < cuts.size(); ++i)
        expectTransportFailure(op.discipline, outcomes[i],
                               std::string(op.name) + ", the request cut after " + std::to_string(cuts[i]) + " bytes");
}

// A flipped byte at the start of every field of the function's first reply, the connection
// ended behind the replies; a reply that stops ends when the proxy closes; a slow one is fine.
TEST_P(StandinFaultTable, FlippedAndDelayedReplies) {
    const StandinCall& op = GetParam();
    std::size_t start = 0;
    const Transcript clean = record(start);
    const std::string replies = clean.fromServer.substr(start);
    const std::vector<std::size_t> ends = WireLayout(replies).documentEnds();
    ASSERT_GE(ends.size(), 2u);
    const std::vector<std::size_t> flips = WireLayout(replies.substr(0, ends[1])).fieldStarts();
    std::vector<Fault> faults;
    for (std::size_t offset : flips) faults.push_back(Fault::flip(start + offset).endingAt(start + ends[1]));
    const std::vector<std::size_t> stops = {0, ends[1] / 2};
    for (std::size_t offset : stops) faults.push_back(Fault::hold(start + offset));
    const std::vector<Outcome> outcomes = run(faults, std::chrono::milliseconds(60));
    for (std::size_t i = 0; i < flips.size(); ++i)
        expectDocumented(op.discipline, outcomes[i], std::string(op.name) + ", flip at " + std::to_string(flips[i]));
    for (std::size_t i = 0; i < stops.size(); ++i)
        expectTransportFailure(op.discipline, outcomes[flips.size() + i],
                               std::string(op.name) + ", reply stops at " + std::to_string(stops[i]));

    const std::vector<Fault> slow = {Fault::stall(start + ends[1] / 2, std::chrono::milliseconds(30)), Fault::trickle()};
    const std::vector<Outcome> slowOutcomes = run(slow);
    for (std::size_t i = 0; i < slow.size(); ++i)
        expectNormal(op.discipline, 0, slowOutcomes[i], std::string(op.name) + ", " + slow[i].describe());
}

INSTANTIATE_TEST_SUITE_P(AgainstBrindleServer, StandinFaultTable, ::testing::ValuesIn(calls()), nameOf);

}  // namespace
}  // namespace robustness
