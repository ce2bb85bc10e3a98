#pragma once
// An input byte stream. Concrete streams implement readSome; readFully and
// readString are built on it.
//
// Counted strings (the string form of the tree format): a u16 length n in
// network order, or FF FF and then a u32 length for n >= 65535, then n bytes.
// readString refuses a length above MaxStringLength with the tree format's
// 1074 failure before anything is allocated.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/ByteCoding.h"

class CInputStream {
 public:
  // The longest string or binary leaf a reader accepts: 64 MiB.
  static constexpr std::uint32_t MaxStringLength = 64u * 1024u * 1024u;
  // Source line recorded when a length read from the wire is past the bound.
  static constexpr int LineLengthTooLarge = 160;
  // A value read past the window gets a buffer of this many bytes first.
  static constexpr std::uint32_t FirstGrowth = 64u * 1024u;

  CInputStream() = default;
  virtual ~CInputStream();
  CInputStream(const CInputStream&) = delete;
  CInputStream& operator=(const CInputStream&) = delete;

  // Does nothing here; idempotent everywhere.
  virtual void close();
  // Reads at least one and at most count bytes (none when count is 0); raises
  // CEndofStreamException at end of stream, CBRWebIOStreamException on failure.
  virtual void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) = 0;

  // Exactly count bytes (returns at once for 0).
  void readFully(void* buffer, std::uint32_t count) {
    if (static_cast<std::size_t>(windowEnd_ - windowBegin_) >= count) {
      if (count != 0) std::memcpy(buffer, windowBegin_, count);
      windowBegin_ += count;
      return;
    }
    readFullySlowly(buffer, count);
  }
  // One counted string; target ends at the first NUL among the bytes read,
  // and the stream is positioned behind all of them. A read that fails after
  // the length leaves target empty. Bytes not yet in the window are read into
  // a buffer that grows as they arrive, so the memory a string takes follows
  // the bytes received, not the length announced.
  void readString(std::string& target);
  // Exactly count bytes into a new buffer that grows as they arrive, from
  // FirstGrowth bytes, doubling, up to count. REQUIRES: count <= MaxStringLength.
  std::unique_ptr<unsigned char[]> readGrowing(std::uint32_t count);

  // The next counted string when it lies whole in the read window and is
  // shorter than 65535 bytes: its bytes as they are on the wire (a NUL among
  // them included) and the bytes it takes there, length field and all.
  // Nothing is consumed; false when the string is not in the window like that.
  bool peekString(std::string_view& bytes, std::uint32_t& wireSize) const {
    const std::size_t available = static_cast<std::size_t>(windowEnd_ - windowBegin_);
    if (available < 2) return false;
    const std::uint32_t length = coding::get16(windowBegin_);
    if (length == coding::LongStringMark || available - 2 < length) return false;
    bytes = std::string_view(reinterpret_cast<const char*>(windowBegin_ + 2), length);
    wireSize = length + 2;
    return true;
  }
  // Consumes count bytes that peekString has shown to be in the window.
  void skipPeeked(std::uint32_t count) { windowBegin_ += count; }

  // The read window as it stands, for a reader that parses in place: the
  // bytes this stream holds, next in line (none when it is empty). consume
  // moves past the first count of them.
  const unsigned char* windowData() const { return windowBegin_; }
  std::size_t windowLength() const { return static_cast<std::size_t>(windowEnd_ - windowBegin_); }
  void consume(std::size_t count) { windowBegin_ += count; }

  // Fixed-width numbers in network order, each one readFully.
  std::uint16_t readU16() {
    unsigned char wire[2];
    readFully(wire, sizeof wire);
    return coding::get16(wire);
  }
  std::uint32_t readU32() {
    unsigned char wire[4];
    readFully(wire, sizeof wire);
    return coding::get32(wire);
  }

 protected:
  // The read window: bytes a concrete stream already holds, next in line.
  // readFully and the readers above take bytes straight from it and call
  // readSome only when it runs short; readSome must consume from it first.
  // A stream without a buffer leaves it empty.
  const unsigned char* windowBegin_ = nullptr;
  const unsigned char* windowEnd_ = nullptr;

  std::uint32_t windowSize() const { return static_cast<std::uint32_t>(windowEnd_ - windowBegin_); }
  // Hands out up to count bytes of the window; returns how many.
  std::uint32_t takeFromWindow(void* buffer, std::uint32_t count);

 private:
  void readFullySlowly(void* buffer, std::uint32_t count);
  // The size a growing buffer that holds have of count bytes takes next.
  static std::uint32_t grownSize(std::uint32_t have, std::uint32_t count);
};
