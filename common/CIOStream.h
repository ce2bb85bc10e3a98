#pragma once
// A byte stream that can also be written.

#include <cstdint>
#include <cstring>

#include "common/ByteCoding.h"
#include "common/CInputStream.h"

class CIOStream : public CInputStream {
 public:
  ~CIOStream() override;

  // Writes all count bytes or raises; written is count on success.
  virtual void write(const void* buffer, std::uint32_t count, std::uint32_t& written) = 0;

  // One counted string; null and "" both give 00 00. Every number is its own
  // write, and the bytes of the text one more.
  void writeString(const char* text);
  // length bytes of text. A short string that fits the write window goes
  // straight into it.
  void writeString(const char* text, std::uint32_t length) {
    if (text != nullptr && length != 0 && length < coding::LongStringMark &&
        static_cast<std::size_t>(writeLimit_ - writeCursor_) >= coding::countedSize(length)) {
      writeCursor_ = coding::putCounted(writeCursor_, text, length);
      return;
    }
    writeStringInParts(text, length);
  }

  // Fixed-width numbers in network order, each one write.
  void writeU16(std::uint16_t value) {
    unsigned char wire[2];
    writeAll(wire, static_cast<std::uint32_t>(coding::put16(wire, value) - wire));
  }
  void writeU32(std::uint32_t value) {
    unsigned char wire[4];
    writeAll(wire, static_cast<std::uint32_t>(coding::put32(wire, value) - wire));
  }
  // write without the out parameter.
  void writeAll(const void* buffer, std::uint32_t count) {
    if (static_cast<std::size_t>(writeLimit_ - writeCursor_) >= count) {
      if (count != 0) std::memcpy(writeCursor_, buffer, count);
      writeCursor_ += count;
      return;
    }
    std::uint32_t written = 0;
    write(buffer, count, written);
  }

  // For a writer that puts a whole entry in place: room for count bytes at
  // the start of the write window, or null when the window has less. commit
  // takes the bytes up to end (within that room) as written.
  unsigned char* windowRoom(std::size_t count) {
    return static_cast<std::size_t>(writeLimit_ - writeCursor_) >= count ? writeCursor_ : nullptr;
  }
  void commit(unsigned char* end) { writeCursor_ = end; }

 private:
  void writeStringInParts(const char* text, std::uint32_t length);

 protected:
  // The write window: room a concrete stream offers for the next bytes.
  // writeAll and the writers above put bytes straight into it and call write
  // only when it is too small. A stream that sends at once (a socket) leaves
  // it empty, so every write reaches it.
  unsigned char* writeCursor_ = nullptr;
  unsigned char* writeLimit_ = nullptr;
};
