#include "standins/common/HttpReader.h"

#include <cerrno>
#include <sys/socket.h>

namespace {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool containsToken(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        std::size_t comma = value.find(',');
        if (equalsIgnoreCase(trim(value.substr(0, comma)), token)) return true;
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    return false;
}

void appendHeaders(std::string& out, const std::vector<std::pair<std::string, std::string>>& headers) {
    for (const auto& h : headers) out += h.first + ": " + h.second + "\r\n";
}

}  // namespace

const std::string* HttpMessage::header(std::string_view name) const {
    for (const auto& h : headers)
        if (equalsIgnoreCase(h.first, name)) return &h.second;
    return nullptr;
}

bool HttpMessage::keepAlive() const {
    const std::string* connection = header("Connection");
    if (version == "HTTP/1.0") return connection && containsToken(*connection, "keep-alive");
    return !(connection && containsToken(*connection, "close"));
}

std::string HttpMessage::formatRequest(std::string_view method, std::string_view target, std::string_view host,
                                       const std::vector<std::pair<std::string, std::string>>& headers,
                                       std::string_view body) {
    std::string out;
    out.reserve(256 + body.size());
    out.append(method).append(" ").append(target).append(" HTTP/1.1\r\nHost: ").append(host).append("\r\n");
    appendHeaders(out, headers);
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out.append(body);
    return out;
}

std::string HttpMessage::formatResponse(int status, std::string_view reason, std::string_view contentType,
                                        std::string_view body, bool keepAlive,
                                        const std::vector<std::pair<std::string, std::string>>& headers) {
    std::string out;
    out.reserve(256 + body.size());
    out += "HTTP/1.1 " + std::to_string(status) + " ";
    out.append(reason).append("\r\nContent-Type: ").append(contentType).append("\r\n");
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    appendHeaders(out, headers);
    out += "\r\n";
    out.append(body);
    return out;
}

bool HttpReader::fill() {
    char chunk[16384];
    if (deadline_ && !deadline_->waitReadable(fd_)) return false;
    for (;;) {
        ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (deadline_) deadline_->requestStarted();
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
}

HttpReader::Result HttpReader::readHead(std::string& head) {
    std::size_t searchFrom = 0;
    for (;;) {
        std::size_t end = buffer_.find("\r\n\r\n", searchFrom);
        if (end != std::string::npos) {
            if (end + 4 > MaxHeadSize) return Result::TooLarge;
            head = buffer_.substr(0, end + 2);
            buffer_.erase(0, end + 4);
            return Result::Ok;
        }
        if (buffer_.size() > MaxHeadSize) return Result::TooLarge;
        searchFrom = buffer_.size() >= 3 ? buffer_.size() - 3 : 0;
        bool wasEmpty = buffer_.empty();
        if (!fill()) return wasEmpty ? Result::Closed : Result::Failed;
    }
}

bool HttpReader::parseHeaders(std::string_view lines, HttpMessage& message) {
    while (!lines.empty()) {
        std::size_t eol = lines.find("\r\n");
        std::string_view line = lines.substr(0, eol);
        lines.remove_prefix(eol == std::string_view::npos ? lines.size() : eol + 2);
        if (line.empty()) continue;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) return false;
        if (message.headers.size() >= MaxHeaders) return false;
        message.headers.emplace_back(std::string(trim(line.substr(0, colon))),
                                     std::string(trim(line.substr(colon + 1))));
    }
    return true;
}

HttpReader::Result HttpReader::readBody(HttpMessage& message, bool untilCloseAllowed) {
    if (const std::string* te = message.header("Transfer-Encoding"))
        if (!equalsIgnoreCase(trim(*te), "identity")) return Result::Malformed;
    const std::string* lengthText = message.header("Content-Length");
    for (const auto& h : message.headers)
        if (equalsIgnoreCase(h.first, "Content-Length") && h.second != *lengthText) return Result::Malformed;
    if (!lengthText) {
        if (!untilCloseAllowed) {
            message.body.clear();
            return Result::Ok;
        }
        while (fill())
            if (buffer_.size() > maxBody_) return Result::TooLarge;
        message.body.swap(buffer_);
        buffer_.clear();
        return Result::Ok;
    }
    if (lengthText->empty() || lengthText->size() > 12) return Result::Malformed;
    std::size_t length = 0;
    for (char c : *lengthText) {
        if (c < '0' || c > '9') return Result::Malformed;
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    if (length > maxBody_) return Result::TooLarge;
    if (share_ && !share_->take(length)) return Result::Busy;
    while (buffer_.size() < length)
        if (!fill()) return Result::Failed;
    message.body.assign(buffer_, 0, length);
    buffer_.erase(0, length);
    return Result::Ok;
}

HttpReader::Result HttpReader::readRequest(HttpMessage& message) {
    message = HttpMessage();
    if (share_) share_->release();
    if (deadline_) {
        deadline_->awaitRequest();
        if (!buffer_.empty()) deadline_->requestStarted();
    }
    std::string head;
    Result r = readHead(head);
    if (r != Result::Ok) return r;
    std::string_view view(head);
    std::size_t eol = view.find("\r\n");
    std::string_view line = view.substr(0, eol);
    std::size_t sp1 = line.find(' ');
    std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp1 == std::string_view::npos || sp2 == std::string_view::npos || sp1 == 0 || sp2 == sp1 + 1)
        return Result::Malformed;
    message.method = std::string(line.substr(0, sp1));
    message.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));
    message.version = std::string(line.substr(sp2 + 1));
    if (message.version != "HTTP/1.1" && message.version != "HTTP/1.0") return Result::Malformed;
    if (!parseHeaders(view.substr(eol + 2), message)) return Result::Malformed;
    return readBody(message, false);
}

HttpReader::Result HttpReader::readResponse(HttpMessage& message) {
    message = HttpMessage();
    std::string head;
    Result r = readHead(head);
    if (r != Result::Ok) return r;
    std::string_view view(head);
    std::size_t eol = view.find("\r\n");
    std::string_view line = view.substr(0, eol);
    if (line.size() < 12 || line.substr(0, 5) != "HTTP/" || line[8] != ' ') return Result::Malformed;
    message.version = std::string(line.substr(0, 8));
    int status = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (line[i] < '0' || line[i] > '9') return Result::Malformed;
        status = status * 10 + (line[i] - '0');
    }
    message.status = status;
    message.reason = std::string(trim(line.substr(12)));
    if (!parseHeaders(view.substr(eol + 2), message)) return Result::Malformed;
    return readBody(message, true);
}
