#pragma once
// One request or reply of the report server protocol: a tree whose root holds
// "header" and "data", plus the five header values kept in fields.
//
// On the wire a message is two tree documents (see FastTreeStreamer.h): the
// header, always a branch written with the root name "" and not selectively,
// then the data, a branch or a single leaf. A connection reuses one message:
//   message.clear(); message.Agent = ...; message.MessageType = 4;
//   message.dataBranch()->setText(...)...;
//   message.send(socket, 0); message.receive(socket);
//   read message.ErrorCode and message.data()...
// clear keeps the five values, so the SecurityDescriptor, ProtocolVersion and
// ErrorCode of the last reply travel with the next request.
//
// send assembles both documents in memory and writes the whole message to the
// stream with one write. receive reads both documents before it judges them,
// so the stream stays in step whatever they hold.
//
// The halves clear removes are kept out of sight while they are small, and
// their nodes are recycled by the next send (the header's five leaves) and
// receive (the reply read over the last one): a connection whose replies keep
// their shape exchanges messages without allocating.

#include <cstdint>
#include <string>

#include "common/AttributeTree.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"
#include "platform/CriticalSection.h"

class CIOStream;
class CInputStream;

class BRMessage {
 public:
  BRMessage();
  virtual ~BRMessage();
  BRMessage(const BRMessage&) = delete;
  BRMessage& operator=(const BRMessage&) = delete;

  // Removes "header" and "data"; the five values stay.
  void clear();
  // The "header" branch, made empty first when missing (or not a branch).
  AttributeTree& header();
  // The "data" child, an empty branch made first when missing.
  AttributeNode& data();
  // The "data" child when it is a branch, else null; an empty branch is made
  // first when missing.
  AttributeTree* dataBranch();

  // Writes the five values into the header (as leaves with isSet 0 and no
  // tag), then the header document and the data document (selective or not)
  // in one stream write. Stream failures pass out (part of the message may be on
  // the wire then); a data node with no document form raises before anything is
  // written.
  void send(CIOStream& stream, int selective);
  // Reads the header document and stores it under "header", then the data
  // document under "data", then takes the five values from the header with
  // the throwing getters, in the order MessageType, ErrorCode,
  // SecurityDescriptor, Agent, ProtocolVersion. A header that lacks one (or
  // holds it with another kind) raises NodeNotFoundException after the
  // earlier ones are taken. A header document that is a single leaf is
  // stored as an empty "header" branch and raises NodeNotFoundException with
  // no value taken. Stream and format failures pass out; what was read before
  // them is stored, the rest of the message is unchanged.
  void receive(CInputStream& stream);

  // The whole message tree (root of "header" and "data").
  AttributeTree& tree() { return tree_; }
  const AttributeTree& tree() const { return tree_; }

  // Serialises loads of the message catalogue (MessageCatalogue).
  static platform::CriticalSection m_critical;

  std::string Agent;
  std::int32_t ProtocolVersion = 1;
  std::string SecurityDescriptor;
  std::int32_t ErrorCode = 0;
  std::int32_t MessageType = 0;

 private:
  // Which exchange a kept header last served: the next one of its kind is written over it,
  // so its values are mostly those of the last request, or of the last reply.
  enum HeaderRole { Sent = 0, Received = 1 };

  AttributeTree& headerToSend();
  void keepSpareHeader(std::unique_ptr<AttributeNode> header, HeaderRole role);
  std::unique_ptr<AttributeNode> takeSpareHeader(HeaderRole role);
  void keepEmptyBranch(std::unique_ptr<AttributeNode> data);

  AttributeTree tree_;
  CMemoryStream outgoing_;     // reused for every send
  FastTreeStreamer streamer_;  // and its string buffers for every receive
  // Halves removed from the tree, kept for their nodes: the headers of the last request and
  // of the last reply (by HeaderRole) and the data of the last reply.
  std::unique_ptr<AttributeNode> spareHeaders_[2];
  std::unique_ptr<AttributeNode> spareData_;
  // An emptied branch, the data of the last request, to be the data of the next one.
  std::unique_ptr<AttributeNode> spareBranch_;
  // The header and data this message stored (by send or receive) and found small enough to
  // be kept when removed; a half the host put in their place is not kept.
  const AttributeNode* keepableHeader_ = nullptr;
  HeaderRole keepableHeaderRole_ = Sent;
  const AttributeNode* keepableData_ = nullptr;
};
