#include "standins/common/UserDirectory.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "standins/common/Ticket.h"

UserDirectory::UserDirectory() { passwords_[DefaultUser] = DefaultPassword; }

bool UserDirectory::loadFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open users file " + path;
        return false;
    }
    std::string text;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > MaxFileSize) {
            error = "users file " + path + " is larger than 1 MiB";
            return false;
        }
    }
    if (!loadText(text, error)) {
        error = "users file " + path + ": " + error;
        return false;
    }
    return true;
}

bool UserDirectory::loadText(const std::string& text, std::string& error) {
    std::map<std::string, std::string> found;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::size_t colon = line.find(':');
        std::string name = line.substr(0, colon);
        bool nameOk = colon != std::string::npos && !name.empty() && name.size() <= Ticket::MaxUserLength;
        for (unsigned char c : name) nameOk = nameOk && c >= 0x20 && c != 0x7f;
        if (!nameOk) {
            error = "line " + std::to_string(number) + " is not \"name:password\" with a name of 1 to 64 characters";
            return false;
        }
        found[name] = line.substr(colon + 1);
    }
    passwords_ = std::move(found);
    return true;
}

bool UserDirectory::checkPassword(const std::string& name, const std::string& password) const {
    auto it = passwords_.find(name);
    return it != passwords_.end() && it->second == password;
}
