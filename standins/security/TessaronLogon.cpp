// The exported call of libTessaron.so: the logon dialog, asked on the terminal.
#include <type_traits>

#include "brindle/export.h"
#include "platform/external/Tessaron.h"
#include "standins/common/CopyText.h"
#include "standins/security/SentrelAuthenticator.h"
#include "standins/security/TerminalPrompt.h"

extern "C" BRINDLE_EXPORT int32_t SN_CommonLogonEx(SN_HANDLE*, uint32_t apiVersion, uint32_t, uint32_t,
                                                   const char* nameSpace, int32_t, int32_t, int32_t,
                                                   uint32_t* sessionId, uint32_t* flags, uint32_t* expiresAt,
                                                   void*, SN_TicketDescriptor* ticket) {
    if (!ticket || !ticket->buffer || ticket->capacity == 0) return SN_BAD_ARGUMENT;
    ticket->buffer[0] = '\0';
    if ((apiVersion >> 16) != (SN_API_VERSION >> 16)) return SN_FAILED;

    TerminalPrompt prompt;
    if (!prompt.open()) return SN_CANCELLED;
    SentrelAuthenticator authenticator;
    std::string error;
    if (!authenticator.load(error)) {
        prompt.say("Sentrel logon: " + error + "\n");
        return SN_FAILED;
    }
    prompt.say("Sentrel logon");
    prompt.say(nameSpace && *nameSpace ? std::string(" (") + nameSpace + ")\n" : std::string("\n"));
    auto user = prompt.ask("User name: ", false);
    if (!user || user->empty()) return SN_CANCELLED;
    auto password = prompt.ask("Password: ", true);
    if (!password) return SN_CANCELLED;

    Ticket issued;
    int32_t result = authenticator.authenticate(nameSpace, *user, *password, issued, error);
    if (result != SN_OK) {
        prompt.say("Logon failed: " + error + "\n");
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
