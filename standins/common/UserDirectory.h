#pragma once
// The users known to the security and server stand-ins.
//
// A users file has one user per line, "name:password": the name runs to the first ':', the
// password is the rest of the line (it may hold ':' and blanks; a trailing CR is dropped).
// Blank lines and lines starting with '#' are skipped. Names are 1 to 64 bytes without
// control characters. A later line for the same name replaces the earlier one.
//
// The built-in default user DefaultUser / DefaultPassword is always known, so the demo works
// without any file; a file line for that name changes its password.
#include <map>
#include <optional>
#include <string>

class UserDirectory {
public:
    static constexpr const char* DefaultUser = "demo";
    static constexpr const char* DefaultPassword = "demo";
    static constexpr std::size_t MaxFileSize = 1024 * 1024;

    UserDirectory();

    // Adds the users of the file; on failure returns false with a message in error and adds
    // nothing.
    bool loadFile(const std::string& path, std::string& error);
    // Adds the users of a text in the file's format.
    bool loadText(const std::string& text, std::string& error);

    bool contains(const std::string& name) const { return passwords_.count(name) != 0; }
    bool checkPassword(const std::string& name, const std::string& password) const;
    std::size_t size() const { return passwords_.size(); }

private:
    std::map<std::string, std::string> passwords_;
};
