#include "common/CMemoryStream.h"

#include <algorithm>
#include <cstring>

#include "common/CEndofStreamException.h"

namespace {
constexpr int LineReadPastEnd = 20;
constexpr std::size_t MinimumCapacity = 256;
}  // namespace

CMemoryStream::CMemoryStream(const std::vector<unsigned char>& bytes) { assign(bytes.data(), bytes.size()); }

CMemoryStream::CMemoryStream(const void* bytes, std::size_t count) { assign(bytes, count); }

CMemoryStream::~CMemoryStream() = default;

void CMemoryStream::readSome(void* buffer, std::uint32_t count, std::uint32_t& got) {
  got = 0;
  if (count == 0) return;
  windowEnd_ = writeCursor_;  // take in what was written since
  if (windowSize() == 0) throw CEndofStreamException(TransportEndOfStream, SourceCMemoryStream, LineReadPastEnd);
  got = takeFromWindow(buffer, count);
}

std::size_t CMemoryStream::fill(std::size_t) {
  windowEnd_ = writeCursor_;
  return windowSize();
}

void CMemoryStream::write(const void* buffer, std::uint32_t count, std::uint32_t& written) {
  if (static_cast<std::size_t>(writeLimit_ - writeCursor_) < count) {
    growTo(std::max({size() + count, 2 * capacity(), MinimumCapacity}));
  }
  if (count != 0) std::memcpy(writeCursor_, buffer, count);
  writeCursor_ += count;
  written = count;
}

void CMemoryStream::growTo(std::size_t newCapacity) {
  std::unique_ptr<unsigned char[]> grown(new unsigned char[newCapacity]);
  const std::size_t used = size();
  const std::size_t readAt = readPosition();
  const std::size_t readEnd = static_cast<std::size_t>(windowEnd_ - buffer_.get());
  if (used != 0) std::memcpy(grown.get(), buffer_.get(), used);
  buffer_ = std::move(grown);
  writeCursor_ = buffer_.get() + used;
  writeLimit_ = buffer_.get() + newCapacity;
  windowBegin_ = buffer_.get() + readAt;
  windowEnd_ = buffer_.get() + readEnd;
}

void CMemoryStream::reserve(std::size_t wanted) {
  if (wanted > capacity()) growTo(wanted);
}

void CMemoryStream::rewind() {
  windowBegin_ = buffer_.get();
  windowEnd_ = writeCursor_;
}

void CMemoryStream::clear() {
  writeCursor_ = buffer_.get();
  rewind();
}

void CMemoryStream::assign(const void* bytes, std::size_t count) {
  clear();
  reserve(count);
  if (count != 0) std::memcpy(buffer_.get(), bytes, count);
  writeCursor_ = buffer_.get() + count;
  rewind();
}

void CMemoryStream::release() {
  buffer_.reset();
  writeCursor_ = writeLimit_ = nullptr;
  windowBegin_ = windowEnd_ = nullptr;
}
