#pragma once
// Property assignments from the command line, as a tree: NAME=VALUE stores a text,
// NAME:=NUMBER a 32-bit integer. Dotted names make branches ("FLD.Publish.Lumora_port:=8020").
// Every stored leaf has isSet 1, so it is written back to the server.
#include <string>
#include <vector>

#include "common/AttributeTree.h"

class PropertyAssignments {
 public:
  // Throws UsageError for an assignment without "=", an empty name or a bad number.
  static AttributeTree parse(const std::vector<std::string>& assignments);
};
