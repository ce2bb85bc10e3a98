#pragma once
// Shared pieces of the robustness tests: reply trees, the outcome of one exported call (a code or
// the kind of exception that left it) and whether a session is current afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "admin/CurrentSession.h"
#include "brindle/bradm.h"
#include "common/AttributeTree.h"
#include "common/CBRWebIOStreamException.h"

namespace robustness {

inline AttributeTree openServerData() {
    AttributeTree data;
    data.setText("Mode", "nt");
    data.setText("ServerNamespace", "ns");
    data.setText("ACL", "");
    return data;
}

inline AttributeTree securedServerData() {
    AttributeTree data;
    data.setText("Mode", "password");
    data.setInteger("Secured", 1);
    return data;
}

inline AttributeTree permissionData() {
    AttributeTree data;
    data.setInteger("permission", 1);
    return data;
}

inline AttributeTree objectData() {
    AttributeTree data;
    data.setText("Revision", "12");
    data.setText("Name", "sales");
    data.setText("Class", "Report");
    data.setText("Mirrors", "lpwq://b;lpwq://a12");
    data.setText("Description", "quarterly");
    return data;
}

inline AttributeTree folderData() {
    AttributeTree data;
    data.setText("Content.a.Class", "Folder");
    data.setText("Content.b.Class", "Report");
    data.setText("Content.b.Revision", "3");
    return data;
}

inline AttributeTree portalSettingsData() {
    AttributeTree data;
    data.setText("FLD.Publish.Lumora_url", "http://portal.example:8020/lumora");
    data.setInteger("FLD.Publish.Lumora_port", 8020);
    return data;
}

inline AttributeTree publishData() {
    AttributeTree data;
    data.setText("URL", "http://server:8010/gateway?DC=R&E=CONTENT1");
    return data;
}

inline AttributeTree portalPublishData() {
    AttributeTree data;
    data.setText("gateway", "http://server:8010/gateway");
    data.setText("content", "CONTENT1");
    return data;
}

// How one exported call ended.
struct Outcome {
    enum class Kind { Returned, TransportFailure, MissingField, OtherException };
    Kind kind = Kind::Returned;
    std::int32_t code = 0;
    bool sessionAfter = false;

    static Outcome of(const std::function<std::int32_t()>& call) {
        Outcome outcome;
        try {
            outcome.code = call();
        } catch (const CBRWebIOStreamException&) {
            outcome.kind = Kind::TransportFailure;
        } catch (const NodeNotFoundException&) {
            outcome.kind = Kind::MissingField;
        } catch (...) {
            outcome.kind = Kind::OtherException;
        }
        outcome.sessionAfter = CurrentSession::get() != nullptr;
        return outcome;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    switch (outcome.kind) {
    case Outcome::Kind::Returned:
        out << "returned " << outcome.code;
        break;
    case Outcome::Kind::TransportFailure:
        out << "CBRWebIOStreamException";
        break;
    case Outcome::Kind::MissingField:
        out << "NodeNotFoundException";
        break;
    case Outcome::Kind::OtherException:
        out << "an undocumented exception";
        break;
    }
    return out << (outcome.sessionAfter ? ", a session current" : ", no session current");
}

// How a function meets the session rules: a login makes the current session (and keeps it only
// on success), a per-call function makes one of its own and leaves none, the object functions
// work on the current one and keep it.
enum class Discipline { Login, PerCall, OnSession };

// The outcome the session rules prescribe for a call whose exchange broke in transport.
inline void expectTransportFailure(Discipline discipline, const Outcome& outcome, const std::string& where) {
    switch (discipline) {
    case Discipline::Login:
        EXPECT_EQ(outcome.kind, Outcome::Kind::Returned) << where << ": " << outcome;
        EXPECT_EQ(outcome.code, 4) << where << ": " << outcome;
        EXPECT_FALSE(outcome.sessionAfter) << where << ": " << outcome;
        break;
    case Discipline::PerCall:
        EXPECT_EQ(outcome.kind, Outcome::Kind::TransportFailure) << where << ": " << outcome;
        EXPECT_FALSE(outcome.sessionAfter) << where << ": " << outcome;
        break;
    case Discipline::OnSession:
        EXPECT_EQ(outcome.kind, Outcome::Kind::TransportFailure) << where << ": " << outcome;
        EXPECT_TRUE(outcome.sessionAfter) << where << ": " << outcome;
        break;
    }
}

inline void expectNormal(Discipline discipline, std::int32_t expected, const Outcome& outcome,
                         const std::string& where) {
    EXPECT_EQ(outcome.kind, Outcome::Kind::Returned) << where << ": " << outcome;
    EXPECT_EQ(outcome.code, expected) << where << ": " << outcome;
    EXPECT_EQ(outcome.sessionAfter, discipline != Discipline::PerCall) << where << ": " << outcome;
}

// Any documented ending: a code, a transport failure or a reply lacking a field; and the session
// rules: no per-call session survives, a login keeps its session only on 0, the current session
// of the object functions stays.
inline void expectDocumented(Discipline discipline, const Outcome& outcome, const std::string& where) {
    EXPECT_NE(outcome.kind, Outcome::Kind::OtherException) << where;
    switch (discipline) {
    case Discipline::Login:
        EXPECT_EQ(outcome.sessionAfter, outcome.kind == Outcome::Kind::Returned && outcome.code == 0)
            << where << ": " << outcome;
        break;
    case Discipline::PerCall:
        EXPECT_FALSE(outcome.sessionAfter) << where << ": " << outcome;
        break;
    case Discipline::OnSession:
        EXPECT_TRUE(outcome.sessionAfter) << where << ": " << outcome;
        break;
    }
}

// Every test starts and ends without a current session.
class RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override { besLogout(); }
    void TearDown() override { besLogout(); }
};

}  // namespace robustness
