#pragma once
// An abstract XML text source: the reading primitives the parser works with. Every primitive
// that takes or passes bytes moves its position by the rule of XMLPosition::Advance.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "portal/xml/XMLPosition.h"

class CXMLSource {
public:
    CXMLSource() = default;
    CXMLSource(const CXMLSource&) = delete;
    CXMLSource& operator=(const CXMLSource&) = delete;

    // Releases the text; the source is then empty.
    virtual void Clear() = 0;
    // Implementations call Close and release their text.
    virtual ~CXMLSource() = default;
    // Release hook.
    virtual void Close() {}

    // Looks for pattern from `from` on. A match counts only while at least one byte of text
    // follows it. Found: out is the position of the match. Not found: out is (0, 1, 1).
    virtual bool Find(const XMLPosition& from, std::string_view pattern, XMLPosition& out) const = 0;
    // As Find, comparing bytes without regard to ASCII letter case.
    virtual bool FindNoCase(const XMLPosition& from, std::string_view pattern, XMLPosition& out) const = 0;
    // Takes count bytes into out; fails (taking nothing) unless at least one byte follows them.
    virtual bool ReadCount(XMLPosition& position, size_t count, std::string& out) const = 0;
    // The byte at offset; 0 at or beyond the end.
    virtual char CharAt(uint32_t offset) const = 0;
    // The text length in bytes.
    virtual uint32_t GetLength() const = 0;
    // Takes bytes into out up to and including the next occurrence of pattern. The byte at the
    // start position is always taken, so a pattern right there is not seen. On failure out and
    // position hold what was taken.
    virtual bool ReadUntil(XMLPosition& position, std::string_view pattern, std::string& out) const = 0;
    // Takes bytes into out up to and including the next byte equal to wanted (the byte at the
    // start position counts). On failure out and position hold what was taken (the rest).
    virtual bool ReadUntilChar(XMLPosition& position, char wanted, std::string& out) const = 0;
    // Copies the text into the source, replacing what it held. Texts of 4 GiB or more cannot be
    // addressed by XMLPosition and are refused (false, the source is then empty).
    virtual bool SetText(std::string_view text) = 0;
    // A NUL-terminated text; nullptr counts as empty.
    bool SetText(const char* text) { return SetText(text ? std::string_view(text) : std::string_view()); }

    // The whole text as one block of GetLength() bytes when the source holds it that way, else
    // nullptr. Lets the parser scan text runs without a call per byte.
    virtual const char* GetContiguousText() const { return nullptr; }
};
