#include "standins/ReportClient.h"

void ReportClient::connect(std::uint16_t port) {
    socket_.resolve("127.0.0.1");
    socket_.connect(port);
    const unsigned char preamble[4] = {0, 0, 0, 9};
    socket_.writeAll(preamble, 4);
}

BRMessage& ReportClient::exchange(std::int32_t messageType, const AttributeTree& data, int selective) {
    message_.clear();
    message_.Agent = "tests";
    message_.MessageType = messageType;
    message_.dataBranch()->assign(data);
    message_.send(socket_, selective);
    message_.receive(socket_);
    return message_;
}

BRMessage& ReportClient::preLogin() {
    AttributeTree data;
    data.setText("pre_login", "1");
    return exchange(2, data);
}

BRMessage& ReportClient::loginTicket(const std::string& ticket) {
    AttributeTree data;
    data.setText("ticket", ticket.c_str());
    return exchange(2, data);
}

BRMessage& ReportClient::loginUser(const std::string& user, const std::string& password) {
    AttributeTree data;
    data.setText("user_id", user.c_str());
    data.setText("password", password.c_str());
    return exchange(2, data);
}

BRMessage& ReportClient::loginOldPassword(const std::string& password) {
    AttributeTree data;
    data.setText("old_password", password.c_str());
    return exchange(2, data);
}

BRMessage& ReportClient::getObject(const std::string& object, int depth, int thumbnail) {
    AttributeTree data;
    data.setInteger("type", 100);
    data.setText("object", object.c_str());
    data.setInteger("depth", depth);
    data.setInteger("thumbnail", thumbnail);
    return exchange(4, data);
}

BRMessage& ReportClient::setObject(const std::string& object, const std::string& revision,
                                   const AttributeTree& value) {
    AttributeTree data;
    data.setText("object", object.c_str())->setIsSet(1);
    data.setInteger("type", 101)->setIsSet(1);
    data.setText("revision", revision.c_str())->setIsSet(1);
    data.put("value", &value)->setIsSet(1);
    return exchange(4, data, 1);
}

BRMessage& ReportClient::createObject(const std::string& object, const AttributeTree& props) {
    AttributeTree data;
    data.setInteger("type", 102);
    data.setText("object", object.c_str());
    data.put("props", &props);
    return exchange(4, data);
}

BRMessage& ReportClient::removeObject(const std::string& object, int recurse) {
    AttributeTree data;
    data.setInteger("type", 103);
    data.setText("object", object.c_str());
    data.setInteger("recurse", recurse);
    return exchange(4, data);
}

BRMessage& ReportClient::moveObject(const std::string& object, const std::string& newName) {
    AttributeTree data;
    data.setInteger("type", 104);
    data.setText("object", object.c_str());
    data.setText("newname", newName.c_str());
    return exchange(4, data);
}

BRMessage& ReportClient::copyObject(const std::string& object, const std::string& newName) {
    AttributeTree data;
    data.setInteger("type", 105);
    data.setText("object", object.c_str());
    data.setText("newname", newName.c_str());
    return exchange(4, data);
}

BRMessage& ReportClient::commandObject(const std::string& object, const std::string& revision, int command) {
    AttributeTree data;
    data.setInteger("type", 106);
    data.setText("object", object.c_str());
    data.setText("revision", revision.c_str())->setIsSet(1);
    data.setInteger("command", command);
    return exchange(4, data);
}

BRMessage& ReportClient::bulkPublish(const std::string& object) {
    AttributeTree data;
    data.setInteger("type", 111);
    data.setText("object", object.c_str());
    return exchange(4, data);
}

BRMessage& ReportClient::publishReport(const std::string& name, const std::string& description,
                                       const std::string& file, const std::string& url, int urlSize) {
    AttributeTree data;
    data.setInteger("type", 107);
    data.setText("name", name.c_str());
    data.setText("description", description.c_str());
    data.setText("brx", file.c_str());
    data.setText("url", url.c_str());
    data.setInteger("urlsize", urlSize);
    return exchange(4, data);
}

BRMessage& ReportClient::publishPortalReport(const std::string& name, const std::string& file,
                                             const std::string& content, int gatewaySize, int contentSize) {
    AttributeTree data;
    data.setInteger("type", 113);
    data.setText("name", name.c_str());
    data.setText("description", "");
    data.setText("brx", file.c_str());
    data.setText("gateway", "");
    data.setInteger("gatewaysize", gatewaySize);
    data.setText("content", content.c_str());
    data.setInteger("contentsize", contentSize);
    return exchange(4, data);
}

std::string ReportClient::revisionOf(const std::string& object) {
    BRMessage& m = getObject(object, 0, 0);
    const char* revision = m.ErrorCode == 0 && m.dataBranch() ? m.dataBranch()->findText("Revision") : nullptr;
    return revision ? revision : "";
}

AttributeTree ReportClient::properties(const std::string& name, const std::string& cls,
                                       const std::string& description) {
    AttributeTree props;
    props.setText("Name", name.c_str())->setIsSet(1);
    props.setText("Class", cls.c_str())->setIsSet(1);
    props.setText("Description", description.c_str())->setIsSet(1);
    props.setText("LocalSource", "")->setIsSet(1);
    props.setText("Mirrors", "")->setIsSet(1);
    props.setText("Lumora_URL", "")->setIsSet(1);
    return props;
}
