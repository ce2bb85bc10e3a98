#pragma once
// A place in the text of an XML source: byte offset from 0, column and line from 1.
#include <cstddef>
#include <cstdint>
#include <cstring>

struct XMLPosition {
    uint32_t offset = 0;
    int32_t column = 1;
    int32_t line = 1;

    XMLPosition() = default;
    XMLPosition(uint32_t offsetValue, int32_t columnValue, int32_t lineValue)
        : offset(offsetValue), column(columnValue), line(lineValue) {}

    // Moves over one byte: a line feed starts a new line, any other byte (carriage return
    // included) moves one column on.
    void Advance(char byte) {
        ++offset;
        if (byte == '\n') {
            column = 1;
            line = AddClamped(line, 1);
        } else {
            column = AddClamped(column, 1);
        }
    }

    // Moves over the count bytes at bytes, with the same rule as Advance(char).
    void Advance(const char* bytes, size_t count) {
        offset += static_cast<uint32_t>(count);
        const char* end = bytes + count;
        const char* lineStart = bytes;
        size_t lineFeeds = 0;
        if (count <= kShortSpan) {
            for (const char* p = bytes; p < end; ++p) {
                if (*p == '\n') {
                    ++lineFeeds;
                    lineStart = p + 1;
                }
            }
        } else {
            while (const void* found = std::memchr(lineStart, '\n', static_cast<size_t>(end - lineStart))) {
                ++lineFeeds;
                lineStart = static_cast<const char*>(found) + 1;
            }
        }
        if (lineFeeds != 0) {
            line = AddClamped(line, lineFeeds);
            column = 1;
        }
        column = AddClamped(column, static_cast<size_t>(end - lineStart));
    }

    // Moves over count bytes already known to hold lineFeeds line feeds, the last of them
    // followed by afterLastLineFeed bytes.
    void Advance(size_t count, size_t lineFeeds, size_t afterLastLineFeed) {
        offset += static_cast<uint32_t>(count);
        if (lineFeeds != 0) {
            line = AddClamped(line, lineFeeds);
            column = AddClamped(1, afterLastLineFeed);
        } else {
            column = AddClamped(column, count);
        }
    }

    friend bool operator==(const XMLPosition& a, const XMLPosition& b) {
        return a.offset == b.offset && a.column == b.column && a.line == b.line;
    }
    friend bool operator!=(const XMLPosition& a, const XMLPosition& b) { return !(a == b); }

private:
    // Spans up to this length are scanned inline; longer ones with memchr.
    static constexpr size_t kShortSpan = 32;

    // Columns and lines stop at the largest value instead of wrapping on absurdly long texts.
    static int32_t AddClamped(int32_t value, size_t amount) {
        const size_t room = static_cast<size_t>(INT32_MAX - value);
        return amount >= room ? INT32_MAX : value + static_cast<int32_t>(amount);
    }
};
