#pragma once
// The report server half of brindle-server: our tree protocol on each connection.
//
// A connection starts with the preamble 00 00 00 09 (anything else closes it); then each
// request message (header and data documents) is answered by one reply message, assembled in
// memory and written with one send. A request that cannot be read in step (a broken document)
// closes the connection; any other bad request gets an error reply (ServerErrors.h). A
// connection is closed when it stays idle past the idle time, when a request does not arrive
// whole within the request time, and (after an ErrorServerBusy reply) when the server's budget
// for requests in flight cannot hold the bytes it sends.
//
// Login dialogue (message type 2). The pre-login reply holds "Mode" ("password" when the
// server has users, else "none"), "Secured" (1 or 0), "ServerNamespace" and "ACL" (""). The
// login request is checked on a secured server: a "ticket" of the security stand-in (sealed,
// not expired, not older than the ticket lifetime), or "user_id" and "password", or
// "old_password", which stands for the default user's password. The reply carries
// "permission" 1 and the user, and its header a SecurityDescriptor that later requests must
// carry.
//
// Operations (message type 4, "type" 100-107, 111, 113). On a secured server every one of them
// needs the login (and its SecurityDescriptor); only the login dialogue is answered without.
#include <cstdint>
#include <string>

#include "common/AttributeTree.h"
#include "standins/common/KeyedChecksum.h"
#include "standins/common/RequestBudget.h"
#include "standins/common/UserDirectory.h"
#include "standins/server/DataFolder.h"
#include "standins/server/ObjectStore.h"
#include "standins/server/PublishRoots.h"
#include "standins/server/TcpServer.h"

class BRMessage;
class SocketStream;

class ReportService {
public:
    struct Settings {
        std::string host;             // as it appears in the URLs the server answers
        std::uint16_t portalPort = 0;
        bool secured = false;
        const UserDirectory* users = nullptr;
        std::int64_t ticketMaxAge = -1;
        const PublishRoots* roots = nullptr;  // where reports may be read from
        KeyedChecksum::Key ticketKey{};       // what tickets must be sealed with
        int idleTimeoutMs = 300 * 1000;       // a connection with no request under way
        int requestTimeoutMs = 30 * 1000;     // a whole request from its first byte
        std::size_t maxConnections = 1024;
        RequestBudget* budget = nullptr;      // memory for requests in flight (none: unbounded)
    };
    static constexpr std::size_t MaxReportSize = 64 * 1024 * 1024;
    static constexpr const char* AgentName = "brindle-server";

    ReportService(ObjectStore& store, const DataFolder& folder, Settings settings);

    bool listen(const std::string& host, std::uint16_t port, std::string& error) {
        return tcp_.listen(host, port, error);
    }
    std::uint16_t port() const { return tcp_.port(); }
    void start() { tcp_.start(); }
    void stop() { tcp_.stop(); }

    // One connection, to its end.
    void serveConnection(int fd, ConnectionDeadline& deadline);

private:
    struct Session {
        bool loggedIn = false;
        std::string user;
        std::string securityDescriptor;
    };
    struct Outcome {
        std::int32_t code = 0;
        std::string message;
    };

    Outcome answer(BRMessage& request, bool headerValid, Session& session, AttributeTree& reply);
    Outcome loginDialogue(const AttributeTree& data, Session& session, AttributeTree& reply);
    Outcome checkCredentials(const AttributeTree& data, std::string& user) const;
    Outcome operation(std::int32_t type, const AttributeTree& data, AttributeTree& reply);
    Outcome publish(std::int32_t type, const AttributeTree& data, AttributeTree& reply);
    // Answers ErrorServerBusy before the connection is closed.
    static void refuseBusy(SocketStream& stream, const Session& session);

    ObjectStore& store_;
    const DataFolder& folder_;
    Settings settings_;
    TcpServer tcp_;
};
