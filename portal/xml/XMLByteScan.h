#pragma once
// Byte searches of the XML reader over a span of text: the first of a few wanted bytes, and the
// line feeds passed on the way. Where the caller allows reading up to `limit` (the end of the
// buffer that holds the span, never before the span's end), 16 bytes are compared at once, so a
// short span inside a long text costs one block and a long run costs a few instructions per block.
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace xmlscan {

template <char... Wanted>
inline bool IsOneOf(char c) {
    return ((c == Wanted) || ...);
}

#if defined(__SSE2__)
// Bit i is set when byte i of the 16 at p is one of Wanted.
template <char... Wanted>
inline unsigned MatchMask(__m128i block) {
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(Wanted)))), ...);
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

inline __m128i LoadBlock(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The bits of the first `left` bytes of a block (all of them when 16 or more are left).
inline unsigned KeepMask(ptrdiff_t left) {
    return left >= 16 ? 0xFFFFu : (1u << left) - 1;
}
#endif

// The first byte in [p, end) that is one of Wanted, or end.
template <char... Wanted>
inline const char* FindFirst(const char* p, const char* end, const char* limit) {
#if defined(__SSE2__)
    while (p < end && limit - p >= 16) {
        // A match past end is no match, and neither is any later one: the first match decides.
        const unsigned mask = MatchMask<Wanted...>(LoadBlock(p));
        if (mask) {
            const ptrdiff_t at = __builtin_ctz(mask);
            return at < end - p ? p + at : end;
        }
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        if (IsOneOf<Wanted...>(*p)) {
            return p;
        }
    }
    return end;
}

// Where a scan stopped, with the line feeds before that place.
struct Scan {
    const char* stop = nullptr;        // the wanted byte, or the end of the span
    size_t lineFeeds = 0;              // line feeds in [begin, stop)
    const char* lineStart = nullptr;   // just after the last of them; begin when there is none
    const char* firstNoted = nullptr;  // the first noted byte before stop, or nullptr
};

namespace detail {
inline void CountLineFeeds(Scan& scan, const char* block, unsigned feeds) {
    if (feeds) {
        scan.lineStart = block + (31 - __builtin_clz(feeds)) + 1;
        for (; feeds; feeds &= feeds - 1) {   // few line feeds per block: no population count needed
            ++scan.lineFeeds;
        }
    }
}
}  // namespace detail

// Scans [begin, end) up to the first byte that is none of Skipped, counting line feeds (which
// must be one of Skipped) on the way.
template <char... Skipped>
inline Scan SkipOver(const char* begin, const char* end, const char* limit) {
    static_assert(((Skipped == '\n') || ...), "line feeds are skipped and counted");
    Scan scan;
    scan.stop = end;
    scan.lineStart = begin;
    const char* p = begin;
#if defined(__SSE2__)
    while (p < end && limit - p >= 16) {
        const __m128i block = LoadBlock(p);
        const unsigned keep = KeepMask(end - p);
        const unsigned others = ~MatchMask<Skipped...>(block) & keep;
        unsigned feeds = MatchMask<'\n'>(block) & keep;
        if (others) {
            const unsigned at = static_cast<unsigned>(__builtin_ctz(others));
            detail::CountLineFeeds(scan, p, feeds & ((1u << at) - 1));
            scan.stop = p + at;
            return scan;
        }
        detail::CountLineFeeds(scan, p, feeds);
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        const char c = *p;
        if (!IsOneOf<Skipped...>(c)) {
            scan.stop = p;
            return scan;
        }
        if (c == '\n') {
            ++scan.lineFeeds;
            scan.lineStart = p + 1;
        }
    }
    return scan;
}

// Scans [begin, end) up to the first byte that is one of Wanted, counting line feeds and
// remembering where the first byte equal to Noted lies ('\0': nothing is noted). Neither Wanted
// nor Noted may be a line feed.
template <char Noted, char... Wanted>
inline Scan ScanTo(const char* begin, const char* end, const char* limit) {
    static_assert(((Wanted != '\n') && ...) && Noted != '\n', "line feeds are counted, not searched");
    Scan scan;
    scan.stop = end;
    scan.lineStart = begin;
    const char* p = begin;
#if defined(__SSE2__)
    while (p < end && limit - p >= 16) {
        const __m128i block = LoadBlock(p);
        const unsigned keep = KeepMask(end - p);
        const unsigned stops = MatchMask<Wanted...>(block) & keep;
        unsigned feeds = MatchMask<'\n'>(block) & keep;
        unsigned noted = 0;
        if (Noted != '\0' && !scan.firstNoted) {
            noted = MatchMask<Noted>(block) & keep;
        }
        if (stops) {
            const unsigned at = static_cast<unsigned>(__builtin_ctz(stops));
            const unsigned before = (1u << at) - 1;
            feeds &= before;
            noted &= before;
            detail::CountLineFeeds(scan, p, feeds);
            if (noted) {
                scan.firstNoted = p + __builtin_ctz(noted);
            }
            scan.stop = p + at;
            return scan;
        }
        detail::CountLineFeeds(scan, p, feeds);
        if (noted) {
            scan.firstNoted = p + __builtin_ctz(noted);
        }
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        const char c = *p;
        if (IsOneOf<Wanted...>(c)) {
            scan.stop = p;
            return scan;
        }
        if (c == '\n') {
            ++scan.lineFeeds;
            scan.lineStart = p + 1;
        } else if (Noted != '\0' && c == Noted && !scan.firstNoted) {
            scan.firstNoted = p;
        }
    }
    return scan;
}

// What one pass over a tag finds: the ">" that ends it, the line feeds before it, its first
// blank (space, tab, carriage return or line feed) and whether it holds an "=".
struct TagScan {
    Scan scan;
    const char* firstBlank = nullptr;   // nullptr when the tag holds no blank
    bool hasEquals = false;
};

// Scans [begin, end) up to the first ">".
inline TagScan ScanTag(const char* begin, const char* end, const char* limit) {
    TagScan tag;
    Scan& scan = tag.scan;
    scan.stop = end;
    scan.lineStart = begin;
    const char* p = begin;
#if defined(__SSE2__)
    while (p < end && limit - p >= 16) {
        const __m128i block = LoadBlock(p);
        const unsigned keep = KeepMask(end - p);
        const unsigned stops = MatchMask<'>'>(block) & keep;
        const unsigned before = stops ? (1u << __builtin_ctz(stops)) - 1 : keep;
        const unsigned feeds = MatchMask<'\n'>(block) & before;
        if (!tag.firstBlank) {
            const unsigned blanks = MatchMask<' ', '\t', '\r', '\n'>(block) & before;
            if (blanks) {
                tag.firstBlank = p + __builtin_ctz(blanks);
            }
        }
        if (MatchMask<'='>(block) & before) {
            tag.hasEquals = true;
        }
        detail::CountLineFeeds(scan, p, feeds);
        if (stops) {
            scan.stop = p + __builtin_ctz(stops);
            return tag;
        }
        p += 16;
    }
#endif
    for (; p < end; ++p) {
        const char c = *p;
        if (c == '>') {
            scan.stop = p;
            return tag;
        }
        if (!tag.firstBlank && IsOneOf<' ', '\t', '\r', '\n'>(c)) {
            tag.firstBlank = p;
        }
        if (c == '\n') {
            ++scan.lineFeeds;
            scan.lineStart = p + 1;
        } else if (c == '=') {
            tag.hasEquals = true;
        }
    }
    return tag;
}

// Byte-for-byte equality of two short runs without a library call for the common lengths.
inline bool SameBytes(const char* a, const char* b, size_t count) {
    if (count >= 8) {
        if (count > 16) {
            return std::memcmp(a, b, count) == 0;
        }
        uint64_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&a1, a + count - 8, 8);
        std::memcpy(&b1, b + count - 8, 8);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (count >= 4) {
        uint32_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 4);
        std::memcpy(&b0, b, 4);
        std::memcpy(&a1, a + count - 4, 4);
        std::memcpy(&b1, b + count - 4, 4);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace xmlscan
