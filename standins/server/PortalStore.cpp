#include "standins/server/PortalStore.h"

#include <algorithm>
#include <utility>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "standins/server/XmlText.h"

namespace {

const char* const RestrictedRoot = "/Executive";
const char* const RestrictedWriter = "admin";

struct SeedArea {
    const char* name;
    std::vector<const char*> parts;
    std::vector<const char*> periods;
};

std::string childText(const CXMLElement& element, const char* name) {
    const CXMLElement* child = element.FindChild(name);
    return child ? child->GetValue() : std::string();
}

std::uint64_t attributeNumber(const CXMLElement& element, const char* name) {
    const CXMLAttribute* a = element.FindAttribute(name);
    if (!a) return 1;
    std::uint64_t v = 0;
    for (char c : a->GetValue()) {
        if (c < '0' || c > '9' || v > 1000000000000ull) return 1;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return v ? v : 1;
}

std::string describePath(const std::vector<std::string>& parts) {
    std::string text = "Reports of " + parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i) text += (i == 1 ? ": " : ", ") + parts[i];
    return text + ". Published to this NewsBox from the report server.";
}

}  // namespace

void appendNewsItem(std::string& out, const NewsItem& item, NewsItemForm form) {
    // The stored form keeps the field order portal.xml has always had (load looks fields up
    // by name, but the file stays byte for byte what it was) and adds the Owner.
    const bool stored = form == NewsItemForm::Stored;
    out += "<NewsItem>";
    appendElement(out, "Id", item.id);
    appendElement(out, "Name", item.name);
    if (!stored) appendElement(out, "Description", item.description);
    appendElement(out, "ParentId", item.parentId);
    appendElement(out, "ProviderType", item.providerType);
    if (stored) appendElement(out, "Description", item.description);
    appendElement(out, "BIGateway", item.biGateway);
    appendElement(out, "ContentName", item.contentName);
    appendElement(out, "DefaultAction", item.defaultAction);
    if (stored) appendElement(out, "Owner", item.owner);
    for (const NewsAction& a : item.actions) {
        out += "<Action>";
        appendElement(out, "Name", a.name);
        appendElement(out, "Label", a.label);
        appendElement(out, "URL", a.url);
        out += "</Action>";
    }
    out += "</NewsItem>";
}

bool PortalStore::open(const DataFolder& folder, std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    folder_ = &folder;
    std::string text;
    if (folder.readFile(FileName, text, error)) return load(text, error);
    if (!error.empty()) return false;
    seed();
    std::string message;
    if (!save(message)) {
        error = message;
        return false;
    }
    return true;
}

void PortalStore::seed() {
    const std::vector<SeedArea> areas = {
        {"Sales", {"Europe", "America", "Asia", "Africa", "Oceania"}, {"Monthly", "Quarterly", "Annual"}},
        {"Finance", {"Monthly", "Quarterly", "Annual", "Budgets", "Audit", "Tax"}, {}},
        {"Operations", {"Logistics", "Manufacturing", "Quality", "Purchasing", "Facilities"}, {"Monthly", "Quarterly"}},
        {"Human Resources", {"Recruiting", "Training", "Payroll"}, {}},
        {"Marketing", {"Campaigns", "Web", "Events", "Research"}, {}},
        {"Executive", {"Board", "Strategy"}, {}},
    };
    auto add = [this](const std::vector<std::string>& parts) {
        NewsBox box;
        box.id = "NB" + std::to_string(nextBox_++);
        for (const std::string& p : parts) box.fullName += "/" + p;
        box.description = describePath(parts);
        if (box.fullName.rfind(RestrictedRoot, 0) == 0) box.writers = {RestrictedWriter};
        boxes_.push_back(std::move(box));
    };
    for (const SeedArea& area : areas) {
        add({area.name});
        for (const char* part : area.parts) {
            add({area.name, part});
            for (const char* period : area.periods) add({area.name, part, period});
        }
    }
}

bool PortalStore::load(const std::string& text, std::string& error) {
    CXMLDocument document;
    document.SetFlags(XML_MERGE_TEXT | XML_FRAGMENT);
    CXMLMemorySource source;
    source.SetText(text + "\n");
    if (!document.Parse(source) || !document.GetRoot() || document.GetRoot()->GetName() != "Portal") {
        error = std::string(FileName) + " cannot be read: " +
                (document.HasError() ? document.GetErrorMessage() : std::string("no Portal element"));
        return false;
    }
    const CXMLElement& root = *document.GetRoot();
    nextBox_ = attributeNumber(root, "NextBox");
    nextItem_ = attributeNumber(root, "NextItem");
    for (const CXMLElement* e = root.GetFirstChild(); e; e = e->GetNextSibling()) {
        if (e->GetName() == "NewsBox") {
            NewsBox box;
            box.id = childText(*e, "Id");
            box.fullName = childText(*e, "FullName");
            box.description = childText(*e, "Description");
            for (const CXMLElement* w = e->FindChild("Writer"); w; w = w->FindNextSibling("Writer"))
                box.writers.push_back(w->GetValue());
            boxes_.push_back(std::move(box));
        } else if (e->GetName() == "NewsItem") {
            NewsItem item;
            item.id = childText(*e, "Id");
            item.name = childText(*e, "Name");
            item.parentId = childText(*e, "ParentId");
            item.providerType = childText(*e, "ProviderType");
            item.description = childText(*e, "Description");
            item.biGateway = childText(*e, "BIGateway");
            item.contentName = childText(*e, "ContentName");
            item.defaultAction = childText(*e, "DefaultAction");
            item.owner = childText(*e, "Owner");
            for (const CXMLElement* a = e->FindChild("Action"); a; a = a->FindNextSibling("Action"))
                item.actions.push_back({childText(*a, "Name"), childText(*a, "Label"), childText(*a, "URL")});
            items_.push_back(std::move(item));
        }
    }
    return true;
}

std::string PortalStore::serialise() const {
    std::string out = "<Portal NextBox=\"" + std::to_string(nextBox_) + "\" NextItem=\"" +
                      std::to_string(nextItem_) + "\">\n";
    for (const NewsBox& box : boxes_) {
        out += "<NewsBox>";
        appendElement(out, "Id", box.id);
        appendElement(out, "FullName", box.fullName);
        appendElement(out, "Description", box.description);
        for (const std::string& w : box.writers) appendElement(out, "Writer", w);
        out += "</NewsBox>\n";
    }
    for (const NewsItem& item : items_) {
        appendNewsItem(out, item, NewsItemForm::Stored);
        out += "\n";
    }
    out += "</Portal>\n";
    return out;
}

bool PortalStore::save(std::string& message) {
    std::string error;
    if (folder_->writeFile(FileName, serialise(), error)) return true;
    message = "The portal could not store the change: " + error;
    return false;
}

std::vector<NewsBox> PortalStore::boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

std::vector<NewsItem> PortalStore::items() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
}

bool PortalStore::canWrite(const NewsBox& box, const std::string& user) {
    return box.writers.empty() || std::find(box.writers.begin(), box.writers.end(), user) != box.writers.end();
}

const NewsBox* PortalStore::findBox(const std::string& id) const {
    for (const NewsBox& box : boxes_)
        if (box.id == id) return &box;
    return nullptr;
}

NewsItem* PortalStore::findItem(const std::string& id) {
    for (NewsItem& item : items_)
        if (item.id == id) return &item;
    return nullptr;
}

PortalStore::Status PortalStore::checkWritable(const std::string& user, const std::string& boxId,
                                               std::string& message) const {
    const NewsBox* box = findBox(boxId);
    if (!box) {
        message = "No NewsBox has the Id \"" + boxId + "\".";
        return Status::NotFound;
    }
    if (!canWrite(*box, user)) {
        message = "User \"" + user + "\" may not publish to the NewsBox " + box->fullName + ".";
        return Status::AccessDenied;
    }
    return Status::Ok;
}

PortalStore::Status PortalStore::create(const std::string& user, NewsItem& item, std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    Status s = checkWritable(user, item.parentId, message);
    if (s != Status::Ok) return s;
    item.id = "NI" + std::to_string(nextItem_++);
    item.owner = user;
    items_.push_back(item);
    if (!save(message)) {
        items_.pop_back();
        return Status::StorageFailed;
    }
    return Status::Ok;
}

PortalStore::Status PortalStore::update(const std::string& user, const std::string& id,
                                        const std::function<void(NewsItem&)>& change, std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    NewsItem* item = findItem(id);
    if (!item) {
        message = "No NewsItem has the Id \"" + id + "\".";
        return Status::NotFound;
    }
    Status s = checkWritable(user, item->parentId, message);
    if (s != Status::Ok) return s;
    NewsItem before = *item;
    change(*item);
    if (!save(message)) {
        *findItem(id) = std::move(before);
        return Status::StorageFailed;
    }
    return Status::Ok;
}

PortalStore::Status PortalStore::describe(const std::string& id, NewsItem& item, std::string& message) const {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const NewsItem& candidate : items_)
        if (candidate.id == id) {
            item = candidate;
            return Status::Ok;
        }
    message = "No NewsItem has the Id \"" + id + "\".";
    return Status::NotFound;
}

PortalStore::Status PortalStore::remove(const std::string& user, const std::string& id, std::string& message) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(items_.begin(), items_.end(), [&](const NewsItem& i) { return i.id == id; });
    if (it == items_.end()) {
        message = "No NewsItem has the Id \"" + id + "\".";
        return Status::NotFound;
    }
    Status s = checkWritable(user, it->parentId, message);
    if (s != Status::Ok) return s;
    NewsItem removed = *it;
    std::size_t index = static_cast<std::size_t>(it - items_.begin());
    items_.erase(it);
    if (!save(message)) {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), std::move(removed));
        return Status::StorageFailed;
    }
    return Status::Ok;
}
