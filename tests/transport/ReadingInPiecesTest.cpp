// A document read from an input that hands its bytes out a few at a time gives exactly what
// the same document read whole from memory gives: the same tree (over no earlier tree, over
// the tree of the same document and over another one), the same failure, the same bytes
// consumed and the same entriesRead/bytesRead. The reader takes each field from the input's
// window and, when a field is not whole there, asks the input for more or reads the field
// through; these inputs make every field straddle the window somewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"
#include "transport/TreeCompare.h"
#include "transport/WireBytes.h"

namespace {

// Hands out at most piece bytes per readSome and keeps no window: every field is read through.
class TrickleStream : public CInputStream {
 public:
  TrickleStream(std::vector<unsigned char> bytes, std::size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
    got = 0;
    if (count == 0) return;
    if (at_ == bytes_.size()) throw CEndofStreamException(TransportEndOfStream, "test", 1);
    got = static_cast<std::uint32_t>(std::min({std::size_t{count}, piece_, bytes_.size() - at_}));
    std::memcpy(buffer, bytes_.data() + at_, got);
    at_ += got;
  }
  std::size_t consumed() const { return at_; }

 private:
  std::vector<unsigned char> bytes_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

// A stream with a receive buffer of capacity bytes that takes in at most piece bytes at a
// time, as a socket with a small buffer and a slow peer: fill makes bytes available up to its
// capacity, and a field longer than that is read through.
class SmallBufferStream : public CInputStream {
 public:
  SmallBufferStream(std::vector<unsigned char> bytes, std::size_t piece, std::size_t capacity)
      : bytes_(std::move(bytes)), piece_(piece), buffer_(capacity) {}
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
    got = 0;
    if (count == 0) return;
    if (windowSize() == 0) {
      if (receive(buffer_.data(), buffer_.size()) == 0) throw CEndofStreamException(TransportEndOfStream, "test", 2);
    }
    got = takeFromWindow(buffer, count);
  }
  std::size_t fill(std::size_t wanted) override {
    if (windowLength() >= wanted || wanted > buffer_.size()) return windowLength();
    const std::size_t kept = windowLength();
    if (kept != 0) std::memmove(buffer_.data(), windowBegin_, kept);
    std::size_t have = kept;
    while (have < wanted) {
      const std::size_t got = receive(buffer_.data() + have, buffer_.size() - have, have);
      if (got == 0) break;  // the source is done: the caller reads on and meets the end
      have += got;
    }
    return windowLength();
  }
  // Bytes handed to the reader: taken from the source and not waiting in the window.
  std::size_t consumed() const { return at_ - windowLength(); }

 private:
  // Up to room bytes of the source into to, after kept bytes already there; the window is
  // then [buffer, to + got). Returns how many came.
  std::size_t receive(unsigned char* to, std::size_t room, std::size_t kept = 0) {
    const std::size_t got = std::min({piece_, room, bytes_.size() - at_});
    if (got != 0) std::memcpy(to, bytes_.data() + at_, got);
    at_ += got;
    windowBegin_ = buffer_.data();
    windowEnd_ = buffer_.data() + kept + got;
    return got;
  }

  std::vector<unsigned char> bytes_;
  std::size_t piece_;
  std::vector<unsigned char> buffer_;
  std::size_t at_ = 0;
};

// What a read gives: the tree or how it failed, the bytes consumed and the size of the document.
struct Outcome {
  std::unique_ptr<AttributeNode> tree;
  bool endOfStream = false;
  bool formatFailure = false;
  int code = 0;
  int systemError = 0;
  int line = 0;
  std::size_t consumed = 0;
  std::size_t entries = 0;
  std::size_t bytes = 0;
};

template <typename Stream>
Outcome readFrom(Stream& in, FastTreeStreamer& streamer, std::unique_ptr<AttributeNode> earlier) {
  Outcome outcome;
  try {
    outcome.tree = streamer.readTree(in, std::move(earlier));
    outcome.entries = streamer.entriesRead();
    outcome.bytes = streamer.bytesRead();
  } catch (const CEndofStreamException&) {
    outcome.endOfStream = true;
  } catch (const CBRWebIOStreamException& e) {
    outcome.formatFailure = true;
    outcome.code = e.code;
    outcome.systemError = e.systemError;
    outcome.line = e.sourceLine;
  }
  return outcome;
}

::testing::AssertionResult sameOutcome(const Outcome& got, const Outcome& whole) {
  if (got.endOfStream != whole.endOfStream || got.formatFailure != whole.formatFailure)
    return ::testing::AssertionFailure() << "ended otherwise (end of stream " << got.endOfStream << ", failure "
                                         << got.formatFailure << ")";
  if (got.code != whole.code || got.systemError != whole.systemError || got.line != whole.line)
    return ::testing::AssertionFailure() << "failed with " << got.code << "/" << got.systemError << " at line "
                                         << got.line << ", not at line " << whole.line;
  if (got.consumed != whole.consumed)
    return ::testing::AssertionFailure() << "consumed " << got.consumed << " bytes, not " << whole.consumed;
  if (got.entries != whole.entries || got.bytes != whole.bytes)
    return ::testing::AssertionFailure() << "size " << got.entries << " entries, " << got.bytes << " bytes, not "
                                         << whole.entries << ", " << whole.bytes;
  if (!got.tree || !whole.tree) return ::testing::AssertionSuccess();
  return identicalNode(*got.tree, *whole.tree);
}

WireBytes branchDocument(const std::function<void(WireBytes&)>& contents) {
  WireBytes document;
  document.tag().begin("");
  contents(document);
  return document.end().endOfTree();
}

// The first count bytes of a document.
WireBytes cut(const WireBytes& document, std::size_t count) {
  return WireBytes().raw(std::string(document.bytes().begin(), document.bytes().begin() + static_cast<std::ptrdiff_t>(count)));
}

struct Document {
  const char* what;
  WireBytes bytes;
};

std::vector<Document> documents() {
  const std::string longText(3 * CInputStream::FirstGrowth + 5, 't');
  const std::string longName(70000, 'n');
  const WireBytes reply = branchDocument([](WireBytes& d) {
    d.text("Class", "Report").integer("Enabled", 1, 1).text("Name", "Sales").integer("Revision", 12, 0, "tag");
    d.begin("FLD").text("Owner", "administrator").begin("Publish").integer("port", 8020).end().end();
  });
  return {
      {"a reply", reply},
      {"the reply with other values",
       branchDocument([](WireBytes& d) {
         d.text("Class", "Other class").integer("Enabled", 0, 0xFFFF).text("Name", "").integer("Revision", -1, 0, "null");
         d.begin("FLD").text("Owner", "o").begin("Publish").integer("port", 1).end().end();
       })},
      {"names and texts with a NUL, a null tag, a binary",
       branchDocument([](WireBytes& d) {
         d.text(std::string("Na\0me", 5), std::string("va\0lue", 6), 1, "null");
         d.binary("blob", std::string("by\0tes", 6)).integer("Revision", 3, 0, std::string("t\0ag", 4));
       })},
      {"long strings, a long name and a long binary value",
       branchDocument([&](WireBytes& d) {
         d.text("big", longText, 1, longText).binary("bytes", longText).integer(longName, 7);
         d.begin(longName).text("x", "y").end();
       })},
      {"repeated and unordered names, entries after the root's end",
       WireBytes().tag().begin("").integer("z", 1).integer("a", 2).integer("a", 3).begin("b").end().begin("b")
           .integer("in", 4).end().end().text("late", "v").begin("Late").end().endOfTree()},
      {"branches ended only by end of tree",
       WireBytes().tag().begin("").begin("x").begin("y").integer("v", 2).endOfTree()},
      {"a leaf document", WireBytes().tag().text("", "leaf", 1, "tag")},
      {"a binary leaf document", WireBytes().tag().binary("", "\x01\x02\x03")},
      {"an unknown code at the root", WireBytes().tag().u16(9).str("name")},
      {"an unknown code inside", WireBytes().tag().begin("").integer("ok", 1).u16(7).str("name")},
      {"an end of branch with no branch open", WireBytes().tag().begin("").end().end()},
      {"a text length past the bound", WireBytes().tag().begin("").u16(4).str("t").u16(0xFFFF).u32(0xFFFFFFFFu)},
      {"a binary length past the bound", WireBytes().tag().begin("").u16(5).str("b").u32(CInputStream::MaxStringLength + 1)},
      {"cut inside a name", cut(reply, 40)},
      {"cut inside a text", cut(reply, 30)},
      {"cut before end of tree", cut(reply, reply.size() - 1)},
      {"cut inside a long text", cut(branchDocument([&](WireBytes& d) { d.text("big", longText); }), 100000)},
  };
}

// Reads document from an input made by open, over a tree made by earlier, and compares the
// outcome with the document read whole from memory by a streamer in the same state.
template <typename Open>
void expectSameAsWhole(const Document& document, const WireBytes* earlier, Open open) {
  auto earlierTree = [earlier]() -> std::unique_ptr<AttributeNode> {
    if (!earlier) return nullptr;
    CMemoryStream in = earlier->stream();
    try {
      return FastTreeStreamer().readTree(in);
    } catch (const CBRWebIOStreamException&) {
      return nullptr;  // a document that does not read back leaves no tree
    }
  };
  CMemoryStream whole = document.bytes.stream();
  FastTreeStreamer wholeReader;
  Outcome expected = readFrom(whole, wholeReader, earlierTree());
  expected.consumed = whole.readPosition();

  auto in = open(document.bytes.bytes());
  FastTreeStreamer reader;
  Outcome got = readFrom(*in, reader, earlierTree());
  got.consumed = in->consumed();
  EXPECT_TRUE(sameOutcome(got, expected));
}

TEST(ReadingInPieces, ADocumentFedAFewBytesAtATimeReadsAsOneFedWhole) {
  const std::vector<Document> all = documents();
  const WireBytes& someReply = all[0].bytes;
  for (const Document& document : all) {
    SCOPED_TRACE(document.what);
    for (const WireBytes* earlier : {static_cast<const WireBytes*>(nullptr), &document.bytes, &someReply}) {
      SCOPED_TRACE(earlier == nullptr ? "fresh" : earlier == &document.bytes ? "over its own tree" : "over a reply");
      for (const std::size_t piece : {1, 3, 7, 64}) {
        SCOPED_TRACE(piece);
        expectSameAsWhole(document, earlier, [piece](std::vector<unsigned char> bytes) {
          return std::make_unique<TrickleStream>(std::move(bytes), piece);
        });
        for (const std::size_t capacity : {8, 32, 4096}) {
          SCOPED_TRACE(capacity);
          expectSameAsWhole(document, earlier, [piece, capacity](std::vector<unsigned char> bytes) {
            return std::make_unique<SmallBufferStream>(std::move(bytes), piece, capacity);
          });
        }
      }
    }
  }
}

// Documents back to back in one input: each read stops exactly behind its document, however
// the bytes arrive, so the next one is read whole.
TEST(ReadingInPieces, DocumentsBackToBackAreReadEachInStep) {
  const std::vector<Document> all = documents();
  WireBytes stream;
  std::vector<const Document*> readable;
  for (const Document& document : all) {
    CMemoryStream in = document.bytes.stream();
    try {
      FastTreeStreamer().readTree(in);
    } catch (const CBRWebIOStreamException&) {
      continue;  // only the documents that read back
    }
    stream.append(document.bytes);
    readable.push_back(&document);
  }
  ASSERT_GE(readable.size(), 8u);
  for (const std::size_t piece : {1, 5, 4096}) {
    SCOPED_TRACE(piece);
    SmallBufferStream in(stream.bytes(), piece, 64);
    FastTreeStreamer reader;
    std::unique_ptr<AttributeNode> previous;
    for (const Document* document : readable) {
      SCOPED_TRACE(document->what);
      previous = reader.readTree(in, std::move(previous));
      CMemoryStream alone = document->bytes.stream();
      EXPECT_TRUE(identicalNode(*previous, *FastTreeStreamer().readTree(alone)));
    }
    EXPECT_EQ(in.consumed(), stream.size());
  }
}

}  // namespace
