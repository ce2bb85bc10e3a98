// The portal's HTTP, byte for byte: HEAD for every GET resource, the page a browser gets at the
// programs' address, and requests refused for a conflicting length or an oversized head.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "standins/HttpFetch.h"
#include "standins/ServerProcess.h"
#include "standins/common/NetIo.h"

namespace {

// Sends the bytes and returns everything the server sends back until it closes.
std::string exchangeRaw(std::uint16_t port, const std::string& request) {
    std::string error;
    UniqueFd fd = netio::connectTcp("127.0.0.1", port, 5000, error);
    if (!fd) return "no connection: " + error;
    netio::setTimeouts(fd.get(), 5000);
    netio::sendAll(fd.get(), request);
    std::string answer;
    char chunk[4096];
    for (int reads = 0; reads < 10000; ++reads) {
        ssize_t n = ::recv(fd.get(), chunk, sizeof chunk, 0);
        if (n <= 0) break;
        answer.append(chunk, static_cast<std::size_t>(n));
    }
    return answer;
}

std::string statusLine(const std::string& answer) { return answer.substr(0, answer.find("\r\n")); }
std::string bodyOf(const std::string& answer) {
    std::size_t end = answer.find("\r\n\r\n");
    return end == std::string::npos ? "<no head end>" : answer.substr(end + 4);
}
std::string headerOf(const std::string& answer, const std::string& name) {
    std::size_t at = answer.find("\r\n" + name + ": ");
    if (at == std::string::npos || at > answer.find("\r\n\r\n")) return "<none>";
    at += name.size() + 4;
    return answer.substr(at, answer.find("\r\n", at) - at);
}

class PortalHttpHygiene : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()) << server.error(); }
    void TearDown() override { EXPECT_EQ(server.stop(), 0); }
    std::string ask(const std::string& request) { return exchangeRaw(server.portalPort(), request); }
    ServerProcess server;
};

TEST_F(PortalHttpHygiene, HeadGivesTheHeadOfWhatGetGives) {
    for (const char* target : {"/", "/lumora", "/gateway?DC=R&E=missing", "/gateway", "/nowhere"}) {
        SCOPED_TRACE(target);
        std::string get = ask(std::string("GET ") + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        std::string head = ask(std::string("HEAD ") + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        EXPECT_EQ(statusLine(head), statusLine(get));
        EXPECT_NE(statusLine(head).find("HTTP/1.1 "), std::string::npos) << head;
        EXPECT_EQ(headerOf(head, "Content-Length"), std::to_string(bodyOf(get).size()));
        EXPECT_EQ(headerOf(head, "Content-Type"), headerOf(get, "Content-Type"));
        EXPECT_EQ(bodyOf(head), "") << "no body after the head";
    }
    // On a kept connection the next request is answered right after a HEAD's head.
    std::string two = ask("HEAD / HTTP/1.1\r\nHost: x\r\n\r\nGET /lumora HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_NE(two.find("\r\n\r\nHTTP/1.1 200 OK\r\n"), std::string::npos) << two;
}

TEST_F(PortalHttpHygiene, ABrowserAtTheProgramsAddressIsSentToThePortalPage) {
    std::string answer = ask("GET /lumora HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(statusLine(answer), "HTTP/1.1 200 OK");
    EXPECT_EQ(headerOf(answer, "Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(bodyOf(answer).find("<a href=\"/\">"), std::string::npos) << answer;
    // The programs' interface is unchanged: POST answers XML, other methods are refused.
    HttpMessage post = httpFetch(server.portalPort(), "POST", "/lumora", "<DescribeNewsBox/>");
    EXPECT_EQ(post.status, 200);
    EXPECT_NE(post.body.find("NotLoggedOn"), std::string::npos) << post.body;
    std::string put = ask("PUT /lumora HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(statusLine(put), "HTTP/1.1 405 Method Not Allowed");
    EXPECT_EQ(headerOf(put, "Allow"), "GET, HEAD, POST");
    EXPECT_EQ(statusLine(ask("GET /lumora/logon HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")),
              "HTTP/1.1 405 Method Not Allowed");
}

TEST_F(PortalHttpHygiene, RefusesConflictingLengthsAndOversizedHeads) {
    const std::string post = "POST /lumora HTTP/1.1\r\nHost: x\r\nConnection: close\r\n";
    const struct {
        const char* what;
        std::string request;
        const char* status;
    } cases[] = {
        {"two lengths that differ", post + "Content-Length: 3\r\nContent-Length: 5\r\n\r\nabcde",
         "HTTP/1.1 400 Bad Request"},
        {"a length and a list", post + "Content-Length: 5\r\ncontent-length: 5, 5\r\n\r\nabcde",
         "HTTP/1.1 400 Bad Request"},
        {"the same length twice", post + "Content-Length: 5\r\nContent-Length: 5\r\n\r\n<a/>\n", "HTTP/1.1 200 OK"},
        {"a 40 KiB head sent at once", "GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(40 * 1024, 'b') +
                                           "\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 413 Payload Too Large"},
        {"a head just within 32 KiB", "GET / HTTP/1.1\r\nX-Big: " + std::string(32 * 1024 - 64, 'b') +
                                          "\r\nConnection: close\r\n\r\n",
         "HTTP/1.1 200 OK"},
    };
    for (const auto& c : cases) EXPECT_EQ(statusLine(ask(c.request)), c.status) << c.what;
}

}  // namespace
