#pragma once
// The portal's NewsBoxes and NewsItems, kept in DIR/portal.xml (read with our XML reader).
// NewsBoxes are seeded on the first start; "/Executive" and the boxes below it may be written
// only by the user "admin", every other box by everybody. All operations are thread-safe.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "standins/server/DataFolder.h"

struct NewsBox {
    std::string id;
    std::string fullName;  // "/"-separated path
    std::string description;
    std::vector<std::string> writers;  // empty: everybody may write
};

struct NewsAction {
    std::string name;
    std::string label;
    std::string url;
};

struct NewsItem {
    std::string id;
    std::string name;
    std::string parentId;
    std::string providerType;
    std::string description;
    std::string biGateway;
    std::string contentName;
    std::string defaultAction;
    std::vector<NewsAction> actions;
    std::string owner;
};

// <NewsItem>...</NewsItem>: as the portal answers it (Reply), or as portal.xml keeps it
// (Stored: a different field order, and the Owner).
enum class NewsItemForm { Reply, Stored };
void appendNewsItem(std::string& out, const NewsItem& item, NewsItemForm form);

class PortalStore {
public:
    enum class Status { Ok, NotFound, AccessDenied, StorageFailed };

    // Loads DIR/portal.xml, or seeds the NewsBoxes when it does not exist.
    bool open(const DataFolder& folder, std::string& error);

    std::vector<NewsBox> boxes() const;
    std::vector<NewsItem> items() const;
    static bool canWrite(const NewsBox& box, const std::string& user);

    // The new item's Id in item.id; NotFound for an unknown ParentId, AccessDenied when user
    // may not write to that box.
    Status create(const std::string& user, NewsItem& item, std::string& message);
    // Runs change on the item under the store's lock and saves it.
    Status update(const std::string& user, const std::string& id, const std::function<void(NewsItem&)>& change,
                  std::string& message);
    Status describe(const std::string& id, NewsItem& item, std::string& message) const;
    Status remove(const std::string& user, const std::string& id, std::string& message);

private:
    void seed();
    bool load(const std::string& text, std::string& error);
    std::string serialise() const;
    bool save(std::string& message);
    const NewsBox* findBox(const std::string& id) const;
    NewsItem* findItem(const std::string& id);
    Status checkWritable(const std::string& user, const std::string& boxId, std::string& message) const;

    static constexpr const char* FileName = "portal.xml";

    mutable std::mutex mutex_;
    const DataFolder* folder_ = nullptr;
    std::vector<NewsBox> boxes_;
    std::vector<NewsItem> items_;
    std::uint64_t nextBox_ = 1;
    std::uint64_t nextItem_ = 1;
};
