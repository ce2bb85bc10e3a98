// The ATFormat2 tree documents: exact bytes, reading, and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"
#include "transport/TreeCompare.h"
#include "transport/WireBytes.h"

namespace {

std::vector<unsigned char> encode(AttributeTree& tree, const char* name = "", int depth = -1, int selective = 0) {
  CMemoryStream out;
  FastTreeStreamer().writeTree(out, tree, name, depth, selective);
  return out.bytes();
}

std::vector<unsigned char> encodeNode(AttributeNode& node, int selective = 0) {
  CMemoryStream out;
  FastTreeStreamer().writeNode(out, node, "ignored", -1, selective);
  return out.bytes();
}

std::unique_ptr<AttributeNode> decode(const std::vector<unsigned char>& bytes, std::size_t* left = nullptr) {
  CMemoryStream in(bytes);
  auto node = FastTreeStreamer().readTree(in);
  if (left) *left = in.remaining();
  return node;
}

AttributeTree& asTree(const std::unique_ptr<AttributeNode>& node) {
  EXPECT_EQ(node->kind(), NodeKind::Branch);
  return static_cast<AttributeTree&>(*node);
}

// Reads bytes and expects the 1074 failure of the tree format at line.
void expectFormatFailure(const std::vector<unsigned char>& bytes, int line, std::size_t consumed) {
  CMemoryStream in(bytes);
  try {
    FastTreeStreamer().readTree(in);
    ADD_FAILURE() << "no exception";
  } catch (const CEndofStreamException&) {
    ADD_FAILURE() << "ran off the end instead";
  } catch (const CBRWebIOStreamException& e) {
    EXPECT_EQ(e.code, 1074);
    EXPECT_EQ(e.systemError, 0);
    EXPECT_STREQ(e.sourceFile, "common\\FastTreeStreamer");
    EXPECT_EQ(e.sourceLine, line);
    EXPECT_EQ(in.readPosition(), consumed);
  }
}

TEST(TreeFormat, PreLoginDataDocumentIsTheFortyOneBytes) {
  AttributeTree data;
  data.setText("pre_login", "1");
  const auto expected = fromHex(
      "00 09 41 54 46 6F 72 6D 61 74 32"
      "00 01 00 00"
      "00 04 00 09 70 72 65 5F 6C 6F 67 69 6E 00 01 31 00 00 00 00"
      "00 02 00 00"
      "00 06");
  ASSERT_EQ(expected.size(), 41u);
  EXPECT_EQ(encode(data), expected);
}

TEST(TreeFormat, EmptyBranchIsTwentyOneBytesAndReadsBackEmpty) {
  AttributeTree empty;
  const auto expected = fromHex("00 09 41 54 46 6F 72 6D 61 74 32 00 01 00 00 00 02 00 00 00 06");
  EXPECT_EQ(encode(empty), expected);
  std::size_t left = 99;
  auto back = decode(expected, &left);
  EXPECT_EQ(asTree(back).childCount(), 0u);
  EXPECT_EQ(left, 0u);
}

TEST(TreeFormat, HeaderLeavesInNameOrder) {
  AttributeTree header;
  header.setInteger("MessageType", 4);
  header.setInteger("ErrorCode", 0);
  header.setText("SecurityDescriptor", "");
  header.setText("Agent", "Publish");
  header.setInteger("ProtocolVersion", 1);
  const auto expected = WireBytes()
                            .tag()
                            .begin("")
                            .text("Agent", "Publish")
                            .integer("ErrorCode", 0)
                            .integer("MessageType", 4)
                            .integer("ProtocolVersion", 1)
                            .text("SecurityDescriptor", "")
                            .end()
                            .endOfTree();
  ASSERT_EQ(expected.size(), 142u);
  EXPECT_EQ(encode(header), expected.bytes());
}

TEST(TreeFormat, LeavesBeforeBranchesFlagsTagsAndBinary) {
  AttributeTree tree;
  tree.setText("z", "last leaf")->setIsSet(7);
  tree.setInteger("a.inner", -2, "note");
  tree.setBinary("bin", 3, "\x01\x00\x02");
  tree.setPlainInteger("plain", 5);
  tree.setText("Upper", nullptr);
  const auto expected = WireBytes()
                            .tag()
                            .begin("root")
                            .text("Upper", "")
                            .binary("bin", std::string("\x01\x00\x02", 3))
                            .text("z", "last leaf", 1)  // isSet 7 goes out as 1
                            .begin("a")
                            .integer("inner", -2, 0, "note")
                            .end()
                            .end()
                            .endOfTree();
  EXPECT_EQ(encode(tree, "root"), expected.bytes());
}

TEST(TreeFormat, DepthLimitsWhatIsWritten) {
  AttributeTree tree;
  tree.setInteger("leaf", 1);
  tree.setInteger("sub.deep", 2);
  EXPECT_EQ(encode(tree, "", 0), WireBytes().tag().begin("").end().endOfTree().bytes());
  EXPECT_EQ(encode(tree, "", 1),
            WireBytes().tag().begin("").integer("leaf", 1).begin("sub").end().end().endOfTree().bytes());
}

TEST(TreeFormat, SelectiveModeLeavesOutUnsetTextAndIntegerLeavesOnly) {
  AttributeTree tree;
  tree.setText("unsetText", "x");
  tree.setInteger("unsetInteger", 1);
  tree.setText("setText", "y")->setIsSet(1);
  tree.setBinary("bin", 1, "b");
  tree.setInteger("empty.unset", 3);
  const auto expected = WireBytes()
                            .tag()
                            .begin("")
                            .binary("bin", "b")
                            .text("setText", "y", 1)
                            .begin("empty")
                            .end()
                            .end()
                            .endOfTree();
  EXPECT_EQ(encode(tree, "", -1, 1), expected.bytes());
}

TEST(TreeFormat, LeafDocuments) {
  TextAttribute text("hello", "t");
  text.setIsSet(1);
  IntegerAttribute integer(-1);
  BinaryAttribute binary(2, "\xFF\x00");
  struct Case {
    AttributeNode* node;
    WireBytes expected;
  };
  const Case cases[] = {
      {&text, WireBytes().tag().text("", "hello", 1, "t")},
      {&integer, WireBytes().tag().integer("", -1)},
      {&binary, WireBytes().tag().binary("", std::string("\xFF\x00", 2))},
  };
  for (const Case& c : cases) {
    // Even in selective mode a leaf document carries its entry.
    EXPECT_EQ(encodeNode(*c.node, 1), c.expected.bytes());
    std::size_t left = 99;
    auto back = decode(c.expected.bytes(), &left);
    EXPECT_TRUE(sameNode(*back, *c.node, "leaf"));
    EXPECT_EQ(left, 0u) << "a leaf document has no EndOfTree";
  }
}

TEST(TreeFormat, PlainIntegerHasNoDocumentForm) {
  PlainIntegerAttribute plain(4);
  CMemoryStream out;
  try {
    FastTreeStreamer().writeNode(out, plain, "", -1, 0);
    FAIL() << "no exception";
  } catch (const CBRWebIOStreamException& e) {
    EXPECT_EQ(e.code, 1074);
    EXPECT_EQ(e.sourceLine, FastTreeStreamer::LineNoWireForm);
  }
  EXPECT_EQ(out.size(), 0u) << "nothing half written";
}

TEST(TreeFormat, ReadingFlagsTagsAndNames) {
  const auto wire = WireBytes()
                        .tag()
                        .begin("root name is dropped")
                        .integer("minusOne", 5, 0xFFFF, "null")
                        .text("set", "v", 1, "")
                        .text("cut", std::string("ab\0cd", 5), 0, "tag")
                        .text("twice", "first")
                        .integer("twice", 2)
                        .binary("empty", "")
                        .begin("b")
                        .text("", "empty name")
                        .end()
                        .end()
                        .endOfTree();
  auto back = decode(wire.bytes());
  AttributeTree& tree = asTree(back);
  const auto* minusOne = static_cast<const IntegerAttribute*>(tree.find("minusOne"));
  EXPECT_EQ(minusOne->isSet(), -1);
  EXPECT_EQ(minusOne->tag(), nullptr) << "the tag \"null\" means none";
  EXPECT_EQ(tree.find("set")->isSet(), 1);
  EXPECT_EQ(tree.find("set")->tag(), nullptr);
  EXPECT_EQ(tree.getText("cut"), "ab");
  EXPECT_STREQ(tree.find("cut")->tag(), "tag");
  EXPECT_EQ(tree.getInteger("twice"), 2) << "the later entry wins";
  const auto* empty = static_cast<const BinaryAttribute*>(tree.find("empty"));
  EXPECT_EQ(empty->kind(), NodeKind::Binary);
  EXPECT_EQ(empty->length(), 0u);
  const AttributeTree* b = tree.getBranch("b");
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->children().count(""), 1u);
  EXPECT_EQ(static_cast<const TextAttribute&>(*b->children().at("")).text(), "empty name");
  EXPECT_EQ(tree.childCount(), 6u);
}

TEST(TreeFormat, EntriesAfterTheRootsEndBranchLandInTheRoot) {
  const auto wire = WireBytes().tag().begin("").end().integer("late", 9).endOfTree();
  auto back = decode(wire.bytes());
  EXPECT_EQ(asTree(back).getInteger("late"), 9);
}

TEST(TreeFormat, UnknownCodesFail) {
  for (std::uint16_t code : {0, 2, 6, 7}) {
    SCOPED_TRACE(code);
    WireBytes wire = WireBytes().tag().u16(code).str("nm");
    expectFormatFailure(wire.bytes(), FastTreeStreamer::LineUnknownRootCode, wire.size());
  }
  WireBytes inside = WireBytes().tag().begin("").integer("ok", 1).u16(9).str("name");
  expectFormatFailure(inside.bytes(), FastTreeStreamer::LineUnknownEntryCode, inside.size());
}

TEST(TreeFormat, EndBranchWithNoOpenBranchFails) {
  WireBytes wire = WireBytes().tag().begin("").end().end();
  expectFormatFailure(wire.bytes(), FastTreeStreamer::LineUnknownEntryCode, wire.size());
}

WireBytes nested(int branches) {
  WireBytes wire = WireBytes().tag();
  for (int i = 0; i < branches; ++i) wire.begin("n");
  wire.integer("bottom", 1);
  for (int i = 0; i < branches; ++i) wire.end();
  return wire.endOfTree();
}

TEST(TreeFormat, NestingIsBoundedAtOneThousandBranches) {
  auto back = decode(nested(FastTreeStreamer::MaxDepth).bytes());
  const AttributeNode* node = back.get();
  int depth = 1;
  while (node->kind() == NodeKind::Branch && static_cast<const AttributeTree*>(node)->children().count("n")) {
    node = static_cast<const AttributeTree*>(node)->children().at("n").get();
    ++depth;
  }
  EXPECT_EQ(depth, FastTreeStreamer::MaxDepth);
  // One more level is refused at the BeginBranch that would open it.
  WireBytes tooDeep = WireBytes().tag();
  for (int i = 0; i < FastTreeStreamer::MaxDepth + 1; ++i) tooDeep.begin("n");
  expectFormatFailure(tooDeep.bytes(), FastTreeStreamer::LineUnknownEntryCode, tooDeep.size());
}

TEST(TreeFormat, BinaryLengthPastTheBoundFails) {
  for (std::uint32_t length : {CInputStream::MaxStringLength + 1, 0xFFFFFFFFu}) {
    WireBytes inBranch = WireBytes().tag().begin("").u16(5).str("b").u32(length);
    expectFormatFailure(inBranch.bytes(), CInputStream::LineLengthTooLarge, inBranch.size());
    WireBytes atRoot = WireBytes().tag().u16(5).str("").u32(length);
    expectFormatFailure(atRoot.bytes(), CInputStream::LineLengthTooLarge, atRoot.size());
  }
  WireBytes textTooLong = WireBytes().tag().begin("").u16(4).str("t").u16(0xFFFF).u32(0xFFFFFFFFu);
  expectFormatFailure(textTooLong.bytes(), CInputStream::LineLengthTooLarge, textTooLong.size());
}

TEST(TreeFormat, EveryTruncationRaisesEndOfStream) {
  const auto wire = WireBytes()
                        .tag()
                        .begin("")
                        .text("t", "text", 1, "tag")
                        .integer("i", 7)
                        .binary("b", "bytes")
                        .begin("sub")
                        .text("x", "y")
                        .end()
                        .end()
                        .endOfTree()
                        .bytes();
  for (std::size_t cut = 0; cut < wire.size(); ++cut) {
    SCOPED_TRACE(cut);
    std::vector<unsigned char> part(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_THROW(decode(part), CEndofStreamException);
  }
  EXPECT_NO_THROW(decode(wire));
}

// --- Entries in any order ---------------------------------------------------------------------

// Writes a document entry by entry and, beside it, builds the tree that
// storing each entry in turn into the open branch gives (a later entry
// replacing an earlier one of the same name): what the reader must return,
// whatever order the entries come in.
class Script {
 public:
  Script() {
    wire_.tag().begin("");
    open_.push_back(&expected_);
    current_ = &expected_;
  }
  Script& begin(const std::string& name) {
    wire_.begin(name);
    auto* child = static_cast<AttributeTree*>(current_->adopt(name, std::make_unique<AttributeTree>()));
    open_.push_back(current_);
    current_ = child;
    return *this;
  }
  Script& end() {
    wire_.end();
    current_ = open_.back();
    open_.pop_back();
    return *this;
  }
  Script& text(const std::string& name, const std::string& value) {
    wire_.text(name, value);
    current_->adopt(name, std::make_unique<TextAttribute>(value.c_str()));
    return *this;
  }
  Script& integer(const std::string& name, std::int32_t value) {
    wire_.integer(name, value);
    current_->adopt(name, std::make_unique<IntegerAttribute>(value));
    return *this;
  }
  Script& binary(const std::string& name, const std::string& bytes) {
    wire_.binary(name, bytes);
    current_->adopt(name, std::make_unique<BinaryAttribute>(static_cast<std::uint32_t>(bytes.size()), bytes.data()));
    return *this;
  }
  std::vector<unsigned char> document() const { return WireBytes(wire_).endOfTree().bytes(); }
  const AttributeTree& expected() const { return expected_; }

 private:
  WireBytes wire_;
  AttributeTree expected_;
  std::vector<AttributeTree*> open_;
  AttributeTree* current_;
};

TEST(TreeFormat, EntriesInAnyOrderReadBackInNameOrderWithTheLaterOfTwoNames) {
  struct Case {
    const char* name;
    std::function<void(Script&)> write;
  };
  const Case cases[] = {
      {"leaves after branches, a name stored three times",
       [](Script& s) {
         s.text("m", "first").begin("b").integer("x", 1).end().integer("a", 2).text("m", "second");
         s.begin("m").text("inner", "third").end().binary("c", "z").end();
       }},
      {"entries after the root's end join the root",
       [](Script& s) { s.text("k", "1").text("z", "1").end().integer("b", 5).text("k", "late").begin("a").end(); }},
      {"branches left open at the end of the document",
       [](Script& s) { s.begin("q").text("z", "").text("a", "").begin("p").integer("y", 1).integer("b", 2); }},
      {"a wide branch in descending order, every name twice",
       [](Script& s) {
         s.begin("wide");
         for (int i = 299; i >= 0; --i) s.text("n" + std::to_string(1000 + i), "first");
         for (int i = 0; i < 300; i += 2) s.integer("n" + std::to_string(1000 + i), i);
         for (int i = 299; i >= 0; i -= 2) s.integer("n" + std::to_string(1000 + i), -i);
         s.end().end();
       }},
      {"the same name again and again",
       [](Script& s) {
         s.text("r", "1").text("r", "2").begin("r").integer("x", 1).end().begin("r").end().integer("r", 9);
         s.text("s", "").begin("s").text("t", "kept").end().end();
       }},
      {"unsigned byte order and prefixes",
       [](Script& s) { s.text("\xC3\xA9", "").text("ab", "").text("a", "").text("B", "").text("", "empty name").end(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script script;
    c.write(script);
    std::size_t left = 99;
    auto back = decode(script.document(), &left);
    EXPECT_EQ(left, 0u);
    EXPECT_TRUE(sameNode(*back, script.expected(), c.name));
  }
}

// Hands out a prefix and then one unit of bytes again and again, up to a
// number of units well past what a reader may accept (then end of stream, so
// a reader without a bound fails the test instead of reading for ever).
class EndlessStream : public CInputStream {
 public:
  EndlessStream(std::vector<unsigned char> prefix, std::vector<unsigned char> unit, std::uint64_t units)
      : prefix_(std::move(prefix)), unit_(std::move(unit)), limit_(prefix_.size() + units * unit_.size()) {}
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
    got = 0;
    if (consumed_ == limit_) throw CEndofStreamException(TransportEndOfStream, "test", 1);
    auto* out = static_cast<unsigned char*>(buffer);
    while (got < count && consumed_ < limit_) {
      out[got++] = consumed_ < prefix_.size() ? prefix_[consumed_] : unit_[(consumed_ - prefix_.size()) % unit_.size()];
      ++consumed_;
    }
  }
  std::uint64_t consumed() const { return consumed_; }

 private:
  std::vector<unsigned char> prefix_, unit_;
  std::uint64_t limit_;
  std::uint64_t consumed_ = 0;
};

TEST(TreeFormat, DocumentThatNeverEndsIsRefusedAfterMaxEntries) {
  const WireBytes prefix = WireBytes().tag().begin("");
  const WireBytes unit = WireBytes().text("Agent", "x");
  EndlessStream in(prefix.bytes(), unit.bytes(), 2 * FastTreeStreamer::MaxEntries);
  try {
    FastTreeStreamer().readTree(in);
    FAIL() << "no exception";
  } catch (const CEndofStreamException&) {
    FAIL() << "read on without a bound";
  } catch (const CBRWebIOStreamException& e) {
    EXPECT_EQ(e.code, 1074);
    EXPECT_EQ(e.systemError, 0);
    EXPECT_EQ(e.sourceLine, FastTreeStreamer::LineUnknownEntryCode);
  }
  // The refused entry's code and name are consumed, nothing behind them.
  const std::uint64_t refused = 2 + 2 + 5;
  EXPECT_EQ(in.consumed(), prefix.size() + FastTreeStreamer::MaxEntries * unit.size() + refused);
}

// --- Round trips of generated trees ---------------------------------------------------------

struct Shape {
  const char* name;
  std::function<void(AttributeTree&)> build;
};

void flat(AttributeTree& t) {
  for (int i = 0; i < 200; ++i) {
    const std::string n = "leaf" + std::to_string(i);
    if (i % 3 == 0) t.setText(n.c_str(), ("value " + std::to_string(i)).c_str())->setIsSet(i % 2);
    if (i % 3 == 1) t.setInteger(n.c_str(), i * -7919, i % 5 ? nullptr : "tagged")->setIsSet(1);
    if (i % 3 == 2) t.setBinary(n.c_str(), static_cast<std::uint32_t>(i), std::string(i, '\0').data());
  }
}

void chain(AttributeTree& t) {
  AttributeTree* at = &t;
  for (int i = 0; i < 200; ++i) {
    at->setInteger("level", i);
    at = static_cast<AttributeTree*>(at->adopt("down", std::make_unique<AttributeTree>()));
  }
}

void mixed(AttributeTree& t) {
  for (int b = 0; b < 20; ++b) {
    const std::string branch = "branch" + std::to_string(b);
    for (int l = 0; l < 10; ++l) {
      const std::string path = branch + ".sub" + std::to_string(l % 3) + ".v" + std::to_string(l);
      t.setText(path.c_str(), std::string(static_cast<std::size_t>(l * 3), 'a' + l).c_str(), "tg")->setIsSet(l & 1);
    }
  }
  t.setText("~hidden", "kept");
  t.adopt("", std::make_unique<TextAttribute>("empty name", nullptr));
  t.adopt("odd.name{x}", std::make_unique<IntegerAttribute>(1, nullptr));
}

void longStrings(AttributeTree& t) {
  t.setText("short", std::string(65534, 's').c_str());
  t.setText("long", std::string(70000, 'l').c_str(), std::string(65535, 't').c_str());
  std::string bytes(100000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31);
  t.setBinary("blob", static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

void PrintTo(const Shape& shape, std::ostream* os) { *os << shape.name; }

class RoundTrip : public ::testing::TestWithParam<Shape> {};

TEST_P(RoundTrip, ReadsBackTheSameTreeAndTheSameBytes) {
  AttributeTree tree;
  GetParam().build(tree);
  const auto bytes = encode(tree, "written under a name");
  std::size_t left = 99;
  auto back = decode(bytes, &left);
  EXPECT_EQ(left, 0u);
  EXPECT_TRUE(sameNode(*back, tree, GetParam().name));
  EXPECT_EQ(encode(asTree(back), "written under a name"), bytes);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RoundTrip,
                         ::testing::Values(Shape{"empty", [](AttributeTree&) {}}, Shape{"flat", flat},
                                           Shape{"chain", chain}, Shape{"mixed", mixed},
                                           Shape{"longStrings", longStrings}),
                         [](const auto& info) { return std::string(info.param.name); });

// A peer's stream that holds the given bytes and then ends; it keeps its bytes out of any window
// and records the most bytes one read asked for, the room the reader had made for them.
class ShortPeerStream : public CInputStream {
 public:
  explicit ShortPeerStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
    largestAsk = std::max<std::size_t>(largestAsk, count);
    got = 0;
    if (count == 0) return;
    if (position_ == bytes_.size()) throw CEndofStreamException(TransportEndOfStream, "test", 1);
    got = static_cast<std::uint32_t>(std::min<std::size_t>(count, std::min<std::size_t>(bytes_.size() - position_, 4096)));
    std::memcpy(buffer, bytes_.data() + position_, got);
    position_ += got;
  }
  std::size_t largestAsk = 0;

 private:
  std::vector<unsigned char> bytes_;
  std::size_t position_ = 0;
};

// A string or binary value announced at the 64 MiB bound but cut short after 200 KB: the read
// ends as a short stream does, and the room made for the value followed the bytes that came,
// never the length announced. The same value sent whole reads back whole.
TEST(FastTreeStreamer, RoomForALongValueGrowsWithTheBytesReceived) {
  const std::uint32_t announced = CInputStream::MaxStringLength;
  const std::string received(200 * 1024, 'v');
  struct Case {
    const char* label;
    WireBytes start;  // everything up to the value's bytes
  };
  const Case cases[] = {
      {"text", WireBytes().tag().u16(4).str("").u16(0xFFFF).u32(announced)},
      {"binary", WireBytes().tag().u16(5).str("").u32(announced)},
      {"text in a branch", WireBytes().tag().begin("").u16(4).str("t").u16(0xFFFF).u32(announced)},
      {"binary in a branch", WireBytes().tag().begin("").u16(5).str("b").u32(announced)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<unsigned char> bytes = WireBytes().append(c.start).raw(received).bytes();
    ShortPeerStream peer(bytes);
    EXPECT_THROW(FastTreeStreamer().readTree(peer), CEndofStreamException);
    EXPECT_LE(peer.largestAsk, 2 * received.size()) << "room made for the announced length";
  }
  const std::string whole(3 * CInputStream::FirstGrowth + 17, 'w');
  const std::vector<unsigned char> document =
      WireBytes().tag().begin("").text("t", whole).binary("b", whole).end().endOfTree().bytes();
  ShortPeerStream peer(document);
  const auto tree = FastTreeStreamer().readTree(peer);
  EXPECT_EQ(asTree(tree).getText("t"), whole);
  const auto* binary = static_cast<const BinaryAttribute*>(asTree(tree).find("b"));
  ASSERT_EQ(binary->length(), whole.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(binary->bytes()), binary->length()), whole);
}

}  // namespace
