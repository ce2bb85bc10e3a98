// Reading over an earlier tree: whatever the earlier tree and the new document hold, the tree
// read is the one a fresh read gives, and a message exchanging replies of changing shapes sends
// and keeps exactly what a new message would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/BRMessage.h"
#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"
#include "transport/TreeCompare.h"
#include "transport/WireBytes.h"

namespace {

std::unique_ptr<AttributeNode> readFresh(const WireBytes& document) {
  CMemoryStream in = document.stream();
  return FastTreeStreamer().readTree(in);
}

// Reads next over the tree of earlier with one streamer, as a connection does, and checks the
// result against a fresh read of next, and that both consumed the same bytes.
::testing::AssertionResult readsAsFresh(FastTreeStreamer& streamer, std::unique_ptr<AttributeNode> earlier,
                                        const WireBytes& next) {
  CMemoryStream recycledIn = next.stream();
  std::unique_ptr<AttributeNode> recycled = streamer.readTree(recycledIn, std::move(earlier));
  CMemoryStream freshIn = next.stream();
  FastTreeStreamer freshReader;
  std::unique_ptr<AttributeNode> fresh = freshReader.readTree(freshIn);
  if (recycledIn.readPosition() != freshIn.readPosition())
    return ::testing::AssertionFailure() << "read " << recycledIn.readPosition() << " bytes, not " << freshIn.readPosition();
  // The size of the document, by which a message judges whether to keep the tree, is the same too.
  if (streamer.entriesRead() != freshReader.entriesRead() || streamer.bytesRead() != freshReader.bytesRead())
    return ::testing::AssertionFailure() << "size " << streamer.entriesRead() << " entries, " << streamer.bytesRead()
                                         << " bytes, not " << freshReader.entriesRead() << ", " << freshReader.bytesRead();
  return identicalNode(*recycled, *fresh);
}

WireBytes branchDocument(const std::function<void(WireBytes&)>& contents) {
  WireBytes document;
  document.tag().begin("");
  contents(document);
  document.end().endOfTree();
  return document;
}

struct RecyclingCase {
  const char* what;
  WireBytes earlier;
  WireBytes next;
};

std::vector<RecyclingCase> recyclingCases() {
  const std::string longText(70000, 'x');
  return {
      {"same shape, new values",
       branchDocument([](WireBytes& d) {
         d.binary("blob", "1234").integer("count", 1, 1, "t").text("name", "a short one", 0, "");
         d.begin("sub").text("inner", "old").end();
       }),
       branchDocument([](WireBytes& d) {
         d.binary("blob", "abcd").integer("count", -7, 0, "").text("name", "a much longer text than before", 0xFFFF,
                                                                       "null");
         d.begin("sub").text("inner", "").end();
       })},
      {"binary of another size, text back to empty",
       branchDocument([](WireBytes& d) { d.binary("blob", "1234").text("t", "something"); }),
       branchDocument([](WireBytes& d) { d.binary("blob", "").text("t", ""); })},
      {"names dropped",
       branchDocument([](WireBytes& d) {
         d.integer("a", 1).integer("b", 2).integer("c", 3).integer("d", 4);
         d.begin("x").integer("y", 1).end().begin("z").end();
       }),
       branchDocument([](WireBytes& d) { d.integer("b", 20).integer("d", 40).begin("z").end(); })},
      {"names added before, between and after",
       branchDocument([](WireBytes& d) { d.integer("c", 3).integer("m", 4).begin("q").end(); }),
       branchDocument([](WireBytes& d) {
         d.integer("a", 1).integer("c", 30).integer("h", 5).integer("m", 40).integer("z", 6);
         d.begin("b").end().begin("q").integer("new", 1).end().begin("r").end();
       })},
      {"kinds change under the same names",
       branchDocument([](WireBytes& d) {
         d.integer("i", 1).text("t", "text").binary("b", "xy");
         d.begin("leafNext").integer("gone", 1).end();
         d.text("branchNext", "leaf");
       }),
       branchDocument([](WireBytes& d) {
         d.text("i", "now text").binary("t", "now binary").integer("b", 9).integer("leafNext", 2);
         d.begin("branchNext").text("inside", "v").end();
       })},
      {"a branch reused deep down, its own children dropped and added",
       branchDocument([](WireBytes& d) {
         d.begin("l1").begin("l2").begin("l3").integer("keep", 1).integer("drop", 2).end().end().end();
       }),
       branchDocument([](WireBytes& d) {
         d.begin("l1").begin("l2").begin("l3").integer("add", 3).integer("keep", 10).end().end().end();
       })},
      {"repeated names: the later entry wins",
       branchDocument([](WireBytes& d) { d.integer("a", 1).integer("b", 2).begin("c").integer("x", 1).end(); }),
       branchDocument([](WireBytes& d) {
         d.integer("a", 10).text("a", "second a").integer("new", 1).integer("new", 2);
         d.begin("b").integer("in", 1).end().integer("b", 5);
         d.begin("c").integer("x", 2).integer("y", 3).end().begin("c").integer("z", 4).end();
       })},
      {"names out of order",
       branchDocument([](WireBytes& d) { d.integer("a", 1).integer("m", 2).integer("z", 3); }),
       branchDocument([](WireBytes& d) { d.integer("z", 30).integer("b", 5).integer("a", 10).integer("y", 6); })},
      {"entries after the root's own end",
       branchDocument([](WireBytes& d) { d.integer("a", 1).integer("b", 2); }),
       WireBytes().tag().begin("").integer("a", 1).integer("c", 3).end().integer("a", 100).integer("b", 2)
           .begin("late").end().endOfTree()},
      {"a document that ends its branches only with end of tree",
       branchDocument([](WireBytes& d) { d.begin("x").begin("y").integer("v", 1).end().end(); }),
       WireBytes().tag().begin("").begin("x").begin("y").integer("v", 2).integer("w", 3).endOfTree()},
      {"a name cut short by a NUL matches the stored name",
       branchDocument([](WireBytes& d) { d.integer("abc", 1).integer("abcd", 2); }),
       branchDocument([](WireBytes& d) { d.integer(std::string("abc\0z", 5), 10).integer("abcd", 20); })},
      {"long names and a text in the long string form",
       branchDocument([](WireBytes& d) {
         d.text("a name well past sixteen bytes", "short").text("big", "small");
       }),
       branchDocument([longText](WireBytes& d) {
         d.text("a name well past sixteen bytes", "short too").text("big", longText);
       })},
      {"a leaf document over a branch",
       branchDocument([](WireBytes& d) { d.integer("a", 1); }),
       WireBytes().tag().integer("", 5, 1, "tag")},
      {"a branch document over a leaf", WireBytes().tag().text("", "leaf"),
       branchDocument([](WireBytes& d) { d.text("a", "b"); })},
      {"a leaf document over a leaf of its kind", WireBytes().tag().text("", "old", 1, "t"),
       WireBytes().tag().text("", "new", 0, "")},
      {"a leaf document over a leaf of another kind", WireBytes().tag().binary("", "xyz"),
       WireBytes().tag().integer("", 3)},
      {"a wide branch: some of a hundred earlier entries taken, some new",
       branchDocument([](WireBytes& d) {
         for (int i = 0; i < 100; ++i) d.integer("n" + std::to_string(1000 + i), i);
       }),
       branchDocument([](WireBytes& d) {
         for (int i = 0; i < 100; i += 2) d.integer("n" + std::to_string(1000 + i), -i);
         for (int i = 0; i < 10; ++i) d.text("m" + std::to_string(i), "new");
       })},
      {"an earlier entry taken twice does not stand for one not taken",
       branchDocument([](WireBytes& d) { d.integer("a", 1).integer("b", 2).integer("c", 3); }),
       branchDocument([](WireBytes& d) { d.integer("a", 10).integer("b", 20).integer("a", 30); })},
      {"the same in a wide branch",
       branchDocument([](WireBytes& d) {
         for (int i = 0; i < 100; ++i) d.integer("n" + std::to_string(1000 + i), i);
       }),
       branchDocument([](WireBytes& d) {
         for (int i = 0; i < 99; ++i) d.integer("n" + std::to_string(1000 + i), -i);
         d.integer("n1004", 4);
       })},
      {"an inner branch out of order, then its parent",
       branchDocument([](WireBytes& d) {
         d.integer("a", 1).integer("b", 2).integer("c", 3);
         d.begin("x").integer("p", 1).integer("q", 2).integer("r", 3).end();
       }),
       branchDocument([](WireBytes& d) {
         d.integer("a", 10).begin("x").integer("r", 30).integer("p", 10).end().integer("c", 30);
       })},
      {"a parent out of order, then an inner branch, then the parent again",
       branchDocument([](WireBytes& d) {
         d.integer("a", 1).integer("b", 2).integer("c", 3);
         d.begin("x").integer("p", 1).integer("q", 2).end().begin("y").integer("s", 1).end();
       }),
       branchDocument([](WireBytes& d) {
         d.integer("c", 30).integer("a", 10);
         d.begin("x").integer("q", 20).integer("p", 10).begin("deep").integer("d", 1).end().end();
         d.integer("b", 20);
       })},
      {"a parent out of order, then a branch in order and one out of order",
       branchDocument([](WireBytes& d) {
         d.integer("a", 1).integer("b", 2).integer("c", 3);
         d.begin("x").integer("p", 1).end().begin("y").integer("s", 1).integer("t", 2).end();
       }),
       branchDocument([](WireBytes& d) {
         d.integer("c", 30).integer("a", 10);
         d.begin("x").integer("p", 10).end().begin("y").integer("t", 20).integer("s", 10).end();
       })},
      {"entries after the root's own end, out of order inside a branch",
       branchDocument([](WireBytes& d) {
         d.integer("a", 1).begin("x").integer("p", 1).integer("q", 2).integer("r", 3).end();
       }),
       WireBytes().tag().begin("").integer("a", 10).end().begin("x").integer("r", 30).integer("p", 10).end()
           .integer("b", 2).endOfTree()},
      {"an empty branch over a full one",
       branchDocument([](WireBytes& d) { d.integer("a", 1).begin("b").integer("c", 2).end(); }),
       branchDocument([](WireBytes&) {})},
  };
}

TEST(TreeRecycling, ReadingOverAnEarlierTreeGivesTheFreshTree) {
  for (const RecyclingCase& c : recyclingCases()) {
    SCOPED_TRACE(c.what);
    FastTreeStreamer streamer;
    EXPECT_TRUE(readsAsFresh(streamer, readFresh(c.earlier), c.next));
    // And the other way round, on the same streamer.
    EXPECT_TRUE(readsAsFresh(streamer, readFresh(c.next), c.earlier));
  }
}

// --- Documents of the earlier tree's shape --------------------------------------------------

// A reply's shape: leaves at the root, a sub-branch with a nested one, an empty branch. The
// values vary; names and order are those a writer gives.
WireBytes replyShape(const std::string& name, std::int32_t revision, std::uint16_t flag, const std::string& owner) {
  return branchDocument([&](WireBytes& d) {
    d.text("Class", "Report").integer("Enabled", 1, flag).text("Name", name).integer("Revision", revision);
    d.begin("Empty").end();
    d.begin("FLD").text("Owner", owner, flag).text("Path", "/Reports/" + name);
    d.begin("Publish").integer("port", revision * 10).text("url", "http://portal.example:8020/" + name).end();
    d.end();
  });
}

// The tree of replyShape as a host leaves it between replies: flags and tags on its nodes.
std::unique_ptr<AttributeNode> touchedReplyTree() {
  std::unique_ptr<AttributeNode> tree = readFresh(replyShape("Sales", 12, 1, "administrator"));
  auto& root = static_cast<AttributeTree&>(*tree);
  for (const char* path : {"Empty", "FLD", "FLD.Publish", "Name", "Revision", "FLD.Publish.url"}) {
    AttributeNode* node = root.find(path);
    node->setIsSet(1);
    node->setTag("set by the host");
  }
  return tree;
}

// A document of the earlier tree's shape finds every entry at its expected place; one that
// departs from it anywhere, however late, falls back to lookups by name and new entries.
// Either way the tree is the fresh one.
TEST(TreeRecycling, ADocumentOfTheEarlierShapeOrCloseToItGivesTheFreshTree) {
  const std::string nul("with\0nul", 9);
  const struct {
    const char* what;
    WireBytes next;
  } cases[] = {
      {"the same shape, new values", replyShape("Budget", -3, 0xFFFF, "someone with a much longer name")},
      {"the same shape, texts empty and one with a NUL", replyShape("", 0, 0, nul)},
      {"the same shape, an end of branch with a name",
       branchDocument([](WireBytes& d) {
         d.text("Class", "c").integer("Enabled", 0).text("Name", "n").integer("Revision", 1);
         d.begin("Empty").u16(2).str("Empty");
         d.begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1).text("url", "u").end().end();
       })},
      {"a leaf more at the end of a nested branch",
       branchDocument([](WireBytes& d) {
         d.text("Class", "c").integer("Enabled", 0).text("Name", "n").integer("Revision", 1).begin("Empty").end();
         d.begin("FLD").text("Owner", "o").text("Path", "p");
         d.begin("Publish").integer("port", 1).text("url", "u").text("zzz", "more").end().end();
       })},
      {"a leaf fewer in a nested branch",
       branchDocument([](WireBytes& d) {
         d.text("Class", "c").integer("Enabled", 0).text("Name", "n").integer("Revision", 1).begin("Empty").end();
         d.begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1).end().end();
       })},
      {"a leaf with a tag",
       branchDocument([](WireBytes& d) {
         d.text("Class", "c").integer("Enabled", 0, 0, "a tag").text("Name", "n").integer("Revision", 1).begin("Empty").end();
         d.begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1).text("url", "u").end().end();
       })},
      {"a leaf of another kind",
       branchDocument([](WireBytes& d) {
         d.text("Class", "c").integer("Enabled", 0).text("Name", "n").text("Revision", "one").begin("Empty").end();
         d.begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1).text("url", "u").end().end();
       })},
      {"a leaf after the sub-branches",
       branchDocument([](WireBytes& d) {
         d.text("Class", "c").integer("Enabled", 0).text("Name", "n").begin("Empty").end();
         d.begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1).text("url", "u").end().end();
         d.integer("Revision", 1);
       })},
      {"an entry after the root's own end",
       WireBytes().tag().begin("").text("Class", "c").integer("Enabled", 0).text("Name", "n").integer("Revision", 1)
           .begin("Empty").end().begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1)
           .text("url", "u").end().end().end().integer("Revision", 2).endOfTree()},
      {"the branches ended only by end of tree",
       WireBytes().tag().begin("").text("Class", "c").integer("Enabled", 0).text("Name", "n").integer("Revision", 1)
           .begin("Empty").end().begin("FLD").text("Owner", "o").text("Path", "p").begin("Publish").integer("port", 1)
           .text("url", "u").endOfTree()},
      {"a leaf document", WireBytes().tag().text("", "leaf")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FastTreeStreamer streamer;
    EXPECT_TRUE(readsAsFresh(streamer, touchedReplyTree(), c.next));
  }
}

// A stream that holds no read window: every field is a readSome of its own.
class WindowlessStream : public CInputStream {
 public:
  explicit WindowlessStream(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
    if (at_ == bytes_.size()) throw CEndofStreamException(TransportEndOfStream, "test", 1);
    got = static_cast<std::uint32_t>(std::min<std::size_t>(count, bytes_.size() - at_));
    std::memcpy(buffer, bytes_.data() + at_, got);
    at_ += got;
  }
  std::size_t remaining() const { return bytes_.size() - at_; }

 private:
  std::vector<unsigned char> bytes_;
  std::size_t at_ = 0;
};

TEST(TreeRecycling, ADocumentOfTheEarlierShapeFromAStreamWithoutAWindowGivesTheFreshTree) {
  const WireBytes next = replyShape("Budget", 7, 1, "o");
  WindowlessStream in(next.bytes());
  const std::unique_ptr<AttributeNode> recycled = FastTreeStreamer().readTree(in, touchedReplyTree());
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_TRUE(identicalNode(*recycled, *readFresh(next)));
}

// A tree built by hand may nest deeper than a document may: read over it, the document of its
// shape is refused as a fresh read refuses it.
TEST(TreeRecycling, ADocumentOfTheEarlierShapeNestedTooDeepIsRefused) {
  auto earlier = std::make_unique<AttributeTree>();
  WireBytes document;
  document.tag().begin("");
  AttributeTree* branch = earlier.get();
  for (int depth = 1; depth <= FastTreeStreamer::MaxDepth; ++depth) {
    branch = static_cast<AttributeTree*>(branch->adopt("b", std::make_unique<AttributeTree>()));
    document.begin("b");
  }
  for (int depth = 0; depth <= FastTreeStreamer::MaxDepth; ++depth) document.end();
  document.endOfTree();
  for (const bool recycling : {false, true}) {
    SCOPED_TRACE(recycling ? "over the tree" : "fresh");
    CMemoryStream in = document.stream();
    try {
      FastTreeStreamer streamer;
      if (recycling)
        streamer.readTree(in, std::move(earlier));
      else
        streamer.readTree(in);
      ADD_FAILURE() << "no exception";
    } catch (const CBRWebIOStreamException& e) {
      EXPECT_EQ(e.code, 1074);
      EXPECT_EQ(e.sourceLine, FastTreeStreamer::LineUnknownEntryCode);
    }
  }
}

// Flags and tags the host put on recycled nodes never survive: a node read over one ends as
// the fresh node would.
TEST(TreeRecycling, FlagsAndTagsOfRecycledNodesAreReset) {
  auto earlier = std::make_unique<AttributeTree>();
  earlier->setIsSet(1);
  earlier->setTag("root tag");
  AttributeTree* sub = static_cast<AttributeTree*>(earlier->adopt("sub", std::make_unique<AttributeTree>()));
  sub->setIsSet(-1);
  sub->setTag("sub tag");
  earlier->setBinary("blob", 3, "abc");
  static_cast<AttributeNode*>(earlier->find("blob"))->setIsSet(1);
  static_cast<AttributeNode*>(earlier->find("blob"))->setTag("blob tag");
  earlier->setText("text", "t", "text tag")->setIsSet(1);
  earlier->setInteger("number", 1, "number tag")->setIsSet(1);

  FastTreeStreamer streamer;
  EXPECT_TRUE(readsAsFresh(streamer, std::move(earlier), branchDocument([](WireBytes& d) {
                             d.binary("blob", "xyz").integer("number", 2).text("text", "u");
                             d.begin("sub").end();
                           })));
}

// A tree built by hand may hold a name with a NUL in it, which no name read can equal.
TEST(TreeRecycling, AStoredNameWithANulIsNotTheNameCutShortOnTheWire) {
  auto earlier = std::make_unique<AttributeTree>();
  earlier->adopt(std::string("ab\0cd", 5), std::make_unique<IntegerAttribute>(1));
  earlier->adopt(std::string("x\0y", 3), std::make_unique<AttributeTree>());
  FastTreeStreamer streamer;
  EXPECT_TRUE(readsAsFresh(streamer, std::move(earlier), branchDocument([](WireBytes& d) {
                             d.integer(std::string("ab\0cd", 5), 2);
                             d.begin(std::string("x\0y", 3)).end();
                           })));
}

TEST(TreeRecycling, AFailedReadConsumesTheEarlierTreeAndLeavesTheReaderClean) {
  FastTreeStreamer streamer;
  const WireBytes earlier = branchDocument([](WireBytes& d) { d.integer("a", 1).begin("b").integer("c", 2).end(); });
  const WireBytes full = branchDocument([](WireBytes& d) { d.integer("a", 5).begin("b").integer("c", 6).integer("d", 7).end(); });
  // Cut inside the nested branch: the reader stops with the earlier tree half taken apart.
  WireBytes cut;
  cut.raw(std::string(full.bytes().begin(), full.bytes().begin() + static_cast<std::ptrdiff_t>(full.size() - 12)));
  CMemoryStream in = cut.stream();
  EXPECT_THROW(streamer.readTree(in, readFresh(earlier)), CEndofStreamException);
  EXPECT_TRUE(readsAsFresh(streamer, readFresh(earlier), full));
}

// A document of random shape over names from a small pool, so that consecutive documents share
// some names and differ in others, with the irregular orders a peer may send.
class RandomDocuments {
 public:
  explicit RandomDocuments(unsigned seed) : random_(seed) {}

  WireBytes next() {
    WireBytes document;
    if (chance(10)) return leafDocument(document.tag());
    document.tag().begin("");
    branchContents(document, 0);
    document.end();
    if (chance(10)) entries(document, 0, 2);  // after the root's own end
    return document.endOfTree();
  }

 private:
  bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random_) < percent; }
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string name() {
    static const char* const pool[] = {"a", "b", "Name", "Revision", "FLD", "Publish", "a much longer name here", "zz"};
    return pool[below(8)];
  }
  std::string text() {
    static const char* const pool[] = {"", "x", "a value", "a value of more than sixteen bytes", "null"};
    return pool[below(5)];
  }

  WireBytes& leafDocument(WireBytes& d) {
    switch (below(3)) {
      case 0:
        return d.integer("", below(100), static_cast<std::uint16_t>(below(3)), text());
      case 1:
        return d.text("", text(), static_cast<std::uint16_t>(below(2)), text());
      default:
        return d.binary("", text());
    }
  }

  void entries(WireBytes& d, int depth, int count) {
    for (int i = 0; i < count; ++i) {
      const int kind = below(depth < 3 ? 4 : 3);
      if (kind == 0) d.integer(name(), below(1000) - 500, chance(10) ? 0xFFFF : static_cast<std::uint16_t>(below(2)), text());
      if (kind == 1) d.text(name(), text(), static_cast<std::uint16_t>(below(2)), chance(20) ? text() : "");
      if (kind == 2) d.binary(name(), text());
      if (kind == 3) {
        d.begin(name());
        branchContents(d, depth + 1);
        d.end();
      }
    }
  }

  void branchContents(WireBytes& d, int depth) { entries(d, depth, below(7)); }

  std::mt19937 random_;
};

TEST(TreeRecycling, RandomDocumentsReadOverEachOtherGiveTheFreshTrees) {
  RandomDocuments documents(20261210);
  FastTreeStreamer streamer;
  std::unique_ptr<AttributeNode> previous;
  for (int i = 0; i < 600; ++i) {
    const WireBytes document = documents.next();
    CMemoryStream in = document.stream();
    std::unique_ptr<AttributeNode> recycled = streamer.readTree(in, std::move(previous));
    std::unique_ptr<AttributeNode> fresh = readFresh(document);
    ASSERT_TRUE(identicalNode(*recycled, *fresh)) << "document " << i;
    ASSERT_EQ(in.remaining(), 0u) << "document " << i;
    previous = std::move(recycled);
  }
}

// --- The message ----------------------------------------------------------------------------

WireBytes headerDocument(const std::string& agent, std::int32_t errorCode, const std::function<void(WireBytes&)>& extra) {
  return branchDocument([&](WireBytes& d) {
    d.text("Agent", agent, 1, "agent tag").integer("ErrorCode", errorCode, 1, "code tag").integer("MessageType", 4);
    d.integer("ProtocolVersion", 1).text("SecurityDescriptor", "S-" + agent);
    extra(d);
  });
}

// A header as a server mostly sends it: the five values, no flags, no tags.
WireBytes plainHeaderDocument(const std::string& agent, std::int32_t errorCode) {
  return branchDocument([&](WireBytes& d) {
    d.text("Agent", agent).integer("ErrorCode", errorCode).integer("MessageType", 4).integer("ProtocolVersion", 1);
    d.text("SecurityDescriptor", "S-1-5-21");
  });
}

// What a new message with the same values and request sends.
std::vector<unsigned char> sentByNewMessage(const BRMessage& values, const std::string& object) {
  BRMessage fresh;
  fresh.Agent = values.Agent;
  fresh.ErrorCode = values.ErrorCode;
  fresh.MessageType = values.MessageType;
  fresh.ProtocolVersion = values.ProtocolVersion;
  fresh.SecurityDescriptor = values.SecurityDescriptor;
  fresh.dataBranch()->setText("object", object.c_str());
  CMemoryStream out;
  fresh.send(out, 0);
  return out.bytes();
}

TEST(TreeRecycling, AMessageExchangingRepliesOfChangingShapesSendsAndKeepsWhatANewOneWould) {
  const std::vector<WireBytes> replies = {
      headerDocument("one", 0, [](WireBytes&) {}).append(branchDocument([](WireBytes& d) {
        d.text("Name", "Sales").integer("Revision", 12).begin("FLD").text("Owner", "admin").end();
      })),
      // Extra header leaves, a header value of the wrong kind is not here yet.
      headerDocument("two", 7, [](WireBytes& d) { d.text("Extra", "dropped by clear"); })
          .append(branchDocument([](WireBytes& d) { d.text("Name", "Other").begin("List").integer("n", 1).end(); })),
      headerDocument("three", 0, [](WireBytes&) {}).append(WireBytes().tag().integer("", 42)),
      headerDocument("four", 3, [](WireBytes&) {}).append(branchDocument([](WireBytes& d) {
        d.text("Name", "Sales").integer("Revision", 13).begin("FLD").text("Owner", "someone else").end();
      })),
      // Two replies of one shape in a row, header and data each read over the last.
      plainHeaderDocument("five", 0).append(branchDocument([](WireBytes& d) {
        d.text("Name", "Sales").integer("Revision", 14).begin("FLD").text("Owner", "admin").end();
      })),
      plainHeaderDocument("six", 2).append(branchDocument([](WireBytes& d) {
        d.text("Name", "Other").integer("Revision", -1).begin("FLD").text("Owner", "").end();
      })),
  };
  BRMessage message;
  for (std::size_t round = 0; round < 3 * replies.size(); ++round) {
    SCOPED_TRACE(round);
    const WireBytes& reply = replies[round % replies.size()];
    const std::string object = "/object/" + std::to_string(round);
    message.clear();
    message.MessageType = 4;
    message.dataBranch()->setText("object", object.c_str());
    CMemoryStream out;
    message.send(out, 0);
    EXPECT_EQ(out.bytes(), sentByNewMessage(message, object));
    EXPECT_EQ(message.header().childCount(), 5u);

    CMemoryStream in = reply.stream();
    message.receive(in);
    CMemoryStream again = reply.stream();
    FastTreeStreamer streamer;
    const std::unique_ptr<AttributeNode> header = streamer.readTree(again);
    const std::unique_ptr<AttributeNode> data = streamer.readTree(again);
    EXPECT_TRUE(identicalNode(message.header(), *header));
    EXPECT_TRUE(identicalNode(message.data(), *data));
  }
}

}  // namespace
