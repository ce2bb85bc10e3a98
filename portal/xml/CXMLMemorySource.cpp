#include "portal/xml/CXMLMemorySource.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Where pattern first occurs in text from `from` on, or npos. The scan is driven by memchr on
// the pattern's rarest-looking byte: searching "<?xml" by its "<" would stop at every tag.
// firstQuestionMark is the offset of the first "?" in text (npos: there is none): a pattern
// anchored on "?" cannot match before it.
size_t FindAnchored(std::string_view text, std::string_view pattern, size_t from, size_t firstQuestionMark) {
    if (pattern.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    if (pattern.size() > text.size()) {
        return std::string_view::npos;
    }
    const std::string_view common = "<>/=\"' \t\r\nabcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    size_t anchor = 0;
    while (anchor < pattern.size() && common.find(pattern[anchor]) != std::string_view::npos) {
        ++anchor;
    }
    if (anchor == pattern.size()) {
        anchor = 0;
    }
    if (pattern[anchor] == '?') {
        if (firstQuestionMark == std::string_view::npos) {
            return std::string_view::npos;
        }
        if (firstQuestionMark > from + anchor) {
            from = firstQuestionMark - anchor;
        }
    }
    const char* data = text.data();
    const size_t lastStart = text.size() - pattern.size();
    size_t probe = from + anchor;
    while (probe <= lastStart + anchor) {
        const void* hit = std::memchr(data + probe, pattern[anchor], lastStart + anchor + 1 - probe);
        if (!hit) {
            return std::string_view::npos;
        }
        const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - data) - anchor;
        if (std::memcmp(data + at, pattern.data(), pattern.size()) == 0) {
            return at;
        }
        probe = at + anchor + 1;
    }
    return std::string_view::npos;
}

}  // namespace

CXMLMemorySource::~CXMLMemorySource() {
    Close();
}

void CXMLMemorySource::Clear() {
    std::string().swap(m_text);
    m_firstQuestionMark = std::string_view::npos;
}

void CXMLMemorySource::Close() {}

// The text is copied in slices, and each slice is searched for the first "?" while it is still
// in the cache: the searches for the declaration are anchored on that byte, and a long reply
// without one then needs no second pass over memory.
bool CXMLMemorySource::SetText(std::string_view text) {
    if (text.size() >= UINT32_MAX) {
        Clear();
        return false;
    }
    constexpr size_t kSlice = 32 * 1024;
    m_text.clear();
    m_text.reserve(text.size());
    m_firstQuestionMark = std::string_view::npos;
    for (size_t at = 0; at < text.size(); at += kSlice) {
        const size_t length = std::min(kSlice, text.size() - at);
        m_text.append(text.data() + at, length);
        if (m_firstQuestionMark == std::string_view::npos) {
            if (const void* mark = std::memchr(m_text.data() + at, '?', length)) {
                m_firstQuestionMark = static_cast<size_t>(static_cast<const char*>(mark) - m_text.data());
            }
        }
    }
    return true;
}

const char* CXMLMemorySource::GetContiguousText() const {
    return m_text.data();
}

uint32_t CXMLMemorySource::GetLength() const {
    return static_cast<uint32_t>(m_text.size());
}

char CXMLMemorySource::CharAt(uint32_t offset) const {
    return offset < m_text.size() ? m_text[offset] : '\0';
}

// A match must end before the last byte of the text: at least one byte has to follow it.
template <typename Equal>
bool CXMLMemorySource::FindWith(const XMLPosition& from, std::string_view pattern, XMLPosition& out,
                                Equal equal) const {
    out = from;
    const size_t length = m_text.size();
    const size_t start = from.offset;
    if (length == 0 || start >= length || start + pattern.size() >= length) {
        out = XMLPosition();
        return false;
    }
    const size_t lastStart = length - pattern.size() - 1;   // last offset whose match has a byte after it
    const char* text = m_text.data();
    for (size_t at = start; at <= lastStart; ++at) {
        bool matched = true;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (!equal(text[at + i], pattern[i])) {
                matched = false;
                break;
            }
        }
        if (matched) {
            out.Advance(text + start, at - start);
            return true;
        }
    }
    out = XMLPosition();
    return false;
}

bool CXMLMemorySource::Find(const XMLPosition& from, std::string_view pattern, XMLPosition& out) const {
    const size_t length = m_text.size();
    const size_t start = from.offset;
    if (length == 0 || start >= length || start + pattern.size() >= length) {
        out = XMLPosition();
        return false;
    }
    // Searching all but the last byte leaves at least one byte after any match.
    const size_t match = FindAnchored(std::string_view(m_text.data(), length - 1), pattern, start, m_firstQuestionMark);
    if (match == std::string_view::npos) {
        out = XMLPosition();
        return false;
    }
    out = from;
    out.Advance(m_text.data() + start, match - start);
    return true;
}

bool CXMLMemorySource::FindNoCase(const XMLPosition& from, std::string_view pattern, XMLPosition& out) const {
    return FindWith(from, pattern, out, [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool CXMLMemorySource::ReadCount(XMLPosition& position, size_t count, std::string& out) const {
    out.clear();
    const size_t length = m_text.size();
    if (length == 0 || position.offset >= length || count >= length - position.offset) {
        return false;
    }
    const char* bytes = m_text.data() + position.offset;
    out.assign(bytes, count);
    position.Advance(bytes, count);
    return true;
}

bool CXMLMemorySource::ReadUntil(XMLPosition& position, std::string_view pattern, std::string& out) const {
    out.clear();
    const size_t length = m_text.size();
    const size_t start = position.offset;
    if (length == 0 || start >= length) {
        return false;
    }
    // The byte at the start is always taken, so the earliest match begins one byte later.
    const std::string_view text(m_text);
    size_t match = pattern.empty() ? start + 1 : text.find(pattern, start + 1);
    size_t taken;
    bool found;
    if (match != std::string_view::npos && match + pattern.size() <= length) {
        taken = match + pattern.size() - start;
        found = true;
    } else {
        // Bytes are taken while at least pattern length minus one bytes remain at the position.
        const size_t stop = pattern.empty() ? length : length - pattern.size() + 1;
        taken = stop > start ? stop - start : 0;
        found = false;
    }
    out.assign(text.data() + start, taken);
    position.Advance(text.data() + start, taken);
    return found;
}

bool CXMLMemorySource::ReadUntilChar(XMLPosition& position, char wanted, std::string& out) const {
    out.clear();
    const size_t length = m_text.size();
    const size_t start = position.offset;
    if (start >= length) {
        return false;
    }
    const char* bytes = m_text.data() + start;
    const size_t remaining = length - start;
    const void* found = std::memchr(bytes, wanted, remaining);
    const size_t taken = found ? static_cast<size_t>(static_cast<const char*>(found) - bytes) + 1 : remaining;
    out.assign(bytes, taken);
    position.Advance(bytes, taken);
    return found != nullptr;
}
