#include "common/BRMessage.h"

#include <algorithm>
#include <limits>

namespace {
constexpr const char* HeaderName = "header";
constexpr const char* DataName = "data";
// A buffer grown past this by one large message is given back after it.
constexpr std::size_t KeptOutgoingCapacity = 1u << 20;

// The header values are children named without path delimiters, so they are
// stored and looked up by exact name: the same tree as setInteger/setText and
// getInteger/getText would give, without splitting a path or copying a leaf.
void storeInteger(AttributeTree& header, const char* name, std::int32_t value) {
  header.adopt(name, std::make_unique<IntegerAttribute>(value));
}

void storeText(AttributeTree& header, const char* name, const std::string& text) {
  header.adopt(name, std::make_unique<TextAttribute>(text.c_str()));
}

const AttributeNode& childOfKind(const AttributeTree& header, const char* name, NodeKind kind) {
  const auto found = header.children().find(std::string_view(name));
  if (found == header.children().end() || found->second->kind() != kind) throw NodeNotFoundException();
  return *found->second;
}

std::int32_t takeInteger(const AttributeTree& header, const char* name) {
  return static_cast<const IntegerAttribute&>(childOfKind(header, name, NodeKind::Integer)).value();
}

// Assigns in place, so the field keeps its memory from one reply to the next.
void takeText(const AttributeTree& header, const char* name, std::string& field) {
  field = static_cast<const TextAttribute&>(childOfKind(header, name, NodeKind::Text)).text();
}
}  // namespace

platform::CriticalSection BRMessage::m_critical;

BRMessage::BRMessage() = default;

BRMessage::~BRMessage() = default;

void BRMessage::clear() {
  tree_.remove(HeaderName);
  tree_.remove(DataName);
}

AttributeTree& BRMessage::header() {
  const auto& children = tree_.children();
  const auto found = children.find(HeaderName);
  if (found != children.end() && found->second->kind() == NodeKind::Branch) {
    return static_cast<AttributeTree&>(*found->second);
  }
  return static_cast<AttributeTree&>(*tree_.adopt(HeaderName, std::make_unique<AttributeTree>()));
}

AttributeNode& BRMessage::data() {
  const auto& children = tree_.children();
  const auto found = children.find(DataName);
  if (found != children.end()) return *found->second;
  return *tree_.adopt(DataName, std::make_unique<AttributeTree>());
}

AttributeTree* BRMessage::dataBranch() {
  AttributeNode& node = data();
  return node.kind() == NodeKind::Branch ? static_cast<AttributeTree*>(&node) : nullptr;
}

void BRMessage::send(CIOStream& stream, int selective) {
  // Stored in name order, so that each is an append to a fresh header; the
  // resulting header is the same in any order.
  AttributeTree& head = header();
  storeText(head, "Agent", Agent);
  storeInteger(head, "ErrorCode", ErrorCode);
  storeInteger(head, "MessageType", MessageType);
  storeInteger(head, "ProtocolVersion", ProtocolVersion);
  storeText(head, "SecurityDescriptor", SecurityDescriptor);

  outgoing_.clear();
  streamer_.writeTree(outgoing_, head, "", -1, 0);
  streamer_.writeNode(outgoing_, data(), "", -1, selective);

  // One write for the whole message (a message above 4 GiB needs more).
  const unsigned char* bytes = outgoing_.data();
  std::size_t left = outgoing_.size();
  while (left != 0) {
    const auto chunk = static_cast<std::uint32_t>(std::min<std::size_t>(left, std::numeric_limits<std::uint32_t>::max()));
    stream.writeAll(bytes, chunk);
    bytes += chunk;
    left -= chunk;
  }
  if (outgoing_.capacity() > KeptOutgoingCapacity) outgoing_.release();
}

void BRMessage::receive(CInputStream& stream) {
  std::unique_ptr<AttributeNode> head = streamer_.readTree(stream);
  // A header must be a branch. A leaf header is kept out of the message (an
  // empty header takes its place) and reported once the data document has
  // been read too, so the stream stays in step and the message usable.
  const bool headerIsLeaf = head->kind() != NodeKind::Branch;
  if (headerIsLeaf) head = std::make_unique<AttributeTree>();
  tree_.adopt(HeaderName, std::move(head));

  tree_.adopt(DataName, streamer_.readTree(stream));
  if (headerIsLeaf) throw NodeNotFoundException();

  const AttributeTree& received = header();
  MessageType = takeInteger(received, "MessageType");
  ErrorCode = takeInteger(received, "ErrorCode");
  takeText(received, "SecurityDescriptor", SecurityDescriptor);
  takeText(received, "Agent", Agent);
  ProtocolVersion = takeInteger(received, "ProtocolVersion");
}
