#include "standins/server/ObjectStore.h"

#include <ctime>

#include "common/AttributeTreeException.h"
#include "common/CBRWebIOStreamException.h"
#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"
#include "standins/server/PortalService.h"

namespace {

const char* const DefaultTexts[] = {"Name", "Class", "Description", "LocalSource", "Mirrors", "Lumora_URL", "Path"};

bool equalsIgnoreCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

bool computedName(const std::string& name) {
    return name == "Revision" || name == "Content" || name == "Thumbnail";
}

void clearFlags(AttributeTree& tree) {
    for (const auto& child : tree.children()) {
        child.second->setIsSet(0);
        if (child.second->kind() == NodeKind::Branch) clearFlags(static_cast<AttributeTree&>(*child.second));
    }
}

bool holdsLeaves(const AttributeTree& tree) {
    for (const auto& child : tree.children()) {
        if (child.second->kind() != NodeKind::Branch) return true;
        if (holdsLeaves(static_cast<const AttributeTree&>(*child.second))) return true;
    }
    return false;
}

// Stores every leaf of from at the same place in into; branches are made where a leaf needs one.
void mergeLeaves(const AttributeTree& from, AttributeTree& into, bool top) {
    for (const auto& child : from.children()) {
        const std::string& name = child.first;
        if (top && computedName(name)) continue;
        const AttributeNode& node = *child.second;
        if (node.kind() == NodeKind::PlainInteger) continue;
        if (node.kind() != NodeKind::Branch) {
            auto copy = node.clone(1, -1);
            copy->setIsSet(0);
            into.adopt(name, std::move(copy));
            continue;
        }
        const auto& branch = static_cast<const AttributeTree&>(node);
        if (!holdsLeaves(branch)) continue;
        auto existing = into.children().find(name);
        AttributeTree* target = nullptr;
        if (existing != into.children().end() && existing->second->kind() == NodeKind::Branch)
            target = static_cast<AttributeTree*>(existing->second.get());
        else
            target = static_cast<AttributeTree*>(into.adopt(name, std::make_unique<AttributeTree>()));
        mergeLeaves(branch, *target, false);
    }
}

std::string currentTime() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

bool ObjectStore::Node::isFolder() const {
    const char* cls = properties.findText("Class");
    return cls && equalsIgnoreCase(cls, "Folder");
}

bool ObjectStore::splitPath(const std::string& path, std::vector<std::string>& parts, std::string& message) {
    parts.clear();
    std::string text = path;
    if (text.empty() || text[0] != '/') text.insert(text.begin(), '/');
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    std::size_t start = 1;
    while (start < text.size()) {
        std::size_t slash = text.find('/', start);
        std::string name = text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        bool ok = !name.empty() && name.size() <= 255;
        for (unsigned char c : name) ok = ok && c >= 0x20 && c != 0x7f && c != '.' && c != '{' && c != '}';
        if (!ok) {
            message = "\"" + path + "\" is not a valid object path (names are 1 to 255 bytes without '.', '{', '}').";
            return false;
        }
        parts.push_back(std::move(name));
        if (parts.size() > MaxDepth) {
            message = "\"" + path + "\" is nested too deeply.";
            return false;
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return true;
}

std::string ObjectStore::joinPath(const std::vector<std::string>& parts) {
    if (parts.empty()) return "/";
    std::string out;
    for (const std::string& p : parts) out += "/" + p;
    return out;
}

void ObjectStore::fillDefaults(Node& node, const std::string& path) {
    for (const char* name : DefaultTexts)
        if (!node.properties.findText(name)) node.properties.setText(name, name == std::string("Path") ? path.c_str() : "");
    clearFlags(node.properties);
}

ObjectStore::Node* ObjectStore::find(const std::vector<std::string>& parts) {
    Node* node = root_.get();
    for (const std::string& name : parts) {
        auto it = node->children.find(name);
        if (it == node->children.end()) return nullptr;
        node = it->second.get();
    }
    return node;
}

ObjectStore::Result ObjectStore::locate(const std::string& path, Node*& node, std::vector<std::string>& parts) {
    Result r;
    if (!splitPath(path, parts, r.message)) {
        r.code = ErrorBadRequest;
        return r;
    }
    node = find(parts);
    if (!node) r = {ErrorObjectNotFound, "No object at \"" + joinPath(parts) + "\"."};
    return r;
}

bool ObjectStore::open(const DataFolder& folder, const std::string& portalUrl, std::int32_t portalPort,
                       std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    folder_ = &folder;
    std::string bytes;
    if (folder.readFile(FileName, bytes, error)) {
        try {
            CMemoryStream stream(bytes.data(), bytes.size());
            std::unique_ptr<AttributeNode> document = FastTreeStreamer().readTree(stream);
            const AttributeTree* tree = document->kind() == NodeKind::Branch
                                            ? static_cast<const AttributeTree*>(document.get()) : nullptr;
            const AttributeTree* rootTree = tree ? tree->getBranch("root") : nullptr;
            if (!rootTree) throw NodeNotFoundException();
            nextContent_ = static_cast<std::uint32_t>(tree->getInteger("nextContent", 1));
            root_ = parseNode(*rootTree, 0, error);
            if (!root_) return false;
        } catch (const std::exception& e) {
            error = std::string(FileName) + " cannot be read (" + e.what() + ")";
            return false;
        }
    } else {
        if (!error.empty()) return false;
        root_ = std::make_unique<Node>();
        root_->properties.setText("Name", "/");
        root_->properties.setText("Class", "Folder");
        root_->properties.setText("Description", "The report server's root folder.");
        fillDefaults(*root_, "/");
        auto published = std::make_unique<Node>();
        published->properties.setText("Name", "Published");
        published->properties.setText("Class", "Folder");
        published->properties.setText("Description", "Reports published to the portal.");
        fillDefaults(*published, "/Published");
        root_->children["Published"] = std::move(published);
    }
    root_->properties.setText("FLD.Publish.Lumora_url", portalUrl.c_str());
    root_->properties.setInteger("FLD.Publish.Lumora_port", portalPort);
    Result saved = save();
    if (!saved.ok()) error = saved.message;
    return saved.ok();
}

std::unique_ptr<AttributeTree> ObjectStore::serialiseNode(const Node& node) {
    auto tree = std::make_unique<AttributeTree>();
    tree->adopt("properties", node.properties.clone(1, -1));
    tree->adopt("revision", std::make_unique<IntegerAttribute>(static_cast<std::int32_t>(node.revision)));
    if (!node.thumbnail.empty())
        tree->adopt("thumbnail", std::make_unique<BinaryAttribute>(static_cast<std::uint32_t>(node.thumbnail.size()),
                                                                   node.thumbnail.data()));
    auto children = std::make_unique<AttributeTree>();
    for (const auto& child : node.children) children->adopt(child.first, serialiseNode(*child.second));
    tree->adopt("children", std::move(children));
    return tree;
}

std::unique_ptr<ObjectStore::Node> ObjectStore::parseNode(const AttributeTree& tree, std::size_t depth,
                                                          std::string& error) {
    const AttributeTree* properties = nullptr;
    const AttributeTree* children = nullptr;
    auto p = tree.children().find("properties");
    auto c = tree.children().find("children");
    if (p != tree.children().end() && p->second->kind() == NodeKind::Branch)
        properties = static_cast<const AttributeTree*>(p->second.get());
    if (c != tree.children().end() && c->second->kind() == NodeKind::Branch)
        children = static_cast<const AttributeTree*>(c->second.get());
    if (!properties || !children || depth > MaxDepth) {
        error = std::string(FileName) + " holds an object that cannot be read";
        return nullptr;
    }
    auto node = std::make_unique<Node>();
    node->properties.assign(*properties);
    node->revision = static_cast<std::uint32_t>(tree.getInteger("revision", 1));
    auto t = tree.children().find("thumbnail");
    if (t != tree.children().end() && t->second->kind() == NodeKind::Binary) {
        const auto& binary = static_cast<const BinaryAttribute&>(*t->second);
        if (binary.length()) node->thumbnail.assign(reinterpret_cast<const char*>(binary.bytes()), binary.length());
    }
    for (const auto& child : children->children()) {
        if (child.second->kind() != NodeKind::Branch) continue;
        auto parsed = parseNode(static_cast<const AttributeTree&>(*child.second), depth + 1, error);
        if (!parsed) return nullptr;
        node->children[child.first] = std::move(parsed);
    }
    return node;
}

ObjectStore::Result ObjectStore::save() {
    AttributeTree document;
    document.adopt("nextContent", std::make_unique<IntegerAttribute>(static_cast<std::int32_t>(nextContent_)));
    document.adopt("root", serialiseNode(*root_));
    CMemoryStream stream;
    FastTreeStreamer().writeTree(stream, document, "", -1, 0);
    std::string error;
    if (!folder_->writeFile(FileName, stream.str(), error))
        return {ErrorStorageFailed, "The change could not be saved: " + error};
    return {};
}

void ObjectStore::describe(const Node& node, int depth, int thumbnail, AttributeTree& out) const {
    out.assign(node.properties);
    clearFlags(out);
    out.setText("Revision", std::to_string(node.revision).c_str());
    if (thumbnail && !node.thumbnail.empty())
        out.setBinary("Thumbnail", static_cast<std::uint32_t>(node.thumbnail.size()), node.thumbnail.data());
    if (depth == 0) return;
    auto content = std::make_unique<AttributeTree>();
    for (const auto& child : node.children) {
        auto entry = std::make_unique<AttributeTree>();
        describe(*child.second, depth < 0 ? -1 : depth - 1, thumbnail, *entry);
        content->adopt(child.first, std::move(entry));
    }
    out.adopt("Content", std::move(content));
}

ObjectStore::Result ObjectStore::get(const std::string& path, int depth, int thumbnail, AttributeTree& description) {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = nullptr;
    std::vector<std::string> parts;
    Result r = locate(path, node, parts);
    if (r.ok()) describe(*node, depth, thumbnail, description);
    return r;
}

ObjectStore::Result ObjectStore::set(const std::string& path, const std::string& revision, const AttributeTree& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = nullptr;
    std::vector<std::string> parts;
    Result r = locateAtRevision(path, revision, node, parts);
    if (!r.ok()) return r;
    AttributeTree before = node->properties;
    mergeLeaves(value, node->properties, true);
    ++node->revision;
    r = save();
    if (!r.ok()) {
        node->properties = std::move(before);
        --node->revision;
    }
    return r;
}

ObjectStore::Result ObjectStore::create(const std::string& path, const AttributeTree& properties) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> parts;
    Result r;
    if (!splitPath(path, parts, r.message)) return {ErrorBadRequest, r.message};
    if (parts.empty()) return {ErrorAlreadyExists, "The root folder exists."};
    Node* parent = nullptr;
    r = findFreePlace(parts, parent);
    if (!r.ok()) return r;
    const std::string& name = parts.back();
    auto node = std::make_unique<Node>();
    mergeLeaves(properties, node->properties, true);
    fillDefaults(*node, joinPath(parts));
    parent->children[name] = std::move(node);
    r = save();
    if (!r.ok()) parent->children.erase(name);
    return r;
}

ObjectStore::Result ObjectStore::remove(const std::string& path, bool recurse) {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = nullptr;
    std::vector<std::string> parts;
    Result r = locate(path, node, parts);
    if (!r.ok()) return r;
    if (parts.empty()) return {ErrorNotPermitted, "The root folder cannot be removed."};
    if (!recurse && !node->children.empty())
        return {ErrorFolderNotEmpty, "\"" + joinPath(parts) + "\" is not empty."};
    std::string name = parts.back();
    parts.pop_back();
    Node* parent = find(parts);
    std::unique_ptr<Node> removed = std::move(parent->children[name]);
    parent->children.erase(name);
    r = save();
    if (!r.ok()) parent->children[name] = std::move(removed);
    return r;
}

std::unique_ptr<ObjectStore::Node> ObjectStore::copyNode(const Node& node) {
    auto copy = std::make_unique<Node>();
    copy->properties = node.properties;
    copy->thumbnail = node.thumbnail;
    for (const auto& child : node.children) copy->children[child.first] = copyNode(*child.second);
    return copy;
}

ObjectStore::Result ObjectStore::targetOf(const std::vector<std::string>& source, const std::string& newName,
                                          Node*& parent, std::string& name, std::vector<std::string>& target) {
    Result r;
    if (newName.empty()) return {ErrorBadRequest, "No new name given."};
    if (newName[0] == '/') {
        if (!splitPath(newName, target, r.message)) return {ErrorBadRequest, r.message};
    } else {
        if (newName.find('/') != std::string::npos) return {ErrorBadRequest, "A new name without a leading '/' is a plain name."};
        std::vector<std::string> single;
        if (!splitPath(newName, single, r.message)) return {ErrorBadRequest, r.message};
        target.assign(source.begin(), source.end() - 1);
        target.push_back(single.front());
    }
    if (target.empty()) return {ErrorAlreadyExists, "The root folder exists."};
    if (target.size() >= source.size() && std::equal(source.begin(), source.end(), target.begin()))
        return {ErrorNotPermitted, "An object cannot go inside itself."};
    name = target.back();
    return findFreePlace(target, parent);
}

ObjectStore::Result ObjectStore::findFreePlace(const std::vector<std::string>& target, Node*& parent) {
    const std::vector<std::string> parentParts(target.begin(), target.end() - 1);
    parent = find(parentParts);
    if (!parent) return {ErrorObjectNotFound, "No folder at \"" + joinPath(parentParts) + "\"."};
    if (!parent->isFolder()) return {ErrorBadRequest, "\"" + joinPath(parentParts) + "\" is not a folder."};
    if (parent->children.count(target.back()))
        return {ErrorAlreadyExists, "\"" + joinPath(target) + "\" exists already."};
    return {};
}

ObjectStore::Result ObjectStore::locateAtRevision(const std::string& path, const std::string& revision, Node*& node,
                                                  std::vector<std::string>& parts) {
    Result r = locate(path, node, parts);
    if (!r.ok() || revision == std::to_string(node->revision)) return r;
    return {ErrorStaleRevision, "Revision " + revision + " of \"" + joinPath(parts) + "\" is not the current one (" +
                                    std::to_string(node->revision) + ")."};
}

ObjectStore::Result ObjectStore::place(const std::string& path, const std::string& newName, const char* action,
                                       Placement& placement) {
    Result r = locate(path, placement.node, placement.source);
    if (!r.ok()) return r;
    if (placement.source.empty()) return {ErrorNotPermitted, std::string("The root folder cannot be ") + action + "."};
    return targetOf(placement.source, newName, placement.parent, placement.name, placement.target);
}

void ObjectStore::followPath(Node& node, const std::vector<std::string>& from, const std::vector<std::string>& to) {
    const char* oldPath = node.properties.findText("Path");
    if (oldPath && joinPath(from) == oldPath) node.properties.setText("Path", joinPath(to).c_str());
}

ObjectStore::Result ObjectStore::move(const std::string& path, const std::string& newName) {
    std::lock_guard<std::mutex> lock(mutex_);
    Placement p;
    Result r = place(path, newName, "moved", p);
    if (!r.ok()) return r;
    std::vector<std::string> oldParentParts(p.source.begin(), p.source.end() - 1);
    Node* oldParent = find(oldParentParts);
    std::unique_ptr<Node> moved = std::move(oldParent->children[p.source.back()]);
    oldParent->children.erase(p.source.back());
    followPath(*moved, p.source, p.target);
    ++moved->revision;
    p.parent->children[p.name] = std::move(moved);
    r = save();
    if (!r.ok()) {
        oldParent->children[p.source.back()] = std::move(p.parent->children[p.name]);
        p.parent->children.erase(p.name);
    }
    return r;
}

ObjectStore::Result ObjectStore::copy(const std::string& path, const std::string& newName) {
    std::lock_guard<std::mutex> lock(mutex_);
    Placement p;
    Result r = place(path, newName, "copied", p);
    if (!r.ok()) return r;
    auto copied = copyNode(*p.node);
    followPath(*copied, p.source, p.target);
    p.parent->children[p.name] = std::move(copied);
    r = save();
    if (!r.ok()) p.parent->children.erase(p.name);
    return r;
}

ObjectStore::Result ObjectStore::command(const std::string& path, const std::string& revision, std::int32_t command) {
    static const char* const states[] = {nullptr, "Enabled", "Disabled", "Killed"};
    if (command < 1 || command > 3) return {ErrorBadRequest, "Unknown command " + std::to_string(command) + "."};
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = nullptr;
    std::vector<std::string> parts;
    Result r = locateAtRevision(path, revision, node, parts);
    if (!r.ok()) return r;
    std::string before = node->properties.getText("Status", "");
    bool hadStatus = node->properties.findText("Status") != nullptr;
    node->properties.setText("Status", states[command]);
    ++node->revision;
    r = save();
    if (!r.ok()) {
        if (hadStatus) node->properties.setText("Status", before.c_str());
        else node->properties.remove("Status");
        --node->revision;
    }
    return r;
}

ObjectStore::Result ObjectStore::bulkPublish(const std::string& path, std::int32_t& count) {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* node = nullptr;
    std::vector<std::string> parts;
    Result r = locate(path, node, parts);
    if (!r.ok()) return r;
    count = 0;
    std::string now = currentTime();
    std::vector<Node*> pending{node};
    while (!pending.empty()) {
        Node* n = pending.back();
        pending.pop_back();
        if (!n->isFolder()) {
            n->properties.setText("LastPublished", now.c_str());
            ++n->revision;
            ++count;
        }
        for (auto& child : n->children) pending.push_back(child.second.get());
    }
    return save();
}

std::set<std::string> ObjectStore::referencedContents() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::set<std::string> names;
    std::vector<const Node*> pending = {root_.get()};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        if (const char* content = node->properties.findText("ContentName")) names.insert(content);
        if (const char* url = node->properties.findText("Lumora_URL")) {
            auto params = PortalService::queryParameters(url);
            auto e = params.find("E");
            if (e != params.end()) names.insert(e->second);
        }
        for (const auto& child : node->children) pending.push_back(child.second.get());
    }
    return names;
}

std::string ObjectStore::newContentName(const DataFolder& folder) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (;;) {
        std::string name = "R" + std::to_string(nextContent_++);
        if (!folder.hasContent(name)) return name;
    }
}

ObjectStore::Result ObjectStore::recordPublication(const std::string& content, const std::string& name,
                                                   const std::string& description, const std::string& source,
                                                   const std::string& url, const std::string& reportBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    Node* published = find({"Published"});
    if (!published) {
        auto folder = std::make_unique<Node>();
        folder->properties.setText("Name", "Published");
        folder->properties.setText("Class", "Folder");
        fillDefaults(*folder, "/Published");
        published = (root_->children["Published"] = std::move(folder)).get();
    } else if (!published->isFolder()) {
        return {ErrorStorageFailed, "\"/Published\" is not a folder."};
    }
    std::unique_ptr<Node>& slot = published->children[content];
    if (!slot) slot = std::make_unique<Node>();
    else ++slot->revision;
    Node& node = *slot;
    node.properties.setText("Name", name.c_str());
    node.properties.setText("Class", "Report");
    node.properties.setText("Description", description.c_str());
    node.properties.setText("LocalSource", source.c_str());
    node.properties.setText("Lumora_URL", url.c_str());
    node.properties.setText("ContentName", content.c_str());
    node.thumbnail = reportBytes.substr(0, ThumbnailBytes);
    node.properties.setText("LastPublished", currentTime().c_str());
    fillDefaults(node, "/Published/" + content);
    return save();
}
