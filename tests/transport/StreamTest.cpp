// Counted strings and the in-memory stream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "transport/WireBytes.h"

namespace {

// A stream that must never be read.
class UntouchableStream : public CInputStream {
 public:
  void readSome(void*, std::uint32_t, std::uint32_t&) override { ADD_FAILURE() << "stream was read"; }
};

// Hands out at most one byte per readSome, like a slow socket.
class TrickleStream : public CInputStream {
 public:
  explicit TrickleStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override {
    got = 0;
    if (count == 0) return;
    if (position_ == bytes_.size()) throw CEndofStreamException(TransportEndOfStream, "test", 1);
    *static_cast<unsigned char*>(buffer) = bytes_[position_++];
    got = 1;
  }
  std::size_t position_ = 0;

 private:
  std::vector<unsigned char> bytes_;
};

std::vector<unsigned char> written(const char* text) {
  CMemoryStream out;
  out.writeString(text);
  return out.bytes();
}

TEST(CountedString, ReadCases) {
  struct Case {
    const char* name;
    std::string wire;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "00 00", ""},
      {"short", "00 03 61 62 63", "abc"},
      {"long form of a short string", "FF FF 00 00 00 03 61 62 63", "abc"},
      {"ends at the first NUL", "00 03 61 00 62", "a"},
      {"leading NUL", "00 02 00 62", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<unsigned char> wire = fromHex(c.wire);
    CMemoryStream in(wire);
    std::string target = "previous";
    in.readString(target);
    EXPECT_EQ(target, c.expected);
    EXPECT_EQ(in.remaining(), 0u) << "every byte of the field is consumed";
  }
}

TEST(CountedString, WriteNullAndEmptyGiveTwoZeroBytes) {
  EXPECT_EQ(written(nullptr), fromHex("00 00"));
  EXPECT_EQ(written(""), fromHex("00 00"));
  EXPECT_EQ(written("Agent"), fromHex("00 05 41 67 65 6E 74"));
}

TEST(CountedString, LengthPrefixAtTheShortLongBoundary) {
  struct Case {
    std::size_t length;
    std::string prefix;
  };
  const Case cases[] = {{65534, "FF FE"}, {65535, "FF FF 00 00 FF FF"}, {65536, "FF FF 00 01 00 00"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string text(c.length, 'x');
    CMemoryStream stream;
    stream.writeString(text.c_str());
    const std::vector<unsigned char> prefix = fromHex(c.prefix);
    ASSERT_EQ(stream.size(), prefix.size() + c.length);
    EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), stream.bytes().begin()));
    std::string back;
    stream.readString(back);
    EXPECT_EQ(back, text);
  }
}

TEST(CountedString, ReadsAcrossManySmallReads) {
  TrickleStream in(fromHex("FF FF 00 00 00 05 68 65 6C 6C 6F 00 00"));
  std::string a, b = "x";
  in.readString(a);
  in.readString(b);
  EXPECT_EQ(a, "hello");
  EXPECT_EQ(b, "");
}

TEST(CountedString, LengthsPastTheBoundFailBeforeAllocating) {
  // 64 MiB + 1 and the largest u32 (whose n + 1 would overflow).
  for (const char* wire : {"FF FF 04 00 00 01", "FF FF FF FF FF FF"}) {
    SCOPED_TRACE(wire);
    CMemoryStream in(fromHex(wire));
    std::string target;
    try {
      in.readString(target);
      FAIL() << "no exception";
    } catch (const CEndofStreamException&) {
      FAIL() << "the length was trusted";
    } catch (const CBRWebIOStreamException& e) {
      EXPECT_EQ(e.code, 1074);
      EXPECT_EQ(e.systemError, 0);
      EXPECT_STREQ(e.sourceFile, "common\\FastTreeStreamer");
      EXPECT_EQ(e.sourceLine, CInputStream::LineLengthTooLarge);
    }
    EXPECT_LT(target.capacity(), 1024u);
  }
}

TEST(CountedString, TruncatedStringRaisesEndOfStream) {
  CMemoryStream in(fromHex("00 05 61 62"));
  std::string target;
  EXPECT_THROW(in.readString(target), CEndofStreamException);
}

// The string is assigned only once all its bytes are in: a read that fails
// part way leaves the target empty, however far it got.
TEST(CountedString, FailedReadLeavesTheTargetEmpty) {
  const char* const cuts[] = {
      "00 05 61 62",              // in the bytes
      "FF FF 00 00",              // in the long length
      "FF FF 00 01 00 00 61 62",  // in the bytes of a long string
  };
  for (const char* wire : cuts) {
    SCOPED_TRACE(wire);
    TrickleStream trickle(fromHex(wire));
    std::string target = "previous";
    EXPECT_THROW(trickle.readString(target), CEndofStreamException);
    EXPECT_EQ(target, "");
    CMemoryStream memory(fromHex(wire));
    target = "previous";
    EXPECT_THROW(memory.readString(target), CEndofStreamException);
    EXPECT_EQ(target, "");
  }
}

TEST(InputStream, ReadFullyOfNothingDoesNotTouchTheStream) {
  UntouchableStream in;
  in.readFully(nullptr, 0);
}

TEST(InputStream, ReadFullyGathersManyReadSomeCalls) {
  TrickleStream in(fromHex("01 02 03 04 05"));
  unsigned char out[5] = {};
  in.readFully(out, 5);
  EXPECT_EQ(std::vector<unsigned char>(out, out + 5), fromHex("01 02 03 04 05"));
}

TEST(MemoryStream, ReadSomeKeepsItsContract) {
  CMemoryStream in(fromHex("0A 0B 0C"));
  unsigned char out[8];
  std::uint32_t got = 99;
  in.readSome(out, 0, got);
  EXPECT_EQ(got, 0u);
  in.readSome(out, 2, got);
  EXPECT_EQ(got, 2u);
  in.readSome(out, 8, got);
  EXPECT_EQ(got, 1u);
  EXPECT_EQ(out[0], 0x0C);
  try {
    in.readSome(out, 1, got);
    FAIL() << "read past the end";
  } catch (const CEndofStreamException& e) {
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(e.systemError, 1055);
  }
}

TEST(MemoryStream, WritesAppendAndRewindRereads) {
  CMemoryStream stream;
  stream.writeU16(0x0102);
  stream.writeU32(0x03040506);
  EXPECT_EQ(stream.bytes(), fromHex("01 02 03 04 05 06"));
  EXPECT_EQ(stream.readU16(), 0x0102);
  EXPECT_EQ(stream.readU32(), 0x03040506u);
  stream.rewind();
  EXPECT_EQ(stream.readU16(), 0x0102);
  stream.clear();
  EXPECT_EQ(stream.size(), 0u);
  EXPECT_EQ(stream.remaining(), 0u);
}

TEST(MemoryStream, ReadsSeeLaterWritesAcrossGrowth) {
  CMemoryStream stream;
  stream.writeU16(0x0A0B);
  stream.writeAll("c", 1);
  EXPECT_EQ(stream.readU16(), 0x0A0B);
  std::string big(5000, 'z');
  for (int i = 0; i < 4; ++i) stream.writeString(big.c_str());  // moves the buffer while a read is pending
  char c = 0;
  stream.readFully(&c, 1);
  EXPECT_EQ(c, 'c');
  for (int i = 0; i < 4; ++i) {
    std::string back;
    stream.readString(back);
    EXPECT_EQ(back, big);
  }
  EXPECT_EQ(stream.remaining(), 0u);
  EXPECT_EQ(stream.size(), 3u + 4u * (2u + 5000u));
  stream.release();
  EXPECT_EQ(stream.size(), 0u);
  stream.writeU32(7);
  EXPECT_EQ(stream.readU32(), 7u);
}

TEST(Exceptions, CatchByBaseAndDescribe) {
  try {
    throw CEndofStreamException(1055, "common\\CSocket", 230);
  } catch (const CBRWebException& e) {
    EXPECT_EQ(e.code, 0);
    EXPECT_EQ(e.sourceLine, 230);
    EXPECT_STREQ(e.what(), "transport failure 0 (system error 1055) at common\\CSocket:230");
  }
  const CBRWebIOStreamException copy = CBRWebIOStreamException(1072, 32, "common\\CSocket", 252);
  CBRWebIOStreamException again = copy;
  EXPECT_EQ(again.systemError, 32);
  EXPECT_STREQ(again.what(), "transport failure 1072 (system error 32) at common\\CSocket:252");
}

}  // namespace
