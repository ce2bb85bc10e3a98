#include "common/CIOStream.h"

#include <cstring>

#include "platform/Sockets.h"

CIOStream::~CIOStream() = default;

void CIOStream::writeString(const char* text) {
  writeString(text, text ? static_cast<std::uint32_t>(std::strlen(text)) : 0);
}

void CIOStream::writeStringInParts(const char* text, std::uint32_t length) {
  if (text == nullptr || length == 0) {
    writeU16(0);
    return;
  }
  if (length >= 0xFFFF) {
    writeU16(0xFFFF);
    writeU32(length);
  } else {
    writeU16(static_cast<std::uint16_t>(length));
  }
  writeAll(text, length);
}
