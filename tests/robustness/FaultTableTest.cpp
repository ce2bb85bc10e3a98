// Every exported function of the server client, run through the fault-injecting proxy against
// the scripted fake server: the connection is cut at every message boundary and inside every
// field of the first reply (and of the request), bytes of the first reply are flipped, the reply
// is stalled or trickled byte by byte. Each call must end with its documented code or exception
// and leave the current session as the session rules say.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "RobustnessSupport.h"
#include "common/BRMessage.h"
#include "common/CMemoryStream.h"
#include "fixtures/FakeReportServer.h"
#include "robustness/fixtures/FaultProxy.h"
#include "robustness/fixtures/WireLayout.h"

namespace robustness {
namespace {

using fixtures::FakeReportServer;
using fixtures::ScriptedReply;

struct Operation {
    const char* name;
    Discipline discipline;
    // The server's replies to the function's own requests (after the login dialogue for the
    // functions on the current session).
    std::vector<AttributeTree> replies;
    // The call, given the address to connect to.
    std::function<std::int32_t(const std::string& address)> call;
    std::int32_t expected;
};

AttributeTree emptyData() { return AttributeTree(); }

std::vector<Operation> operations() {
    static AttributeTree query;
    static AttributeTree listed;
    static AttributeTree properties;
    query.setText("Name", "");
    properties.setText("Description", "new");
    return {
        {"besLogin", Discipline::Login, {securedServerData(), permissionData()},
         [](const std::string& a) { return besLogin(a.c_str(), "secret"); }, 0},
        {"besLoginTicket", Discipline::Login, {securedServerData(), permissionData()},
         [](const std::string& a) { return besLoginTicket(a.c_str(), "ticket"); }, 0},
        {"besLoginUserPassword", Discipline::Login, {securedServerData(), permissionData()},
         [](const std::string& a) { return besLoginUserPassword(a.c_str(), "user", "secret"); }, 0},
        {"besLoginOpenServer", Discipline::Login, {openServerData()},
         [](const std::string& a) { return besLogin(a.c_str(), nullptr); }, 0},
        {"besPublishReport", Discipline::PerCall, {publishData()},
         [](const std::string& a) {
             char url[256] = "";
             return besPublishReport(a.c_str(), "sales", "d", "/tmp/sales.brx", url, sizeof url);
         },
         0},
        {"brwebPublishReport", Discipline::PerCall, {publishData()},
         [](const std::string& a) {
             char url[256] = "";
             return brwebPublishReport(a.c_str(), "sales", nullptr, "/tmp/sales.brx", url, sizeof url);
         },
         0},
        {"besPublishReportLumora", Discipline::PerCall, {portalPublishData()},
         [](const std::string& a) {
             char gateway[128] = "", content[64] = "";
             return besPublishReportLumora(a.c_str(), "sales", "d", "/tmp/sales.brx", gateway, sizeof gateway,
                                           content, sizeof content);
         },
         0},
        {"besGetLumoraServerInfo", Discipline::PerCall, {portalSettingsData()},
         [](const std::string& a) {
             char url[128] = "", port[12] = "";
             return besGetLumoraServerInfo(a.c_str(), url, sizeof url, port, sizeof port);
         },
         0},
        {"besPublishReportEx", Discipline::PerCall, {},
         [](const std::string& a) {
             return besPublishReportEx(a.c_str(), nullptr, "x", nullptr, nullptr, "y", nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr);
         },
         1},
        {"besBulkPublish", Discipline::OnSession, {emptyData()}, [](const std::string&) { return besBulkPublish("/r"); }, 0},
        {"besCreateObject", Discipline::OnSession, {emptyData()},
         [](const std::string&) { return besCreateObject("Report", "/r", "d", "/src", "lpwq://m"); }, 0},
        {"besCopyObject", Discipline::OnSession, {emptyData()},
         [](const std::string&) { return besCopyObject("/r", "/s"); }, 0},
        {"besMoveObject", Discipline::OnSession, {emptyData()},
         [](const std::string&) { return besMoveObject("/r", "/s"); }, 0},
        {"besRemoveObject", Discipline::OnSession, {emptyData()},
         [](const std::string&) { return besRemoveObject("/r"); }, 0},
        {"besRemoveFolder", Discipline::OnSession, {emptyData()},
         [](const std::string&) { return besRemoveFolder("/f"); }, 0},
        {"besGetProperties", Discipline::OnSession, {objectData()},
         [](const std::string&) {
             AttributeTree tree = query;
             return besGetProperties("/r", -1, 0, &tree);
         },
         0},
        {"besList", Discipline::OnSession, {folderData()},
         [](const std::string&) { return besList("/f", &listed); }, 0},
        {"besSetProperties", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besSetProperties("/r", &properties); }, 0},
        {"besResetProperties", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besResetProperties("/r", &properties); }, 0},
        {"besResetBelow", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besResetBelow("/r", &properties); }, 0},
        {"besRemovePath", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besRemovePath("/r", 0); }, 0},
        {"besAppendMR", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besAppendMR("/r", "//host/a"); }, 0},
        {"besRemoveMR", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besRemoveMR("/r", "lpwq://b"); }, 0},
        {"besEnableObject", Discipline::OnSession, {objectData(), emptyData()},
         [](const std::string&) { return besEnableObject("/r", "enable"); }, 0},
    };
}

// closeAfterLast: the server ends the connection after its last reply, so a client that waits
// for bytes a flipped length promised sees end of stream at once.
std::vector<ScriptedReply> scriptOf(const Operation& op, bool closeAfterLast = false) {
    std::vector<ScriptedReply> script;
    if (op.discipline == Discipline::OnSession) script.push_back(ScriptedReply::message(openServerData()));
    for (const AttributeTree& data : op.replies) script.push_back(ScriptedReply::message(data));
    if (closeAfterLast && !script.empty()) script.back() = script.back().cutAfter(script.back().bytes().size());
    return script;
}

// The server's bytes on the connection before the function's own first reply (the login
// dialogue's reply for functions on the current session), and the function's replies.
std::string loginBytes(const Operation& op) {
    return op.discipline == Discipline::OnSession ? ScriptedReply::message(openServerData()).bytes() : std::string();
}

std::string replyBytes(const Operation& op) {
    std::string bytes;
    for (const AttributeTree& data : op.replies) bytes += ScriptedReply::message(data).bytes();
    return bytes;
}

// The bytes the client sends for the login dialogue of an open server: the preamble and the
// pre-login request.
std::size_t loginRequestSize() {
    BRMessage message;
    message.Agent = "BRWebServer";
    message.MessageType = 2;
    message.dataBranch()->setText("pre_login", "1");
    CMemoryStream out;
    message.send(out, 0);
    return 4 + out.size();
}

// Runs the function once per fault, each on a connection of its own, and returns the outcomes.
// A login before a function on the current session that does not succeed fails the test.
std::vector<Outcome> runWithFaults(const Operation& op, const std::vector<Fault>& faults,
                                   std::chrono::milliseconds idleClose = FaultProxy::DefaultIdleClose,
                                   bool closeAfterLast = false) {
    std::vector<FakeReportServer::ConnectionScript> scripts(faults.size(), scriptOf(op, closeAfterLast));
    FakeReportServer server(scripts);
    FaultProxy proxy(server.port(), faults, idleClose);
    std::vector<Outcome> outcomes;
    for (std::size_t i = 0; i < faults.size(); ++i) {
        if (op.discipline == Discipline::OnSession) {
            const std::int32_t login = besLogin(proxy.address().c_str(), nullptr);
            EXPECT_EQ(login, 0) << op.name << ": the login before the call, " << faults[i].describe();
        }
        outcomes.push_back(Outcome::of([&] { return op.call(proxy.address()); }));
        besLogout();
    }
    proxy.stop();
    server.stop();
    return outcomes;
}

void expectTransportFailure(const Operation& op, const Outcome& outcome, const std::string& where) {
    robustness::expectTransportFailure(op.discipline, outcome, where);
}

void expectNormal(const Operation& op, const Outcome& outcome, const std::string& where) {
    robustness::expectNormal(op.discipline, op.expected, outcome, where);
}

void expectDocumented(const Operation& op, const Outcome& outcome, const std::string& where) {
    robustness::expectDocumented(op.discipline, outcome, where);
}

class FaultTable : public RobustnessTest, public ::testing::WithParamInterface<Operation> {};

std::string nameOf(const ::testing::TestParamInfo<Operation>& info) { return info.param.name; }

// Cuts of the server's bytes: at every message boundary and inside every field of the first
// reply, and at every message boundary after it. Nothing cut at the very end.
TEST_P(FaultTable, CutServerBytes) {
    const Operation& op = GetParam();
    const std::string before = loginBytes(op);
    const std::string replies = replyBytes(op);
    if (replies.empty()) {
        // It sends only the preamble and reads nothing: a server that closes at once changes nothing.
        expectNormal(op, runWithFaults(op, {Fault::cut(0)}).at(0), std::string(op.name) + ", server closes at once");
        return;
    }
    std::vector<std::size_t> cuts;
    const std::string firstReply = ScriptedReply::message(op.replies.front()).bytes();
    for (std::size_t offset : WireLayout(firstReply).faultOffsets()) cuts.push_back(offset);
    for (std::size_t end : WireLayout(replies).documentEnds()) cuts.push_back(end);
    std::vector<Fault> faults;
    for (std::size_t cut : cuts) faults.push_back(Fault::cut(before.size() + cut));

    const std::vector<Outcome> outcomes = runWithFaults(op, faults);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const std::string where = std::string(op.name) + ", server's reply cut after byte " + std::to_string(cuts[i]);
        if (cuts[i] < replies.size()) expectTransportFailure(op, outcomes[i], where);
        else expectNormal(op, outcomes[i], where);
    }
}

// Cuts of the client's bytes: before the preamble, after it, and inside the first request.
TEST_P(FaultTable, CutClientBytes) {
    const Operation& op = GetParam();
    if (op.discipline == Discipline::OnSession) {
        // The login dialogue goes first on the same connection; cut inside the function's request.
        const std::size_t loginRequest = loginRequestSize();
        std::vector<Fault> faults;
        for (std::size_t k : {std::size_t{0}, std::size_t{1}, std::size_t{11}, std::size_t{100}})
            faults.push_back(Fault::cut(loginRequest + k).towardsServer());
        const std::vector<Outcome> outcomes = runWithFaults(op, faults);
        for (std::size_t i = 0; i < faults.size(); ++i)
            expectTransportFailure(op, outcomes[i], std::string(op.name) + ", request " + faults[i].describe());
        return;
    }
    const std::vector<std::size_t> cuts = {0, 2, 4, 5, 15, 100};
    std::vector<Fault> faults;
    for (std::size_t cut : cuts) faults.push_back(Fault::cut(cut).towardsServer());
    const std::vector<Outcome> outcomes = runWithFaults(op, faults);
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const std::string where = std::string(op.name) + ", request " + faults[i].describe();
        if (op.replies.empty()) expectDocumented(op, outcomes[i], where);  // sends only the preamble
        else expectTransportFailure(op, outcomes[i], where);
    }
}

// A stall in the middle of the first reply, and a reply that arrives one byte per segment,
// change nothing.
TEST_P(FaultTable, SlowReplies) {
    const Operation& op = GetParam();
    const std::string before = loginBytes(op);
    const std::string replies = replyBytes(op);
    const std::vector<Fault> faults = {Fault::stall(before.size() + replies.size() / 2, std::chrono::milliseconds(30)),
                                       Fault::stall(before.size() + 1, std::chrono::milliseconds(30)),
                                       Fault::trickle()};
    const std::vector<Outcome> outcomes = runWithFaults(op, faults);
    for (std::size_t i = 0; i < faults.size(); ++i) expectNormal(op, outcomes[i], std::string(op.name) + ", " + faults[i].describe());
}

INSTANTIATE_TEST_SUITE_P(ExportedFunctions, FaultTable, ::testing::ValuesIn(operations()), nameOf);

// Flipped bytes at the start of every field of the first reply, for one function of each kind
// of reply reader. A flipped length may promise bytes that never come; the proxy then closes the
// idle connection, so the call still ends.
class FlipTable : public RobustnessTest, public ::testing::WithParamInterface<Operation> {};

TEST_P(FlipTable, FlippedReplyBytes) {
    const Operation& op = GetParam();
    const std::string before = loginBytes(op);
    const std::string firstReply = ScriptedReply::message(op.replies.front()).bytes();
    std::vector<Fault> faults;
    for (std::size_t offset : WireLayout(firstReply).fieldStarts()) faults.push_back(Fault::flip(before.size() + offset, 0xFF));
    const std::vector<Outcome> outcomes = runWithFaults(op, faults, std::chrono::milliseconds(60), true);
    for (std::size_t i = 0; i < faults.size(); ++i)
        expectDocumented(op, outcomes[i], std::string(op.name) + ", " + faults[i].describe());
}

std::vector<Operation> replyReaders() {
    std::vector<Operation> chosen;
    for (const Operation& op : operations()) {
        const std::string name = op.name;
        if (name == "besLogin" || name == "besLoginOpenServer" || name == "besPublishReport" ||
            name == "besPublishReportLumora" || name == "besGetLumoraServerInfo" || name == "besGetProperties" ||
            name == "besList" || name == "besSetProperties" || name == "besEnableObject")
            chosen.push_back(op);
    }
    return chosen;
}

INSTANTIATE_TEST_SUITE_P(ReplyReaders, FlipTable, ::testing::ValuesIn(replyReaders()), nameOf);

}  // namespace
}  // namespace robustness
