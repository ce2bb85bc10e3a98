// The exported call of libTessaron.so: the logon dialog. It asks through the host's UI
// driver when that driver can ask (a window), else on the terminal, and asks again after a
// refused password, a few times at most.
#include <optional>
#include <string>
#include <type_traits>

#include "brindle/export.h"
#include "platform/external/Tessaron.h"
#include "platform/ui/CUiApp.h"
#include "platform/ui/CUiDriver.h"
#include "standins/common/CopyText.h"
#include "standins/security/SentrelAuthenticator.h"
#include "standins/security/TerminalPrompt.h"

namespace {

constexpr int kAttempts = 3;
constexpr const char* kCaption = "Sentrel logon";

struct Credentials {
    std::string user;
    std::string password;
};

// Where the questions go: the UI driver while it can ask, else the terminal.
class LogonQuestions {
public:
    explicit LogonQuestions(const char* nameSpace) : nameSpace_(nameSpace && *nameSpace ? nameSpace : "") {}

    // The user's answer; nothing when the user cancels or nobody can be asked. `message`
    // says why the last answer was refused (empty the first time).
    std::optional<Credentials> ask(const std::string& message, const std::string& lastUser) {
        if (!useTerminal_) {
            askedDriver_ = true;
            CCredentialsRequest request;
            request.caption = kCaption;
            request.nameSpace = nameSpace_.c_str();
            request.message = message.c_str();
            request.userName = lastUser.c_str();
            switch (CUiApp::GetDriver().AskCredentials(request)) {
                case CredentialsAnswer::Given:
                    if (request.userName.IsEmpty()) return std::nullopt;
                    return Credentials{request.userName.str(), request.password.str()};
                case CredentialsAnswer::Cancelled: return std::nullopt;
                case CredentialsAnswer::CannotAsk: useTerminal_ = true; break;
            }
        }
        return askOnTerminal(message);
    }

    // Tells the user on the terminal something that is not a question. A window says
    // nothing more: the host reports a failed logon itself.
    void tell(const std::string& text) {
        if ((useTerminal_ || !askedDriver_) && openTerminal()) terminal_.say(text + "\n");
    }

private:
    bool openTerminal() {
        if (!terminalOpened_) terminalUsable_ = terminal_.open();
        terminalOpened_ = true;
        return terminalUsable_;
    }

    std::optional<Credentials> askOnTerminal(const std::string& message) {
        if (!openTerminal()) return std::nullopt;
        if (message.empty()) {
            terminal_.say(std::string(kCaption) + (nameSpace_.empty() ? "" : " (" + nameSpace_ + ")") + "\n");
        } else {
            terminal_.say("Logon failed: " + message + "\nTry again, or press Enter to cancel.\n");
        }
        auto user = terminal_.ask("User name: ", false);
        if (!user || user->empty()) return std::nullopt;
        auto password = terminal_.ask("Password: ", true);
        if (!password) return std::nullopt;
        return Credentials{*user, *password};
    }

    std::string nameSpace_;
    TerminalPrompt terminal_;
    bool terminalOpened_ = false;
    bool terminalUsable_ = false;
    bool useTerminal_ = false;
    bool askedDriver_ = false;
};

}  // namespace

extern "C" BRINDLE_EXPORT int32_t SN_CommonLogonEx(SN_HANDLE*, uint32_t apiVersion, uint32_t, uint32_t,
                                                   const char* nameSpace, int32_t, int32_t, int32_t,
                                                   uint32_t* sessionId, uint32_t* flags, uint32_t* expiresAt,
                                                   void*, SN_TicketDescriptor* ticket) {
    if (!ticket || !ticket->buffer || ticket->capacity == 0) return SN_BAD_ARGUMENT;
    ticket->buffer[0] = '\0';
    if ((apiVersion >> 16) != (SN_API_VERSION >> 16)) return SN_FAILED;

    LogonQuestions questions(nameSpace);
    SentrelAuthenticator authenticator;
    std::string error;
    if (!authenticator.load(error)) {
        questions.tell(std::string(kCaption) + ": " + error);
        return SN_FAILED;
    }
    Ticket issued;
    int32_t result = SN_CANCELLED;
    std::string refusal;
    std::string lastUser;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::optional<Credentials> answer = questions.ask(refusal, lastUser);
        if (!answer) return SN_CANCELLED;
        lastUser = answer->user;
        result = authenticator.authenticate(nameSpace, answer->user, answer->password, issued, error);
        if (result != SN_LOGON_REFUSED) break;  // signed on, or a failure that asking again cannot mend
        refusal = error;
    }
    if (result != SN_OK) {
        if (result == SN_LOGON_REFUSED) questions.tell("Logon failed: " + error);
        return result;
    }
    if (!copyText(ticket->buffer, ticket->capacity, issued.encode())) {
        ticket->buffer[0] = '\0';
        return SN_BAD_ARGUMENT;
    }
    SN_LogonInfo info{};
    SentrelAuthenticator::describe(issued, info);
    if (sessionId) *sessionId = info.sessionId;
    if (expiresAt) *expiresAt = info.expiresAt;
    if (flags) *flags = info.flags;
    return SN_OK;
}

static_assert(std::is_same_v<decltype(&SN_CommonLogonEx), SN_CommonLogonEx_fn>);
