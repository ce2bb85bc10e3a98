#pragma once
// The users known to the security and server stand-ins.
//
// A users file has one user per line, "name:password": the name runs to the first ':', the
// password is the rest of the line (it may hold ':' and blanks; a trailing CR is dropped).
// Blank lines and lines starting with '#' are skipped. Names are 1 to 64 bytes without
// control characters. A later line for the same name replaces the earlier one.
//
// Without a file only the built-in default user DefaultUser / DefaultPassword is known, so the
// demo works without one; a file replaces it: then only the file's users are known.
#include <map>
#include <optional>
#include <string>

class UserDirectory {
public:
    static constexpr const char* DefaultUser = "demo";
    static constexpr const char* DefaultPassword = "demo";
    static constexpr std::size_t MaxFileSize = 1024 * 1024;

    UserDirectory();

    // The users of the file replace those known; on failure returns false with a message in
    // error and changes nothing.
    bool loadFile(const std::string& path, std::string& error);
    // The same with a text in the file's format.
    bool loadText(const std::string& text, std::string& error);

    bool contains(const std::string& name) const { return passwords_.count(name) != 0; }
    bool checkPassword(const std::string& name, const std::string& password) const;
    std::size_t size() const { return passwords_.size(); }

private:
    std::map<std::string, std::string> passwords_;
};
