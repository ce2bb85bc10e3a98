#include "common/FastTreeStreamer.h"

#include <cstring>
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

// Open branches are kept on an explicit stack, never on the call stack. The
// stack starts holding the root, so the root's own EndBranch empties it and
// anything before EndOfTree still lands in the root.
void FastTreeStreamer::readBranchContents(CInputStream& stream, AttributeTree& root) {
  struct Open {
    AttributeTree* branch;
    int depth;
  };
  std::vector<Open> stack;
  stack.reserve(16);
  Open current{&root, 1};
  stack.push_back(current);
  for (;;) {
    const std::uint16_t code = stream.readU16();
    if (code == static_cast<std::uint16_t>(WireCode::EndOfTree)) return;
    stream.readString(name_);
    switch (static_cast<WireCode>(code)) {
      case WireCode::BeginBranch: {
        if (current.depth >= MaxDepth) failFormat(LineUnknownEntryCode);
        auto* child = static_cast<AttributeTree*>(current.branch->adopt(name_, std::make_unique<AttributeTree>()));
        stack.push_back(current);
        current = Open{child, current.depth + 1};
        break;
      }
      case WireCode::EndBranch:
        if (stack.empty()) failFormat(LineUnknownEntryCode);
        current = stack.back();
        stack.pop_back();
        break;
      case WireCode::IntegerEntry:
      case WireCode::TextEntry:
      case WireCode::BinaryEntry: {
        // The leaf is read before the name is used, and readLeaf reuses only
        // the text and tag buffers, so name_ still holds the entry's name.
        std::unique_ptr<AttributeNode> leaf = readLeaf(stream, code);
        current.branch->adopt(name_, std::move(leaf));
        break;
      }
      default:
        failFormat(LineUnknownEntryCode);
    }
  }
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
      stream.readString(text_);
      const std::uint16_t flag = stream.readU16();
      stream.readString(tag_);
      auto leaf = std::make_unique<TextAttribute>(text_, tag_.c_str());
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
