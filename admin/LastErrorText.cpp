#include "admin/LastErrorText.h"

#include <cstring>

#include "admin/AdminSession.h"
#include "common/CBRWebIOStreamException.h"
#include "common/MessageCatalogue.h"
#include "platform/external/bradmtoolMsg.h"

namespace {

constexpr const char* MessageLibraryBaseName = "bradmtoolMsg";

std::string& text() {
    thread_local std::string current;
    return current;
}

// The message library's text for a code, empty when the library or the text is missing.
std::string messageLibraryText(std::int32_t code) {
    MessageCatalogue& catalogue = MessageCatalogue::instance();
    const CatalogueEntry* entry = catalogue.baseName().empty()
                                      ? catalogue.setBaseName(MessageLibraryBaseName)
                                      : catalogue.load();
    if (!entry || !entry->getMessage) return "";
    const char* message = reinterpret_cast<BrwebGetMessageFn>(entry->getMessage)(code);
    return message ? message : "";
}

}  // namespace

const std::string& LastErrorText::get() { return text(); }

void LastErrorText::clear() { text().clear(); }

void LastErrorText::set(std::string reason) { text() = std::move(reason); }

void LastErrorText::setIfEmpty(const std::string& reason) {
    if (text().empty()) text() = reason;
}

std::string LastErrorText::describeCode(std::int32_t code) {
    switch (code) {
        case AdminSession::NoSession:
            return "there is no current session, or the server's reply lacks a field the call needs";
        case AdminSession::MissingArgument:
            return "a required argument is missing or empty";
        case AdminSession::ConnectionFailed:
            return "the connection to the report server or the login failed";
        case AdminSession::NoRevision:
            return "the object has no revision";
        default: {
            const std::string message = messageLibraryText(code);
            return message.empty() ? "the report server answered with error " + std::to_string(code) : message;
        }
    }
}

std::string LastErrorText::describeException(const CBRWebException& failure) {
    const auto* io = dynamic_cast<const CBRWebIOStreamException*>(&failure);
    const int error = io ? io->systemError : 0;
    switch (failure.code) {
        case 0:
            return "the report server closed the connection";
        case TransportBadTreeFormat:
            return "the report server's reply could not be read";
        case TransportReceiveFailed:
            return std::string("receiving from the report server failed: ") + std::strerror(error);
        case TransportSendFailed:
            return std::string("sending to the report server failed: ") + std::strerror(error);
        default:
            return failure.what();
    }
}

std::int32_t LastErrorText::noSession() {
    set("there is no current session; log in first");
    return AdminSession::NoSession;
}
