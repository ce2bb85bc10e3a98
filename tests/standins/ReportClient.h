#pragma once
// A report server client for the tests, at the transport level: our CSocket and BRMessage,
// one request builder per operation with the fields the client library sends.
#include <cstdint>
#include <string>

#include "common/AttributeTree.h"
#include "common/BRMessage.h"
#include "common/CSocket.h"

class ReportClient {
public:
    // Connects to 127.0.0.1:port and writes the preamble.
    void connect(std::uint16_t port);
    void close() { socket_.close(); }

    // One exchange on the connection's message; the reply stays in message().
    BRMessage& exchange(std::int32_t messageType, const AttributeTree& data, int selective = 0);

    BRMessage& preLogin();
    BRMessage& loginTicket(const std::string& ticket);
    BRMessage& loginUser(const std::string& user, const std::string& password);
    BRMessage& loginOldPassword(const std::string& password);
    BRMessage& getObject(const std::string& object, int depth = -1, int thumbnail = 0);
    BRMessage& setObject(const std::string& object, const std::string& revision, const AttributeTree& value);
    BRMessage& createObject(const std::string& object, const AttributeTree& props);
    BRMessage& removeObject(const std::string& object, int recurse);
    BRMessage& moveObject(const std::string& object, const std::string& newName);
    BRMessage& copyObject(const std::string& object, const std::string& newName);
    BRMessage& commandObject(const std::string& object, const std::string& revision, int command);
    BRMessage& bulkPublish(const std::string& object);
    BRMessage& publishReport(const std::string& name, const std::string& description, const std::string& file,
                             const std::string& url, int urlSize);
    BRMessage& publishPortalReport(const std::string& name, const std::string& file, const std::string& content,
                                   int gatewaySize, int contentSize);

    // The revision of an object as the server reports it ("" when the read fails).
    std::string revisionOf(const std::string& object);

    BRMessage& message() { return message_; }
    AttributeTree& reply() { return *message_.dataBranch(); }
    CSocket& socket() { return socket_; }

    // Text properties for createObject, each with isSet 1 as the client library sends them.
    static AttributeTree properties(const std::string& name, const std::string& cls,
                                    const std::string& description = "");

private:
    BRMessage message_;
    CSocket socket_;
};
