#pragma once
// Byte-string helpers shared by the XML element and its parser: white space, trimming, writing
// into reused buffers, and the in-place rewriting of attribute values and merged text (entity
// decoding, line-break normalisation).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

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

// Copies count bytes between buffers that do not overlap. Names and values are mostly short:
// those are copied without a library call.
inline void CopyBytes(char* to, const char* from, size_t count) {
    if (count > 16) {
        std::memcpy(to, from, count);
    } else if (count >= 8) {
        uint64_t head;
        uint64_t tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + count - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + count - 8, &tail, 8);
    } else if (count >= 4) {
        uint32_t head;
        uint32_t tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + count - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + count - 4, &tail, 4);
    } else {
        for (size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    }
}

// Replaces the contents of a buffer by bytes from elsewhere (never from the buffer itself). A
// reused buffer that already holds at least as many bytes is written over and cut to length,
// which needs no call into the string library.
inline void AssignBytes(std::string& buffer, const char* bytes, size_t count) {
    if (count <= buffer.size()) {
        CopyBytes(&buffer[0], bytes, count);
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

// True for a byte that the rewriting changes: an "&" when decoding, a carriage return, line feed
// or tab when normalising.
template <bool Decode, bool Normalise>
inline bool IsRewritable(char c) {
    static_assert(Decode || Normalise, "a rewriting changes something");
    return (Decode && c == '&') || (Normalise && (c == '\r' || c == '\n' || c == '\t'));
}

#if defined(__SSE2__)
template <bool Decode, bool Normalise>
inline unsigned RewritableMask(__m128i block) {
    if (!Normalise) {
        return xmlscan::MatchMask<'&'>(block);
    }
    return Decode ? xmlscan::MatchMask<'&', '\r', '\n', '\t'>(block) : xmlscan::MatchMask<'\r', '\n', '\t'>(block);
}
#endif

// Stores text into out (a buffer that does not hold text's bytes) rewritten in one pass; bytes
// up to `limit` (never before the end of text) may be read. With Decode, "&amp;", "&gt;", "&lt;"
// and "&quot;" become the byte they name, from left to right: what a replacement produced is not
// looked at again, and every other "&" stays. With Normalise, a carriage return/line feed pair
// becomes one space and each remaining carriage return, line feed and tab one space. Doing both
// in one pass gives the bytes of decoding first and normalising after: entities neither hold nor
// produce those bytes.
// The bytes are gathered on the stack, 16 at a time, and stored into out in pieces of up to 256:
// a reused out that holds enough bytes is then written over once, with no growing and filling
// first, and plain runs cost one store per 16 bytes.
template <bool Decode, bool Normalise>
void AssignRewritten(std::string& out, std::string_view text, const char* limit) {
    constexpr size_t kPiece = 256;
    char piece[kPiece + 16];  // a block store may run up to 15 bytes past a full piece
    char* write = piece;
    bool assigned = false;
    const auto store = [&]() {
        const size_t count = static_cast<size_t>(write - piece);
        if (assigned) {
            out.append(piece, count);
        } else {
            AssignBytes(out, piece, count);
            assigned = true;
        }
        write = piece;
    };
    const char* read = text.data();
    const char* const end = read + text.size();
    while (read < end) {
        if (write >= piece + kPiece) {
            store();
        }
#if defined(__SSE2__)
        if (limit - read >= 16) {
            const __m128i block = xmlscan::LoadBlock(read);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(write), block);
            const unsigned mask = RewritableMask<Decode, Normalise>(block) & xmlscan::KeepMask(end - read);
            if (!mask) {
                const size_t plain = end - read < 16 ? static_cast<size_t>(end - read) : 16;
                read += plain;
                write += plain;
                continue;
            }
            const unsigned at = static_cast<unsigned>(__builtin_ctz(mask));
            read += at;
            write += at;
        } else
#endif
            if (!IsRewritable<Decode, Normalise>(*read)) {
            *write++ = *read++;
            continue;
        }
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
    store();
}

}  // namespace xmltext
