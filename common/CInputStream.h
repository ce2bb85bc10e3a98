#pragma once
// An input byte stream. Concrete streams implement readSome; readFully and
// readString are built on it. A stream that holds received bytes shows them
// as its read window, and may implement fill to take in more there, so that
// a reader can parse them where they lie (see windowData).
//
// Counted strings (the string form of the tree format): a u16 length n in
// network order, or FF FF and then a u32 length for n >= 65535, then n bytes.
// readString refuses a length above MaxStringLength with the tree format's
// 1074 failure before anything is allocated.

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

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
  // The same into target, replacing what it held; target is left empty when
  // the read fails. REQUIRES: count <= MaxStringLength.
  void readGrowing(std::string& target, std::uint32_t count);

  // The read window as it stands, for a reader that parses in place: the
  // bytes this stream holds, next in line (none when it is empty).
  // A reader decodes from [windowData(), windowData() + windowLength()) and
  // then consumes what it decoded; when a field is not whole there it calls
  // fill, and when fill cannot make it whole, it reads the field with
  // readFully (which takes the window's bytes first).
  const unsigned char* windowData() const { return windowBegin_; }
  std::size_t windowLength() const { return static_cast<std::size_t>(windowEnd_ - windowBegin_); }
  // Moves past the first count bytes of the window.
  // REQUIRES: count <= windowLength().
  void consume(std::size_t count) { windowBegin_ += count; }
  // Makes the window hold at least wanted bytes when this stream can hold
  // them, taking in what its source has or waiting for it as readSome does;
  // returns windowLength() then. Less than wanted means the stream cannot
  // hold that many now (it has no buffer, its buffer is smaller, or, in
  // memory, nothing more was written): the caller reads on with readFully.
  // Raises what readSome raises. Here: the window as it stands.
  // ENSURES: the window's bytes are those it had, followed by more; the
  // pointer windowData() may change.
  virtual std::size_t fill(std::size_t wanted);

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
