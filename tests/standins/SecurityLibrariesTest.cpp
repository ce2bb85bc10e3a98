// libSentrelAPI.so and libTessaron.so, loaded the way the publisher loads them.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "platform/DynamicLibrary.h"
#include "platform/external/SentrelAPI.h"
#include "platform/external/Tessaron.h"
#include "standins/ServerProcess.h"
#include "standins/TestTickets.h"

namespace {

class SentrelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded()) << platform::lastLoadError();
        init = library.function<SN_Init_fn>(SN_INIT_NAME);
        lastError = library.function<SN_GetLastErrorMsg_fn>(SN_GET_LAST_ERROR_MSG_NAME);
        defaultNamespace = library.function<SN_GetDefaultNamespace_fn>(SN_GET_DEFAULT_NAMESPACE_NAME);
        sessionError = library.function<SN_GetSessionLastErrorMsg_fn>(SN_GET_SESSION_LAST_ERROR_NAME);
        authenticate = library.function<SN_AuthenticateUser_fn>(SN_AUTHENTICATE_USER_NAME);
        ASSERT_TRUE(init && lastError && defaultNamespace && sessionError && authenticate);
    }
    void TearDown() override { unsetenv("BRINDLE_USERS"); }

    SN_HANDLE open() {
        SN_HANDLE handle = 0;
        EXPECT_EQ(init(SN_API_VERSION, SN_CLIENT_FLAGS, &handle, SN_INIT_OPTIONS), SN_OK);
        EXPECT_NE(handle, 0u);
        return handle;
    }

    platform::DynamicLibrary library{"SentrelAPI.dll"};
    SN_Init_fn init = nullptr;
    SN_GetLastErrorMsg_fn lastError = nullptr;
    SN_GetDefaultNamespace_fn defaultNamespace = nullptr;
    SN_GetSessionLastErrorMsg_fn sessionError = nullptr;
    SN_AuthenticateUser_fn authenticate = nullptr;
};

TEST_F(SentrelTest, SignsTheDefaultUserOnWithAVerifiableTicket) {
    SN_HANDLE handle = open();
    char nameSpace[SN_NAMESPACE_BUFFER_SIZE];
    ASSERT_EQ(defaultNamespace(handle, nameSpace), SN_OK);
    EXPECT_STREQ(nameSpace, "Brindle");
    SN_LogonInfo info{};
    char ticket[SN_TICKET_BUFFER_SIZE];
    ASSERT_EQ(authenticate(handle, nameSpace, "demo", "demo", 0, &info, ticket), SN_OK);
    EXPECT_LE(std::strlen(ticket), Ticket::MaxLength);
    auto decoded = Ticket::decode(ticket, testTicketKey());
    ASSERT_TRUE(decoded.has_value()) << ticket;
    EXPECT_EQ(decoded->user, "demo");
    std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_TRUE(decoded->validAt(now));
    EXPECT_FALSE(decoded->validAt(now + Ticket::DefaultLifetimeSeconds + 1));
    EXPECT_NE(info.sessionId, 0u);
    EXPECT_EQ(info.expiresAt, static_cast<std::uint32_t>(decoded->expires));
}

TEST_F(SentrelTest, RefusesAWrongPasswordWithAMessage) {
    SN_HANDLE handle = open();
    char ticket[SN_TICKET_BUFFER_SIZE] = "untouched";
    SN_LogonInfo info{};
    struct Case {
        const char* nameSpace;
        const char* user;
        const char* password;
        int32_t result;
    } cases[] = {
        {"Brindle", "demo", "wrong", SN_LOGON_REFUSED},
        {"Brindle", "nobody", "demo", SN_LOGON_REFUSED},
        {"Elsewhere", "demo", "demo", SN_UNKNOWN_NAMESPACE},
        {"Brindle", "", "demo", SN_BAD_ARGUMENT},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(authenticate(handle, c.nameSpace, c.user, c.password, 0, &info, ticket), c.result) << c.user;
        EXPECT_STREQ(ticket, "");
        char message[SN_MESSAGE_BUFFER_SIZE];
        ASSERT_EQ(sessionError(handle, message, sizeof message), SN_OK);
        EXPECT_NE(message[0], '\0') << c.user;
    }
    EXPECT_EQ(authenticate(handle + 1000, "Brindle", "demo", "demo", 0, &info, ticket), SN_BAD_HANDLE);
}

TEST_F(SentrelTest, ReadsTheUsersFileNamedByTheEnvironment) {
    ServerProcess scratch;  // only for its scratch folder
    std::string path = scratch.writeScratchFile("users", "# users\r\nalice:pass:with colon\r\n\nbob:\n");
    setenv("BRINDLE_USERS", path.c_str(), 1);
    SN_HANDLE handle = open();
    char ticket[SN_TICKET_BUFFER_SIZE];
    SN_LogonInfo info{};
    EXPECT_EQ(authenticate(handle, "Brindle", "alice", "pass:with colon", 0, &info, ticket), SN_OK);
    // Sealed with the key beside the users file, not with the one of the default user.
    auto decoded = Ticket::decode(ticket, testTicketKey(path));
    ASSERT_TRUE(decoded.has_value()) << ticket;
    EXPECT_EQ(decoded->user, "alice");
    EXPECT_FALSE(Ticket::decode(ticket, testTicketKey()).has_value());
    EXPECT_EQ(authenticate(handle, "Brindle", "bob", "", 0, &info, ticket), SN_OK);
    // The file replaces the built-in user.
    EXPECT_EQ(authenticate(handle, "Brindle", "demo", "demo", 0, &info, ticket), SN_LOGON_REFUSED);

    std::string bad = scratch.writeScratchFile("bad-users", "alice:x\nno colon here\n");
    setenv("BRINDLE_USERS", bad.c_str(), 1);
    SN_HANDLE refused = 7;
    EXPECT_NE(init(SN_API_VERSION, SN_CLIENT_FLAGS, &refused, SN_INIT_OPTIONS), SN_OK);
    EXPECT_EQ(refused, 0u);
    char message[SN_MESSAGE_BUFFER_SIZE];
    ASSERT_EQ(lastError(message, sizeof message), SN_OK);
    EXPECT_NE(std::strstr(message, "line 2"), nullptr) << message;
}

TEST_F(SentrelTest, MessagesStayWithinTheirBuffers) {
    SN_HANDLE refused = 0;
    ASSERT_NE(init(0x00020000, SN_CLIENT_FLAGS, &refused, SN_INIT_OPTIONS), SN_OK);
    char small[6];
    std::memset(small, 'x', sizeof small);
    ASSERT_EQ(lastError(small, 5), SN_OK);
    EXPECT_EQ(std::strlen(small), 4u);
    EXPECT_EQ(small[5], 'x');
}

// Runs SN_CommonLogonEx in a child process; answers holds what is typed at each prompt.
struct DialogOutcome {
    int32_t result = 99;
    std::string ticket;
};

DialogOutcome runLogonDialog(bool withTerminal, const std::vector<std::string>& answers) {
    platform::DynamicLibrary tessaron("Tessaron.dll");
    auto logon = tessaron.function<SN_CommonLogonEx_fn>(SN_COMMON_LOGON_EX_NAME);
    DialogOutcome outcome;
    if (!logon) return outcome;
    int report[2];
    if (pipe(report) != 0) return outcome;
    int master = -1;
    pid_t pid = withTerminal ? forkpty(&master, nullptr, nullptr, nullptr) : fork();
    if (pid == 0) {
        close(report[0]);
        if (!withTerminal) setsid();  // no controlling terminal any more
        char buffer[SN_TICKET_BUFFER_SIZE] = {};
        SN_TicketDescriptor descriptor{SN_TICKET_DESCRIPTOR_KIND, 0, SN_TICKET_BUFFER_SIZE, buffer};
        SN_HANDLE handle = 0;
        uint32_t words[3] = {};
        int32_t rc = logon(&handle, SN_API_VERSION, SN_CLIENT_FLAGS, SN_INIT_OPTIONS, "Brindle", 1, 0, 0, &words[0],
                           &words[2], &words[1], nullptr, &descriptor);
        std::string out = std::to_string(rc) + " " + buffer;
        [[maybe_unused]] ssize_t n = write(report[1], out.data(), out.size());
        _exit(0);
    }
    close(report[1]);
    if (pid < 0) return outcome;
    if (withTerminal) {
        // Answer each prompt once it has appeared; the dialog asks again after a refusal.
        const char* prompts[] = {"User name: ", "Password: "};
        std::string seen;
        std::size_t answered = 0;  // where in `seen` the next prompt is looked for
        for (std::size_t i = 0; i < answers.size(); ++i) {
            const std::string prompt = prompts[i % 2];
            for (int waited = 0; seen.find(prompt, answered) == std::string::npos && waited < 100; ++waited) {
                pollfd p{master, POLLIN, 0};
                if (poll(&p, 1, 100) <= 0) continue;
                char chunk[256];
                ssize_t n = read(master, chunk, sizeof chunk);
                if (n <= 0) break;
                seen.append(chunk, static_cast<std::size_t>(n));
            }
            const std::size_t shown = seen.find(prompt, answered);
            answered = shown == std::string::npos ? seen.size() : shown + prompt.size();
            std::string line = answers[i] + "\n";
            [[maybe_unused]] ssize_t n = write(master, line.data(), line.size());
        }
    }
    std::string out;
    char chunk[512];
    for (;;) {
        pollfd p{report[0], POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) break;
        ssize_t n = read(report[0], chunk, sizeof chunk);
        if (n <= 0) break;
        out.append(chunk, static_cast<std::size_t>(n));
    }
    close(report[0]);
    if (master >= 0) close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    std::size_t space = out.find(' ');
    if (space != std::string::npos) {
        outcome.result = std::atoi(out.substr(0, space).c_str());
        outcome.ticket = out.substr(space + 1);
    }
    return outcome;
}

TEST(TessaronTest, WithoutATerminalTheDialogIsCancelled) {
    DialogOutcome outcome = runLogonDialog(false, {});
    EXPECT_EQ(outcome.result, SN_CANCELLED);
    EXPECT_EQ(outcome.ticket, "");
}

TEST(TessaronTest, AnswersOnTheTerminal) {
    struct Case {
        std::vector<std::string> answers;
        int32_t result;
    } cases[] = {
        {{"demo", "demo"}, SN_OK},
        {{"demo", "wrong", "demo", "demo"}, SN_OK},
        {{"demo", "wrong", ""}, SN_CANCELLED},
        {{"demo", "a", "demo", "b", "demo", "c"}, SN_LOGON_REFUSED},
        {{""}, SN_CANCELLED},
    };
    for (const Case& c : cases) {
        DialogOutcome outcome = runLogonDialog(true, c.answers);
        EXPECT_EQ(outcome.result, c.result) << c.answers[0];
        if (c.result == SN_OK) {
            auto ticket = Ticket::decode(outcome.ticket, testTicketKey());
            ASSERT_TRUE(ticket.has_value()) << outcome.ticket;
            EXPECT_EQ(ticket->user, "demo");
        } else {
            EXPECT_EQ(outcome.ticket, "");
        }
    }
}

TEST(TessaronTest, RefusesADescriptorWithoutABuffer) {
    platform::DynamicLibrary tessaron("Tessaron.dll");
    auto logon = tessaron.function<SN_CommonLogonEx_fn>(SN_COMMON_LOGON_EX_NAME);
    ASSERT_NE(logon, nullptr);
    SN_TicketDescriptor descriptor{SN_TICKET_DESCRIPTOR_KIND, 0, SN_TICKET_BUFFER_SIZE, nullptr};
    uint32_t words[3] = {};
    EXPECT_EQ(logon(nullptr, SN_API_VERSION, SN_CLIENT_FLAGS, SN_INIT_OPTIONS, "Brindle", 1, 0, 0, &words[0],
                    &words[2], &words[1], nullptr, &descriptor),
              SN_BAD_ARGUMENT);
}

}  // namespace
