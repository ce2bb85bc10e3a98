#pragma once
// The binary tree format "ATFormat2": writes an attribute tree to a stream as
// one self-delimiting document and reads one back.
//
// A document is the counted string "ATFormat2" followed by either
//   - a branch: BeginBranch(name), the entries of its contents, EndBranch, EndOfTree; or
//   - a single leaf entry with an empty name (no EndOfTree).
// Entries (u16 code, then the fields; numbers big-endian, names and texts
// counted strings):
//   1 BeginBranch  name
//   2 EndBranch    name (always written empty)
//   3 IntegerEntry name, value i32, flag u16, tag
//   4 TextEntry    name, text, flag u16, tag
//   5 BinaryEntry  name, length u32, the bytes
//   6 EndOfTree
// Within a branch the leaves come first, then the sub-branches, each group in
// name order (the order of AttributeTree::accept, which drives the writer).
// The flag is 1 when the leaf's isSet is nonzero; in selective mode text and
// integer leaves whose isSet is 0 are left out. PlainInteger leaves have no
// form and are never written.
//
// Writing makes one stream write per field, so write to a CMemoryStream and
// hand the result to a socket in one write (BRMessage::send does).
//
// Reading builds the tree with an explicit stack of open branches and takes
// nothing on trust. Every failure is a CBRWebIOStreamException with code 1074
// and systemError 0 from "common\FastTreeStreamer", at these lines:
//   LineUnknownRootCode (146)  the document's first entry is not 1, 3, 4 or 5
//   LineUnknownEntryCode (212) an unknown code inside a branch; an EndBranch
//                              with no open branch; a branch nested deeper
//                              than MaxDepth; more than MaxEntries entries
//   CInputStream::LineLengthTooLarge  a string or binary length above 64 MiB
// A partly read tree is discarded. Stream failures pass out unchanged.

#include <cstdint>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/AttributeTree.h"
#include "common/AttributeTreeVisitor.h"
#include "common/CIOStream.h"

enum class WireCode : std::uint16_t {
  BeginBranch = 1,
  EndBranch = 2,
  IntegerEntry = 3,
  TextEntry = 4,
  BinaryEntry = 5,
  EndOfTree = 6,
};

class FastTreeStreamer : public AttributeTreeVisitor {
 public:
  static constexpr const char* FormatTag = "ATFormat2";
  // Most branches a received document may nest, its root included.
  static constexpr int MaxDepth = 1000;
  // Most entries a received document may hold (2^20): a peer that never ends
  // a document is refused instead of being read for ever.
  static constexpr std::size_t MaxEntries = std::size_t{1} << 20;
  static constexpr int LineUnknownRootCode = 146;
  static constexpr int LineUnknownEntryCode = 212;
  // writeNode was handed a node that has no document form (PlainInteger).
  static constexpr int LineNoWireForm = 296;

  FastTreeStreamer() = default;
  ~FastTreeStreamer() override;

  // A branch document of tree, under name, to depth levels (-1 all).
  void writeTree(CIOStream& stream, AttributeTree& tree, const char* name, int depth, int selective);
  // The document that suits node's kind: a branch document for a branch, else
  // a leaf document. A leaf document always carries its entry, also in
  // selective mode (a document without its entry would leave the reader out
  // of step). A PlainInteger node raises the 1074 failure (LineNoWireForm)
  // before anything is written.
  void writeNode(CIOStream& stream, AttributeNode& node, const char* name, int depth, int selective);
  // Reads exactly one document; the caller owns the result.
  std::unique_ptr<AttributeNode> readTree(CInputStream& stream);

  // The writer's visitor events; each returns 1. Driven by accept during
  // writeTree, after the stream and the selective flag are set.
  int beginNode(const char* name, AttributeTree* branch) override;
  int endNode(const char* name, AttributeTree* branch) override;
  int text(const char* name, TextAttribute* leaf) override;
  int integer(const char* name, IntegerAttribute* leaf) override;
  int binary(const char* name, BinaryAttribute* leaf) override;

 private:
  void writeCode(WireCode code);
  void writeName(const char* name);
  void writeIntegerEntry(const char* name, const IntegerAttribute& leaf);
  void writeTextEntry(const char* name, const TextAttribute& leaf);
  void writeBinaryEntry(const char* name, const BinaryAttribute& leaf);
  bool skipped(const AttributeNode& leaf) const { return selective_ != 0 && leaf.isSet() == 0; }

  void readBranchContents(CInputStream& stream, AttributeTree& root);
  std::unique_ptr<AttributeNode> readLeaf(CInputStream& stream, std::uint16_t code);

  // A branch being read: where its entries start in pending_, how deep it lies, and whether
  // the names appended to it so far are ascending.
  struct OpenBranch {
    AttributeTree* branch;
    std::size_t firstPending;
    int depth;
    bool ordered;
  };
  std::unique_ptr<AttributeNode>& appendPending(CInputStream& stream, OpenBranch& open);
  void completeBranch(OpenBranch& open);

  CIOStream* stream_ = nullptr;
  int selective_ = 0;
  // Reused for the names that are not kept and for every tag read.
  std::string name_;
  std::string tag_;
  // Reused by every read: the entries of the branches still open, innermost last, and the
  // stack of open branches.
  std::vector<AttributeChildren::value_type> pending_;
  std::vector<OpenBranch> openBranches_;
};
