#pragma once
// The report server's objects: a hierarchy rooted at "/" of folders and reports, each with a
// property tree and a revision, kept in DIR/objects.atf (one tree document of our own format).
//
// Paths: "/" is the root; "/Sales/Q1" names "Q1" in the folder "Sales" (a missing leading "/"
// is added, a trailing one dropped). A name is 1 to 255 bytes without '/', '.', '{', '}' or
// control characters, so that it can be looked up by a tree path under "Content". An object
// is a folder when its "Class" is "Folder" (ASCII case ignored). Every object has the texts
// "Name", "Class", "Description", "LocalSource", "Mirrors", "Lumora_URL" and "Path" (made empty
// when not given; "Path" starts as the object's own path).
//
// A description (getObject) is the properties with every leaf's isSet 0, the text "Revision",
// and, unless depth is 0, the branch "Content" holding each child's description (one level
// less deep; depth -1 is unlimited); with thumbnail 1 a report with stored content also carries
// a binary "Thumbnail" (the first bytes of the content). setObject merges the leaves it is sent
// into the properties ("Revision", "Content" and "Thumbnail" at the top are computed and not
// stored), and every change of an object raises its revision by one.
//
// All operations are thread-safe; every change is saved before it is answered.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "common/AttributeTree.h"
#include "standins/server/DataFolder.h"
#include "standins/server/ServerErrors.h"

class ObjectStore {
public:
    static constexpr std::size_t MaxDepth = 64;
    static constexpr std::uint32_t ThumbnailBytes = 256;

    struct Result {
        std::int32_t code = ErrorNone;
        std::string message;
        bool ok() const { return code == ErrorNone; }
    };

    // Loads DIR/objects.atf or seeds the root and "/Published"; then stores the portal's
    // address in the root's "FLD.Publish.Lumora_url" and "FLD.Publish.Lumora_port".
    bool open(const DataFolder& folder, const std::string& portalUrl, std::int32_t portalPort, std::string& error);

    Result get(const std::string& path, int depth, int thumbnail, AttributeTree& description);
    Result set(const std::string& path, const std::string& revision, const AttributeTree& value);
    Result create(const std::string& path, const AttributeTree& properties);
    Result remove(const std::string& path, bool recurse);
    Result move(const std::string& path, const std::string& newName);
    Result copy(const std::string& path, const std::string& newName);
    // 1 enable, 2 disable, 3 kill: "Status" becomes "Enabled", "Disabled" or "Killed".
    Result command(const std::string& path, const std::string& revision, std::int32_t command);
    // Marks the object and every report below it as published now; count of reports marked.
    Result bulkPublish(const std::string& path, std::int32_t& count);

    // The contents the objects refer to: their "ContentName" and the content "E" of their
    // "Lumora_URL".
    std::set<std::string> referencedContents();

    // A content name not used before (R1, R2, ...).
    std::string newContentName(const DataFolder& folder);
    // Records a published report as the object "/Published/CONTENT", made or updated.
    Result recordPublication(const std::string& content, const std::string& name, const std::string& description,
                             const std::string& source, const std::string& url, const std::string& reportBytes);

    // Normalised path parts; false with a message when the path is not valid.
    static bool splitPath(const std::string& path, std::vector<std::string>& parts, std::string& message);

private:
    struct Node {
        AttributeTree properties;
        std::uint32_t revision = 1;
        std::string thumbnail;  // first bytes of the published content, for "Thumbnail"
        std::map<std::string, std::unique_ptr<Node>> children;
        bool isFolder() const;
    };

    Node* find(const std::vector<std::string>& parts);
    Result locate(const std::string& path, Node*& node, std::vector<std::string>& parts);
    // locate, and a stale-revision error unless revision is the object's current one.
    Result locateAtRevision(const std::string& path, const std::string& revision, Node*& node,
                            std::vector<std::string>& parts);
    // Where move and copy put an object: the object and its path, and the free place newName names.
    struct Placement {
        Node* node = nullptr;
        std::vector<std::string> source;
        Node* parent = nullptr;
        std::string name;
        std::vector<std::string> target;
    };

    Result place(const std::string& path, const std::string& newName, const char* action, Placement& placement);
    Result targetOf(const std::vector<std::string>& source, const std::string& newName, Node*& parent,
                    std::string& name, std::vector<std::string>& target);
    // The folder that would hold the object at target (not the root), when no object is there yet.
    Result findFreePlace(const std::vector<std::string>& target, Node*& parent);
    // An object's "Path" follows it from one place to another when it still names where it was.
    static void followPath(Node& node, const std::vector<std::string>& from, const std::vector<std::string>& to);
    void describe(const Node& node, int depth, int thumbnail, AttributeTree& out) const;
    Result save();

    static std::unique_ptr<Node> copyNode(const Node& node);
    static void fillDefaults(Node& node, const std::string& path);
    static std::string joinPath(const std::vector<std::string>& parts);
    static std::unique_ptr<AttributeTree> serialiseNode(const Node& node);
    static std::unique_ptr<Node> parseNode(const AttributeTree& tree, std::size_t depth, std::string& error);

    static constexpr const char* FileName = "objects.atf";

    std::mutex mutex_;
    const DataFolder* folder_ = nullptr;
    std::unique_ptr<Node> root_;
    std::uint32_t nextContent_ = 1;
};
