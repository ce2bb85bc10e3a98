#pragma once
// The server's data folder: the state files and the published report contents.
//
//   DIR/objects.atf     the report server's objects (one tree document)
//   DIR/portal.xml      the portal's NewsBoxes and NewsItems
//   DIR/content/NAME    the stored copy of each published report
//
// Every file is written atomically: the bytes go to a new file beside it, which is flushed to
// the disk and then renamed over the old one, and the folder is flushed too; so a reader (or a
// server killed at any moment, or a power cut) sees the old file or the new one, never a part,
// and a write that returned is on the disk. What a server stopped mid-write leaves behind (a
// new file never renamed, a content nothing refers to yet) is removed at the next start.
#include <cstddef>
#include <set>
#include <string>
#include <vector>

class DataFolder {
public:
    static constexpr std::size_t MaxStateFile = 256 * 1024 * 1024;

    // Creates the folder (and its content folder) when missing; false with a message on failure.
    bool open(const std::string& path, std::string& error);
    const std::string& path() const { return path_; }

    bool writeFile(const std::string& name, const std::string& bytes, std::string& error) const;
    // False when the file does not exist (error empty) or cannot be read (error set).
    bool readFile(const std::string& name, std::string& bytes, std::string& error,
                  std::size_t maxSize = MaxStateFile) const;

    // Content names are letters, digits, '-' and '_' only (1 to 64 of them), so they never
    // leave the content folder.
    static bool validContentName(const std::string& name);
    bool writeContent(const std::string& name, const std::string& bytes, std::string& error) const;
    bool readContent(const std::string& name, std::string& bytes, std::string& error) const;
    bool hasContent(const std::string& name) const;

    // Reads any file given by its path (a report to publish), at most maxSize bytes.
    static bool readAnyFile(const std::string& path, std::string& bytes, std::string& error, std::size_t maxSize);
    // The same from a descriptor already open (path names it in messages).
    static bool readDescriptor(int fd, const std::string& path, std::string& bytes, std::string& error,
                               std::size_t maxSize);

    // Removes the temporary files of writes that never finished and the content files whose
    // names are not in referencedContent; returns the paths removed.
    std::vector<std::string> removeLeftovers(const std::set<std::string>& referencedContent) const;

private:
    static bool syncFolder(const std::string& folder, std::string& error);
    bool writeAtomically(const std::string& target, const std::string& bytes, std::string& error) const;

    std::string path_;
};
