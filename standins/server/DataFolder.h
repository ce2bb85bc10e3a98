#pragma once
// The server's data folder: the state files and the published report contents.
//
//   DIR/objects.atf     the report server's objects (one tree document)
//   DIR/portal.xml      the portal's NewsBoxes and NewsItems
//   DIR/content/NAME    the stored copy of each published report
//
// Every file is written atomically: the bytes go to a new file beside it, which is then
// renamed over the old one, so a reader (or a server killed at any moment) sees the old file
// or the new one, never a part. Files are flushed to the page cache, not synced to the disk:
// the folder survives the process, not a power cut.
#include <cstddef>
#include <string>

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

private:
    bool writeAtomically(const std::string& target, const std::string& bytes, std::string& error) const;

    std::string path_;
};
