#include "common/FastTreeStreamer.h"

#include <cstring>
#include <string_view>
#include <tuple>
#include <vector>

#include "common/CBRWebIOStreamException.h"

namespace {

[[noreturn]] void failFormat(int line) {
  throw CBRWebIOStreamException(TransportBadTreeFormat, 0, SourceFastTreeStreamer, line);
}

// Strings go on the wire up to their first NUL.
std::uint32_t wireLength(const std::string& text) {
  const void* nul = std::memchr(text.data(), '\0', text.size());
  const std::size_t length = nul ? static_cast<const char*>(nul) - text.data() : text.size();
  return static_cast<std::uint32_t>(length);
}

std::uint16_t flagOf(const AttributeNode& leaf) { return leaf.isSet() != 0 ? 1 : 0; }

// The flag travels as u16 and is taken back as a signed 16-bit number.
int isSetFromFlag(std::uint16_t flag) { return static_cast<std::int16_t>(flag); }

}  // namespace

FastTreeStreamer::~FastTreeStreamer() = default;

// --- Writing -------------------------------------------------------------------------------

void FastTreeStreamer::writeTree(CIOStream& stream, AttributeTree& tree, const char* name, int depth,
                                 int selective) {
  stream_ = &stream;
  selective_ = selective;
  stream.writeString(FormatTag);
  tree.accept(*this, name, depth);
  writeCode(WireCode::EndOfTree);
}

void FastTreeStreamer::writeNode(CIOStream& stream, AttributeNode& node, const char* name, int depth,
                                 int selective) {
  if (node.kind() == NodeKind::Branch) {
    writeTree(stream, static_cast<AttributeTree&>(node), name, depth, selective);
    return;
  }
  if (node.kind() == NodeKind::PlainInteger) failFormat(LineNoWireForm);
  stream_ = &stream;
  selective_ = selective;
  stream.writeString(FormatTag);
  switch (node.kind()) {
    case NodeKind::Integer:
      writeIntegerEntry("", static_cast<IntegerAttribute&>(node));
      break;
    case NodeKind::Text:
      writeTextEntry("", static_cast<TextAttribute&>(node));
      break;
    default:
      writeBinaryEntry("", static_cast<BinaryAttribute&>(node));
      break;
  }
}

int FastTreeStreamer::beginNode(const char* name, AttributeTree*) {
  writeCode(WireCode::BeginBranch);
  writeName(name);
  return 1;
}

int FastTreeStreamer::endNode(const char*, AttributeTree*) {
  writeCode(WireCode::EndBranch);
  stream_->writeU16(0);  // the name is always written empty
  return 1;
}

int FastTreeStreamer::integer(const char* name, IntegerAttribute* leaf) {
  if (!skipped(*leaf)) writeIntegerEntry(name, *leaf);
  return 1;
}

int FastTreeStreamer::text(const char* name, TextAttribute* leaf) {
  if (!skipped(*leaf)) writeTextEntry(name, *leaf);
  return 1;
}

int FastTreeStreamer::binary(const char* name, BinaryAttribute* leaf) {
  writeBinaryEntry(name, *leaf);
  return 1;
}

void FastTreeStreamer::writeCode(WireCode code) { stream_->writeU16(static_cast<std::uint16_t>(code)); }

void FastTreeStreamer::writeName(const char* name) { stream_->writeString(name); }

void FastTreeStreamer::writeIntegerEntry(const char* name, const IntegerAttribute& leaf) {
  writeCode(WireCode::IntegerEntry);
  writeName(name);
  stream_->writeU32(static_cast<std::uint32_t>(leaf.value()));
  stream_->writeU16(flagOf(leaf));
  stream_->writeString(leaf.tag());
}

void FastTreeStreamer::writeTextEntry(const char* name, const TextAttribute& leaf) {
  writeCode(WireCode::TextEntry);
  writeName(name);
  stream_->writeString(leaf.text().data(), wireLength(leaf.text()));
  stream_->writeU16(flagOf(leaf));
  stream_->writeString(leaf.tag());
}

void FastTreeStreamer::writeBinaryEntry(const char* name, const BinaryAttribute& leaf) {
  writeCode(WireCode::BinaryEntry);
  writeName(name);
  stream_->writeU32(leaf.length());
  if (leaf.length() != 0) stream_->writeAll(leaf.bytes(), leaf.length());
}

// --- Reading -------------------------------------------------------------------------------

std::unique_ptr<AttributeNode> FastTreeStreamer::readTree(CInputStream& stream) {
  stream.readString(tag_);  // the format tag; any tag is accepted
  const std::uint16_t code = stream.readU16();
  stream.readString(name_);  // the root's name; the caller decides where the node goes
  switch (static_cast<WireCode>(code)) {
    case WireCode::BeginBranch: {
      auto root = std::make_unique<AttributeTree>();
      readBranchContents(stream, *root);
      return root;
    }
    case WireCode::IntegerEntry:
    case WireCode::TextEntry:
    case WireCode::BinaryEntry:
      return readLeaf(stream, code);
    default:
      failFormat(LineUnknownRootCode);
  }
}

namespace {
// After a read the reader's buffers keep their memory for the next one, up to this many
// entries; a wider document's buffers are given back.
constexpr std::size_t KeptPendingEntries = 4096;
}  // namespace

// Open branches are kept on an explicit stack, never on the call stack. The
// stack starts holding the root, so the root's own EndBranch empties it and
// anything before EndOfTree still lands in the root.
//
// The entries of the open branches wait in pending_, innermost branch last,
// and move into their branch, in one block of the right size, when it is
// complete (EndBranch, or EndOfTree for every branch still open). A writer
// sends a branch's leaves in name order and then its sub-branches in name
// order; a branch whose names did not arrive ascending is sorted once then,
// keeping the later of two entries with the same name. So a branch costs one
// allocation for its children, and O(n log n) whatever order a peer sends.
void FastTreeStreamer::readBranchContents(CInputStream& stream, AttributeTree& root) {
  // Whatever happens, nothing of this read stays behind in the buffers (the
  // partly read tree is the caller's to discard).
  struct Reset {
    FastTreeStreamer& self;
    ~Reset() {
      self.pending_.clear();
      self.openBranches_.clear();
      if (self.pending_.capacity() > KeptPendingEntries) std::vector<AttributeChildren::value_type>().swap(self.pending_);
      if (self.openBranches_.capacity() > KeptPendingEntries) std::vector<OpenBranch>().swap(self.openBranches_);
    }
  } reset{*this};
  pending_.clear();
  openBranches_.clear();
  OpenBranch current{&root, 0, 1, true};
  openBranches_.push_back(current);
  std::size_t entries = 0;
  for (;;) {
    const auto code = static_cast<WireCode>(stream.readU16());
    if (code != WireCode::EndOfTree && ++entries > MaxEntries) {
      stream.readString(name_);  // consumed with the code, as for any refused entry
      failFormat(LineUnknownEntryCode);
    }
    switch (code) {
      case WireCode::EndOfTree:
        completeBranch(current);
        while (!openBranches_.empty()) {
          completeBranch(openBranches_.back());
          openBranches_.pop_back();
        }
        return;
      case WireCode::BeginBranch: {
        std::unique_ptr<AttributeNode>& node = appendPending(stream, current);
        if (current.depth >= MaxDepth) failFormat(LineUnknownEntryCode);
        auto child = std::make_unique<AttributeTree>();
        AttributeTree* opened = child.get();
        node = std::move(child);
        openBranches_.push_back(current);
        current = OpenBranch{opened, pending_.size(), current.depth + 1, true};
        break;
      }
      case WireCode::IntegerEntry:
      case WireCode::TextEntry:
      case WireCode::BinaryEntry: {
        std::unique_ptr<AttributeNode>& node = appendPending(stream, current);
        node = readLeaf(stream, static_cast<std::uint16_t>(code));
        break;
      }
      case WireCode::EndBranch:
        stream.readString(name_);  // not used
        if (openBranches_.empty()) failFormat(LineUnknownEntryCode);
        completeBranch(current);
        current = openBranches_.back();  // the parent, as it was when the branch was opened
        openBranches_.pop_back();
        break;
      default:
        stream.readString(name_);  // consumed with the code
        failFormat(LineUnknownEntryCode);
    }
  }
}

// A new entry of open, its name read straight into the entry; returns where
// its node goes. An entry with the same name as the one before it takes that
// one's place at once, so a peer repeating a name costs no memory.
std::unique_ptr<AttributeNode>& FastTreeStreamer::appendPending(CInputStream& stream, OpenBranch& open) {
  AttributeChildren::value_type& entry = pending_.emplace_back();
  stream.readString(entry.first);
  const std::size_t count = pending_.size();
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
  const auto first = pending_.begin() + static_cast<std::ptrdiff_t>(open.firstPending);
  if (first == pending_.end()) return;
  AttributeChildren& children = open.branch->children_;
  // Entries that arrive after the root's own EndBranch join the children it has already.
  const bool joining = !children.empty();
  const auto last = open.ordered || joining ? pending_.end() : AttributeChildren::orderKeepingLast(first, pending_.end());
  children.reserve(children.size() + static_cast<std::size_t>(last - first));
  for (auto it = first; it != last; ++it) children.appendUnordered(std::move(it->first), std::move(it->second));
  if (joining) children.restoreOrder();
  pending_.erase(first, pending_.end());
  open.ordered = true;
}

std::unique_ptr<AttributeNode> FastTreeStreamer::readLeaf(CInputStream& stream, std::uint16_t code) {
  switch (static_cast<WireCode>(code)) {
    case WireCode::IntegerEntry: {
      const auto value = static_cast<std::int32_t>(stream.readU32());
      const std::uint16_t flag = stream.readU16();
      stream.readString(tag_);
      auto leaf = std::make_unique<IntegerAttribute>(value, tag_.c_str());
      leaf->setIsSet(isSetFromFlag(flag));
      return leaf;
    }
    case WireCode::TextEntry: {
      std::string text;  // read straight into the string the leaf keeps
      stream.readString(text);
      const std::uint16_t flag = stream.readU16();
      stream.readString(tag_);
      auto leaf = std::make_unique<TextAttribute>(std::move(text), tag_.c_str());
      leaf->setIsSet(isSetFromFlag(flag));
      return leaf;
    }
    default: {
      const std::uint32_t length = stream.readU32();
      if (length > CInputStream::MaxStringLength) failFormat(CInputStream::LineLengthTooLarge);
      auto leaf = std::make_unique<BinaryAttribute>();
      if (length != 0) stream.readFully(leaf->allocate(length), length);
      return leaf;
    }
  }
}
