#pragma once
// Prints attribute trees for people (an indented outline) and for scripts (JSON).
//
// Outline: one line per leaf, "NAME = VALUE", then each branch as "NAME" with its contents
// indented by two spaces; leaves come before branches, each group in name order. Texts are
// quoted with C escapes for quotes, backslashes and control bytes; integers are plain; binary
// leaves show their length and up to 32 bytes in hex. A leaf's tag follows as (tag "T"), and
// with showFlags its isSet flag as [set].
//
// JSON: a branch is an object, a text a string, an integer a number, a binary leaf
// {"binary": "BASE64"}. Texts that are not valid UTF-8 have their bytes above 0x7F written as
// \u00XX, so the output is always valid JSON.
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
  // The node as one JSON value, pretty-printed, starting at the given indent; no newline at
  // the end.
  void json(const AttributeNode& node, int indent = 0);

  // "TEXT" with C escapes.
  static std::string quoted(const std::string& text);
  // "TEXT" as a JSON string.
  static std::string jsonString(const std::string& text);
  static std::string base64(const unsigned char* bytes, std::size_t count);

 private:
  std::string leafValue(const AttributeNode& leaf) const;

  std::ostream& out_;
  bool showFlags_;
};
