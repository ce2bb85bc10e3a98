#include "common/CIOStream.h"

#include <cstring>

#include "common/ByteCoding.h"

CIOStream::~CIOStream() = default;

void CIOStream::writeString(const char* text) {
  writeString(text, text ? static_cast<std::uint32_t>(std::strlen(text)) : 0);
}

void CIOStream::writeStringInParts(const char* text, std::uint32_t length) {
  if (text == nullptr || length == 0) {
    writeU16(0);
    return;
  }
  unsigned char field[6];
  writeAll(field, static_cast<std::uint32_t>(coding::putCountedLength(field, length) - field));
  writeAll(text, length);
}
