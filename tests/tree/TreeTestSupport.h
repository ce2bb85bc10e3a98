#pragma once
// Small helpers for the tree tests: a readable dump of a node and its subtree.
#include <string>

#include "common/AttributeTree.h"

namespace tree_test {

inline std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

// One line per node: kind, value, isSet and tag; branches list their children in order.
inline std::string describe(const AttributeNode& node) {
    std::string flags = " set=" + std::to_string(node.isSet()) + " tag=" + (node.tag() ? node.tag() : "-");
    switch (node.kind()) {
    case NodeKind::Text:
        return "Text[" + printable(static_cast<const TextAttribute&>(node).text()) + "]" + flags;
    case NodeKind::Integer:
        return "Integer[" + std::to_string(static_cast<const IntegerAttribute&>(node).value()) + "]" + flags;
    case NodeKind::PlainInteger:
        return "Plain[" + std::to_string(static_cast<const PlainIntegerAttribute&>(node).value()) + "]" + flags;
    case NodeKind::Binary: {
        const auto& leaf = static_cast<const BinaryAttribute&>(node);
        std::string bytes(reinterpret_cast<const char*>(leaf.bytes()), leaf.bytes() ? leaf.length() : 0);
        return "Binary[" + printable(bytes) + "]" + flags;
    }
    case NodeKind::Branch: {
        std::string out = "{";
        const char* separator = "";
        for (const auto& [name, child] : static_cast<const AttributeTree&>(node).children()) {
            out += separator + printable(name) + ": " + describe(*child);
            separator = ", ";
        }
        return out + "}" + flags;
    }
    }
    return "?";
}

// The node at path, or "missing".
inline std::string describeAt(const AttributeTree& tree, const char* path) {
    try {
        return describe(*tree.find(path));
    } catch (const NodeNotFoundException&) {
        return "missing";
    }
}

}  // namespace tree_test
