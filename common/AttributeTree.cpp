#include "common/AttributeTree.h"

#include <string_view>

#include "common/AttributeChildrenEditor.h"
#include "common/AttributeTreeVisitor.h"

namespace {

bool isPathDelimiter(char c) { return c == '.' || c == '{' || c == '}'; }

// Splits a path in place into the same tokens a Tokenizer on ".{}" yields, without copying it.
class PathTokens {
public:
    explicit PathTokens(const char* path) : next_(path) {}

    bool next(std::string_view& token) {
        if (next_ == nullptr)
            return false;
        while (*next_ != '\0' && isPathDelimiter(*next_))
            ++next_;
        if (*next_ == '\0')
            return false;
        const char* start = next_;
        while (*next_ != '\0' && !isPathDelimiter(*next_))
            ++next_;
        token = std::string_view(start, static_cast<std::size_t>(next_ - start));
        return true;
    }

private:
    const char* next_;
};

bool isHidden(const std::string& name) { return !name.empty() && name[0] == '~'; }

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

bool isAsciiSpace(unsigned char c) { return c == 0x20 || (c >= 0x09 && c <= 0x0D); }

// Leading white space, one optional sign, digits up to the first non-digit; wraps modulo 2^32.
std::int32_t decimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isAsciiSpace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

int childDepth(int depth) { return depth == -1 ? -1 : depth - 1; }

AttributeTree* asBranch(AttributeNode* node) {
    return node->kind() == NodeKind::Branch ? static_cast<AttributeTree*>(node) : nullptr;
}

}  // namespace

AttributeTree::AttributeTree() : AttributeNode(NodeKind::Branch) {}

AttributeTree::AttributeTree(const AttributeTree& other) : AttributeNode(other) {
    AttributeChildrenEditor children(children_);
    children.reserve(other.children_.size());
    for (const auto& [name, child] : other.children_)
        children.emplaceAt(children.end(), name, child->clone(1, -1));
}

AttributeTree& AttributeTree::operator=(const AttributeTree& other) {
    if (this != &other) {
        AttributeTree copy(other);
        *this = std::move(copy);
    }
    return *this;
}

AttributeTree::AttributeTree(AttributeTree&& other) noexcept
    : AttributeNode(std::move(other)), children_(std::move(other.children_)) {
    AttributeChildrenEditor(other.children_).clear();
}

AttributeTree& AttributeTree::operator=(AttributeTree&& other) noexcept {
    if (this != &other) {
        AttributeNode::operator=(std::move(other));
        children_ = std::move(other.children_);
        AttributeChildrenEditor(other.children_).clear();
    }
    return *this;
}

AttributeTree::~AttributeTree() = default;

int AttributeTree::isLeaf() const { return 0; }

std::unique_ptr<AttributeNode> AttributeTree::clone(int includeHidden, int depth) const {
    auto copy = std::make_unique<AttributeTree>();
    if (depth != -1 && depth <= 0)
        return copy;
    AttributeChildrenEditor copied(copy->children_);
    copied.reserve(children_.size());
    for (const auto& [name, child] : children_) {
        if (!includeHidden && isHidden(name))
            continue;
        copied.emplaceAt(copied.end(), name, child->clone(includeHidden, childDepth(depth)));
    }
    return copy;
}

int AttributeTree::sameShape(const AttributeNode& other) const {
    if (other.kind() != NodeKind::Branch)
        return 0;
    const Children& theirs = static_cast<const AttributeTree&>(other).children_;
    auto mine = children_.begin();
    auto their = theirs.begin();
    for (; mine != children_.end() && their != theirs.end(); ++mine, ++their) {
        if (!equalIgnoringAsciiCase(mine->first, their->first))
            return 0;
        if (!mine->second->sameShape(*their->second))
            return 0;
    }
    return 1;
}

// --- Lookups ------------------------------------------------------------------------------

const AttributeNode* AttributeTree::find(const char* path) const {
    const AttributeNode* current = this;
    PathTokens tokens(path);
    std::string_view token;
    while (tokens.next(token)) {
        if (current->kind() != NodeKind::Branch)
            throw NodeNotFoundException();
        const Children& children = static_cast<const AttributeTree*>(current)->children_;
        auto it = AttributeChildrenEditor::lookup(children, token);
        if (it == children.end())
            throw NodeNotFoundException();
        current = it->second.get();
    }
    return current;
}

AttributeNode* AttributeTree::find(const char* path) {
    return const_cast<AttributeNode*>(static_cast<const AttributeTree*>(this)->find(path));
}

const AttributeTree* AttributeTree::getBranch(const char* path) const {
    const AttributeNode* node = find(path);
    return node->kind() == NodeKind::Branch ? static_cast<const AttributeTree*>(node) : nullptr;
}

AttributeTree* AttributeTree::getBranch(const char* path) {
    return const_cast<AttributeTree*>(static_cast<const AttributeTree*>(this)->getBranch(path));
}

std::int32_t AttributeTree::getInteger(const char* path) const {
    const AttributeNode* node = find(path);
    if (node->kind() != NodeKind::Integer)
        throw NodeNotFoundException();
    return static_cast<const IntegerAttribute*>(node)->value();
}

std::int32_t AttributeTree::getInteger(const char* path, std::int32_t defaultValue) const {
    try {
        return getInteger(path);
    } catch (const NodeNotFoundException&) {
        return defaultValue;
    }
}

std::string AttributeTree::getText(const char* path) const {
    const AttributeNode* node = find(path);
    if (node->kind() != NodeKind::Text)
        throw NodeNotFoundException();
    return static_cast<const TextAttribute*>(node)->text();
}

std::string AttributeTree::getText(const char* path, const char* defaultValue) const {
    try {
        return getText(path);
    } catch (const NodeNotFoundException&) {
        return defaultValue ? defaultValue : "";
    }
}

const char* AttributeTree::findText(const char* path) const {
    try {
        const AttributeNode* node = find(path);
        if (node->kind() != NodeKind::Text)
            return nullptr;
        return static_cast<const TextAttribute*>(node)->text().c_str();
    } catch (const NodeNotFoundException&) {
        return nullptr;
    }
}

std::int32_t AttributeTree::getIntegerValue(const char* path) const {
    const AttributeNode* node = find(path);
    switch (node->kind()) {
    case NodeKind::Integer:
        return static_cast<const IntegerAttribute*>(node)->value();
    case NodeKind::Text:
        return decimalValue(static_cast<const TextAttribute*>(node)->text());
    default:
        throw NodeNotFoundException();
    }
}

// --- Changes ------------------------------------------------------------------------------

AttributeNode* AttributeTree::put(const char* path, const AttributeNode* node) {
    // Copy first: node may lie inside the child that is about to be replaced.
    return putOwned(path, node ? node->clone(1, -1) : nullptr);
}

AttributeNode* AttributeTree::putOwned(const char* path, std::unique_ptr<AttributeNode> node) {
    PathTokens tokens(path);
    std::string_view token;
    if (!tokens.next(token)) {
        if (!node || node->kind() != NodeKind::Branch)
            throw CantAlterShapeException();
        children_ = std::move(static_cast<AttributeTree&>(*node).children_);
        return this;
    }
    AttributeTree* current = this;
    std::string_view following;
    while (tokens.next(following)) {
        current = current->branchOnPath(token);
        token = following;
    }
    AttributeChildrenEditor children(current->children_);
    if (!node) {
        children.erase(token);
        return nullptr;
    }
    return children.insertOrAssign(token, std::move(node));
}

// The child branch of that name, made when there is none and put in place of a leaf.
AttributeTree* AttributeTree::branchOnPath(std::string_view name) {
    AttributeChildrenEditor children(children_);
    const auto it = children.lookup(name);
    if (it == children.end())
        return static_cast<AttributeTree*>(children.insertNew(name, std::make_unique<AttributeTree>()));
    if (it->second->kind() != NodeKind::Branch)
        it->second = std::make_unique<AttributeTree>();
    return static_cast<AttributeTree*>(it->second.get());
}

void AttributeTree::assign(const AttributeTree& other) {
    Children copy;
    AttributeChildrenEditor copied(copy);
    copied.reserve(other.children_.size());
    for (const auto& [name, child] : other.children_)
        copied.emplaceAt(copied.end(), name, child->clone(1, -1));
    children_ = std::move(copy);
}

void AttributeTree::clear() { AttributeChildrenEditor(children_).clear(); }

TextAttribute* AttributeTree::setText(const char* path, const char* text, const char* tag) {
    return static_cast<TextAttribute*>(putOwned(path, std::make_unique<TextAttribute>(text, tag)));
}

IntegerAttribute* AttributeTree::setInteger(const char* path, std::int32_t value, const char* tag) {
    return static_cast<IntegerAttribute*>(putOwned(path, std::make_unique<IntegerAttribute>(value, tag)));
}

void AttributeTree::setBinary(const char* path, std::uint32_t length, const void* bytes) {
    // Copy the bytes before storing: they may lie inside the node being replaced.
    putOwned(path, std::make_unique<BinaryAttribute>(length, bytes));
}

void AttributeTree::setPlainInteger(const char* path, std::int32_t value) {
    putOwned(path, std::make_unique<PlainIntegerAttribute>(value));
}

void AttributeTree::remove(const char* path) {
    PathTokens tokens(path);
    std::string_view token;
    AttributeTree* parent = nullptr;
    AttributeChildrenEditor::iterator reached;
    AttributeNode* current = this;
    while (tokens.next(token)) {
        AttributeTree* branch = asBranch(current);
        if (branch == nullptr)
            return;
        AttributeChildrenEditor children(branch->children_);
        auto it = children.find(token);
        if (it == children.end())
            return;
        parent = branch;
        reached = it;
        current = it->second.get();
    }
    if (parent != nullptr)
        AttributeChildrenEditor(parent->children_).erase(reached);
}

AttributeNode* AttributeTree::adopt(std::string name, std::unique_ptr<AttributeNode> node) {
    AttributeChildrenEditor children(children_);
    if (!node) {
        children.erase(name);
        return nullptr;
    }
    return children.insertOrAssign(std::move(name), std::move(node));
}

std::unique_ptr<AttributeNode> AttributeTree::exchange(std::string_view name, std::unique_ptr<AttributeNode> node) {
    AttributeChildrenEditor children(children_);
    const auto found = children.find(name);
    if (found != children.end()) {
        std::unique_ptr<AttributeNode> previous = std::move(found->second);
        if (node)
            found->second = std::move(node);
        else
            children.erase(found);
        return previous;
    }
    if (node)
        children.insertOrAssign(name, std::move(node));
    return nullptr;
}

void AttributeTree::accept(AttributeTreeVisitor& visitor, const char* name, int depth) {
    if (!visitor.beginNode(name, this))
        return;
    if (depth > 0 || depth == -1) {
        for (auto& [childName, child] : children_) {
            switch (child->kind()) {
            case NodeKind::Text:
                visitor.text(childName.c_str(), static_cast<TextAttribute*>(child.get()));
                break;
            case NodeKind::Integer:
                visitor.integer(childName.c_str(), static_cast<IntegerAttribute*>(child.get()));
                break;
            case NodeKind::Binary:
                visitor.binary(childName.c_str(), static_cast<BinaryAttribute*>(child.get()));
                break;
            default:
                break;
            }
        }
        for (auto& [childName, child] : children_)
            if (child->kind() == NodeKind::Branch)
                static_cast<AttributeTree*>(child.get())->accept(visitor, childName.c_str(), childDepth(depth));
    }
    visitor.endNode(name, this);
}
