#pragma once
// Structural equality of attribute trees for tests: same names, kinds, values,
// tags and isSet flags at every level (the root's own flag and tag excluded).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/AttributeTree.h"

// The children of two branches, name by name, each pair compared with compare.
template <typename Compare>
::testing::AssertionResult sameChildren(const AttributeNode& a, const AttributeNode& b, const std::string& at,
                                        Compare compare) {
  const auto& ca = static_cast<const AttributeTree&>(a).children();
  const auto& cb = static_cast<const AttributeTree&>(b).children();
  if (ca.size() != cb.size()) return ::testing::AssertionFailure() << at << ": child counts differ";
  for (auto ia = ca.begin(), ib = cb.begin(); ia != ca.end(); ++ia, ++ib) {
    if (ia->first != ib->first) return ::testing::AssertionFailure() << at << ": names differ";
    auto r = compare(*ia->second, *ib->second, at + "/" + ia->first);
    if (!r) return r;
  }
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult sameNode(const AttributeNode& a, const AttributeNode& b, const std::string& at) {
  if (a.kind() != b.kind()) return ::testing::AssertionFailure() << at << ": kinds differ";
  const std::string tagA = a.tag() ? a.tag() : "", tagB = b.tag() ? b.tag() : "";
  switch (a.kind()) {
    case NodeKind::Branch:
      return sameChildren(a, b, at, sameNode);
    case NodeKind::Text: {
      const auto& ta = static_cast<const TextAttribute&>(a);
      const auto& tb = static_cast<const TextAttribute&>(b);
      if (ta.text() != tb.text() || a.isSet() != b.isSet() || tagA != tagB)
        return ::testing::AssertionFailure() << at << ": text leaves differ";
      return ::testing::AssertionSuccess();
    }
    case NodeKind::Integer: {
      const auto& ia = static_cast<const IntegerAttribute&>(a);
      const auto& ib = static_cast<const IntegerAttribute&>(b);
      if (ia.value() != ib.value() || a.isSet() != b.isSet() || tagA != tagB)
        return ::testing::AssertionFailure() << at << ": integer leaves differ";
      return ::testing::AssertionSuccess();
    }
    case NodeKind::Binary: {
      const auto& ba = static_cast<const BinaryAttribute&>(a);
      const auto& bb = static_cast<const BinaryAttribute&>(b);
      if (ba.length() != bb.length() || (ba.length() && std::memcmp(ba.bytes(), bb.bytes(), ba.length()) != 0))
        return ::testing::AssertionFailure() << at << ": binary leaves differ";
      return ::testing::AssertionSuccess();
    }
    default:
      return ::testing::AssertionFailure() << at << ": unexpected kind";
  }
}

// Equal in every respect a reader sets: sameNode, and isSet and tag of every node, branches and
// binary leaves included, the root's own too.
inline ::testing::AssertionResult identicalNode(const AttributeNode& a, const AttributeNode& b,
                                                const std::string& at = "") {
  const std::string tagA = a.tag() ? a.tag() : "", tagB = b.tag() ? b.tag() : "";
  if (a.kind() != b.kind()) return ::testing::AssertionFailure() << at << ": kinds differ";
  if (a.isSet() != b.isSet() || tagA != tagB)
    return ::testing::AssertionFailure() << at << ": isSet or tag differ";
  if (a.kind() != NodeKind::Branch) return sameNode(a, b, at);
  return sameChildren(a, b, at, [](const AttributeNode& x, const AttributeNode& y, const std::string& where) {
    return identicalNode(x, y, where);
  });
}
