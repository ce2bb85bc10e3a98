// Arbitrary paths and names into the tree's lookups and changes and into the tokenizer. The input
// is a script: each step picks an operation and the paths and values it uses. Besides "no crash"
// the target checks what every caller relies on: a stored value reads back at its path, a
// removed path is gone, lookups agree with each other, the tokenizer splits a path into the
// tokens the tree walks, and the tree still round-trips through the tree format.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/AttributeTreeFiller.h"
#include "common/AttributeTreeMerger.h"
#include "common/Tokenizer.h"
#include "fuzz/targets/ByteScript.h"
#include "fuzz/targets/FuzzSupport.h"

namespace {

constexpr int MaxSteps = 64;
constexpr std::size_t MaxPath = 64;
constexpr std::size_t MaxNodes = 4096;

// A path as callers hand it over: a C string (it ends at the first NUL).
std::string takePath(fuzzing::ByteScript& input) {
    std::string path = input.ConsumeRandomLengthString(MaxPath);
    return path.substr(0, path.find('\0'));
}

std::vector<std::string> pathTokens(const std::string& path) {
    std::vector<std::string> tokens;
    Tokenizer tokenizer(path.c_str(), ".{}");
    while (tokenizer.hasMoreTokens()) tokens.emplace_back(tokenizer.nextToken());
    return tokens;
}

// The tokenizer yields the non-empty runs between delimiters, and nothing after it is done.
void checkTokenizer(const std::string& text, const std::string& delimiters) {
    Tokenizer tokenizer(text.c_str(), delimiters.c_str());
    std::vector<const char*> handedOut;
    std::string joined;
    while (tokenizer.hasMoreTokens()) {
        const char* token = tokenizer.nextToken();
        FUZZ_CHECK(*token != '\0');
        for (const char* c = token; *c; ++c) FUZZ_CHECK(delimiters.find(*c) == std::string::npos);
        handedOut.push_back(token);
        joined += token;
    }
    bool threw = false;
    try {
        tokenizer.nextToken();
    } catch (const NoSuchElementException&) {
        threw = true;
    }
    FUZZ_CHECK(threw);
    std::string expected;
    for (char c : text)
        if (delimiters.find(c) == std::string::npos) expected += c;
    FUZZ_CHECK(joined == expected);
    // Tokens handed out earlier stay valid and unchanged.
    std::string again;
    for (const char* token : handedOut) again += token;
    FUZZ_CHECK(again == joined);
}

// A lookup that throws NodeNotFoundException counts as "nothing there".
const AttributeNode* lookUp(const AttributeTree& tree, const std::string& path) {
    try {
        return tree.find(path.c_str());
    } catch (const NodeNotFoundException&) {
        return nullptr;
    }
}

void checkGetters(const AttributeTree& tree, const std::string& path) {
    const AttributeNode* node = lookUp(tree, path);
    const char* text = tree.findText(path.c_str());
    FUZZ_CHECK((text != nullptr) == (node != nullptr && node->kind() == NodeKind::Text));
    if (text) FUZZ_CHECK(tree.getText(path.c_str()) == static_cast<const TextAttribute*>(node)->text());
    if (node && node->kind() == NodeKind::Integer) {
        const std::int32_t value = static_cast<const IntegerAttribute*>(node)->value();
        FUZZ_CHECK(tree.getInteger(path.c_str()) == value);
        FUZZ_CHECK(tree.getIntegerValue(path.c_str()) == value);
    } else {
        FUZZ_CHECK(tree.getInteger(path.c_str(), 12345) == 12345);
    }
    FUZZ_CHECK(tree.getText(path.c_str(), "fallback") == (text ? std::string(text) : std::string("fallback")));
    try {
        const AttributeTree* branch = tree.getBranch(path.c_str());
        FUZZ_CHECK(node != nullptr);
        FUZZ_CHECK((branch != nullptr) == (node->kind() == NodeKind::Branch));
    } catch (const NodeNotFoundException&) {
        FUZZ_CHECK(node == nullptr);
    }
    if (text) (void)tree.getIntegerValue(path.c_str());
}

std::unique_ptr<AttributeNode> makeNode(fuzzing::ByteScript& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: {
        auto leaf = std::make_unique<TextAttribute>(takePath(input).c_str(), takePath(input).c_str());
        leaf->setIsSet(input.ConsumeIntegral<int>());
        return leaf;
    }
    case 1:
        return std::make_unique<IntegerAttribute>(input.ConsumeIntegral<std::int32_t>(), takePath(input).c_str());
    case 2: {
        const std::string bytes = input.ConsumeRandomLengthString(32);
        return std::make_unique<BinaryAttribute>(static_cast<std::uint32_t>(bytes.size()), bytes.data());
    }
    case 3:
        return std::make_unique<PlainIntegerAttribute>(input.ConsumeIntegral<std::int32_t>());
    default: {
        auto branch = std::make_unique<AttributeTree>();
        const std::string inner = takePath(input);
        branch->setText(pathTokens(inner).empty() ? "inner" : inner.c_str(), "inner");
        return branch;
    }
    }
}

void step(AttributeTree& tree, fuzzing::ByteScript& input) {
    const std::string path = takePath(input);
    const bool hasTokens = !pathTokens(path).empty();
    switch (input.ConsumeIntegralInRange<int>(0, 11)) {
    case 0:
        checkGetters(tree, path);
        break;
    case 1: {
        const std::string value = takePath(input);
        if (!hasTokens) {
            bool refused = false;
            try {
                tree.setText(path.c_str(), value.c_str());
            } catch (const CantAlterShapeException&) {
                refused = true;
            }
            FUZZ_CHECK(refused);
            break;
        }
        tree.setText(path.c_str(), value.c_str());
        FUZZ_CHECK(tree.getText(path.c_str()) == value);
        break;
    }
    case 2: {
        if (!hasTokens) break;
        const auto value = input.ConsumeIntegral<std::int32_t>();
        tree.setInteger(path.c_str(), value);
        FUZZ_CHECK(tree.getInteger(path.c_str()) == value);
        break;
    }
    case 3: {
        // put a node the tree already holds (the copy is taken before anything is replaced).
        const std::string target = takePath(input);
        const AttributeNode* source = lookUp(tree, path);
        if (!source || source->kind() == NodeKind::PlainInteger) break;  // no wire form to compare
        const std::vector<unsigned char> before = fuzzing::wireBytes(*source->clone(1, -1));
        try {
            AttributeNode* stored = tree.put(target.c_str(), source);
            if (stored) FUZZ_CHECK(fuzzing::wireBytes(*stored) == before);
        } catch (const CantAlterShapeException&) {
            FUZZ_CHECK(pathTokens(target).empty());
        }
        break;
    }
    case 4: {
        std::unique_ptr<AttributeNode> node = makeNode(input);
        try {
            tree.put(path.c_str(), node.get());
            if (hasTokens) FUZZ_CHECK(lookUp(tree, path) != nullptr);
        } catch (const CantAlterShapeException&) {
            FUZZ_CHECK(!hasTokens);
        }
        break;
    }
    case 5:
        tree.remove(path.c_str());
        if (hasTokens) FUZZ_CHECK(lookUp(tree, path) == nullptr);
        break;
    case 6: {
        const std::string bytes = input.ConsumeRandomLengthString(64);
        if (!hasTokens) break;
        tree.setBinary(path.c_str(), static_cast<std::uint32_t>(bytes.size()), bytes.data());
        const auto* leaf = static_cast<const BinaryAttribute*>(lookUp(tree, path));
        FUZZ_CHECK(leaf && leaf->kind() == NodeKind::Binary && leaf->length() == bytes.size());
        break;
    }
    case 7:
        if (hasTokens) tree.setPlainInteger(path.c_str(), input.ConsumeIntegral<std::int32_t>());
        break;
    case 8: {
        // adopt takes the name as it is, delimiters included (names never hold a NUL).
        std::string name = input.ConsumeRandomLengthString(MaxPath);
        name = name.substr(0, name.find('\0'));
        tree.adopt(name, makeNode(input));
        break;
    }
    case 9: {
        AttributeTree other;
        other.setText(hasTokens ? path.c_str() : "x", "merged");
        try {
            AttributeTreeMerger merger(tree, 1);
            merger.visit(other, nullptr, -1);
        } catch (const AttributeTreeException&) {
        }
        AttributeTreeFiller filler(tree);
        AttributeTree query = other;
        query.accept(filler, "", -1);
        break;
    }
    case 10: {
        const std::string delimiters = takePath(input);
        checkTokenizer(path, delimiters);
        checkTokenizer(path, ".{}");
        break;
    }
    default: {
        std::unique_ptr<AttributeNode> copy = tree.clone(1, input.ConsumeIntegralInRange<int>(-1, 3));
        FUZZ_CHECK(copy->kind() == NodeKind::Branch);
        (void)tree.sameShape(*copy);
        AttributeTree assigned;
        assigned.assign(tree);
        FUZZ_CHECK(fuzzing::sameOnWire(assigned, tree));
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::ByteScript input(data, size);
    AttributeTree tree;
    tree.setText("data.props.Name", "report");
    tree.setInteger("data.type", 100);
    tree.setText("header.Agent", "Publish");
    for (int i = 0; i < MaxSteps && input.remaining_bytes() > 0; ++i) {
        step(tree, input);
        if (fuzzing::nodeCount(tree) > MaxNodes) break;
    }

    // The tree still round-trips through the tree format.
    const std::vector<unsigned char> bytes = fuzzing::wireBytes(tree);
    CMemoryStream stream(bytes);
    FastTreeStreamer streamer;
    std::unique_ptr<AttributeNode> back = streamer.readTree(stream);
    FUZZ_CHECK(fuzzing::sameOnWire(tree, *back));
    return 0;
}
