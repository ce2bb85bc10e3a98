#pragma once
// The client end of one TCP connection to the report server: a fixed agent name, the socket and
// one BRMessage that serves every request and reply of the connection.
//
// Each request builder clears the message (its header values stay, so the SecurityDescriptor,
// ProtocolVersion and ErrorCode of the last reply travel with the request), sets the agent name
// and the message type, stores the request's fields into the data branch, sends the message and
// receives the reply into it. The builders do not look at the reply; transport failures pass out
// as CBRWebIOStreamException (CEndofStreamException when the server closed the connection).
// A text argument that is null is sent as the empty text.
#include <cstdint>
#include <memory>
#include <string>

#include "common/BRMessage.h"

class AttributeTree;
class CBRWebIOStreamException;
class CSocket;

class ServerConnection {
public:
    static constexpr std::int32_t LoginMessage = 2;
    static constexpr std::int32_t OperationMessage = 4;

    enum Operation : std::int32_t {
        GetObject = 100,
        SetObject = 101,
        CreateObject = 102,
        RemoveObject = 103,
        MoveObject = 104,
        CopyObject = 105,
        CommandObject = 106,
        PublishReport = 107,
        BulkPublish = 111,
        PublishPortalReport = 113,
    };

    explicit ServerConnection(std::string agentName);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Resolves host, connects to port and writes the preamble 00 00 00 09, within the bounds of
    // ClientTimeouts. False when any of these fails (the socket stays with the connection), with
    // the reason in LastErrorText; never throws a transport failure.
    bool connect(const std::string& host, std::uint16_t port);
    // Closes the socket, if any.
    void disconnect();

    // Login dialogue, message type 2.
    BRMessage& preLogin();
    // Exactly one credential goes out: a ticket wins over user id and password (both needed),
    // which win over the old password; with none of them, no field.
    BRMessage& login(const char* ticket, const char* userId, const char* password,
                     const char* oldPassword);

    // Operations, message type 4.
    BRMessage& getObject(const char* object, std::int32_t depth, std::int32_t thumbnail);
    // Sent selectively: of value, only the text and integer leaves whose isSet is not 0 go out,
    // with every branch and binary leaf.
    BRMessage& setObject(const char* object, const char* revision, const AttributeTree& value);
    BRMessage& createObject(const char* object, const AttributeTree& properties);
    BRMessage& removeObject(const char* object, std::int32_t recurse);
    BRMessage& moveObject(const char* object, const char* newName);
    BRMessage& copyObject(const char* object, const char* newName);
    BRMessage& commandObject(const char* object, const char* revision, std::int32_t command);
    BRMessage& bulkPublish(const char* object);
    BRMessage& publishReport(const char* name, const char* description, const char* reportFile,
                             const std::string& url, std::int32_t urlSize);
    BRMessage& publishPortalReport(const char* name, const char* description,
                                   const char* reportFile, const std::string& gateway,
                                   std::int32_t gatewaySize, const std::string& content,
                                   std::int32_t contentSize);

    // The message as the last exchange left it.
    BRMessage& message() { return message_; }
    const std::string& agentName() const { return agentName_; }

private:
    // Clears the message and readies its data branch for a request of the given type.
    AttributeTree& beginRequest(std::int32_t messageType);
    // Sends the message and reads the reply into it within the exchange bound; a transport
    // failure records its reason in LastErrorText and passes on.
    BRMessage& exchange(int selective);
    std::string connectFailureText(const CBRWebIOStreamException& failure) const;
    std::string exchangeFailureText(const CBRWebIOStreamException& failure) const;
    BRMessage& moveOrCopy(Operation operation, const char* object, const char* newName);

    BRMessage message_;
    std::unique_ptr<CSocket> socket_;
    std::string agentName_;
    std::string host_;
    std::string endpoint_;  // "host:port" as connected, for the failure texts
};
