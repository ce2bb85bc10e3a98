#pragma once
// Prints attribute trees for people: an indented outline (JsonTree gives them as JSON).
//
// One line per leaf, "NAME = VALUE", then each branch as "NAME" with its contents indented by
// two spaces; leaves come before branches, each group in name order. Texts are quoted with C
// escapes for quotes, backslashes and control bytes; integers are plain; binary leaves show
// their length and up to 32 bytes in hex. A leaf's tag follows as (tag "T"), and with
// showFlags its isSet flag as [set].
#include <iosfwd>
#include <string>

#include "common/AttributeTree.h"

class TreePrinter {
 public:
  explicit TreePrinter(std::ostream& out, bool showFlags = false)
      : out_(out), showFlags_(showFlags) {}

  // The children of tree, the first level at the given indent (in spaces).
  void outline(const AttributeTree& tree, int indent = 0);
  // One leaf as "NAME = VALUE" at the given indent.
  void outlineLeaf(const std::string& name, const AttributeNode& leaf, int indent);

  // "TEXT" with C escapes.
  static std::string quoted(const std::string& text);
  static std::string base64(const unsigned char* bytes, std::size_t count);

  // Visits the children of tree in the order of the wire: leaves first, then branches, each
  // group in name order.
  template <typename Visit>
  static void forEachChild(const AttributeTree& tree, Visit visit) {
    for (const auto& [name, node] : tree.children())
      if (node->kind() != NodeKind::Branch) visit(name, *node);
    for (const auto& [name, node] : tree.children())
      if (node->kind() == NodeKind::Branch) visit(name, *node);
  }

 private:
  std::string leafValue(const AttributeNode& leaf) const;

  std::ostream& out_;
  bool showFlags_;
};
