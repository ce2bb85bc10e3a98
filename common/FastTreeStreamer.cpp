#include "common/FastTreeStreamer.h"

#include <cstring>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/AttributeChildrenEditor.h"
#include "common/ByteCoding.h"
#include "common/CBRWebIOStreamException.h"
#include "platform/ShortCopy.h"

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
  platform::copyShort(at, bytes, length);
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
// earlier value is given back before the next value is read into it. The same holds for the
// buffers in which the reader gathers a field that straddles the input's window.
constexpr std::size_t KeptStringCapacity = 1024;

void releaseGrown(std::string& target) {
  if (target.capacity() > KeptStringCapacity) std::string().swap(target);
}

// A string's bytes as they are on the wire, cut at their first NUL (as a string read keeps them).
BRINDLE_HOT_INLINE std::string_view cutAtNul(std::string_view wire) {
  return wire.empty() ? wire : wire.substr(0, wireLength(wire));
}

// A string's bytes as they are on the wire, written over a recycled string up to their first
// NUL. wire may be target's own bytes (a long value read straight into it).
BRINDLE_HOT_INLINE void assignString(std::string& target, std::string_view wire) {
  const std::string_view kept = cutAtNul(wire);
  if (wire.data() == target.data() && !wire.empty()) {
    target.resize(kept.size());
    return;
  }
  // A value of the length of the one it replaces, as a repeated reply's values mostly are, is
  // copied over it where it lies.
  if (kept.size() == target.size()) {
    platform::copyShort(&target[0], kept.data(), kept.size());
    return;
  }
  target.assign(kept.data(), kept.size());
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

// Whether a name read from the wire, bytes as they are, is the stored name: the same bytes,
// none of them a NUL (a name read ends at its first NUL; a stored one may hold one).
BRINDLE_HOT_INLINE bool sameName(const std::string& stored, std::string_view wire) {
  return AttributeChildrenEditor::sameName(stored, wire) && wireLength(wire) == wire.size();
}

constexpr std::size_t NotFound = static_cast<std::size_t>(-1);
}  // namespace

// --- The window the entries are decoded from ------------------------------------------------

void FastTreeStreamer::attach(CInputStream& input) {
  input_ = &input;
  resumeInput();
}

// The input's read window as it stands; the reader owes it no consume.
void FastTreeStreamer::resumeInput() {
  at_ = unconsumed_ = input_->windowData();
  end_ = at_ + input_->windowLength();
}

// Tells the input what has been decoded since it was last told. A window gathered in scratch_
// was consumed from the input as it was gathered, so nothing is owed for it.
void FastTreeStreamer::settleInput() {
  if (at_ > unconsumed_) input_->consume(static_cast<std::size_t>(at_ - unconsumed_));
  unconsumed_ = at_;
}

void FastTreeStreamer::fail(int line) {
  settleInput();
  failFormat(line);
}

BRINDLE_HOT_INLINE const unsigned char* FastTreeStreamer::takeBytes(std::size_t count) {
  const unsigned char* bytes = static_cast<std::size_t>(end_ - at_) >= count ? at_ : gather(count);
  at_ = bytes + count;
  return bytes;
}

// count bytes that are not all in the window: the input is asked to make them available in
// its own window; when it cannot (it has no buffer, or not that much), they are read into
// scratch_, which becomes the window. Either way exactly the bytes decoded leave the input.
const unsigned char* FastTreeStreamer::gather(std::size_t count) {
  settleInput();
  if (input_->fill(count) >= count) {
    resumeInput();
    return at_;
  }
  if (scratch_.size() < count) scratch_.resize(count);
  input_->readFully(scratch_.data(), static_cast<std::uint32_t>(count));
  at_ = scratch_.data();
  end_ = unconsumed_ = at_ + count;
  return at_;
}

BRINDLE_HOT_INLINE std::uint16_t FastTreeStreamer::takeU16() { return get16(takeBytes(2)); }

BRINDLE_HOT_INLINE std::uint32_t FastTreeStreamer::takeU32() { return get32(takeBytes(4)); }

// The bytes of a counted string as they are on the wire (a NUL among them included), valid
// until the next take. A string that does not lie in the window and is longer than
// CInputStream::FirstGrowth is read into spill, in room that grows as its bytes arrive.
BRINDLE_HOT_INLINE std::string_view FastTreeStreamer::takeString(std::string& spill) {
  std::uint32_t length = takeU16();
  // The usual case: a string in the short form that lies in the window.
  if (length != LongStringMark && length <= static_cast<std::size_t>(end_ - at_)) {
    const char* bytes = reinterpret_cast<const char*>(at_);
    at_ += length;
    return std::string_view(bytes, length);
  }
  if (length == LongStringMark) {
    length = takeU32();
    if (length > CInputStream::MaxStringLength) fail(CInputStream::LineLengthTooLarge);
  }
  if (length <= static_cast<std::size_t>(end_ - at_) || length <= CInputStream::FirstGrowth)
    return std::string_view(reinterpret_cast<const char*>(takeBytes(length)), length);
  return takeGrowing(length, spill);
}

std::string_view FastTreeStreamer::takeGrowing(std::uint32_t length, std::string& spill) {
  settleInput();
  input_->readGrowing(spill, length);
  resumeInput();
  return spill;
}

// The same for a string that is mostly empty (two zero bytes in the window), as an EndBranch's name is.
BRINDLE_HOT_INLINE void FastTreeStreamer::skipEmptyOrString() {
  if (end_ - at_ >= 2 && (at_[0] | at_[1]) == 0)
    at_ += 2;
  else
    skipString();
}

// A counted string that is not kept; bytesRead counts all its bytes.
BRINDLE_HOT_INLINE void FastTreeStreamer::skipString() { documentBytes_ += takeString(name_).size(); }

// count bytes straight into to: from the window, or from the input when they are not all there.
void FastTreeStreamer::takeInto(unsigned char* to, std::uint32_t count) {
  if (count <= static_cast<std::size_t>(end_ - at_)) {
    if (count != 0) std::memcpy(to, takeBytes(count), count);
    return;
  }
  settleInput();
  input_->readFully(to, count);
  resumeInput();
}

// --- The document ---------------------------------------------------------------------------

std::unique_ptr<AttributeNode> FastTreeStreamer::readTree(CInputStream& stream) { return readTree(stream, nullptr); }

std::unique_ptr<AttributeNode> FastTreeStreamer::readTree(CInputStream& stream, std::unique_ptr<AttributeNode> reuse) {
  // Whatever happens, the input is told what was decoded, and nothing of this read stays
  // behind in the buffers (a partly read tree is discarded with reuse).
  struct Detach {
    FastTreeStreamer& self;
    ~Detach() { self.detach(); }
  } detach{*this};
  attach(stream);
  documentEntries_ = 0;
  documentBytes_ = 0;
  skipString();  // the format tag; any tag is accepted
  const std::uint16_t code = takeU16();
  skipString();  // the root's name; the caller decides where the node goes
  switch (static_cast<WireCode>(code)) {
    case WireCode::BeginBranch: {
      if (!reuse || reuse->kind() != NodeKind::Branch) reuse = std::make_unique<AttributeTree>();
      freshen(*reuse);
      readBranchContents(static_cast<AttributeTree&>(*reuse));
      return reuse;
    }
    case WireCode::IntegerEntry:
    case WireCode::TextEntry:
    case WireCode::BinaryEntry:
      documentEntries_ = 1;
      if (reuse && reuse->kind() == leafKindOf(code)) {
        readLeafInto(code, *reuse);
        return reuse;
      }
      reuse.reset();
      return readLeaf(code);
    default:
      fail(LineUnknownRootCode);
  }
}

void FastTreeStreamer::detach() {
  settleInput();
  input_ = nullptr;
  at_ = end_ = unconsumed_ = nullptr;
  pending_.clear();
  openCount_ = 0;
  takenTop_ = 0;
  // The stack of open branches is at most MaxDepth deep and keeps its records.
  if (pending_.capacity() > KeptPendingEntries) std::vector<AttributeChildren::value_type>().swap(pending_);
  if (taken_.size() > KeptPendingEntries) std::vector<unsigned char>().swap(taken_);
  if (scratch_.size() > KeptStringCapacity) std::vector<unsigned char>().swap(scratch_);
  releaseGrown(name_);
  releaseGrown(tag_);
}

// Open branches are kept on an explicit stack, never on the call stack, the
// branch being read last. The root's own EndBranch
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
//
// A reply read over the last one of its kind mostly has exactly its shape: every entry then
// finds its slot where it is expected, and its value is written over the node there.
void FastTreeStreamer::readBranchContents(AttributeTree& root) {
  openBranch(pushBranch(), root, 1, false);
  bool rootOpen = true;
  std::size_t entries = 0;
  for (;;) {
    const auto code = static_cast<WireCode>(takeU16());
    if (code == WireCode::EndOfTree) break;
    // Closed: what the root holds joins the entries that still come before EndOfTree.
    if (openCount_ == 0) openBranch(pushBranch(), root, 1, true);
    OpenBranch& current = openBranches_[openCount_ - 1];  // the innermost branch open
    if (++entries > MaxEntries) refuseEntry();
    switch (code) {
      case WireCode::BeginBranch:
        openSubBranch(current);
        break;
      case WireCode::IntegerEntry:
      case WireCode::TextEntry:
        if (overwriteExpectedLeaves(current, code, entries)) break;
        readLeafEntry(current, static_cast<std::uint16_t>(code));
        break;
      case WireCode::BinaryEntry:
        readLeafEntry(current, static_cast<std::uint16_t>(code));
        break;
      case WireCode::EndBranch:
        skipEmptyOrString();  // the name is not used
        if (openCount_ == 1 && !rootOpen) fail(LineUnknownEntryCode);
        completeBranch(current);
        if (openCount_ == 1) rootOpen = false;  // reopened only if an entry follows
        --openCount_;  // back to the parent, as it was when the branch was opened
        break;
      default:
        refuseEntry();
    }
  }
  documentEntries_ = entries;
  while (openCount_ != 0) {
    completeBranch(openBranches_[openCount_ - 1]);
    --openCount_;
  }
}

// A refused entry's name is consumed with its code.
void FastTreeStreamer::refuseEntry() {
  skipString();
  fail(LineUnknownEntryCode);
}

// Opens the branch of a BeginBranch entry of current on the stack of open branches.
BRINDLE_HOT_INLINE void FastTreeStreamer::openSubBranch(OpenBranch& current) {
  std::unique_ptr<AttributeNode>& slot = entrySlot(current, true);
  const int depth = current.depth;
  if (depth >= MaxDepth) fail(LineUnknownEntryCode);
  if (slot && slot->kind() == NodeKind::Branch)
    freshen(*slot);
  else
    slot = std::make_unique<AttributeTree>();
  auto& opened = static_cast<AttributeTree&>(*slot);
  openBranch(pushBranch(), opened, depth + 1, false);  // current may move
}

// A record on the stack of open branches. The records stay from one read to the next (the
// stack is at most MaxDepth deep): openBranch sets every field a branch reads.
BRINDLE_HOT_INLINE FastTreeStreamer::OpenBranch& FastTreeStreamer::pushBranch() {
  if (openCount_ == openBranches_.size()) openBranches_.emplace_back();
  return openBranches_[openCount_++];
}

// The usual entries of a reply read over the last one: text or integer leaves without a tag,
// each where the earlier tree has a leaf of its name and kind next in line, whole in the
// window. From this entry on (its code already taken) they are decoded in a row, each after
// one look at the window's length, their values written over the leaves, which end as
// readLeafInto would leave them; the window, the cursor and the counts are brought up to date
// once. False, with nothing taken, when this entry is not one of them (readLeafEntry reads it);
// else true, with entries counting the ones read after it. The first other entry's code is
// left to the loop.
BRINDLE_HOT_INLINE bool FastTreeStreamer::overwriteExpectedLeaves(OpenBranch& open, WireCode code, std::size_t& entries) {
  if (open.earlierCount == 0 || open.marked) return false;
  // Held here: read through open they would be loaded again after every value written.
  const unsigned char* const end = end_;
  AttributeChildren::value_type* const earlier = open.earlier;
  const std::size_t earlierCount = open.earlierCount;
  const std::size_t most = MaxEntries - entries;  // entries is at most MaxEntries
  const unsigned char* fields = at_;  // behind the code of the entry at hand
  const unsigned char* read = nullptr;  // behind the last entry read
  std::size_t cursor = open.leafCursor;
  std::size_t bytes = 0;
  std::size_t count = 0;
  for (;;) {
    while (cursor < earlierCount && earlier[cursor].second->kind() == NodeKind::Branch) ++cursor;
    if (cursor == earlierCount) break;
    const unsigned char* behind = overwriteLeaf(fields, end, code, earlier[cursor], bytes);
    if (behind == nullptr) break;
    read = behind;
    ++cursor;
    ++count;
    // entries + count - 1 entries are read; one more past MaxEntries is the loop's to refuse.
    if (end - read < 2 || count > most) break;
    code = static_cast<WireCode>(get16(read));
    if (code != WireCode::IntegerEntry && code != WireCode::TextEntry) break;
    fields = read + 2;
  }
  if (count == 0) return false;
  at_ = read;
  open.leafCursor = cursor;
  open.takenCount += count;  // found where expected: never taken before
  documentBytes_ += bytes;
  entries += count - 1;
  return true;
}

// One text or integer entry whose fields start at fields, over earlier: the pointer behind
// the entry when it is whole before end, without a tag, named as earlier and of its kind;
// else null, with nothing written. bytes grows by the entry's name and text.
BRINDLE_HOT_INLINE const unsigned char* FastTreeStreamer::overwriteLeaf(const unsigned char* fields,
                                                                        const unsigned char* end, WireCode code,
                                                                        AttributeChildren::value_type& earlier,
                                                                        std::size_t& bytes) {
  AttributeNode& node = *earlier.second;
  const bool isText = code == WireCode::TextEntry;
  if (node.kind() != (isText ? NodeKind::Text : NodeKind::Integer)) return nullptr;
  const auto available = static_cast<std::size_t>(end - fields);
  if (available < 2) return nullptr;
  const std::uint32_t nameLength = get16(fields);
  // The value's fields take 8 bytes at least (an integer's; a text's with its length, 6 and the text).
  if (nameLength == LongStringMark || available - 2 < std::size_t{nameLength} + 8) return nullptr;
  if (!sameName(earlier.first, std::string_view(reinterpret_cast<const char*>(fields + 2), nameLength))) return nullptr;
  const unsigned char* value = fields + 2 + nameLength;
  const unsigned char* behind;
  if (!isText) {
    if (get16(value + 6) != 0) return nullptr;
    static_cast<IntegerAttribute&>(node).setValue(static_cast<std::int32_t>(get32(value)));
    node.setIsSet(isSetFromFlag(get16(value + 4)));
    behind = value + 8;
  } else {
    const std::uint32_t textLength = get16(value);
    const std::size_t valueRoom = available - 2 - nameLength;
    if (textLength == LongStringMark || valueRoom < std::size_t{textLength} + 6 || get16(value + 4 + textLength) != 0)
      return nullptr;
    std::string& text = static_cast<TextAttribute&>(node).text_;
    releaseGrown(text);
    assignString(text, std::string_view(reinterpret_cast<const char*>(value + 2), textLength));
    bytes += text.size();
    node.setIsSet(isSetFromFlag(get16(value + 2 + textLength)));
    behind = value + 6 + textLength;
  }
  releaseGrown(node.tag_);
  node.tag_.clear();
  bytes += nameLength;
  return behind;
}

BRINDLE_HOT_INLINE void FastTreeStreamer::readLeafEntry(OpenBranch& current, std::uint16_t code) {
  std::unique_ptr<AttributeNode>& slot = entrySlot(current, false);
  if (slot && slot->kind() == leafKindOf(code))
    readLeafInto(code, *slot);
  else
    slot = readLeaf(code);
}

// Sets open up for branch. keepEarlier: the children the branch has stay whether or not an
// entry takes their place (the root reopened after its EndBranch): they count as taken, and
// as none is expected, an entry finds its place by name. The fields are set one by one where
// open lies: a record built aside and copied in costs a stalled copy per branch.
BRINDLE_HOT_INLINE void FastTreeStreamer::openBranch(OpenBranch& open, AttributeTree& branch, int depth, bool keepEarlier) {
  AttributeChildrenEditor children(branch.children_);
  const auto first = children.begin();  // settles: earlier entries are addressed by their place in name order
  const auto earlier = static_cast<std::size_t>(children.end() - first);
  open.branch = &branch;
  open.firstPending = pending_.size();
  open.earlier = earlier == 0 ? nullptr : &*first;
  open.earlierCount = earlier;
  open.takenCount = keepEarlier ? earlier : 0;
  open.leafCursor = open.branchCursor = keepEarlier ? earlier : 0;
  open.depth = depth;
  open.ordered = true;
  open.marked = false;
}

// While every entry was found where it was expected, the earlier entries taken are the leaves
// before leafCursor and the branches before branchCursor, and taken_ is not written. Before an
// entry is looked for out of that order, that is written down.
// The marks are taken from the top of taken_ then: only the innermost branch is read, so the
// marks of the branches open form a stack.
void FastTreeStreamer::markTakenSoFar(OpenBranch& open) {
  if (open.marked) return;
  open.firstMark = takenTop_;
  takenTop_ += open.earlierCount;
  if (taken_.size() < takenTop_) taken_.resize(takenTop_);
  unsigned char* marks = taken_.data() + open.firstMark;
  for (std::size_t i = 0; i < open.earlierCount; ++i)
    marks[i] = i < open.cursor(earlierAt(open, i).second->kind() == NodeKind::Branch) ? 1 : 0;
  open.marked = true;
}

// The earlier entry at index taken by an entry of the document; its slot.
BRINDLE_HOT_INLINE std::unique_ptr<AttributeNode>& FastTreeStreamer::takeEarlier(OpenBranch& open, std::size_t index) {
  AttributeChildren::value_type& earlier = earlierAt(open, index);
  documentBytes_ += earlier.first.size();
  if (!open.marked) {
    ++open.takenCount;  // found where expected: never taken before
    return earlier.second;
  }
  unsigned char& mark = taken_[open.firstMark + index];
  if (!mark) {
    mark = 1;
    ++open.takenCount;
  }
  return earlier.second;
}

bool FastTreeStreamer::isTaken(const OpenBranch& open, std::size_t index) const {
  return taken_[open.firstMark + index] != 0;
}

// Reads the name of a new entry of open and returns where its node goes: the place of the
// earlier entry of that name, or a new pending entry. The name is compared where it lies in
// the window: an entry found where the last one of its group was costs no copy.
BRINDLE_HOT_INLINE std::unique_ptr<AttributeNode>& FastTreeStreamer::entrySlot(OpenBranch& open, bool isBranch) {
  const std::string_view wire = takeString(name_);
  if (open.earlierCount != 0) {
    const std::size_t expected = expectedEarlier(open, isBranch);
    if (expected != NotFound && sameName(earlierAt(open, expected).first, wire)) {
      open.cursor(isBranch) = expected + 1;
      return takeEarlier(open, expected);
    }
    markTakenSoFar(open);
    const std::size_t found = findEarlier(open, cutAtNul(wire), isBranch);
    if (found != NotFound) return takeEarlier(open, found);
  }
  return appendPending(cutAtNul(wire), open);
}

BRINDLE_HOT_INLINE AttributeChildren::value_type& FastTreeStreamer::earlierAt(OpenBranch& open, std::size_t index) {
  return open.earlier[index];
}

// Where the next entry of that group is expected among the earlier entries: behind the last
// one found, past the entries of the other group. NotFound when none is left.
BRINDLE_HOT_INLINE std::size_t FastTreeStreamer::expectedEarlier(OpenBranch& open, bool isBranch) {
  std::size_t cursor = open.cursor(isBranch);
  while (cursor < open.earlierCount && (earlierAt(open, cursor).second->kind() == NodeKind::Branch) != isBranch)
    ++cursor;
  open.cursor(isBranch) = cursor;
  return cursor < open.earlierCount ? cursor : NotFound;
}

std::size_t FastTreeStreamer::findEarlier(OpenBranch& open, std::string_view name, bool isBranch) {
  const AttributeChildren& children = open.branch->children_;
  const auto found = children.find(name);
  if (found == children.end()) return NotFound;
  const auto index = static_cast<std::size_t>(found - children.begin());
  open.cursor(isBranch) = index + 1;
  return index;
}

// A new entry of open. An entry with the same name as the one before it takes that one's
// place at once, so a peer repeating a name costs no memory.
std::unique_ptr<AttributeNode>& FastTreeStreamer::appendPending(std::string_view name, OpenBranch& open) {
  documentBytes_ += name.size();
  const std::size_t count = pending_.size();
  if (count > open.firstPending) {
    AttributeChildren::value_type& previous = pending_[count - 1];
    if (previous.first == name) return previous.second;
    if (open.ordered && name < previous.first) open.ordered = false;
  }
  AttributeChildren::value_type& entry = pending_.emplace_back();
  entry.first.assign(name.data(), name.size());
  return entry.second;
}

// A branch read over one of its shape (every earlier entry taken, none new) is complete as it stands.
BRINDLE_HOT_INLINE void FastTreeStreamer::completeBranch(OpenBranch& open) {
  if (open.takenCount != open.earlierCount || open.firstPending != pending_.size()) changeBranch(open);
  open.earlierCount = open.takenCount = 0;
  if (open.marked) takenTop_ = open.firstMark;
}

// Drops the earlier entries of open that no entry took and moves its new entries in.
void FastTreeStreamer::changeBranch(OpenBranch& open) {
  AttributeChildrenEditor children(open.branch->children_);
  if (open.takenCount != open.earlierCount) {
    markTakenSoFar(open);
    dropUntaken(open);
  }
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
    if (!isTaken(open, i)) continue;
    if (kept != i) base[static_cast<std::ptrdiff_t>(kept)] = std::move(base[static_cast<std::ptrdiff_t>(i)]);
    ++kept;
  }
  children.truncate(kept);
}

// --- Leaves ---------------------------------------------------------------------------------

std::unique_ptr<AttributeNode> FastTreeStreamer::readLeaf(std::uint16_t code) {
  switch (static_cast<WireCode>(code)) {
    case WireCode::IntegerEntry: {
      const auto value = static_cast<std::int32_t>(takeU32());
      const std::uint16_t flag = takeU16();
      readTag(tag_);
      auto leaf = std::make_unique<IntegerAttribute>(value, tag_.c_str());
      leaf->setIsSet(isSetFromFlag(flag));
      return leaf;
    }
    case WireCode::TextEntry: {
      std::string text;  // read straight into the string the leaf keeps
      readText(text);
      const std::uint16_t flag = takeU16();
      readTag(tag_);
      auto leaf = std::make_unique<TextAttribute>(std::move(text), tag_.c_str());
      leaf->setIsSet(isSetFromFlag(flag));
      return leaf;
    }
    default: {
      auto leaf = std::make_unique<BinaryAttribute>();
      readBinaryValue(*leaf);
      return leaf;
    }
  }
}

// The entry's value, flag and tag written over a leaf of its kind: the leaf ends as readLeaf
// would have made it.
BRINDLE_HOT_INLINE void FastTreeStreamer::readLeafInto(std::uint16_t code, AttributeNode& node) {
  switch (static_cast<WireCode>(code)) {
    case WireCode::IntegerEntry: {
      auto& leaf = static_cast<IntegerAttribute&>(node);
      leaf.setValue(static_cast<std::int32_t>(takeU32()));
      leaf.setIsSet(isSetFromFlag(takeU16()));
      break;
    }
    case WireCode::TextEntry: {
      auto& leaf = static_cast<TextAttribute&>(node);
      readText(leaf.text_);
      leaf.setIsSet(isSetFromFlag(takeU16()));
      break;
    }
    default: {
      auto& leaf = static_cast<BinaryAttribute&>(node);
      readBinaryValue(leaf);
      freshen(leaf);  // a binary entry carries neither flag nor tag
      return;
    }
  }
  readTag(node.tag_);
  if (node.tag_.size() == 4 && node.tag_.compare(0, 4, "null", 4) == 0) node.tag_.clear();  // as setTag takes it
}

// A text value or a tag, into a string that keeps its memory up to KeptStringCapacity.
BRINDLE_HOT_INLINE void FastTreeStreamer::readText(std::string& target) {
  releaseGrown(target);
  assignString(target, takeString(target));
  documentBytes_ += target.size();
}

// Mostly empty: two zero bytes in the window.
BRINDLE_HOT_INLINE void FastTreeStreamer::readTag(std::string& target) {
  if (end_ - at_ >= 2 && (at_[0] | at_[1]) == 0) {
    at_ += 2;
    releaseGrown(target);
    target.clear();
    return;
  }
  readText(target);
}

// A binary entry's length and bytes into leaf: straight into its buffer when they are few or
// all in the window, else through a buffer that grows as they arrive.
void FastTreeStreamer::readBinaryValue(BinaryAttribute& leaf) {
  const std::uint32_t length = takeU32();
  if (length > CInputStream::MaxStringLength) fail(CInputStream::LineLengthTooLarge);
  if (length <= CInputStream::FirstGrowth || length <= static_cast<std::size_t>(end_ - at_)) {
    takeInto(leaf.allocate(length), length);
  } else {
    settleInput();
    leaf.bytes_ = input_->readGrowing(length);
    leaf.length_ = length;
    resumeInput();
  }
  documentBytes_ += length;
}
