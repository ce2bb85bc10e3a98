#include "common/BRMessage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <limits>
#include <string_view>
#include <vector>

#include "common/AttributeChildrenEditor.h"
#include "common/ByteCoding.h"

namespace {
constexpr std::string_view HeaderName = "header";
constexpr std::string_view DataName = "data";
// A buffer grown past this by one large message is given back after it.
constexpr std::size_t KeptOutgoingCapacity = 1u << 20;
// A removed half is kept for recycling only up to this size, so that a message holds on to
// no more than a small reply's memory once it is cleared.
constexpr std::size_t KeptSpareEntries = 1024;
constexpr std::size_t KeptSpareBytes = 64 * 1024;
// A request's data branch of up to this many children is emptied and kept for the next one.
constexpr std::size_t KeptEmptyBranchChildren = 64;
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
using HeaderValues = std::array<AttributeNode*, std::size(HeaderValueNames)>;

// The children of a header named as the five values, in the order of
// HeaderValueNames, null where there is none. A header holds them in name
// order, mostly with nothing between: each is looked for behind the last one
// found before it is looked up.
HeaderValues findHeaderValues(const AttributeTree& header) {
  HeaderValues found{};
  const AttributeChildren& children = header.children();
  auto next = children.begin();
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (next != children.end() && AttributeChildrenEditor::sameName(next->first, HeaderValueNames[i])) {
      found[i] = next->second.get();
      ++next;
      continue;
    }
    const auto it = children.find(HeaderValueNames[i]);
    if (it == children.end()) continue;
    found[i] = it->second.get();
    next = it + 1;
  }
  return found;
}

// A leaf of the name and kind that is there already is overwritten in place
// and ends as a new one would: the value, isSet 0 and no tag.
// Each returns the leaf that holds the value.
AttributeNode* storeInteger(AttributeTree& header, AttributeNode* existing, std::string_view name, std::int32_t value) {
  if (existing && existing->kind() == NodeKind::Integer) {
    auto& leaf = static_cast<IntegerAttribute&>(*existing);
    leaf.setValue(value);
    leaf.setIsSet(0);
    leaf.clearTag();
    return existing;
  }
  return header.adopt(std::string(name), std::make_unique<IntegerAttribute>(value));
}

AttributeNode* storeText(AttributeTree& header, AttributeNode* existing, std::string_view name, const std::string& text) {
  if (existing && existing->kind() == NodeKind::Text &&
      static_cast<TextAttribute&>(*existing).text().capacity() <= KeptTextCapacity) {
    auto& leaf = static_cast<TextAttribute&>(*existing);
    leaf.assignText(std::string_view(text.c_str()));  // as a new leaf takes it: up to the first NUL
    leaf.setIsSet(0);
    leaf.clearTag();
    return existing;
  }
  return header.adopt(std::string(name), std::make_unique<TextAttribute>(text.c_str()));
}

// --- The header document of the five values, composed at once ---------------------------

using coding::put16;

unsigned char* putCounted(unsigned char* at, std::string_view bytes) {
  return coding::putCounted(at, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

unsigned char* putCode(unsigned char* at, WireCode code) { return put16(at, static_cast<std::uint16_t>(code)); }

// An entry's code and name; its value follows.
unsigned char* putEntryStart(unsigned char* at, WireCode code, std::string_view name) {
  return putCounted(putCode(at, code), name);
}

// The flag (isSet 0) and the empty tag that end each value entry.
unsigned char* putUnsetUntagged(unsigned char* at) { return putCounted(put16(at, 0), std::string_view()); }

constexpr std::size_t EntryOverhead = 2 + 2 + 4;  // code, name length, flag, tag length
constexpr std::size_t textEntrySize(std::string_view name) { return EntryOverhead + name.size() + 2; }
constexpr std::size_t integerEntrySize(std::string_view name) { return EntryOverhead + name.size() + 4; }

// A header of exactly the five value leaves, each with isSet 0 and no tag, as send leaves it,
// has one document: writeTree's, which this composes in one piece into out. Texts here hold no
// NUL (a header value is stored up to its first); false, with nothing written, for one that
// needs the long string form.
bool composeHeaderDocument(CMemoryStream& out, const HeaderValues& leaves) {
  const std::string& agent = static_cast<const TextAttribute&>(*leaves[0]).text();
  const std::string& descriptor = static_cast<const TextAttribute&>(*leaves[4]).text();
  if (agent.size() >= coding::LongStringMark || descriptor.size() >= coding::LongStringMark) return false;
  const std::string_view tag = FastTreeStreamer::FormatTag;
  const std::size_t size = 2 + tag.size() + 4 + textEntrySize(HeaderValueNames[0]) + agent.size() +
                           integerEntrySize(HeaderValueNames[1]) + integerEntrySize(HeaderValueNames[2]) +
                           integerEntrySize(HeaderValueNames[3]) + textEntrySize(HeaderValueNames[4]) +
                           descriptor.size() + 4 + 2;
  out.reserve(out.size() + size);
  unsigned char* at = out.windowRoom(size);
  if (at == nullptr) return false;
  at = putCounted(at, tag);
  at = putCounted(putCode(at, WireCode::BeginBranch), std::string_view());
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    if (leaves[i]->kind() == NodeKind::Text) {
      const std::string& text = static_cast<const TextAttribute&>(*leaves[i]).text();
      at = putEntryStart(at, WireCode::TextEntry, HeaderValueNames[i]);
      at = putCounted(at, text);
    } else {
      const auto value = static_cast<std::uint32_t>(static_cast<const IntegerAttribute&>(*leaves[i]).value());
      at = coding::put32(putEntryStart(at, WireCode::IntegerEntry, HeaderValueNames[i]), value);
    }
    at = putUnsetUntagged(at);
  }
  at = putCounted(putCode(at, WireCode::EndBranch), std::string_view());
  out.commit(putCode(at, WireCode::EndOfTree));
  return true;
}

// A kept header made ready to be the header of a request: an empty branch but
// for the leaves of the five values, which send overwrites.
void keepOnlyHeaderValues(AttributeTree& header) {
  header.setIsSet(0);
  header.clearTag();
  const auto& children = header.children();
  std::size_t index = 0;
  for (; index < children.size() && index < std::size(HeaderValueNames); ++index)
    if (!AttributeChildrenEditor::sameName((children.begin() + static_cast<std::ptrdiff_t>(index))->first, HeaderValueNames[index]))
      break;
  if (index == children.size()) return;  // a reply's header: nothing else to drop
  std::vector<std::string> others;
  for (const auto& [name, node] : children)
    if (!isHeaderValueName(name)) others.push_back(name);
  for (const std::string& name : others) header.adopt(name, nullptr);
}

const AttributeNode& valueOfKind(const AttributeNode* value, NodeKind kind) {
  if (value == nullptr || value->kind() != kind) throw NodeNotFoundException();
  return *value;
}

std::int32_t takeInteger(const AttributeNode* value) {
  return static_cast<const IntegerAttribute&>(valueOfKind(value, NodeKind::Integer)).value();
}

// Assigns in place, so the field keeps its memory from one reply to the next; a value of the
// field's length, as a repeated one is, is copied over it.
void takeText(const AttributeNode* value, std::string& field) {
  const std::string& text = static_cast<const TextAttribute&>(valueOfKind(value, NodeKind::Text)).text();
  if (text.size() == field.size()) {
    if (!text.empty()) std::memcpy(&field[0], text.data(), text.size());
    return;
  }
  field = text;
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
  if (header && header.get() == keepableHeader_) keepSpareHeader(std::move(header), keepableHeaderRole_);
  if (data && data.get() == keepableData_) spareData_ = std::move(data);
  keepableHeader_ = keepableData_ = nullptr;
}

AttributeTree& BRMessage::header() {
  const auto& children = tree_.children();
  const auto found = children.find(HeaderName);
  if (found != children.end() && found->second->kind() == NodeKind::Branch) {
    return static_cast<AttributeTree&>(*found->second);
  }
  keepableHeader_ = nullptr;
  return static_cast<AttributeTree&>(*tree_.adopt(std::string(HeaderName), std::make_unique<AttributeTree>()));
}

AttributeNode& BRMessage::data() {
  const auto& children = tree_.children();
  const auto found = children.find(DataName);
  if (found != children.end()) return *found->second;
  keepableData_ = nullptr;
  std::unique_ptr<AttributeNode> branch = spareBranch_ ? std::move(spareBranch_) : std::make_unique<AttributeTree>();
  return *tree_.adopt(std::string(DataName), std::move(branch));
}

// The data a reply replaces (the request's) is emptied and kept to be the
// next request's data, so that its memory for children serves again.
void BRMessage::keepEmptyBranch(std::unique_ptr<AttributeNode> data) {
  if (!data || data->kind() != NodeKind::Branch) return;
  auto& branch = static_cast<AttributeTree&>(*data);
  if (branch.childCount() > KeptEmptyBranchChildren) return;
  branch.clear();
  branch.setIsSet(0);
  branch.clearTag();
  spareBranch_ = std::move(data);
}

AttributeTree* BRMessage::dataBranch() {
  AttributeNode& node = data();
  return node.kind() == NodeKind::Branch ? static_cast<AttributeTree*>(&node) : nullptr;
}

void BRMessage::keepSpareHeader(std::unique_ptr<AttributeNode> header, HeaderRole role) {
  if (!header || header->kind() != NodeKind::Branch) return;
  spareHeaders_[role] = std::move(header);  // a later one of the role replaces an earlier
}

// The header kept from the last exchange of the role, else the other one.
std::unique_ptr<AttributeNode> BRMessage::takeSpareHeader(HeaderRole role) {
  std::unique_ptr<AttributeNode>& own = spareHeaders_[role];
  return std::move(own ? own : spareHeaders_[1 - role]);
}

// The header to write the five values into: the one in the tree, else a kept
// one, else a new one.
AttributeTree& BRMessage::headerToSend() {
  const auto& children = tree_.children();
  const auto found = children.find(HeaderName);
  if (found != children.end() && found->second->kind() == NodeKind::Branch) {
    return static_cast<AttributeTree&>(*found->second);
  }
  std::unique_ptr<AttributeNode> spare = takeSpareHeader(Sent);
  if (!spare) return header();
  auto& head = static_cast<AttributeTree&>(*spare);
  keepOnlyHeaderValues(head);
  tree_.adopt(std::string(HeaderName), std::move(spare));
  keepableHeader_ = &head;
  keepableHeaderRole_ = Sent;
  return head;
}

void BRMessage::send(CIOStream& stream, int selective) {
  // Stored in name order, so that each is an append to a fresh header; the
  // resulting header is the same in any order.
  AttributeTree& head = headerToSend();
  HeaderValues values = findHeaderValues(head);
  values[0] = storeText(head, values[0], HeaderValueNames[0], Agent);
  values[1] = storeInteger(head, values[1], HeaderValueNames[1], ErrorCode);
  values[2] = storeInteger(head, values[2], HeaderValueNames[2], MessageType);
  values[3] = storeInteger(head, values[3], HeaderValueNames[3], ProtocolVersion);
  values[4] = storeText(head, values[4], HeaderValueNames[4], SecurityDescriptor);
  const bool onlyTheValues = head.childCount() == std::size(HeaderValueNames);
  if (onlyTheValues) {
    keepableHeader_ = &head;
    keepableHeaderRole_ = Sent;
  }

  outgoing_.clear();
  if (!onlyTheValues || !composeHeaderDocument(outgoing_, values)) streamer_.writeTree(outgoing_, head, "", -1, 0);
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
  std::unique_ptr<AttributeNode> head = streamer_.readTree(stream, takeSpareHeader(Received));
  const bool headKeepable = smallEnoughToKeep(streamer_);
  // A header must be a branch. A leaf header is kept out of the message (an
  // empty header takes its place) and reported once the data document has
  // been read too, so the stream stays in step and the message usable.
  const bool headerIsLeaf = head->kind() != NodeKind::Branch;
  if (headerIsLeaf) head = std::make_unique<AttributeTree>();
  const AttributeNode* received = head.get();
  std::unique_ptr<AttributeNode> sentHeader = tree_.exchange(HeaderName, std::move(head));
  if (sentHeader && sentHeader.get() == keepableHeader_) keepSpareHeader(std::move(sentHeader), keepableHeaderRole_);
  keepableHeader_ = headKeepable ? received : nullptr;
  keepableHeaderRole_ = Received;

  std::unique_ptr<AttributeNode> body = streamer_.readTree(stream, std::move(spareData_));
  keepableData_ = smallEnoughToKeep(streamer_) ? body.get() : nullptr;
  keepEmptyBranch(tree_.exchange(DataName, std::move(body)));
  if (headerIsLeaf) throw NodeNotFoundException();

  const HeaderValues values = findHeaderValues(static_cast<const AttributeTree&>(*received));  // the header stored above
  MessageType = takeInteger(values[2]);
  ErrorCode = takeInteger(values[1]);
  takeText(values[4], SecurityDescriptor);
  takeText(values[0], Agent);
  ProtocolVersion = takeInteger(values[3]);
}
