#pragma once
// One HTTP request to the portal stand-in on 127.0.0.1, for the tests.
#include <cstdint>
#include <string>

#include "standins/common/HttpReader.h"
#include "standins/common/NetIo.h"

inline HttpMessage httpFetch(std::uint16_t port, const std::string& method, const std::string& target,
                             const std::string& body = std::string(),
                             const std::vector<std::pair<std::string, std::string>>& headers = {}) {
    HttpMessage response;
    std::string error;
    UniqueFd fd = netio::connectTcp("127.0.0.1", port, 5000, error);
    if (!fd) return response;
    netio::setTimeouts(fd.get(), 5000);
    auto all = headers;
    all.emplace_back("Connection", "close");
    netio::sendAll(fd.get(), HttpMessage::formatRequest(method, target, "127.0.0.1", all, body));
    HttpReader reader(fd.get(), 64 * 1024 * 1024);
    if (reader.readResponse(response) != HttpReader::Result::Ok) response.status = -1;
    return response;
}
