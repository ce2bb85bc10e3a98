#pragma once
// Helpers shared by the fuzz targets: a hard check that reports through the sanitizer runtime
// (so libFuzzer keeps the input), the wire form of a node, and structural comparison of trees
// as the tree format carries them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/AttributeTree.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"

namespace fuzzing {

// Built into the ordinary tests (which replay the corpora and the regression cases through the
// same code), a failed check throws instead, so one test case fails and the others still run.
struct CheckFailed : std::logic_error {
    using std::logic_error::logic_error;
};

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
#ifdef BRINDLE_FUZZ_CHECK_THROWS
    throw CheckFailed(std::string(what) + " at " + file + ":" + std::to_string(line));
#else
    std::fprintf(stderr, "fuzz check failed: %s at %s:%d\n", what, file, line);
    std::abort();
#endif
}

#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) ::fuzzing::fail(#condition, __FILE__, __LINE__); \
    } while (0)

// The document the streamer writes for node.
inline std::vector<unsigned char> wireBytes(AttributeNode& node) {
    CMemoryStream out;
    FastTreeStreamer streamer;
    streamer.writeNode(out, node, "", -1, 0);
    return out.bytes();
}

// Equal as the tree format carries them: names, kinds, values, tags, and for text and integer
// leaves whether isSet is nonzero (the flag travels as 0 or 1). PlainInteger leaves have no wire
// form and are skipped on both sides.
inline bool sameOnWire(const AttributeNode& a, const AttributeNode& b) {
    if (a.kind() != b.kind()) return false;
    const std::string tagA = a.tag() ? a.tag() : "";
    const std::string tagB = b.tag() ? b.tag() : "";
    switch (a.kind()) {
    case NodeKind::Branch: {
        std::vector<std::pair<const std::string*, const AttributeNode*>> ca, cb;
        for (const auto& [name, child] : static_cast<const AttributeTree&>(a).children())
            if (child->kind() != NodeKind::PlainInteger) ca.emplace_back(&name, child.get());
        for (const auto& [name, child] : static_cast<const AttributeTree&>(b).children())
            if (child->kind() != NodeKind::PlainInteger) cb.emplace_back(&name, child.get());
        if (ca.size() != cb.size()) return false;
        for (std::size_t i = 0; i < ca.size(); ++i)
            if (*ca[i].first != *cb[i].first || !sameOnWire(*ca[i].second, *cb[i].second)) return false;
        return true;
    }
    case NodeKind::Text:
        return static_cast<const TextAttribute&>(a).text() == static_cast<const TextAttribute&>(b).text() &&
               (a.isSet() != 0) == (b.isSet() != 0) && tagA == tagB;
    case NodeKind::Integer:
        return static_cast<const IntegerAttribute&>(a).value() == static_cast<const IntegerAttribute&>(b).value() &&
               (a.isSet() != 0) == (b.isSet() != 0) && tagA == tagB;
    case NodeKind::Binary: {
        const auto& ba = static_cast<const BinaryAttribute&>(a);
        const auto& bb = static_cast<const BinaryAttribute&>(b);
        return ba.length() == bb.length() &&
               (ba.length() == 0 || std::memcmp(ba.bytes(), bb.bytes(), ba.length()) == 0);
    }
    case NodeKind::PlainInteger:
        return true;
    }
    return false;
}

// Equal in everything a reader sets: names, kinds, values, and isSet and tag of every node.
inline bool identical(const AttributeNode& a, const AttributeNode& b) {
    if (a.kind() != b.kind() || a.isSet() != b.isSet()) return false;
    if (std::string(a.tag() ? a.tag() : "") != std::string(b.tag() ? b.tag() : "")) return false;
    if (a.kind() != NodeKind::Branch) return sameOnWire(a, b);
    const auto& ca = static_cast<const AttributeTree&>(a).children();
    const auto& cb = static_cast<const AttributeTree&>(b).children();
    if (ca.size() != cb.size()) return false;
    for (auto ia = ca.begin(), ib = cb.begin(); ia != ca.end(); ++ia, ++ib)
        if (ia->first != ib->first || !identical(*ia->second, *ib->second)) return false;
    return true;
}

// Counts the nodes of a tree (bounded walks in the targets use it).
inline std::size_t nodeCount(const AttributeNode& node) {
    if (node.kind() != NodeKind::Branch) return 1;
    std::size_t count = 1;
    for (const auto& entry : static_cast<const AttributeTree&>(node).children()) count += nodeCount(*entry.second);
    return count;
}

}  // namespace fuzzing
