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
// name order (the order in which AttributeTree::accept visits them).
// The flag is 1 when the leaf's isSet is nonzero; in selective mode text and
// integer leaves whose isSet is 0 are left out. PlainInteger leaves have no
// form and are never written.
//
// Writing puts each entry into the stream's write window, or gives it to the
// stream in one write when the window has no room (a socket has none), so
// write to a CMemoryStream and hand the result to a socket in one write
// (BRMessage::send does).
//
// Reading is one loop over the entries, with an explicit stack of open
// branches, that takes nothing on trust. Each field is decoded where it lies
// in the input's read window (CInputStream::windowData); when a field is not
// whole there the input is asked to fill its window (CInputStream::fill), and
// an input that cannot hold it (no buffer, or too small a one) hands it over
// with readFully. So a socket's receive buffer and an in-memory stream are
// read alike, and the input gives up exactly the bytes of the document.
//
// A reader may be handed an earlier tree to recycle. Each entry's place is
// looked for where the last entry of its group was found (a branch's leaves,
// then its sub-branches, in name order), then by name; else the entry is new
// and joins its branch, sorted once if out of order, when the branch is
// complete; of equal names the later wins, and earlier entries no entry took
// are dropped. Values are overwritten in place, so a connection that reads
// replies of one shape allocates nothing for them; the tree read is the same
// either way. A reply of the earlier shape is the case where every entry is
// found where expected: its text and integer leaves are then decoded in a row,
// each after a single look at the window's length, and no branch changes.
// Every failure is a CBRWebIOStreamException with code 1074
// and systemError 0 from "common\FastTreeStreamer", at these lines:
//   LineUnknownRootCode (146)  the document's first entry is not 1, 3, 4 or 5
//   LineUnknownEntryCode (212) an unknown code inside a branch; an EndBranch
//                              with no open branch; a branch nested deeper
//                              than MaxDepth; more than MaxEntries entries
//   CInputStream::LineLengthTooLarge  a string or binary length above 64 MiB
// The input has then given up the refused entry's code and name (or the
// length field), nothing behind them.
// A partly read tree is discarded. Stream failures pass out unchanged. A long
// text or binary value is read into room that grows as its bytes arrive, so a
// peer that announces a long value and stops costs memory for what it sent.

#include <cstdint>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/AttributeTree.h"
#include "common/CIOStream.h"

enum class WireCode : std::uint16_t {
  BeginBranch = 1,
  EndBranch = 2,
  IntegerEntry = 3,
  TextEntry = 4,
  BinaryEntry = 5,
  EndOfTree = 6,
};

class FastTreeStreamer {
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
  ~FastTreeStreamer();

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
  // The same, recycling the nodes of reuse (which may be null). reuse is
  // consumed whatever happens: what the document has no place for is freed.
  std::unique_ptr<AttributeNode> readTree(CInputStream& stream, std::unique_ptr<AttributeNode> reuse);
  // The size of the last document read: its entries, and the bytes of its
  // names, texts, tags and binary values.
  std::size_t entriesRead() const { return documentEntries_; }
  std::size_t bytesRead() const { return documentBytes_; }

 private:
  // A name, text or tag as it goes on the wire: its bytes up to the first NUL.
  struct WireName {
    explicit WireName(const char* name);
    explicit WireName(const std::string& name);
    WireName(const char* wireBytes, std::uint32_t wireLength) : bytes(wireBytes), length(wireLength) {}
    const char* bytes;
    std::uint32_t length;
  };
  void startDocument(CIOStream& stream, int selective);
  void writeBranch(AttributeTree& branch, WireName name, int depth);
  void writeLeaf(WireName name, const AttributeNode& leaf, bool always);
  void writeIntegerEntry(WireName name, const IntegerAttribute& leaf);
  void writeTextEntry(WireName name, const TextAttribute& leaf);
  void writeBinaryEntry(WireName name, const BinaryAttribute& leaf);
  static WireName tagOf(const AttributeNode& leaf);
  template <typename Compose>
  void putEntry(std::size_t size, Compose compose);

  // Reading. The entries are decoded from the window [at_, end_): the input's read window,
  // or scratch_ when a field had to be gathered there; unconsumed_ is where the input's window
  // begins, so the bytes decoded since are consumed from it before the input is used again.
  void attach(CInputStream& input);
  void detach();
  void resumeInput();
  void settleInput();
  [[noreturn]] void fail(int line);
  const unsigned char* takeBytes(std::size_t count);
  const unsigned char* gather(std::size_t count);
  std::uint16_t takeU16();
  std::uint32_t takeU32();
  std::string_view takeString(std::string& spill);
  std::string_view takeGrowing(std::uint32_t length, std::string& spill);
  void skipString();
  void skipEmptyOrString();
  void takeInto(unsigned char* to, std::uint32_t count);

  // A branch being read. The children it had when it was opened (none for a
  // new branch) are the earlier entries: an entry of the document that finds
  // one of its name takes its place, and those no entry took are dropped when
  // the branch is complete. Entries with new names wait in pending_, innermost
  // branch last, and join the children then. Once an entry is looked for out
  // of order, which earlier entries were taken is marked in one byte each of
  // taken_, from firstMark on (see markTakenSoFar).
  struct OpenBranch {
    AttributeTree* branch = nullptr;
    std::size_t firstPending = 0;  // where its new entries start in pending_
    std::size_t firstMark = 0;  // set when marked
    // The earlier entries, in name order: they stay where they are until the branch is complete.
    AttributeChildren::value_type* earlier = nullptr;
    std::size_t earlierCount = 0;
    std::size_t takenCount = 0;
    std::size_t leafCursor = 0;    // where the next leaf, then the next branch, is expected
    std::size_t branchCursor = 0;  // among the earlier entries
    int depth = 0;
    bool ordered = true;  // the new names so far arrived ascending
    bool marked = false;  // taken_ holds which earlier entries were taken (see markTakenSoFar)
    std::size_t& cursor(bool isBranch) { return isBranch ? branchCursor : leafCursor; }
  };
  void readBranchContents(AttributeTree& root);
  [[noreturn]] void refuseEntry();
  void openSubBranch(OpenBranch& current);
  OpenBranch& pushBranch();
  bool overwriteExpectedLeaves(OpenBranch& open, WireCode code, std::size_t& entries);
  static const unsigned char* overwriteLeaf(const unsigned char* fields, const unsigned char* end, WireCode code,
                                            AttributeChildren::value_type& earlier, std::size_t& bytes);
  void readLeafEntry(OpenBranch& current, std::uint16_t code);
  void openBranch(OpenBranch& open, AttributeTree& branch, int depth, bool keepEarlier);
  void markTakenSoFar(OpenBranch& open);
  std::unique_ptr<AttributeNode>& takeEarlier(OpenBranch& open, std::size_t index);
  bool isTaken(const OpenBranch& open, std::size_t index) const;
  std::unique_ptr<AttributeNode>& entrySlot(OpenBranch& open, bool isBranch);
  static AttributeChildren::value_type& earlierAt(OpenBranch& open, std::size_t index);
  static std::size_t expectedEarlier(OpenBranch& open, bool isBranch);
  static std::size_t findEarlier(OpenBranch& open, std::string_view name, bool isBranch);
  std::unique_ptr<AttributeNode>& appendPending(std::string_view name, OpenBranch& open);
  void completeBranch(OpenBranch& open);
  void changeBranch(OpenBranch& open);
  void dropUntaken(OpenBranch& open);

  std::unique_ptr<AttributeNode> readLeaf(std::uint16_t code);
  void readLeafInto(std::uint16_t code, AttributeNode& leaf);
  void readText(std::string& target);
  void readTag(std::string& target);
  void readBinaryValue(BinaryAttribute& leaf);

  CIOStream* stream_ = nullptr;
  int selective_ = 0;
  std::vector<unsigned char> entry_;  // an entry composed outside the stream's window
  CInputStream* input_ = nullptr;
  const unsigned char* at_ = nullptr;
  const unsigned char* end_ = nullptr;
  const unsigned char* unconsumed_ = nullptr;
  std::vector<unsigned char> scratch_;
  // Where a long name or skipped string is read, and every tag of a new leaf.
  std::string name_;
  std::string tag_;
  // Reused by every read: the entries of the branches still open, innermost last, and the
  // stack of open branches, [0, openCount_) in use.
  std::vector<AttributeChildren::value_type> pending_;
  std::vector<OpenBranch> openBranches_;
  std::size_t openCount_ = 0;
  std::vector<unsigned char> taken_;  // [0, takenTop_) in use
  std::size_t takenTop_ = 0;
  std::size_t documentEntries_ = 0;
  std::size_t documentBytes_ = 0;
};
