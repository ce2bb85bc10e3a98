#pragma once
// The tree format's bytes, in one place: big-endian numbers and counted strings put into and
// taken from a buffer. Every writer and reader of the format encodes and decodes through these.
//
// A counted string is a u16 length n, or FF FF and then a u32 length when n >= 65535 (the long
// form), then the n bytes.
//
// Each put writes at `at` and returns the position behind what it wrote; each get reads at `at`.
// None of them checks room: the REQUIRES line of each says what the caller guarantees.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace coding {

// Lengths from this one on take the long form; as a u16 length it announces that form.
constexpr std::uint32_t LongStringMark = 0xFFFF;

// REQUIRES: room for 1 byte at at.
inline unsigned char* put8(unsigned char* at, std::uint8_t value) {
    at[0] = value;
    return at + 1;
}

// REQUIRES: room for 2 bytes at at.
inline unsigned char* put16(unsigned char* at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value >> 8);
    at[1] = static_cast<unsigned char>(value);
    return at + 2;
}

// REQUIRES: room for 4 bytes at at.
inline unsigned char* put32(unsigned char* at, std::uint32_t value) {
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
    return at + 4;
}

// REQUIRES: 1 readable byte at at.
inline std::uint8_t get8(const unsigned char* at) { return at[0]; }

// REQUIRES: 2 readable bytes at at.
inline std::uint16_t get16(const unsigned char* at) {
    return static_cast<std::uint16_t>((std::uint32_t{at[0]} << 8) | at[1]);
}

// REQUIRES: 4 readable bytes at at.
inline std::uint32_t get32(const unsigned char* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) | at[3];
}

// The bytes of a counted string's length field for a string of length bytes: 2 or 6.
constexpr std::size_t countedLengthSize(std::uint32_t length) { return length < LongStringMark ? 2 : 6; }

// The bytes a counted string of length bytes takes, length field and all.
constexpr std::size_t countedSize(std::uint32_t length) { return countedLengthSize(length) + length; }

// A counted string's length field, in the short or the long form.
// REQUIRES: room for countedLengthSize(length) bytes at at.
inline unsigned char* putCountedLength(unsigned char* at, std::uint32_t length) {
    if (length < LongStringMark)
        return put16(at, static_cast<std::uint16_t>(length));
    return put32(put16(at, static_cast<std::uint16_t>(LongStringMark)), length);
}

// A counted string: its length field and its length bytes.
// REQUIRES: room for countedSize(length) bytes at at; length readable bytes at bytes (none
// needed when length is 0).
inline unsigned char* putCounted(unsigned char* at, const void* bytes, std::uint32_t length) {
    at = putCountedLength(at, length);
    if (length != 0)
        std::memcpy(at, bytes, length);
    return at + length;
}

// The length field of a counted string that starts at at, when all of that field lies within
// the available bytes: sets length and fieldSize (2 or 6) and returns true; else false and
// nothing is set. The string's bytes need not be available.
// REQUIRES: available readable bytes at at.
inline bool getCountedLength(const unsigned char* at, std::size_t available, std::uint32_t& length,
                             std::size_t& fieldSize) {
    if (available < 2)
        return false;
    const std::uint16_t shortLength = get16(at);
    if (shortLength != LongStringMark) {
        length = shortLength;
        fieldSize = 2;
        return true;
    }
    if (available < 6)
        return false;
    length = get32(at + 2);
    fieldSize = 6;
    return true;
}

}  // namespace coding
