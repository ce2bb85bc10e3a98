// What the stand-ins share: the keyed checksum, tickets, the users file, the HTTP reader.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "standins/common/CopyText.h"
#include "standins/common/HttpReader.h"
#include "standins/common/KeyedChecksum.h"
#include "standins/common/Ticket.h"
#include "standins/common/UserDirectory.h"

namespace {

KeyedChecksum::Key keyOf(const char* bytes) {
    KeyedChecksum::Key key{};
    std::memcpy(key.data(), bytes, std::min(std::strlen(bytes), key.size()));
    return key;
}

// HMAC-SHA-512 pads its key with zeros, so a short key padded to 32 bytes gives the published
// HMAC-SHA-512 value, of which crypto_auth keeps the first 32 bytes.
TEST(KeyedChecksumTest, MatchesTheReferenceVector) {
    KeyedChecksum checksum(keyOf("Jefe"));
    const std::string expected = "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea250554";
    EXPECT_EQ(checksum.computeHex("what do ya want for nothing?"), expected);
    EXPECT_TRUE(checksum.verifyHex("what do ya want for nothing?", expected));
    EXPECT_FALSE(checksum.verifyHex("what do ya want for nothing!", expected));
    EXPECT_FALSE(KeyedChecksum(keyOf("Jeff")).verifyHex("what do ya want for nothing?", expected));
    EXPECT_FALSE(checksum.verifyHex("what do ya want for nothing?", expected.substr(0, 63)));
    EXPECT_FALSE(checksum.verifyHex("what do ya want for nothing?", "164B" + expected.substr(4)));
}

TEST(TicketTest, RoundTripsAndRefusesEveryChange) {
    const KeyedChecksum::Key key = keyOf("test key");
    Ticket t = Ticket::issue("a user: with \"odd\" bytes\x01", 1000, key, 60);
    std::string text = t.encode();
    ASSERT_FALSE(text.empty());
    for (char c : text) EXPECT_TRUE(c > 0x20 && c < 0x7f) << text;
    auto back = Ticket::decode(text, key);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->user, t.user);
    EXPECT_EQ(back->issued, 1000);
    EXPECT_EQ(back->expires, 1060);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string changed = text;
        changed[i] = changed[i] == 'a' ? 'b' : 'a';
        EXPECT_FALSE(Ticket::decode(changed, key).has_value()) << i;
    }
    EXPECT_FALSE(Ticket::decode(text.substr(0, text.size() - 1), key).has_value());
    EXPECT_FALSE(Ticket::decode("", key).has_value());
    // Sealed with another key: refused.
    EXPECT_FALSE(Ticket::decode(text, keyOf("other key")).has_value());
    Ticket unsealed = t;
    unsealed.key.reset();
    EXPECT_EQ(unsealed.encode(), "");
}

TEST(TicketTest, FitsItsBufferForTheLongestUser) {
    const KeyedChecksum::Key key = keyOf("test key");
    std::string longest(Ticket::MaxUserLength, '\xff');
    std::string text = Ticket::issue(longest, 9999999999LL, key).encode();
    EXPECT_LE(text.size(), Ticket::MaxLength);
    EXPECT_TRUE(Ticket::decode(text, key).has_value());
    EXPECT_EQ(Ticket::issue(longest + "x", 1, key).encode(), "");
    EXPECT_EQ(Ticket::issue("", 1, key).encode(), "");
}

TEST(TicketTest, ValidityFollowsExpiryAndMaximumAge) {
    Ticket t = Ticket::issue("demo", 1000, keyOf("k"), 100);
    struct Case {
        std::int64_t now, maxAge;
        bool valid;
    } cases[] = {{1000, -1, true}, {1099, -1, true}, {1100, -1, false}, {1050, 60, true},
                 {1060, 60, false}, {1000, 0, false}, {600, -1, false}};
    for (const Case& c : cases) EXPECT_EQ(t.validAt(c.now, c.maxAge), c.valid) << c.now << " " << c.maxAge;
}

TEST(UserDirectoryTest, ParsesTheFileFormat) {
    UserDirectory users;
    std::string error;
    ASSERT_TRUE(users.loadText("# comment\r\n\nalice:a b:c\r\nbob:\ndemo:changed\nalice:second\n", error)) << error;
    EXPECT_TRUE(users.checkPassword("alice", "second"));
    EXPECT_FALSE(users.checkPassword("alice", "a b:c"));
    EXPECT_TRUE(users.checkPassword("bob", ""));
    EXPECT_TRUE(users.checkPassword("demo", "changed"));
    EXPECT_FALSE(users.checkPassword("demo", "demo"));
    EXPECT_FALSE(users.checkPassword("carol", ""));
}

TEST(UserDirectoryTest, AFileReplacesTheBuiltInUser) {
    UserDirectory users;
    EXPECT_TRUE(users.checkPassword(UserDirectory::DefaultUser, UserDirectory::DefaultPassword));
    std::string error;
    ASSERT_TRUE(users.loadText("alice:secret\n", error)) << error;
    EXPECT_TRUE(users.checkPassword("alice", "secret"));
    EXPECT_FALSE(users.contains(UserDirectory::DefaultUser));
    EXPECT_EQ(users.size(), 1u);
}

TEST(UserDirectoryTest, RefusesBadLinesAndKeepsWhatItHad) {
    const std::string bad[] = {"no colon\n", ":empty name\n", "ok:1\n\x01x:2\n", std::string(65, 'n') + ":x\n"};
    for (const std::string& text : bad) {
        UserDirectory users;
        std::string error;
        EXPECT_FALSE(users.loadText(text, error)) << text;
        EXPECT_NE(error.find("line"), std::string::npos);
        EXPECT_FALSE(users.contains("ok"));
        EXPECT_TRUE(users.checkPassword(UserDirectory::DefaultUser, UserDirectory::DefaultPassword));
    }
}

TEST(CopyTextTest, NeverPassesTheCapacity) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(copyText(buffer, 4, "abcdef"));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], 'x');
    EXPECT_TRUE(copyText(buffer, 4, "abc"));
    EXPECT_FALSE(copyText(buffer, 0, ""));
    EXPECT_FALSE(copyText(nullptr, 4, "a"));
}

// Feeds bytes to an HttpReader through a socket pair.
HttpReader::Result readFrom(const std::string& bytes, HttpMessage& message, bool response) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return HttpReader::Result::Failed;
    [[maybe_unused]] ssize_t n = send(fds[0], bytes.data(), bytes.size(), 0);
    shutdown(fds[0], SHUT_WR);
    HttpReader reader(fds[1], 1000);
    HttpReader::Result r = response ? reader.readResponse(message) : reader.readRequest(message);
    close(fds[0]);
    close(fds[1]);
    return r;
}

TEST(HttpReaderTest, ReadsRequestsAndRefusesWhatItCannotDelimit) {
    struct Case {
        std::string bytes;
        HttpReader::Result result;
        const char* body;
    } cases[] = {
        {"POST /lumora HTTP/1.1\r\nHost: h\r\ncontent-length: 3\r\n\r\nabc", HttpReader::Result::Ok, "abc"},
        {"GET / HTTP/1.0\r\n\r\n", HttpReader::Result::Ok, ""},
        {"", HttpReader::Result::Closed, ""},
        {"GET / HTTP/1.1\r\nHost", HttpReader::Result::Failed, ""},
        {"POST / HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc", HttpReader::Result::Failed, ""},
        {"POST / HTTP/1.1\r\nContent-Length: 1001\r\n\r\n", HttpReader::Result::TooLarge, ""},
        {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", HttpReader::Result::Malformed, ""},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", HttpReader::Result::Malformed, ""},
        {"GARBAGE\r\n\r\n", HttpReader::Result::Malformed, ""},
        {"GET / HTTP/2.0\r\n\r\n", HttpReader::Result::Malformed, ""},
        {"GET / HTTP/1.1\r\nno colon\r\n\r\n", HttpReader::Result::Malformed, ""},
        {"GET / HTTP/1.1\r\n" + std::string(40000, 'a'), HttpReader::Result::TooLarge, ""},
    };
    for (const Case& c : cases) {
        HttpMessage m;
        EXPECT_EQ(readFrom(c.bytes, m, false), c.result) << c.bytes.substr(0, 60);
        if (c.result == HttpReader::Result::Ok) {
            EXPECT_EQ(m.body, c.body);
        }
    }
}

TEST(HttpReaderTest, ReadsResponsesWithAndWithoutLength) {
    HttpMessage m;
    ASSERT_EQ(readFrom("HTTP/1.1 401 Unauthorized\r\nContent-Length: 2\r\nConnection: close\r\n\r\nno", m, true),
              HttpReader::Result::Ok);
    EXPECT_EQ(m.status, 401);
    EXPECT_EQ(m.body, "no");
    EXPECT_FALSE(m.keepAlive());
    ASSERT_EQ(readFrom("HTTP/1.1 200 OK\r\n\r\nto the end", m, true), HttpReader::Result::Ok);
    EXPECT_EQ(m.body, "to the end");
    EXPECT_TRUE(m.keepAlive());
    EXPECT_EQ(readFrom("HTTP/1.1 abc OK\r\n\r\n", m, true), HttpReader::Result::Malformed);
}

}  // namespace
