#include "common/Tokenizer.h"

#include <cstring>

const char* NoSuchElementException::what() const noexcept { return "no token left"; }

Tokenizer::Tokenizer(const char* input, const char* delimiters)
    : delimiters_(delimiters ? delimiters : "") {
    if (!input)
        return;
    copy_ = input;
    position_ = &copy_[0];  // copy_ is NUL-terminated even when empty
    advance();
}

Tokenizer::~Tokenizer() = default;

void Tokenizer::advance() {
    position_ += std::strspn(position_, delimiters_.c_str());
    if (*position_ == '\0') {
        savedChar_ = '\0';
        return;
    }
    tokenEnd_ = position_ + std::strcspn(position_, delimiters_.c_str());
    savedChar_ = *tokenEnd_;
    *tokenEnd_ = '\0';
}

int Tokenizer::hasMoreTokens() const { return position_ != nullptr && *position_ != '\0'; }

const char* Tokenizer::nextToken() {
    if (!hasMoreTokens())
        throw NoSuchElementException();
    const char* token = position_;
    if (savedChar_ != '\0') {
        position_ = tokenEnd_ + 1;
        advance();
    } else {
        position_ = nullptr;
    }
    return token;
}
