// Both no-UI entry points of libBRCUtil.so against brindle-server, with the fault proxy in front
// of the report server port and of the portal port: cuts at every message boundary and inside
// the fields of the replies, flipped bytes, replies that stall or stop for good (our report
// server client has no receive timeout and the portal library's is 30 s, so a reply that stops
// ends when the proxy closes the idle connection). Every call must end with a result: 1, or 0
// with a non-empty error text and the host's strings as they were; and the portal must show
// what the rules leave there: a new NewsItem whose report could not be published is deleted
// again, a republish that fails changes nothing, a success leaves exactly one NewsItem that
// points at its report.
//
// Where each fault lands is read from a clean run through the same proxies first, so the table
// follows the bytes the stand-ins really send.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "brindle/BRCUtil.h"
#include "portal/ServerProcess.h"
#include "robustness/fixtures/FaultProxy.h"
#include "robustness/fixtures/HttpLayout.h"
#include "robustness/fixtures/WireLayout.h"

namespace robustness {
namespace {

using portal_test::ServerProcess;
using namespace std::chrono_literals;

constexpr const char* kNewsBox = "/Sales/Europe";
constexpr const char* kPublishFailed = "Failed to publish the report to Brindle Enterprise Server.";
// A connection on which nothing moved for this long is closed by the proxy: long enough never
// to part a healthy exchange, used where no case waits for it.
constexpr std::chrono::milliseconds kIdleClose = 2000ms;
// For the cases that wait for it: a reply that stops, a length that promises more.
constexpr std::chrono::milliseconds kShortIdleClose = 60ms;

std::string g_reportFolder;
int g_saves = 0;

// The host saves its report as a small XML file of its own each time.
unsigned char SaveReport(std::uint32_t, CString* reportPath, CPromptProperties*, std::uint32_t) {
    const std::string path = g_reportFolder + "/report-" + std::to_string(++g_saves) + ".xml";
    std::ofstream(path, std::ios::binary) << "<Report><Title>Figures " << g_saves << "</Title></Report>\n";
    *reportPath = path.c_str();
    return 1;
}

// A NewsItem as the portal's page lists it.
struct ListedItem {
    std::string id;
    bool linked = false;  // it points at a published report
};

// The items of that name on the portal's page. Items are listed one a line:
// <li>[<a href="...">]NAME[</a>] &mdash; DESCRIPTION <small>[ID]</small></li>
std::vector<ListedItem> itemsNamed(int portalPort, const std::string& name) {
    std::string error;
    const std::string page = portal_test::HttpGet(portalPort, "/", error);
    EXPECT_EQ(error, "") << "the portal's page";
    std::vector<ListedItem> items;
    std::istringstream lines(page);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t idStart = line.rfind("<small>[");
        if (line.compare(0, 4, "<li>") != 0 || idStart == std::string::npos) continue;
        ListedItem item;
        item.linked = line.compare(0, 12, "<li><a href=") == 0;
        const std::size_t nameStart = item.linked ? line.find("\">") + 2 : 4;
        const std::size_t nameEnd = line.find(item.linked ? "</a>" : " &mdash; ", nameStart);
        if (nameEnd == std::string::npos || line.compare(nameStart, nameEnd - nameStart, name) != 0 ||
            nameEnd - nameStart != name.size())
            continue;
        item.id = line.substr(idStart + 8, line.find("]</small>", idStart) - idStart - 8);
        items.push_back(item);
    }
    return items;
}

enum class Entry { Publish, Republish };
enum class Side { ReportServer, Portal };
enum class Expect { Success, Failure, Either };

// One fault of a table: which side and which of its connections (in the order the run opens
// them) it hits, and what the call must do.
struct FaultCase {
    Side side;
    std::size_t connection;
    Fault fault;
    Expect expect;
    std::string where;
    std::chrono::milliseconds idleClose = kIdleClose;
    // A portal answer with no result to judge fails the request and leaves the caller's error
    // text as it was (empty here), so such a failure may come without a text.
    bool mayFailWithoutText = false;
};

std::string describe(const FaultCase& c) {
    return std::string(c.side == Side::Portal ? "portal" : "report server") + " connection " +
           std::to_string(c.connection) + ", " + c.fault.describe() + " (" + c.where + ")";
}

struct Call {
    unsigned char result = 0;
    CString error;
    CString newsItemId;
    CString portalAddress;
    std::string givenPortal;  // the portal address the call was handed, empty when none
    std::vector<Transcript> report;
    std::vector<Transcript> portal;
};

// --- The tables ---------------------------------------------------------------------------

std::vector<FaultCase> onConnection(Side side, std::size_t connection, const std::vector<Fault>& faults,
                                    Expect expect, const std::string& where,
                                    std::chrono::milliseconds idleClose = kIdleClose) {
    std::vector<FaultCase> cases;
    for (const Fault& fault : faults) cases.push_back({side, connection, fault, expect, where, idleClose});
    return cases;
}

void append(std::vector<FaultCase>& table, const std::vector<FaultCase>& more) {
    table.insert(table.end(), more.begin(), more.end());
}

// Cuts of a report server reply (a header and a data document): at the start and one byte
// into every field, and behind each document. Only the cut behind the whole reply is harmless;
// it comes first, while the reply still has the length of the clean run (every publish that
// reaches the server makes a new content name, and the names grow a digit at 100).
std::vector<FaultCase> replyCuts(std::size_t connection, const std::string& reply) {
    const WireLayout layout(reply);
    std::vector<Fault> inside;
    for (std::size_t offset : layout.faultOffsets()) inside.push_back(Fault::cut(offset));
    for (std::size_t end : layout.documentEnds())
        if (end < reply.size()) inside.push_back(Fault::cut(end));
    std::vector<FaultCase> table = onConnection(Side::ReportServer, connection, {Fault::cut(reply.size())},
                                                Expect::Success, "cut behind the whole reply");
    append(table, onConnection(Side::ReportServer, connection, inside, Expect::Failure, "report server reply cut"));
    return table;
}

// Cuts of the request: before the preamble, behind it, inside the header document and one byte
// short of the whole request.
std::vector<FaultCase> requestCuts(std::size_t connection, const std::string& request) {
    std::vector<Fault> faults;
    for (std::size_t offset : {std::size_t{0}, std::size_t{4}, std::size_t{20}, request.size() - 1})
        faults.push_back(Fault::cut(offset).towardsServer());
    return onConnection(Side::ReportServer, connection, faults, Expect::Failure, "request cut");
}

// A flipped byte at the start of every field of the reply from offset from on: any result, by
// the rules. The proxy ends the connection behind the reply.
std::vector<FaultCase> replyFlips(std::size_t connection, const std::string& reply, std::size_t from = 0) {
    std::vector<Fault> faults;
    for (std::size_t offset : WireLayout(reply).fieldStarts())
        if (offset >= from) faults.push_back(Fault::flip(offset).endingAt(reply.size()));
    return onConnection(Side::ReportServer, connection, faults, Expect::Either, "report server reply flipped",
                        kShortIdleClose);
}

// A reply that stops (before its first byte, in the middle, one byte short) ends when the
// proxy closes the idle connection; one that is only slow, or comes a byte at a time, succeeds.
std::vector<FaultCase> replyDelays(Side side, std::size_t connection, std::size_t size) {
    std::vector<FaultCase> table = onConnection(
        side, connection, {Fault::hold(0), Fault::hold(size / 2), Fault::hold(size - 1)}, Expect::Failure,
        "reply stops", kShortIdleClose);
    append(table, onConnection(side, connection, {Fault::stall(size / 2, 40ms), Fault::trickle()}, Expect::Success,
                               "slow reply"));
    return table;
}

// Cuts of the portal's replies on the kept connection: every field of the first response's
// head and its body, then each later response at its start, inside its head and its body.
// A cut at a response's start finds a kept connection closed before any answer, which the
// portal library tries once more on a new one: any result, by the rules. So may a cut of the
// answer the run can do without (a republish needs no NewsBox list).
std::vector<FaultCase> portalCuts(const std::string& replies, std::size_t dispensable = 0) {
    const HttpLayout layout(replies);
    std::vector<FaultCase> table;
    const auto& responses = layout.responses();
    if (responses.empty()) {
        ADD_FAILURE() << "the clean run's portal connection carried no response";
        return table;
    }
    std::vector<Fault> first;
    for (std::size_t offset : responses[0].headFields) first.push_back(Fault::cut(offset));
    for (std::size_t offset : {responses[0].bodyStart, responses[0].bodyStart + 1, responses[0].end - 1})
        first.push_back(Fault::cut(offset));
    append(table, onConnection(Side::Portal, 0, first, Expect::Failure, "log-on answer cut"));
    for (std::size_t i = 1; i < responses.size(); ++i) {
        const HttpLayout::Response& r = responses[i];
        const std::string where = "answer " + std::to_string(i) + " cut";
        append(table, onConnection(Side::Portal, 0, {Fault::cut(r.start)}, Expect::Either, where + " at its start"));
        append(table, onConnection(Side::Portal, 0,
                                   {Fault::cut(r.start + 1), Fault::cut(r.headFields.at(2)), Fault::cut(r.bodyStart),
                                    Fault::cut(r.bodyStart + 1), Fault::cut((r.bodyStart + r.end) / 2),
                                    Fault::cut(r.end - 1)},
                                   i == dispensable ? Expect::Either : Expect::Failure, where));
    }
    append(table,
           onConnection(Side::Portal, 0, {Fault::cut(replies.size())}, Expect::Success, "cut behind every answer"));
    return table;
}

// Flipped bytes in the portal's answers: every field of the first answer's head, the result
// code of each answer, its first byte, the name of its result element and its Content-Length (one more or one less: a byte left over for the
// next answer, or one awaited that never comes until the proxy closes). The proxy ends the
// connection behind the clean run's last answer.
std::vector<FaultCase> portalFlips(const std::string& replies, std::size_t dispensable = 0) {
    const HttpLayout layout(replies);
    std::vector<FaultCase> table;
    const auto& responses = layout.responses();
    if (responses.empty()) return table;
    const auto flip = [&](std::size_t offset, unsigned char mask) {
        return Fault::flip(offset, mask).endingAt(replies.size());
    };
    std::vector<Fault> head;
    for (std::size_t offset : responses[0].headFields) head.push_back(flip(offset, 0xFF));
    append(table, onConnection(Side::Portal, 0, head, Expect::Either, "log-on answer flipped", kShortIdleClose));
    for (std::size_t i = 0; i < responses.size(); ++i) {
        const std::string where = "answer " + std::to_string(i);
        // "Ruccess": the log-on answer's body is not read; every later one is judged by it.
        const std::size_t success = layout.inBody(i, "Success");
        if (success != std::string::npos)
            append(table, onConnection(Side::Portal, 0, {flip(success, 0x01)},
                                       i == 0 || i == dispensable ? Expect::Either : Expect::Failure,
                                       where + ": result code not Success", kShortIdleClose));
        // Not XML at all, and no "Standard_Result" element.
        const std::size_t standard = layout.inBody(i, "Standard_Result");
        std::vector<FaultCase> noResult =
            onConnection(Side::Portal, 0, {flip(responses[i].bodyStart, 0xFF), flip(standard, 0x01)},
                         i == 0 || i == dispensable ? Expect::Either : Expect::Failure, where + ": no result",
                         kShortIdleClose);
        for (FaultCase& c : noResult) c.mayFailWithoutText = true;
        append(table, noResult);
        const std::size_t length = replies.find("Content-Length: ", responses[i].start) + 16;
        const std::size_t lastDigit = replies.find("\r\n", length) - 1;
        append(table, onConnection(Side::Portal, 0, {flip(lastDigit, 0x01)}, Expect::Either,
                                   where + ": Content-Length off by one", kShortIdleClose));
    }
    return table;
}

// Answers that stop in the middle, and before the first, end when the proxy closes; slow ones
// succeed.
std::vector<FaultCase> portalDelays(const std::string& replies, std::size_t dispensable = 0) {
    const HttpLayout layout(replies);
    std::vector<FaultCase> table =
        onConnection(Side::Portal, 0, {Fault::hold(0)}, Expect::Failure, "no log-on answer", kShortIdleClose);
    for (std::size_t i = 0; i < layout.responses().size(); ++i) {
        const HttpLayout::Response& r = layout.responses()[i];
        append(table, onConnection(Side::Portal, 0, {Fault::hold((r.start + r.end) / 2)},
                                   i == dispensable ? Expect::Either : Expect::Failure,
                                   "answer " + std::to_string(i) + " stops", kShortIdleClose));
    }
    append(table, onConnection(Side::Portal, 0, {Fault::stall(replies.size() / 2, 40ms), Fault::trickle()},
                               Expect::Success, "slow answers"));
    return table;
}

// The portal cases that break the log-on run last, so that a failed log-on which outlives its
// call (FailedPortalLogOnDoesNotSpoilTheNextPublish) cannot hide what the other cases show.
void logOnLast(std::vector<FaultCase>& table, const Transcript& portal) {
    const std::size_t answer = HttpLayout(portal.fromServer).responses().at(0).end;
    const std::size_t request = portal.fromClient.find("\r\n\r\n") + 4;
    std::stable_partition(table.begin(), table.end(), [&](const FaultCase& c) {
        return c.side != Side::Portal || c.fault.kind == Fault::Kind::Trickle ||
               c.fault.offset >= (c.fault.toServer ? request : answer);
    });
}

class PublishingThroughFaults : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<ServerProcess>();
        ASSERT_EQ(server_->failure(), "");
        g_reportFolder = server_->folder();
    }

    std::string realPortal() const { return "127.0.0.1:" + std::to_string(server_->portalPort()); }

    // Publishes directly until the portal's item numbers and the report server's content
    // numbers have two digits, so the replies of a table keep the length of its clean run.
    void warmUp() {
        for (int i = 0; i < 9; ++i) publishDirectly("warm-up");
    }

    CString publishDirectly(const std::string& name) {
        CString address, error, id;
        EXPECT_EQ(brPublishToLumoraNoUi(name.c_str(), "d", kNewsBox, server_->reportServer().c_str(), &address,
                                        &SaveReport, 0, "demo", "demo", &error, &id),
                  1)
            << error;
        return id;
    }

    // One call through both proxies. The portal is reached through its proxy when asked;
    // otherwise its address is left empty and comes from the report server (the real port).
    Call run(Entry entry, const std::string& name, const CString& knownId, bool portalThroughProxy,
             const std::vector<Fault>& reportFaults, const std::vector<Fault>& portalFaults,
             std::chrono::milliseconds idleClose = kIdleClose) {
        FaultProxy report(static_cast<std::uint16_t>(server_->reportPort()), reportFaults, idleClose);
        FaultProxy portal(static_cast<std::uint16_t>(server_->portalPort()), portalFaults, idleClose);
        Call call;
        call.newsItemId = knownId;
        if (portalThroughProxy) call.givenPortal = portal.address();
        call.portalAddress = call.givenPortal.c_str();
        if (entry == Entry::Publish) {
            call.result = brPublishToLumoraNoUi(name.c_str(), "d", kNewsBox, report.address().c_str(),
                                                &call.portalAddress, &SaveReport, 0, "demo", "demo", &call.error,
                                                &call.newsItemId);
        } else {
            call.result = brRepublishToLumoraNoUi("d", report.address().c_str(), &call.portalAddress, &SaveReport, 0,
                                                  "demo", "demo", &call.error, &call.newsItemId);
        }
        report.stop();
        portal.stop();
        call.report = report.transcripts();
        call.portal = portal.transcripts();
        return call;
    }

    // The clean run a table is read from.
    Call record(Entry entry, const std::string& name, const CString& knownId, bool portalThroughProxy) {
        Call call = run(entry, name, knownId, portalThroughProxy, {}, {});
        EXPECT_EQ(call.result, 1) << "the clean run: " << call.error;
        return call;
    }

    Call runCase(Entry entry, const std::string& name, const CString& knownId, bool portalThroughProxy,
                 const FaultCase& c) {
        std::vector<Fault> faults(c.connection, Fault::none());
        faults.push_back(c.fault);
        const bool onPortal = c.side == Side::Portal;
        return run(entry, name, knownId, portalThroughProxy, onPortal ? std::vector<Fault>() : faults,
                   onPortal ? faults : std::vector<Fault>(), c.idleClose);
    }

    // A new NewsItem through each fault.
    void publishThrough(const std::vector<FaultCase>& table, bool portalThroughProxy) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            const FaultCase& c = table[i];
            const std::string name = "item-" + std::to_string(i);
            const Call call = runCase(Entry::Publish, name, "", portalThroughProxy, c);
            const std::vector<ListedItem> items = itemsNamed(server_->portalPort(), name);
            const std::string where = describe(c);
            expectResult(c, call, where);
            if (call.result == 1) {
                EXPECT_EQ(items.size(), 1u) << where << ": a success leaves exactly one NewsItem";
                const bool returnedIdListed = std::any_of(items.begin(), items.end(), [&](const ListedItem& item) {
                    return item.id == call.newsItemId.str() && item.linked;
                });
                EXPECT_TRUE(returnedIdListed) << where << ": the Id handed back names the published item";
                EXPECT_EQ(call.portalAddress.str(), call.givenPortal.empty() ? realPortal() : call.givenPortal)
                    << where;
                continue;
            }
            if (!c.mayFailWithoutText) {
                EXPECT_FALSE(call.error.IsEmpty()) << where << ": a failure says why";
            }
            EXPECT_EQ(call.newsItemId, "") << where;
            EXPECT_EQ(call.portalAddress.str(), call.givenPortal) << where;
            if (c.side == Side::ReportServer && c.fault.kind != Fault::Kind::Flip) {
                // The report never reached the server whole: the new item is deleted again.
                EXPECT_TRUE(items.empty()) << where << ": the new NewsItem was not deleted again";
            } else {
                // A lost portal answer can leave the item the portal made, a flipped report URL
                // one whose properties the portal refused: never one that points at a report,
                // never two.
                EXPECT_LE(items.size(), 1u) << where;
                if (c.side == Side::ReportServer && !items.empty()) {
                    EXPECT_FALSE(items[0].linked) << where;
                }
            }
        }
    }

    // The known item through each fault: a success updates it, a failure leaves it there.
    void republishThrough(const std::string& name, const CString& knownId, const std::vector<FaultCase>& table) {
        for (const FaultCase& c : table) {
            const Call call = runCase(Entry::Republish, name, knownId, true, c);
            const std::vector<ListedItem> items = itemsNamed(server_->portalPort(), name);
            const std::string where = describe(c);
            expectResult(c, call, where);
            EXPECT_EQ(call.newsItemId, knownId) << where;
            EXPECT_EQ(items.size(), 1u) << where << ": a republish neither deletes nor adds a NewsItem";
            if (!items.empty()) {
                EXPECT_EQ(items[0].id, knownId.str()) << where;
                EXPECT_TRUE(items[0].linked) << where;
            }
            EXPECT_EQ(call.portalAddress.str(), call.givenPortal) << where;
            if (call.result == 0 && !c.mayFailWithoutText) {
                EXPECT_FALSE(call.error.IsEmpty()) << where << ": a failure says why";
            }
        }
    }

    static void expectResult(const FaultCase& c, const Call& call, const std::string& where) {
        if (c.expect == Expect::Success) {
            EXPECT_EQ(call.result, 1) << where << ": " << call.error;
        } else if (c.expect == Expect::Failure) {
            EXPECT_EQ(call.result, 0) << where;
            if (c.side == Side::ReportServer) {
                EXPECT_EQ(call.error, kPublishFailed) << where;
            }
        }
    }

    std::unique_ptr<ServerProcess> server_;
};

// A portal log-on that fails (here the portal closes the connection at once) must not leave
// the portal library set up for that address: the next publish in the same host process, to
// a portal that works, succeeds.
TEST_F(PublishingThroughFaults, FailedPortalLogOnDoesNotSpoilTheNextPublish) {
    const Call failed = run(Entry::Publish, "refused", "", true, {}, {Fault::cut(0)});
    ASSERT_EQ(failed.result, 0);
    EXPECT_EQ(failed.error, "Login to Lumora failed.");
    CString address = realPortal().c_str(), error, id;
    EXPECT_EQ(brPublishToLumoraNoUi("next", "d", kNewsBox, server_->reportServer().c_str(), &address, &SaveReport, 0,
                                    "demo", "demo", &error, &id),
              1)
        << error;
    EXPECT_EQ(itemsNamed(server_->portalPort(), "next").size(), 1u);
}

// The portal's settings (the first report server connection when no portal address is given):
// every cut fails before anything is created. Read from a run that stops after the settings
// (no such NewsBox), so the settings reply is the one the table meets.
TEST_F(PublishingThroughFaults, PublishWithSettingsReplyCutFlippedOrDelayed) {
    CString address, error, id;
    FaultProxy report(static_cast<std::uint16_t>(server_->reportPort()), {}, kIdleClose);
    ASSERT_EQ(brPublishToLumoraNoUi("x", "d", "/No/Such/Box", report.address().c_str(), &address, &SaveReport, 0,
                                    "demo", "demo", &error, &id),
              0);
    ASSERT_EQ(error, "Failed to find NewsBox.");
    report.stop();
    const Transcript settings = report.transcripts().at(0);
    std::vector<FaultCase> table = requestCuts(0, settings.fromClient);
    append(table, replyCuts(0, settings.fromServer));
    append(table, replyDelays(Side::ReportServer, 0, settings.fromServer.size()));
    // Flips where the client reads: the header document, and the portal settings at the end.
    const WireLayout layout(settings.fromServer);
    const std::size_t header = layout.documentEnds().at(0);
    for (const FaultCase& flip : replyFlips(0, settings.fromServer))
        if (flip.fault.offset < header) table.push_back(flip);
    const std::size_t portalSettings = settings.fromServer.rfind("FLD") - 2;
    append(table, replyFlips(0, settings.fromServer, portalSettings));
    publishThrough(table, false);
}

// The publish itself, after the NewsItem was made: a cut deletes the item again.
TEST_F(PublishingThroughFaults, PublishWithReportReplyCut) {
    warmUp();
    const Call clean = record(Entry::Publish, "clean", "", false);
    ASSERT_EQ(clean.report.size(), 2u);
    std::vector<FaultCase> table = requestCuts(1, clean.report[1].fromClient);
    append(table, replyCuts(1, clean.report[1].fromServer));
    publishThrough(table, false);
}

TEST_F(PublishingThroughFaults, PublishWithReportReplyFlippedOrDelayed) {
    warmUp();
    const Call clean = record(Entry::Publish, "clean", "", false);
    ASSERT_EQ(clean.report.size(), 2u);
    std::vector<FaultCase> table = replyDelays(Side::ReportServer, 1, clean.report[1].fromServer.size());
    append(table, replyFlips(1, clean.report[1].fromServer));
    publishThrough(table, false);
}

TEST_F(PublishingThroughFaults, PublishWithPortalAnswersCut) {
    warmUp();
    const Call clean = record(Entry::Publish, "clean", "", true);
    ASSERT_EQ(clean.portal.size(), 1u) << "one kept portal connection";
    ASSERT_EQ(HttpLayout(clean.portal[0].fromServer).responses().size(), 4u)
        << "log-on, NewsBox list, create, set properties";
    std::vector<FaultCase> table = portalCuts(clean.portal[0].fromServer);
    append(table, onConnection(Side::Portal, 0, {Fault::cut(0).towardsServer()}, Expect::Failure, "log-on request cut"));
    logOnLast(table, clean.portal[0]);
    publishThrough(table, true);
}

TEST_F(PublishingThroughFaults, PublishWithPortalAnswersFlippedOrDelayed) {
    warmUp();
    const Call clean = record(Entry::Publish, "clean", "", true);
    ASSERT_EQ(clean.portal.size(), 1u);
    std::vector<FaultCase> table = portalFlips(clean.portal[0].fromServer);
    append(table, portalDelays(clean.portal[0].fromServer));
    logOnLast(table, clean.portal[0]);
    publishThrough(table, true);
}

// brRepublishToLumoraNoUi on a known item, with the portal's address given.
TEST_F(PublishingThroughFaults, RepublishWithReportReplyCutFlippedOrDelayed) {
    warmUp();
    const CString known = publishDirectly("known");
    const Call clean = record(Entry::Republish, "known", known, true);
    ASSERT_EQ(clean.report.size(), 1u);
    const std::string& reply = clean.report[0].fromServer;
    std::vector<FaultCase> table = requestCuts(0, clean.report[0].fromClient);
    append(table, replyCuts(0, reply));
    append(table, replyFlips(0, reply));
    append(table, replyDelays(Side::ReportServer, 0, reply.size()));
    republishThrough("known", known, table);
}

TEST_F(PublishingThroughFaults, RepublishWithPortalAnswersCutFlippedOrDelayed) {
    warmUp();
    const CString known = publishDirectly("known");
    const Call clean = record(Entry::Republish, "known", known, true);
    ASSERT_EQ(clean.portal.size(), 1u);
    const std::string& replies = clean.portal[0].fromServer;
    ASSERT_EQ(HttpLayout(replies).responses().size(), 4u) << "log-on, NewsBox list, describe, set properties";
    constexpr std::size_t newsBoxList = 1;
    std::vector<FaultCase> table = portalCuts(replies, newsBoxList);
    append(table, portalFlips(replies, newsBoxList));
    append(table, portalDelays(replies, newsBoxList));
    logOnLast(table, clean.portal[0]);
    republishThrough("known", known, table);
}

}  // namespace
}  // namespace robustness
