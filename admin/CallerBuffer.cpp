#include "admin/CallerBuffer.h"

#include <cstring>

std::string CallerBuffer::currentText() const {
    if (!usable()) return std::string();
    return std::string(bytes_, ::strnlen(bytes_, static_cast<std::size_t>(capacity_)));
}

bool CallerBuffer::fits(const std::string& text) const {
    return usable() && text.size() < static_cast<std::size_t>(capacity_);
}

bool CallerBuffer::store(const std::string& text) {
    if (!fits(text)) return false;
    std::memcpy(bytes_, text.c_str(), text.size() + 1);
    return true;
}
