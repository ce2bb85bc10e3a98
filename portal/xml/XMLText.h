#pragma once
// Byte-string helpers shared by the XML element and its parser: white space, trimming, writing
// into reused buffers, and the in-place rewriting of attribute values and merged text (entity
// decoding, line-break normalisation).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/ShortCopy.h"
#include "portal/xml/XMLByteScan.h"

namespace xmltext {

// White space as the C library classes it: what trimming removes. One bit test: trimming runs
// at both ends of every name and text value.
inline bool IsSpace(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    constexpr uint64_t kSpaces =
        (1ull << ' ') | (1ull << '\t') | (1ull << '\n') | (1ull << '\v') | (1ull << '\f') | (1ull << '\r');
    return byte < 64 && ((kSpaces >> byte) & 1);
}

// The bytes that keep a text run "whitespace only": space, tab, carriage return, line feed, NUL.
inline bool IsTextBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0';
}

inline std::string_view TrimLeft(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

inline std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

inline bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && xmlscan::SameBytes(text.data(), prefix.data(), prefix.size());
}

// Replaces the contents of a buffer by bytes from elsewhere (never from the buffer itself). A
// reused buffer that already holds at least as many bytes is written over and cut to length,
// which needs no call into the string library.
inline void AssignBytes(std::string& buffer, const char* bytes, size_t count) {
    if (count <= buffer.size()) {
        platform::copyShort(&buffer[0], bytes, count);
        buffer.erase(count);
        return;
    }
    buffer.clear();
    buffer.append(bytes, count);
}

inline void AssignBytes(std::string& buffer, std::string_view bytes) {
    AssignBytes(buffer, bytes.data(), bytes.size());
}

// The length of the entity "&amp;", "&gt;", "&lt;" or "&quot;" at p (which holds "&") and the
// byte it names; 0 for any other "&".
inline size_t EntityAt(const char* p, const char* end, char& byte) {
    const size_t left = static_cast<size_t>(end - p);
    switch (left > 1 ? p[1] : '\0') {
    case 'a':
        byte = '&';
        return left >= 5 && p[2] == 'm' && p[3] == 'p' && p[4] == ';' ? 5 : 0;
    case 'l':
        byte = '<';
        return left >= 4 && p[2] == 't' && p[3] == ';' ? 4 : 0;
    case 'g':
        byte = '>';
        return left >= 4 && p[2] == 't' && p[3] == ';' ? 4 : 0;
    case 'q':
        byte = '"';
        return left >= 6 && p[2] == 'u' && p[3] == 'o' && p[4] == 't' && p[5] == ';' ? 6 : 0;
    default:
        return 0;
    }
}

// The next byte at or after read that the rewriting changes: an "&" when decoding, a carriage
// return, line feed or tab when normalising; end when there is none.
template <bool Decode, bool Normalise>
inline const char* FindRewritable(const char* read, const char* end) {
    static_assert(Decode || Normalise, "a rewriting changes something");
    if (!Normalise) {
        return xmlscan::FindFirst<'&'>(read, end, end);
    }
    return Decode ? xmlscan::FindFirst<'&', '\r', '\n', '\t'>(read, end, end)
                  : xmlscan::FindFirst<'\r', '\n', '\t'>(read, end, end);
}

// Writes the rewriting of the byte at read (one that FindRewritable stops at) and moves read
// past what it replaced.
template <bool Decode, bool Normalise>
inline void RewriteOne(const char*& read, const char* end, char*& write) {
    if (Decode && *read == '&') {
        char byte = 0;
        const size_t entity = EntityAt(read, end, byte);
        *write++ = entity ? byte : '&';
        read += entity ? entity : 1;
    } else {
        *write++ = ' ';
        read += (*read == '\r' && read + 1 < end && read[1] == '\n') ? 2 : 1;
    }
}

template <bool Decode, bool Normalise>
inline bool IsRewritable(char c) {
    return (Decode && c == '&') || (Normalise && (c == '\r' || c == '\n' || c == '\t'));
}

// Stores text into out (a buffer that does not hold text's bytes) rewritten from index `from`
// (the first byte that may change) on, in one pass. With Decode, "&amp;", "&gt;", "&lt;" and
// "&quot;" become the byte they name, from left to right: what a replacement produced is not
// looked at again, and every other "&" stays. With Normalise, a carriage return/line feed pair
// becomes one space and each remaining carriage return, line feed and tab one space. Doing both
// in one pass gives the bytes of decoding first and normalising after: entities neither hold nor
// produce those bytes. The result is never longer than text.
template <bool Decode, bool Normalise>
void AssignRewritten(std::string& out, std::string_view text, size_t from) {
    if (out.size() < text.size()) {
        out.resize(text.size());
    }
    char* const data = &out[0];
    platform::copyShort(data, text.data(), from);
    char* write = data + from;
    const char* read = text.data() + from;
    const char* const end = text.data() + text.size();
    // A short text is walked byte by byte: its replaced bytes lie close together, and a block
    // search and a sized copy per replaced byte cost more than they skip (about 6% off a portal
    // reply parse). A long one skips its plain runs a block at a time.
    constexpr size_t kByteWalkLimit = 128;
    if (text.size() <= kByteWalkLimit) {
        while (read < end) {
            if (IsRewritable<Decode, Normalise>(*read)) {
                RewriteOne<Decode, Normalise>(read, end, write);
            } else {
                *write++ = *read++;
            }
        }
    } else {
        for (;;) {
            const char* special = FindRewritable<Decode, Normalise>(read, end);
            const size_t plain = static_cast<size_t>(special - read);
            platform::copyShort(write, read, plain);
            write += plain;
            read = special;
            if (read == end) {
                break;
            }
            RewriteOne<Decode, Normalise>(read, end, write);
        }
    }
    out.erase(static_cast<size_t>(write - data));
}

}  // namespace xmltext
