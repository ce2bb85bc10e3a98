#pragma once
// Attribute trees and the tool's results as JSON, through nlohmann/json.
//
// A branch is an object whose members come in the order of the wire (leaves first, then
// branches, each group in name order), a text a string, an integer a number, a binary leaf
// {"binary": "BASE64"}. A text that is not valid UTF-8 is read byte by byte as the code points
// U+0000 to U+00FF, so the output is always valid JSON and no byte is lost.
#include <iosfwd>
#include <string>

#include <nlohmann/json.hpp>

#include "common/AttributeTree.h"

using Json = nlohmann::ordered_json;

class JsonTree {
 public:
  static Json of(const AttributeNode& node);
  // The text as a JSON string's content (valid UTF-8).
  static std::string text(const std::string& bytes);
  // A decimal text (as a port arrives) as a number; any other text stays a text, so the
  // output stays valid JSON whatever a server sends.
  static Json numberOrText(const std::string& digits);
  // The value indented by two spaces, and a newline.
  static void print(std::ostream& out, const Json& value);
};
