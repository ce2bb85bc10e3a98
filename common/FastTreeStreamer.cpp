#include "common/FastTreeStreamer.h"

#include <cstring>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/AttributeChildrenEditor.h"
#include "common/ByteCoding.h"
#include "common/CBRWebIOStreamException.h"

// The small helpers of the per-entry paths are inlined whatever the compiler's estimate: a
// call costs as much as their work.
#define BRINDLE_HOT_INLINE inline __attribute__((always_inline))

namespace {

constexpr auto FormatTagLength = static_cast<std::uint32_t>(std::char_traits<char>::length(FastTreeStreamer::FormatTag));

[[noreturn]] void failFormat(int line) {
  throw CBRWebIOStreamException(TransportBadTreeFormat, 0, SourceFastTreeStreamer, line);
}

bool hasZeroByte(std::uint64_t word) {
  return ((word - 0x0101010101010101u) & ~word & 0x8080808080808080u) != 0;
}

bool hasZeroByte(std::uint32_t word) { return ((word - 0x01010101u) & ~word & 0x80808080u) != 0; }

template <typename Word>
Word loadWord(const char* bytes) {
  Word word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// Strings go on the wire up to their first NUL. Names and most texts are short: up to 16 bytes
// are checked with two overlapping loads, or byte by byte below 4.
BRINDLE_HOT_INLINE std::uint32_t wireLength(std::string_view text) {
  const std::size_t size = text.size();
  const char* bytes = text.data();
  if (size >= 8 && size <= 16) {
    if (!hasZeroByte(loadWord<std::uint64_t>(bytes)) && !hasZeroByte(loadWord<std::uint64_t>(bytes + size - 8)))
      return static_cast<std::uint32_t>(size);
  } else if (size >= 4 && size < 8) {
    if (!hasZeroByte(loadWord<std::uint32_t>(bytes)) && !hasZeroByte(loadWord<std::uint32_t>(bytes + size - 4)))
      return static_cast<std::uint32_t>(size);
  } else if (size < 4) {
    std::size_t length = 0;
    while (length < size && bytes[length] != '\0') ++length;
    return static_cast<std::uint32_t>(length);
  }
  const void* nul = std::memchr(bytes, '\0', size);
  const std::size_t length = nul ? static_cast<const char*>(nul) - bytes : size;
  return static_cast<std::uint32_t>(length);
}

// A copy of up to 16 bytes without a call: overlapping word moves within the range.
void copyBytes(unsigned char* to, const char* from, std::size_t count) {
  if (count >= 8 && count <= 16) {
    const auto head = loadWord<std::uint64_t>(from);
    const auto tail = loadWord<std::uint64_t>(from + count - 8);
    std::memcpy(to, &head, 8);
    std::memcpy(to + count - 8, &tail, 8);
  } else if (count >= 4 && count < 8) {
    const auto head = loadWord<std::uint32_t>(from);
    const auto tail = loadWord<std::uint32_t>(from + count - 4);
    std::memcpy(to, &head, 4);
    std::memcpy(to + count - 4, &tail, 4);
  } else if (count < 4) {
    for (std::size_t i = 0; i < count; ++i) to[i] = static_cast<unsigned char>(from[i]);
  } else {
    std::memcpy(to, from, count);
  }
}

int childDepth(int depth) { return depth == -1 ? -1 : depth - 1; }

std::uint16_t flagOf(const AttributeNode& leaf) { return leaf.isSet() != 0 ? 1 : 0; }

// The flag travels as u16 and is taken back as a signed 16-bit number.
int isSetFromFlag(std::uint16_t flag) { return static_cast<std::int16_t>(flag); }

}  // namespace

FastTreeStreamer::~FastTreeStreamer() = default;

// --- Writing -------------------------------------------------------------------------------

namespace {
using coding::countedSize;
using coding::get16;
using coding::get32;
using coding::LongStringMark;
using coding::put16;
using coding::put32;

// A counted string; its bytes are copied without a call when they are few.
// REQUIRES: room for countedSize(length) bytes at at.
BRINDLE_HOT_INLINE unsigned char* putString(unsigned char* at, const char* bytes, std::uint32_t length) {
  at = coding::putCountedLength(at, length);
  copyBytes(at, bytes, length);
  return at + length;
}

unsigned char* putCode(unsigned char* at, WireCode code) { return put16(at, static_cast<std::uint16_t>(code)); }

constexpr std::size_t CodeSize = 2;
constexpr std::size_t FlagSize = 2;
// The scratch buffer of an entry composed outside a stream's window keeps its memory up to this.
constexpr std::size_t KeptEntryCapacity = 64 * 1024;
}  // namespace

// Composes an entry of size bytes with compose(at), which returns the end of what it put:
// straight into the stream's write window when it has room (an in-memory stream mostly has),
// else in a scratch buffer that goes to the stream in one write.
template <typename Compose>
BRINDLE_HOT_INLINE void FastTreeStreamer::putEntry(std::size_t size, Compose compose) {
  if (unsigned char* at = stream_->windowRoom(size)) {
    stream_->commit(compose(at));
    return;
  }
  if (entry_.size() < size) entry_.resize(size);
  const unsigned char* end = compose(entry_.data());
  stream_->writeAll(entry_.data(), static_cast<std::uint32_t>(end - entry_.data()));
  if (entry_.capacity() > KeptEntryCapacity) std::vector<unsigned char>().swap(entry_);
}

void FastTreeStreamer::writeTree(CIOStream& stream, AttributeTree& tree, const char* name, int depth,
                                 int selective) {
  startDocument(stream, selective);
  writeBranch(tree, WireName(name), depth);
  putEntry(CodeSize, [](unsigned char* at) { return putCode(at, WireCode::EndOfTree); });
}

void FastTreeStreamer::writeNode(CIOStream& stream, AttributeNode& node, const char* name, int depth,
                                 int selective) {
  if (node.kind() == NodeKind::Branch) {
    writeTree(stream, static_cast<AttributeTree&>(node), name, depth, selective);
    return;
  }
  if (node.kind() == NodeKind::PlainInteger) failFormat(LineNoWireForm);
  startDocument(stream, selective);
  writeLeaf(WireName(""), node, true);
}

void FastTreeStreamer::startDocument(CIOStream& stream, int selective) {
  stream_ = &stream;
  selective_ = selective;
  putEntry(countedSize(FormatTagLength), [](unsigned char* at) { return putString(at, FormatTag, FormatTagLength); });
}

// A branch's leaves, then its sub-branches, each group in name order (as accept visits them).
void FastTreeStreamer::writeBranch(AttributeTree& branch, WireName name, int depth) {
  putEntry(CodeSize + countedSize(name.length),
           [name](unsigned char* at) { return putString(putCode(at, WireCode::BeginBranch), name.bytes, name.length); });
  if (depth > 0 || depth == -1) {
    for (const auto& [childName, child] : branch.children_)
      if (child->kind() != NodeKind::Branch) writeLeaf(WireName(childName), *child, false);
    for (const auto& [childName, child] : branch.children_)
      if (child->kind() == NodeKind::Branch)
        writeBranch(static_cast<AttributeTree&>(*child), WireName(childName), childDepth(depth));
  }
  // The name is always written empty.
  putEntry(CodeSize + countedSize(0),
           [](unsigned char* at) { return putString(putCode(at, WireCode::EndBranch), nullptr, 0); });
}

// The entry of a text, integer or binary leaf; PlainInteger leaves have none. In selective
// mode a text or integer leaf whose isSet is 0 is left out, unless always.
void FastTreeStreamer::writeLeaf(WireName name, const AttributeNode& leaf, bool always) {
  const bool leftOut = !always && selective_ != 0 && leaf.isSet() == 0;
  switch (leaf.kind()) {
    case NodeKind::Text:
      if (!leftOut) writeTextEntry(name, static_cast<const TextAttribute&>(leaf));
      break;
    case NodeKind::Integer:
      if (!leftOut) writeIntegerEntry(name, static_cast<const IntegerAttribute&>(leaf));
      break;
    case NodeKind::Binary:
      writeBinaryEntry(name, static_cast<const BinaryAttribute&>(leaf));
      break;
    default:
      break;
  }
}

FastTreeStreamer::WireName::WireName(const char* name)
    : bytes(name), length(name ? static_cast<std::uint32_t>(std::strlen(name)) : 0) {}

BRINDLE_HOT_INLINE FastTreeStreamer::WireName::WireName(const std::string& name)
    : bytes(name.data()), length(wireLength(name)) {}

BRINDLE_HOT_INLINE FastTreeStreamer::WireName FastTreeStreamer::tagOf(const AttributeNode& leaf) {
  return WireName(leaf.tag_.data(), leaf.tag_.empty() ? 0 : wireLength(leaf.tag_));
}

void FastTreeStreamer::writeIntegerEntry(WireName name, const IntegerAttribute& leaf) {
  const WireName tag = tagOf(leaf);
  const auto value = static_cast<std::uint32_t>(leaf.value());
  const std::uint16_t flag = flagOf(leaf);
  putEntry(CodeSize + countedSize(name.length) + 4 + FlagSize + countedSize(tag.length),
           [name, tag, value, flag](unsigned char* at) {
             at = putString(putCode(at, WireCode::IntegerEntry), name.bytes, name.length);
             at = put16(put32(at, value), flag);
             return putString(at, tag.bytes, tag.length);
           });
}

void FastTreeStreamer::writeTextEntry(WireName name, const TextAttribute& leaf) {
  const WireName text(leaf.text().data(), wireLength(leaf.text()));
  const WireName tag = tagOf(leaf);
  const std::uint16_t flag = flagOf(leaf);
  putEntry(CodeSize + countedSize(name.length) + countedSize(text.length) + FlagSize + countedSize(tag.length),
           [name, text, tag, flag](unsigned char* at) {
             at = putString(putCode(at, WireCode::TextEntry), name.bytes, name.length);
             at = put16(putString(at, text.bytes, text.length), flag);
             return putString(at, tag.bytes, tag.length);
           });
}

// The bytes follow the entry's fields in a write of their own.
void FastTreeStreamer::writeBinaryEntry(WireName name, const BinaryAttribute& leaf) {
  const std::uint32_t length = leaf.length();
  putEntry(CodeSize + countedSize(name.length) + 4, [name, length](unsigned char* at) {
    return put32(putString(putCode(at, WireCode::BinaryEntry), name.bytes, name.length), length);
  });
  if (length != 0) stream_->writeAll(leaf.bytes(), length);
}

// --- Reading -------------------------------------------------------------------------------

namespace {
// After a read the reader's buffers keep their memory for the next one, up to this many
// entries; a wider document's buffers are given back.
constexpr std::size_t KeptPendingEntries = 4096;
// A recycled string (a text or tag) keeps its memory up to this size; one grown past it by an
// earlier value is given back before the next value is read into it.
constexpr std::size_t KeptStringCapacity = 1024;

void releaseGrown(std::string& target) {
  if (target.capacity() > KeptStringCapacity) std::string().swap(target);
}

// A string's bytes as they are on the wire, written over a recycled string: up to the first
// NUL, as readString keeps them.
BRINDLE_HOT_INLINE void overwriteString(std::string& target, std::string_view bytes) {
  const std::size_t length = bytes.empty() ? 0 : wireLength(bytes);
  // A value of the length of the one it replaces, as a repeated reply's values mostly are, is
  // copied over it where it lies.
  if (length == target.size()) {
    copyBytes(reinterpret_cast<unsigned char*>(&target[0]), bytes.data(), length);
    return;
  }
  target.assign(bytes.data(), length);
}

NodeKind leafKindOf(std::uint16_t code) {
  switch (static_cast<WireCode>(code)) {
    case WireCode::IntegerEntry:
      return NodeKind::Integer;
    case WireCode::TextEntry:
      return NodeKind::Text;
    default:
      return NodeKind::Binary;
  }
}

// A recycled branch starts as a new one would: isSet 0 and no tag.
void freshen(AttributeNode& node) {
  node.setIsSet(0);
  node.clearTag();
}

constexpr std::size_t NotFound = static_cast<std::size_t>(-1);


// Whether the stream's buffer starts with the code of a text or integer entry.
bool nextIsTextOrInteger(const CInputStream& stream) {
  if (stream.windowLength() < 2) return false;
  const std::uint32_t code = get16(stream.windowData());
  return code == static_cast<std::uint32_t>(WireCode::IntegerEntry) || code == static_cast<std::uint32_t>(WireCode::TextEntry);
}

// The parts of a document matched in place in a buffer (from at, up to end): each one moves
// at past itself when it is there whole, else it is false.
bool takeCode(const unsigned char*& at, const unsigned char* end, WireCode code) {
  if (end - at < 2 || get16(at) != static_cast<std::uint32_t>(code)) return false;
  at += 2;
  return true;
}

// A counted string in the short form whose bytes are not kept; bytes grows by its length.
bool skipShortString(const unsigned char*& at, const unsigned char* end, std::size_t& bytes) {
  if (end - at < 2) return false;
  const std::uint32_t length = get16(at);
  if (length == LongStringMark || static_cast<std::size_t>(end - at) - 2 < length) return false;
  at += 2 + length;
  bytes += length;
  return true;
}

// Whether a name read from the wire, bytes as they are, is the stored name: the same bytes,
// none of them a NUL (a name read ends at its first NUL; a stored one may hold one).
BRINDLE_HOT_INLINE bool sameName(const std::string& stored, std::string_view wire) {
  return AttributeChildrenEditor::sameName(stored, wire) && wireLength(wire) == wire.size();
}

// A name in the short form that is the stored name.
bool takeName(const unsigned char*& at, const unsigned char* end, const std::string& stored, std::size_t& bytes) {
  const unsigned char* const name = at;
  if (!skipShortString(at, end, bytes)) return false;
  return sameName(stored, std::string_view(reinterpret_cast<const char*>(name + 2), static_cast<std::size_t>(at - name) - 2));
}
}  // namespace

std::unique_ptr<AttributeNode> FastTreeStreamer::readTree(CInputStream& stream) { return readTree(stream, nullptr); }

// A counted string that is not kept: passed over where it lies in the buffer, else read.
void FastTreeStreamer::skipString(CInputStream& stream) {
  std::string_view bytes;
  std::uint32_t wireSize = 0;
  if (stream.peekString(bytes, wireSize)) {
    stream.skipPeeked(wireSize);
    documentBytes_ += bytes.size();
    return;
  }
  stream.readString(name_);
  documentBytes_ += name_.size();
}

std::unique_ptr<AttributeNode> FastTreeStreamer::readTree(CInputStream& stream, std::unique_ptr<AttributeNode> reuse) {
  if (reuse && reuse->kind() == NodeKind::Branch) {
    freshen(*reuse);
    if (readSameShape(stream, static_cast<AttributeTree&>(*reuse))) return reuse;
  }
  documentEntries_ = 0;
  documentBytes_ = 0;
  skipString(stream);  // the format tag; any tag is accepted
  const std::uint16_t code = stream.readU16();
  skipString(stream);  // the root's name; the caller decides where the node goes
  switch (static_cast<WireCode>(code)) {
    case WireCode::BeginBranch: {
      if (!reuse || reuse->kind() != NodeKind::Branch) reuse = std::make_unique<AttributeTree>();
      freshen(*reuse);
      readBranchContents(stream, static_cast<AttributeTree&>(*reuse));
      return reuse;
    }
    case WireCode::IntegerEntry:
    case WireCode::TextEntry:
    case WireCode::BinaryEntry:
      documentEntries_ = 1;
      if (reuse && reuse->kind() == leafKindOf(code)) {
        readLeafInto(stream, code, *reuse);
        return reuse;
      }
      reuse.reset();
      return readLeaf(stream, code);
    default:
      failFormat(LineUnknownRootCode);
  }
}

// Open branches are kept on an explicit stack, never on the call stack; the
// stack holds the parents of the branch being read. The root's own EndBranch
// closes it, and anything that comes before EndOfTree still lands in the root
// beside what it holds.
//
// A writer sends a branch's leaves in name order and then its sub-branches in
// name order, so an entry with an earlier name is looked for where the last
// one of its group was found, and only out of that order by name. New names
// move into their branch, in one block, when it is complete (EndBranch, or
// EndOfTree for every branch still open); if they did not arrive ascending
// they are sorted once then. Of two entries with the same name the later one
// wins. So a new branch costs one allocation for its children, a recycled one
// none, and O(n log n) whatever order a peer sends.
void FastTreeStreamer::readBranchContents(CInputStream& stream, AttributeTree& root) {
  // Whatever happens, nothing of this read stays behind in the buffers (the
  // partly read tree is the caller's to discard).
  struct Reset {
    FastTreeStreamer& self;
    ~Reset() {
      self.pending_.clear();
      self.openBranches_.clear();
      self.takenTop_ = 0;
      if (self.pending_.capacity() > KeptPendingEntries) std::vector<AttributeChildren::value_type>().swap(self.pending_);
      if (self.openBranches_.capacity() > KeptPendingEntries) std::vector<OpenBranch>().swap(self.openBranches_);
      if (self.taken_.size() > KeptPendingEntries) std::vector<unsigned char>().swap(self.taken_);
    }
  } reset{*this};
  pending_.clear();
  openBranches_.clear();
  takenTop_ = 0;
  OpenBranch current = openBranch(root, 1, false);
  bool rootOpen = true;
  bool rootToReopen = false;
  std::size_t entries = 0;
  for (;;) {
    if (current.earlierCount != 0 && nextIsTextOrInteger(stream))
      entries += readExpectedLeaves(stream, current, MaxEntries - entries);
    const auto code = static_cast<WireCode>(stream.readU16());
    if (rootToReopen && code != WireCode::EndOfTree) {
      current = openBranch(root, 1, true);
      rootToReopen = false;
    }
    if (code != WireCode::EndOfTree && ++entries > MaxEntries) {
      stream.readString(name_);  // consumed with the code, as for any refused entry
      failFormat(LineUnknownEntryCode);
    }
    switch (code) {
      case WireCode::EndOfTree:
        documentEntries_ = entries;
        completeBranch(current);
        while (!openBranches_.empty()) {
          completeBranch(openBranches_.back());
          openBranches_.pop_back();
        }
        return;
      case WireCode::BeginBranch: {
        std::unique_ptr<AttributeNode>& slot = entrySlot(stream, current, true);
        if (current.depth >= MaxDepth) failFormat(LineUnknownEntryCode);
        if (slot && slot->kind() == NodeKind::Branch)
          freshen(*slot);
        else
          slot = std::make_unique<AttributeTree>();
        auto& opened = static_cast<AttributeTree&>(*slot);
        openBranches_.push_back(current);
        current = openBranch(opened, current.depth + 1, false);
        break;
      }
      case WireCode::IntegerEntry:
      case WireCode::TextEntry:
      case WireCode::BinaryEntry: {
        const auto wire = static_cast<std::uint16_t>(code);
        std::unique_ptr<AttributeNode>& slot = entrySlot(stream, current, false);
        if (slot && slot->kind() == leafKindOf(wire))
          readLeafInto(stream, wire, *slot);
        else
          slot = readLeaf(stream, wire);
        break;
      }
      case WireCode::EndBranch:
        skipString(stream);  // the name is not used
        if (openBranches_.empty() && !rootOpen) failFormat(LineUnknownEntryCode);
        completeBranch(current);
        if (!openBranches_.empty()) {
          current = openBranches_.back();  // the parent, as it was when the branch was opened
          openBranches_.pop_back();
          break;
        }
        // Closed: what the root holds joins the entries that may still come before EndOfTree,
        // opened when one does.
        rootOpen = false;
        current = OpenBranch();
        current.branch = &root;
        current.firstPending = pending_.size();
        current.firstMark = takenTop_;
        current.depth = 1;
        rootToReopen = true;
        break;
      default:
        stream.readString(name_);  // consumed with the code
        failFormat(LineUnknownEntryCode);
    }
  }
}

// keepEarlier: the children the branch has stay whether or not an entry takes their place
// (the root reopened after its EndBranch).
FastTreeStreamer::OpenBranch FastTreeStreamer::openBranch(AttributeTree& branch, int depth, bool keepEarlier) {
  AttributeChildrenEditor(branch.children_).settle();  // earlier entries are addressed by their place in name order
  const std::size_t earlier = branch.children_.size();
  OpenBranch open;
  open.branch = &branch;
  open.firstPending = pending_.size();
  open.firstMark = takenTop_;
  open.earlierCount = earlier;
  open.takenCount = keepEarlier ? earlier : 0;
  open.depth = depth;
  if (earlier == 0) return open;
  if (taken_.size() < takenTop_ + earlier) taken_.resize(takenTop_ + earlier);
  std::memset(taken_.data() + takenTop_, keepEarlier ? 1 : 0, earlier);
  takenTop_ += earlier;
  return open;
}

BRINDLE_HOT_INLINE void FastTreeStreamer::take(OpenBranch& open, std::size_t index) {
  unsigned char& mark = taken_[open.firstMark + index];
  if (mark) return;
  mark = 1;
  ++open.takenCount;
}

bool FastTreeStreamer::taken(const OpenBranch& open, std::size_t index) const { return taken_[open.firstMark + index] != 0; }

// Reads the name of a new entry of open and returns where its node goes: the
// place of the earlier entry of that name, or a new pending entry.
std::unique_ptr<AttributeNode>& FastTreeStreamer::entrySlot(CInputStream& stream, OpenBranch& open, bool isBranch) {
  if (open.earlierCount == 0) return appendPending(stream, open);
  std::size_t index = expectedEarlier(open, isBranch);
  std::string_view wireName;
  std::uint32_t wireSize = 0;
  // The name as it lies in the stream's buffer, compared where it is: the usual case, an
  // entry found where the last one of its group was, costs no copy.
  if (index != NotFound && stream.peekString(wireName, wireSize) &&
      sameName((open.branch->children_.begin() + static_cast<std::ptrdiff_t>(index))->first, wireName)) {
    stream.skipPeeked(wireSize);
    documentBytes_ += wireName.size();
    open.cursor(isBranch) = index + 1;
  } else {
    stream.readString(name_);
    index = findEarlier(open, name_, isBranch);
    if (index == NotFound) return appendPending(name_, open);
    documentBytes_ += name_.size();
  }
  take(open, index);
  return (AttributeChildrenEditor(open.branch->children_).begin() + static_cast<std::ptrdiff_t>(index))->second;
}


// The document when it is exactly the tree root holds, as a reply read over the last one of
// its kind mostly is: every entry in the writer's order (a branch's leaves, then its
// sub-branches, each group in name order) at the place of a child of its name and kind, the
// leaves text or integer without a tag, names in the short form, all of it in the stream's
// buffer. Then it is parsed where it lies, the values are written over the children, the
// stream moves past the document and the result is true: the tree a fresh read gives, as no
// entry is new, none is missing and none is repeated. Else the result is false and nothing is
// consumed; the values written until then are written again by the full read.
bool FastTreeStreamer::readSameShape(CInputStream& stream, AttributeTree& root) {
  const unsigned char* const first = stream.windowData();
  const unsigned char* const end = first + stream.windowLength();
  const unsigned char* at = first;
  std::size_t bytes = 0;
  std::size_t entries = 0;
  // The format tag (any is accepted), the root's BeginBranch and its name.
  if (!skipShortString(at, end, bytes) || !takeCode(at, end, WireCode::BeginBranch) || !skipShortString(at, end, bytes))
    return false;
  shapeLevels_.clear();
  ShapeLevel level{&root, 0, false};
  for (;;) {
    const auto children = level.branch->children_.begin();
    const std::size_t count = level.branch->children_.size();
    if (!level.inBranches) {
      std::size_t firstBranch = count;  // where the sub-branches' pass starts
      for (; level.next < count; ++level.next) {
        auto& child = children[static_cast<std::ptrdiff_t>(level.next)];
        if (child.second->kind() == NodeKind::Branch) {
          if (firstBranch == count) firstBranch = level.next;
          continue;
        }
        if (!overwriteExpectedLeaf(at, end, child.first, *child.second, bytes)) return false;
        ++entries;
      }
      level.inBranches = true;
      level.next = firstBranch;
    }
    while (level.next < count && children[static_cast<std::ptrdiff_t>(level.next)].second->kind() != NodeKind::Branch)
      ++level.next;
    if (level.next < count) {
      auto& child = children[static_cast<std::ptrdiff_t>(level.next++)];
      // A fresh read refuses a branch below MaxDepth levels; the full read raises that.
      if (shapeLevels_.size() + 1 >= static_cast<std::size_t>(MaxDepth)) return false;
      if (!takeCode(at, end, WireCode::BeginBranch) || !takeName(at, end, child.first, bytes)) return false;
      ++entries;
      freshen(*child.second);
      shapeLevels_.push_back(level);
      level = ShapeLevel{static_cast<AttributeTree*>(child.second.get()), 0, false};
      continue;
    }
    if (!takeCode(at, end, WireCode::EndBranch) || !skipShortString(at, end, bytes)) return false;
    ++entries;
    if (shapeLevels_.empty()) break;
    level = shapeLevels_.back();
    shapeLevels_.pop_back();
  }
  if (!takeCode(at, end, WireCode::EndOfTree) || entries > MaxEntries) return false;
  documentEntries_ = entries;
  documentBytes_ = bytes;
  stream.consume(static_cast<std::size_t>(at - first));
  return true;
}

// One text or integer entry without a tag at `at`, named name, where node is a leaf of its
// kind: the value and flag are written over node, which ends as a fresh read would make it,
// and at moves past the entry. False, with nothing written, for any other entry, for a string
// in the long form and for an entry not whole before end.
BRINDLE_HOT_INLINE bool FastTreeStreamer::overwriteExpectedLeaf(const unsigned char*& at, const unsigned char* end,
                                                                const std::string& name, AttributeNode& node,
                                                                std::size_t& bytes) {
  const auto available = static_cast<std::size_t>(end - at);
  if (available < 4) return false;
  const std::uint32_t code = get16(at);
  if (code != static_cast<std::uint32_t>(WireCode::IntegerEntry) && code != static_cast<std::uint32_t>(WireCode::TextEntry))
    return false;
  const std::uint32_t nameLength = get16(at + 2);
  // The value's fields need 8 more bytes at least.
  if (nameLength == LongStringMark || available - 4 < std::size_t{nameLength} + 8) return false;
  if (!sameName(name, std::string_view(reinterpret_cast<const char*>(at + 4), nameLength))) return false;
  const unsigned char* value = at + 4 + nameLength;
  if (code == static_cast<std::uint32_t>(WireCode::IntegerEntry)) {
    if (node.kind() != NodeKind::Integer || get16(value + 6) != 0) return false;
    static_cast<IntegerAttribute&>(node).setValue(static_cast<std::int32_t>(get32(value)));
    node.setIsSet(isSetFromFlag(static_cast<std::uint16_t>(get16(value + 4))));
    at = value + 8;
  } else {
    const std::uint32_t textLength = get16(value);
    if (node.kind() != NodeKind::Text || textLength == LongStringMark || available - 4 - nameLength < std::size_t{textLength} + 6 ||
        get16(value + 2 + textLength + 2) != 0)
      return false;
    std::string& target = static_cast<TextAttribute&>(node).text_;
    releaseGrown(target);
    overwriteString(target, std::string_view(reinterpret_cast<const char*>(value + 2), textLength));
    node.setIsSet(isSetFromFlag(static_cast<std::uint16_t>(get16(value + 2 + textLength))));
    bytes += target.size();
    at = value + 6 + textLength;
  }
  node.tag_.clear();
  bytes += nameLength;
  return true;
}

// The usual entries of a reply read over an earlier one: text or integer leaves without a
// tag, each where the earlier tree has a leaf of its name and kind next in line, all of it in
// the stream's buffer. They are parsed where they lie, their names compared there, their
// values written over the earlier leaves, and the buffer moved past them once. Reads up to most
// of them in a row and returns how many; the first other entry (nothing of it consumed) is left
// to the general path.
std::size_t FastTreeStreamer::readExpectedLeaves(CInputStream& stream, OpenBranch& open, std::size_t most) {
  const unsigned char* const first = stream.windowData();
  const unsigned char* const end = first + stream.windowLength();
  const unsigned char* entry = first;
  const auto children = open.branch->children_.begin();
  std::size_t cursor = open.leafCursor;
  std::size_t bytes = 0;
  std::size_t count = 0;
  for (; count < most; ++count) {
    while (cursor < open.earlierCount && children[static_cast<std::ptrdiff_t>(cursor)].second->kind() == NodeKind::Branch)
      ++cursor;
    if (cursor == open.earlierCount) break;
    auto& earlier = children[static_cast<std::ptrdiff_t>(cursor)];
    if (!overwriteExpectedLeaf(entry, end, earlier.first, *earlier.second, bytes)) break;
    take(open, cursor);
    ++cursor;
  }
  open.leafCursor = cursor;
  documentBytes_ += bytes;
  stream.consume(static_cast<std::size_t>(entry - first));
  return count;
}

// Where the next entry of that group is expected among the earlier entries: behind the last
// one found, past the entries of the other group. NotFound when none is left.
std::size_t FastTreeStreamer::expectedEarlier(OpenBranch& open, bool isBranch) const {
  const AttributeChildren& children = open.branch->children_;
  std::size_t cursor = open.cursor(isBranch);
  while (cursor < open.earlierCount &&
         ((children.begin() + static_cast<std::ptrdiff_t>(cursor))->second->kind() == NodeKind::Branch) != isBranch)
    ++cursor;
  open.cursor(isBranch) = cursor;
  return cursor < open.earlierCount ? cursor : NotFound;
}

std::size_t FastTreeStreamer::findEarlier(OpenBranch& open, const std::string& name, bool isBranch) {
  const AttributeChildren& children = open.branch->children_;
  const auto found = children.find(name);
  if (found == children.end()) return NotFound;
  const auto index = static_cast<std::size_t>(found - children.begin());
  open.cursor(isBranch) = index + 1;
  return index;
}

// A new entry of open, its name read straight into the entry.
std::unique_ptr<AttributeNode>& FastTreeStreamer::appendPending(CInputStream& stream, OpenBranch& open) {
  AttributeChildren::value_type& entry = pending_.emplace_back();
  stream.readString(entry.first);
  return settlePending(open);
}

std::unique_ptr<AttributeNode>& FastTreeStreamer::appendPending(const std::string& name, OpenBranch& open) {
  pending_.emplace_back().first = name;
  return settlePending(open);
}

// An entry with the same name as the one before it takes that one's place at
// once, so a peer repeating a name costs no memory.
std::unique_ptr<AttributeNode>& FastTreeStreamer::settlePending(OpenBranch& open) {
  const std::size_t count = pending_.size();
  AttributeChildren::value_type& entry = pending_[count - 1];
  documentBytes_ += entry.first.size();
  if (count - 1 > open.firstPending) {
    AttributeChildren::value_type& previous = pending_[count - 2];
    if (previous.first == entry.first) {
      pending_.pop_back();
      return previous.second;
    }
    if (open.ordered && entry.first < previous.first) open.ordered = false;
  }
  return entry.second;
}

void FastTreeStreamer::completeBranch(OpenBranch& open) {
  AttributeChildrenEditor children(open.branch->children_);
  if (open.takenCount != open.earlierCount) dropUntaken(open);
  takenTop_ = open.firstMark;
  open.earlierCount = open.takenCount = 0;
  const auto first = pending_.begin() + static_cast<std::ptrdiff_t>(open.firstPending);
  if (first == pending_.end()) return;
  const auto last = open.ordered ? pending_.end() : AttributeChildrenEditor::orderKeepingLast(first, pending_.end());
  // New names never equal earlier ones, so they need sorting in only when they do not all follow them.
  const bool follows = children.empty() || (children.end() - 1)->first < first->first;
  children.reserve(children.size() + static_cast<std::size_t>(last - first));
  for (auto it = first; it != last; ++it) children.appendUnordered(std::move(it->first), std::move(it->second));
  if (!follows) children.restoreOrder();
  pending_.erase(first, pending_.end());
  open.ordered = true;
}

// Removes the earlier entries no entry of the document took, keeping the order of the rest.
void FastTreeStreamer::dropUntaken(OpenBranch& open) {
  AttributeChildrenEditor children(open.branch->children_);
  const auto base = children.begin();
  std::size_t kept = 0;
  for (std::size_t i = 0; i < open.earlierCount; ++i) {
    if (!taken(open, i)) continue;
    if (kept != i) base[static_cast<std::ptrdiff_t>(kept)] = std::move(base[static_cast<std::ptrdiff_t>(i)]);
    ++kept;
  }
  children.truncate(kept);
}

std::unique_ptr<AttributeNode> FastTreeStreamer::readLeaf(CInputStream& stream, std::uint16_t code) {
  switch (static_cast<WireCode>(code)) {
    case WireCode::IntegerEntry: {
      const auto value = static_cast<std::int32_t>(stream.readU32());
      const std::uint16_t flag = stream.readU16();
      stream.readString(tag_);
      documentBytes_ += tag_.size();
      auto leaf = std::make_unique<IntegerAttribute>(value, tag_.c_str());
      leaf->setIsSet(isSetFromFlag(flag));
      return leaf;
    }
    case WireCode::TextEntry: {
      std::string text;  // read straight into the string the leaf keeps
      stream.readString(text);
      const std::uint16_t flag = stream.readU16();
      stream.readString(tag_);
      documentBytes_ += text.size() + tag_.size();
      auto leaf = std::make_unique<TextAttribute>(std::move(text), tag_.c_str());
      leaf->setIsSet(isSetFromFlag(flag));
      return leaf;
    }
    default: {
      auto leaf = std::make_unique<BinaryAttribute>();
      readBinaryValue(stream, *leaf);
      return leaf;
    }
  }
}

// A binary entry's length and bytes into leaf: straight into its buffer when they are few or
// all in the stream's window, else through a buffer that grows as they arrive.
void FastTreeStreamer::readBinaryValue(CInputStream& stream, BinaryAttribute& leaf) {
  const std::uint32_t length = stream.readU32();
  if (length > CInputStream::MaxStringLength) failFormat(CInputStream::LineLengthTooLarge);
  if (length <= CInputStream::FirstGrowth || length <= stream.windowLength()) {
    unsigned char* bytes = leaf.allocate(length);
    if (length != 0) stream.readFully(bytes, length);
  } else {
    leaf.bytes_ = stream.readGrowing(length);
    leaf.length_ = length;
  }
  documentBytes_ += length;
}

// The entry's value, flag and tag written over a leaf of its kind: the leaf ends as readLeaf
// would have made it.
void FastTreeStreamer::readLeafInto(CInputStream& stream, std::uint16_t code, AttributeNode& node) {
  switch (static_cast<WireCode>(code)) {
    case WireCode::IntegerEntry: {
      auto& leaf = static_cast<IntegerAttribute&>(node);
      leaf.setValue(static_cast<std::int32_t>(stream.readU32()));
      leaf.setIsSet(isSetFromFlag(stream.readU16()));
      break;
    }
    case WireCode::TextEntry: {
      auto& leaf = static_cast<TextAttribute&>(node);
      readReusing(stream, leaf.text_);
      leaf.setIsSet(isSetFromFlag(stream.readU16()));
      documentBytes_ += leaf.text_.size();
      break;
    }
    default: {
      auto& leaf = static_cast<BinaryAttribute&>(node);
      readBinaryValue(stream, leaf);
      freshen(leaf);  // a binary entry carries neither flag nor tag
      return;
    }
  }
  readReusing(stream, node.tag_);
  documentBytes_ += node.tag_.size();
  if (node.tag_.size() == 4 && node.tag_.compare(0, 4, "null", 4) == 0) node.tag_.clear();  // as setTag takes it
}

// As readString, into a string that keeps its memory; a string that lies whole in the
// stream's buffer is copied from there at once.
void FastTreeStreamer::readReusing(CInputStream& stream, std::string& target) {
  releaseGrown(target);
  std::string_view bytes;
  std::uint32_t wireSize = 0;
  if (!stream.peekString(bytes, wireSize)) {
    stream.readString(target);
    return;
  }
  overwriteString(target, bytes);
  stream.skipPeeked(wireSize);
}
