#pragma once
// One session with the report server: owns the connection it talks through. The process keeps at
// most one current session (CurrentSession.h); the exported functions run through it.
#include <cstdint>
#include <memory>

class ServerConnection;

// The credentials of a login; a null one is absent, an empty one present.
struct LoginCredentials {
    const char* ticket = nullptr;
    const char* userId = nullptr;
    const char* password = nullptr;
    const char* oldPassword = nullptr;

    bool complete() const { return oldPassword || ticket || (userId && password); }
};

class AdminSession {
public:
    // Return codes of the client side; any other code is the server's ErrorCode.
    static constexpr std::int32_t Success = 0;
    static constexpr std::int32_t NoSession = 1;
    // A publish reply lacks a field, or its text does not fit the caller's buffer.
    static constexpr std::int32_t IncompleteReply = 1;
    // besPublishReportEx connected (it sends no request).
    static constexpr std::int32_t ConnectedOnly = 1;
    static constexpr std::int32_t MissingArgument = 3;
    static constexpr std::int32_t ConnectionFailed = 4;
    static constexpr std::int32_t NoRevision = 1102;

    static constexpr const char* ServerAgent = "BRWebServer";
    static constexpr const char* PublishAgent = "Publish";

    AdminSession();
    ~AdminSession();
    AdminSession(const AdminSession&) = delete;
    AdminSession& operator=(const AdminSession&) = delete;

    // Creates the connection with agentName and connects it to the server address ("host" or
    // "host:port"). False when the address has no usable port or the connection fails.
    bool open(const char* serverAddress, const char* agentName);
    // Disconnects and destroys the connection, if any.
    void close();

    // Connects with agent "BRWebServer" and runs the login dialogue. Returns 0, 3 (no address or
    // no credential), 4 (no connection, a transport failure, no permission) or the server's
    // code; on anything but 0 the connection is gone. A pre-login reply lacking "Mode", or the
    // field its mode needs, raises NodeNotFoundException.
    std::int32_t login(const char* serverAddress, const LoginCredentials& credentials);

    // Null when the session has no connection.
    ServerConnection* connection() { return connection_.get(); }

private:
    std::int32_t runLoginDialogue(const LoginCredentials& credentials);

    std::unique_ptr<ServerConnection> connection_;
};
