#include "common/BRMessage.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <string_view>
#include <vector>

namespace {
constexpr std::string_view HeaderName = "header";
constexpr std::string_view DataName = "data";
// A buffer grown past this by one large message is given back after it.
constexpr std::size_t KeptOutgoingCapacity = 1u << 20;
// A removed half is kept for recycling only up to this size, so that a message holds on to
// no more than a small reply's memory once it is cleared.
constexpr std::size_t KeptSpareEntries = 1024;
constexpr std::size_t KeptSpareBytes = 64 * 1024;
// A header value's text keeps its memory up to this size from one request to the next.
constexpr std::size_t KeptTextCapacity = 1024;

// The five header values, in name order.
constexpr std::string_view HeaderValueNames[] = {"Agent", "ErrorCode", "MessageType", "ProtocolVersion",
                                                 "SecurityDescriptor"};

bool isHeaderValueName(std::string_view name) {
  for (const std::string_view valueName : HeaderValueNames)
    if (name == valueName) return true;
  return false;
}

// The header values are children named without path delimiters, so they are
// stored and looked up by exact name: the same tree as setInteger/setText and
// getInteger/getText would give, without splitting a path or copying a leaf.
// A leaf of the name and kind that is there already is overwritten in place
// and ends as a new one would: the value, isSet 0 and no tag.
template <typename Leaf>
Leaf* existingLeaf(AttributeTree& header, std::string_view name, NodeKind kind) {
  const auto found = header.children().find(name);
  if (found == header.children().end() || found->second->kind() != kind) return nullptr;
  return static_cast<Leaf*>(found->second.get());
}

void storeInteger(AttributeTree& header, std::string_view name, std::int32_t value) {
  if (auto* leaf = existingLeaf<IntegerAttribute>(header, name, NodeKind::Integer)) {
    leaf->setValue(value);
    leaf->setIsSet(0);
    leaf->setTag(nullptr);
    return;
  }
  header.adopt(std::string(name), std::make_unique<IntegerAttribute>(value));
}

void storeText(AttributeTree& header, std::string_view name, const std::string& text) {
  auto* leaf = existingLeaf<TextAttribute>(header, name, NodeKind::Text);
  if (leaf && leaf->text().capacity() <= KeptTextCapacity) {
    leaf->setText(text.c_str());  // as a new leaf takes it: up to the first NUL
    leaf->setIsSet(0);
    leaf->setTag(nullptr);
    return;
  }
  header.adopt(std::string(name), std::make_unique<TextAttribute>(text.c_str()));
}

// A kept header made ready to be the header of a request: an empty branch but
// for the leaves of the five values, which send overwrites.
void keepOnlyHeaderValues(AttributeTree& header) {
  header.setIsSet(0);
  header.setTag(nullptr);
  const auto& children = header.children();
  std::size_t index = 0;
  for (; index < children.size() && index < std::size(HeaderValueNames); ++index)
    if ((children.begin() + static_cast<std::ptrdiff_t>(index))->first != HeaderValueNames[index]) break;
  if (index == children.size()) return;  // a reply's header: nothing else to drop
  std::vector<std::string> others;
  for (const auto& [name, node] : children)
    if (!isHeaderValueName(name)) others.push_back(name);
  for (const std::string& name : others) header.adopt(name, nullptr);
}

const AttributeNode& childOfKind(const AttributeTree& header, std::string_view name, NodeKind kind) {
  const auto found = header.children().find(name);
  if (found == header.children().end() || found->second->kind() != kind) throw NodeNotFoundException();
  return *found->second;
}

std::int32_t takeInteger(const AttributeTree& header, std::string_view name) {
  return static_cast<const IntegerAttribute&>(childOfKind(header, name, NodeKind::Integer)).value();
}

// Assigns in place, so the field keeps its memory from one reply to the next.
void takeText(const AttributeTree& header, std::string_view name, std::string& field) {
  field = static_cast<const TextAttribute&>(childOfKind(header, name, NodeKind::Text)).text();
}

bool smallEnoughToKeep(const FastTreeStreamer& streamer) {
  return streamer.entriesRead() <= KeptSpareEntries && streamer.bytesRead() <= KeptSpareBytes;
}
}  // namespace

platform::CriticalSection BRMessage::m_critical;

BRMessage::BRMessage() = default;

BRMessage::~BRMessage() = default;

void BRMessage::clear() {
  std::unique_ptr<AttributeNode> header = tree_.exchange(HeaderName, nullptr);
  std::unique_ptr<AttributeNode> data = tree_.exchange(DataName, nullptr);
  if (headerKeepable_) keepSpareHeader(std::move(header));
  if (dataKeepable_ && data) spareData_ = std::move(data);
  headerKeepable_ = dataKeepable_ = false;
}

AttributeTree& BRMessage::header() {
  const auto& children = tree_.children();
  const auto found = children.find(HeaderName);
  if (found != children.end() && found->second->kind() == NodeKind::Branch) {
    return static_cast<AttributeTree&>(*found->second);
  }
  headerKeepable_ = false;
  return static_cast<AttributeTree&>(*tree_.adopt(std::string(HeaderName), std::make_unique<AttributeTree>()));
}

AttributeNode& BRMessage::data() {
  const auto& children = tree_.children();
  const auto found = children.find(DataName);
  if (found != children.end()) return *found->second;
  dataKeepable_ = false;
  return *tree_.adopt(std::string(DataName), std::make_unique<AttributeTree>());
}

AttributeTree* BRMessage::dataBranch() {
  AttributeNode& node = data();
  return node.kind() == NodeKind::Branch ? static_cast<AttributeTree*>(&node) : nullptr;
}

void BRMessage::keepSpareHeader(std::unique_ptr<AttributeNode> header) {
  if (!header || header->kind() != NodeKind::Branch) return;
  std::unique_ptr<AttributeNode>& slot = spareHeaders_[0] ? spareHeaders_[1] : spareHeaders_[0];
  slot = std::move(header);  // a third one replaces the second
}

std::unique_ptr<AttributeNode> BRMessage::takeSpareHeader() {
  return std::move(spareHeaders_[1] ? spareHeaders_[1] : spareHeaders_[0]);
}

// The header to write the five values into: the one in the tree, else a kept
// one, else a new one.
AttributeTree& BRMessage::headerToSend() {
  const auto& children = tree_.children();
  const auto found = children.find(HeaderName);
  if (found != children.end() && found->second->kind() == NodeKind::Branch) {
    return static_cast<AttributeTree&>(*found->second);
  }
  std::unique_ptr<AttributeNode> spare = takeSpareHeader();
  if (!spare) return header();
  auto& head = static_cast<AttributeTree&>(*spare);
  keepOnlyHeaderValues(head);
  tree_.adopt(std::string(HeaderName), std::move(spare));
  headerKeepable_ = true;
  return head;
}

void BRMessage::send(CIOStream& stream, int selective) {
  // Stored in name order, so that each is an append to a fresh header; the
  // resulting header is the same in any order.
  AttributeTree& head = headerToSend();
  storeText(head, "Agent", Agent);
  storeInteger(head, "ErrorCode", ErrorCode);
  storeInteger(head, "MessageType", MessageType);
  storeInteger(head, "ProtocolVersion", ProtocolVersion);
  storeText(head, "SecurityDescriptor", SecurityDescriptor);
  if (head.childCount() == std::size(HeaderValueNames)) headerKeepable_ = true;

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
  std::unique_ptr<AttributeNode> head = streamer_.readTree(stream, takeSpareHeader());
  bool headKeepable = smallEnoughToKeep(streamer_);
  // A header must be a branch. A leaf header is kept out of the message (an
  // empty header takes its place) and reported once the data document has
  // been read too, so the stream stays in step and the message usable.
  const bool headerIsLeaf = head->kind() != NodeKind::Branch;
  if (headerIsLeaf) head = std::make_unique<AttributeTree>();
  std::unique_ptr<AttributeNode> sentHeader = tree_.exchange(HeaderName, std::move(head));
  if (headerKeepable_) keepSpareHeader(std::move(sentHeader));
  headerKeepable_ = headKeepable;

  std::unique_ptr<AttributeNode> body = streamer_.readTree(stream, std::move(spareData_));
  const bool bodyKeepable = smallEnoughToKeep(streamer_);
  tree_.exchange(DataName, std::move(body));
  dataKeepable_ = bodyKeepable;
  if (headerIsLeaf) throw NodeNotFoundException();

  const AttributeTree& received = header();
  MessageType = takeInteger(received, "MessageType");
  ErrorCode = takeInteger(received, "ErrorCode");
  takeText(received, "SecurityDescriptor", SecurityDescriptor);
  takeText(received, "Agent", Agent);
  ProtocolVersion = takeInteger(received, "ProtocolVersion");
}
