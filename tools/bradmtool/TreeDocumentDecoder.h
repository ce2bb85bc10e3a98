#pragma once
// Reads a byte sequence of tree documents ("ATFormat2", as they travel between libbradm.so and
// the report server), for looking at captured traffic. A leading connection preamble
// (00 00 00 09) is recognised and skipped.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/AttributeNode.h"

class TreeDocumentDecoder {
 public:
  struct Document {
    std::size_t offset;                   // of its first byte in the input
    std::unique_ptr<AttributeNode> node;  // a branch, or the leaf of a leaf document
  };
  struct Result {
    bool preamble = false;
    std::vector<Document> documents;
    // Empty when every byte was read; otherwise why the document at errorOffset failed.
    std::string error;
    std::size_t errorOffset = 0;
  };

  static Result decode(const std::vector<unsigned char>& bytes);
};
