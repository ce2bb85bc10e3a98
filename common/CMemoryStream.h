#pragma once
// A stream over a byte buffer in memory. Writes append to the buffer; reads
// take bytes from a read position that starts at the beginning and see
// everything written so far. Reading past the end raises CEndofStreamException
// (systemError 1055, "common\CMemoryStream").
//
// Both directions run through the stream's windows (CInputStream, CIOStream),
// so the tree format's many small fields cost a memcpy each, not a call.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/CIOStream.h"

class CMemoryStream : public CIOStream {
 public:
  CMemoryStream() = default;
  explicit CMemoryStream(const std::vector<unsigned char>& bytes);
  CMemoryStream(const void* bytes, std::size_t count);
  ~CMemoryStream() override;

  void readSome(void* buffer, std::uint32_t count, std::uint32_t& got) override;
  // Takes everything written so far into the window.
  std::size_t fill(std::size_t wanted) override;
  void write(const void* buffer, std::uint32_t count, std::uint32_t& written) override;

  // Everything written (or given) so far, read or not.
  const unsigned char* data() const { return buffer_.get(); }
  std::size_t size() const { return static_cast<std::size_t>(writeCursor_ - buffer_.get()); }
  // A copy of the bytes; str() the same as a string, handy in tests.
  std::vector<unsigned char> bytes() const { return std::vector<unsigned char>(data(), data() + size()); }
  std::string str() const { return std::string(reinterpret_cast<const char*>(data()), size()); }

  std::size_t readPosition() const { return static_cast<std::size_t>(windowBegin_ - buffer_.get()); }
  std::size_t remaining() const { return size() - readPosition(); }
  // Reads start again at the beginning.
  void rewind();
  // Empties the buffer (keeping its memory) and rewinds.
  void clear();
  // Replaces the contents and rewinds.
  void assign(const void* bytes, std::size_t count);
  void reserve(std::size_t capacity);
  std::size_t capacity() const { return static_cast<std::size_t>(writeLimit_ - buffer_.get()); }
  // Empties the buffer and gives its memory back.
  void release();

 private:
  // The written bytes are [buffer_, writeCursor_); the spare capacity up to
  // writeLimit_ is the write window; the unread bytes form the read window,
  // whose end is brought up to writeCursor_ whenever a read runs short.
  void growTo(std::size_t capacity);

  std::unique_ptr<unsigned char[]> buffer_;
};
