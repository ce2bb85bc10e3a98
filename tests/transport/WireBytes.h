#pragma once
// Builds expected wire bytes field by field, so a test reads like the format.
#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteCoding.h"
#include "common/CMemoryStream.h"

class WireBytes {
 public:
  WireBytes& u16(std::uint16_t v) {
    unsigned char field[2];
    return put(field, coding::put16(field, v));
  }
  WireBytes& u32(std::uint32_t v) {
    unsigned char field[4];
    return put(field, coding::put32(field, v));
  }
  WireBytes& raw(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
  }
  // A counted string in its short or long form.
  WireBytes& str(const std::string& s) {
    unsigned char field[6];
    return put(field, coding::putCountedLength(field, static_cast<std::uint32_t>(s.size()))).raw(s);
  }
  WireBytes& tag() { return str("ATFormat2"); }
  WireBytes& begin(const std::string& name) { return u16(1).str(name); }
  WireBytes& end() { return u16(2).u16(0); }
  WireBytes& endOfTree() { return u16(6); }
  WireBytes& integer(const std::string& name, std::int32_t value, std::uint16_t flag = 0,
                     const std::string& tagText = "") {
    return u16(3).str(name).u32(static_cast<std::uint32_t>(value)).u16(flag).str(tagText);
  }
  WireBytes& text(const std::string& name, const std::string& value, std::uint16_t flag = 0,
                  const std::string& tagText = "") {
    return u16(4).str(name).str(value).u16(flag).str(tagText);
  }
  WireBytes& binary(const std::string& name, const std::string& bytes) {
    return u16(5).str(name).u32(static_cast<std::uint32_t>(bytes.size())).raw(bytes);
  }
  WireBytes& append(const WireBytes& other) {
    bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
    return *this;
  }

  const std::vector<unsigned char>& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }
  CMemoryStream stream() const { return CMemoryStream(bytes_); }

 private:
  WireBytes& put(const unsigned char* field, const unsigned char* end) {
    bytes_.insert(bytes_.end(), field, end);
    return *this;
  }

  std::vector<unsigned char> bytes_;
};

// The exact bytes of a hexadecimal text such as "00 09 41 54".
inline std::vector<unsigned char> fromHex(const std::string& hex) {
  std::vector<unsigned char> out;
  int high = -1;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<unsigned char>(high * 16 + v));
      high = -1;
    }
  }
  return out;
}
