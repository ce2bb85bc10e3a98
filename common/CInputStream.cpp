#include "common/CInputStream.h"

#include <algorithm>
#include <cstring>

#include "common/CBRWebIOStreamException.h"

CInputStream::~CInputStream() = default;

void CInputStream::close() {}

std::size_t CInputStream::fill(std::size_t) { return windowLength(); }

std::uint32_t CInputStream::takeFromWindow(void* buffer, std::uint32_t count) {
  const std::uint32_t n = std::min(count, windowSize());
  if (n != 0) std::memcpy(buffer, windowBegin_, n);
  windowBegin_ += n;
  return n;
}

void CInputStream::readFullySlowly(void* buffer, std::uint32_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count != 0) {
    std::uint32_t got = 0;
    readSome(out, count, got);
    out += got;
    count -= got;
  }
}

// The target itself is the reusable buffer: its capacity grows to the longest
// string read into it and is kept by clear/resize.
void CInputStream::readString(std::string& target) {
  std::uint32_t length = readU16();
  target.clear();
  if (length == 0) return;
  if (length == coding::LongStringMark) length = readU32();
  if (length > MaxStringLength) {
    throw CBRWebIOStreamException(TransportBadTreeFormat, 0, SourceFastTreeStreamer, LineLengthTooLarge);
  }
  if (windowSize() >= length) {
    // One copy, up to the first NUL.
    const void* nul = std::memchr(windowBegin_, '\0', length);
    const std::size_t kept = nul ? static_cast<const unsigned char*>(nul) - windowBegin_ : length;
    target.append(reinterpret_cast<const char*>(windowBegin_), kept);  // target is empty: a plain copy
    windowBegin_ += length;
    return;
  }
  readGrowing(target, length);
  const void* nul = std::memchr(target.data(), '\0', length);
  if (nul != nullptr) target.resize(static_cast<const char*>(nul) - target.data());
}

std::uint32_t CInputStream::grownSize(std::uint32_t have, std::uint32_t count) {
  const std::uint32_t doubled = have < FirstGrowth ? FirstGrowth : have * 2;  // have <= MaxStringLength
  return std::min(doubled, count);
}

std::unique_ptr<unsigned char[]> CInputStream::readGrowing(std::uint32_t count) {
  std::unique_ptr<unsigned char[]> buffer;
  for (std::uint32_t have = 0; have < count;) {
    const std::uint32_t size = grownSize(have, count);
    std::unique_ptr<unsigned char[]> grown(new unsigned char[size]);
    if (have != 0) std::memcpy(grown.get(), buffer.get(), have);
    buffer = std::move(grown);
    readFully(buffer.get() + have, size - have);
    have = size;
  }
  return buffer;
}

void CInputStream::readGrowing(std::string& target, std::uint32_t count) {
  target.clear();
  try {
    for (std::uint32_t have = 0; have < count;) {
      const std::uint32_t size = grownSize(have, count);
      target.resize(size);
      readFully(&target[have], size - have);
      have = size;
    }
  } catch (...) {
    target.clear();  // a string is assigned whole or not at all
    throw;
  }
}
