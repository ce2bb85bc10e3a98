#pragma once
// A character buffer the caller owns and sizes. Nothing is ever written past its capacity, the
// NUL included, and a text that does not fit is not written at all.
#include <cstdint>
#include <string>

class CallerBuffer {
public:
    CallerBuffer(char* bytes, std::int32_t capacity) : bytes_(bytes), capacity_(capacity) {}

    // A null buffer or a capacity below 1 is a missing argument.
    bool usable() const { return bytes_ != nullptr && capacity_ >= 1; }
    std::int32_t capacity() const { return capacity_; }
    // The buffer's current text, read no further than its capacity.
    std::string currentText() const;
    // Copies text and its NUL when they fit; returns false and leaves the buffer alone otherwise.
    bool store(const std::string& text);
    bool fits(const std::string& text) const;

private:
    char* bytes_;
    std::int32_t capacity_;
};
