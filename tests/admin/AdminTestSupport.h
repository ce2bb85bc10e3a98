#pragma once
// Shared pieces of the admin tests: reply trees the fake server answers with, a port nobody
// listens on, and a test base that leaves no current session behind.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "brindle/bradm.h"
#include "common/AttributeTree.h"
#include "fixtures/FakeReportServer.h"
#include "fixtures/RefusingPort.h"
#include "platform/Sockets.h"

namespace admin_test {

using fixtures::FakeReportServer;
using fixtures::RecordedRequest;
using fixtures::ReplyHeader;
using fixtures::ScriptedReply;

// A pre-login reply of a server that asks for no credentials.
inline AttributeTree openServer() {
    AttributeTree data;
    data.setText("Mode", "nt");
    data.setText("ServerNamespace", "ns");
    data.setText("ACL", "");
    return data;
}

inline AttributeTree passwordServer(int secured) {
    AttributeTree data;
    data.setText("Mode", "password");
    data.setInteger("Secured", secured);
    return data;
}

inline AttributeTree aclServer(const char* acl) {
    AttributeTree data = openServer();
    data.setText("ACL", acl);
    return data;
}

inline AttributeTree permission(int value) {
    AttributeTree data;
    data.setInteger("permission", value);
    return data;
}

// An object description as getObject answers it.
inline AttributeTree object(const char* revision) {
    AttributeTree data;
    if (revision) data.setText("Revision", revision);
    data.setText("Name", "sales");
    data.setText("Class", "Report");
    return data;
}

inline ScriptedReply reply(const AttributeTree& data, std::int32_t errorCode = 0,
                           const char* securityDescriptor = "") {
    ReplyHeader header;
    header.errorCode = errorCode;
    header.securityDescriptor = securityDescriptor;
    return ScriptedReply::message(data, header);
}

inline ScriptedReply errorReply(std::int32_t errorCode) { return reply(AttributeTree(), errorCode); }

// The login dialogue of an open server, whose pre-login reply hands out securityDescriptor.
inline ScriptedReply openLogin(const char* securityDescriptor = "sd-login") {
    return reply(openServer(), 0, securityDescriptor);
}

inline std::int32_t typeOf(const RecordedRequest& request) {
    return request.data.getInteger("type", -1);
}

using fixtures::RefusingPort;

// How a connection attempt of the library fails, made to happen without any name server or
// remote host: the sockets layer's calls are replaced while the object lives. The fake servers
// use plain POSIX calls, so they are not affected.
enum class ConnectFailure { HostNotFound, SendFails };

class FailingSocketCalls {
public:
    explicit FailingSocketCalls(ConnectFailure failure) : scoped_(callsFailing(failure)) {}

private:
    static platform::SocketCalls callsFailing(ConnectFailure failure) {
        platform::SocketCalls calls = platform::posixSocketCalls();
        if (failure == ConnectFailure::HostNotFound) {
            calls.lookupHost = [](const char*, platform::HostEntry&) { return EAI_NONAME; };
        } else {
            calls.send = [](platform::SocketHandle, const void*, std::size_t, int) -> ssize_t {
                errno = EPIPE;
                return -1;
            };
        }
        return calls;
    }
    platform::ScopedSocketCalls scoped_;
};

// Every test starts and ends without a current session.
class AdminTest : public ::testing::Test {
protected:
    void SetUp() override { besLogout(); }
    void TearDown() override { besLogout(); }

    // Logs in to server, whose first scripted reply must be the pre-login reply of an open server.
    static void logIn(const FakeReportServer& server) {
        ASSERT_EQ(besLogin(server.address().c_str(), "secret"), 0);
    }
};

}  // namespace admin_test
