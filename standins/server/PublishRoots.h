#pragma once
// The folders whose regular files brindle-server may publish. A report path is resolved
// (symbolic links, "..", ".") before it is checked, and the file that was opened is checked
// again by what the descriptor names, so a link swapped in between does not lead outside.
// Files the server keeps for itself (the users file, the ticket key, the data folder) are
// never published even when they lie in a root.
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "standins/common/UniqueFd.h"

class PublishRoots {
public:
    enum class Verdict { Opened, Outside, Unreadable };

    // The system's temporary folder (TMPDIR, else /tmp), where hosts save their reports.
    static std::string defaultFolder();

    // Resolves the folders; false with a message when one is not an existing folder.
    bool setFolders(const std::vector<std::string>& folders, std::string& error);
    // A file (if it exists) or folder that is never published, whatever the roots say.
    void exclude(const std::string& path);
    const std::vector<std::string>& folders() const { return folders_; }

    // Opens path for reading when it resolves to a regular file inside a root: Opened with the
    // descriptor; Outside when it lies elsewhere (nothing was opened); Unreadable with a
    // message when it is inside but missing, not a regular file or cannot be opened.
    Verdict open(const std::string& path, UniqueFd& fd, std::string& error) const;

    // True when the resolved path is a root or lies below one.
    bool contains(const std::string& resolved) const;

private:
    bool excluded(const std::string& resolved, dev_t device, ino_t inode) const;

    std::vector<std::string> folders_;
    std::vector<std::string> excludedFolders_;
    std::vector<std::pair<dev_t, ino_t>> excludedFiles_;
};
