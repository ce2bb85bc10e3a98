#pragma once
// Splits a C string into the maximal non-empty runs of bytes that are not in a delimiter set.
// Works on a private copy, so the caller's string is never changed; every token stays valid
// until the tokenizer is destroyed.
#include <exception>
#include <string>

#include "brindle/export.h"

// nextToken() was called with no token left.
class BRINDLE_EXPORT NoSuchElementException : public std::exception {
public:
    const char* what() const noexcept override;
};

class BRINDLE_EXPORT Tokenizer {
public:
    // input may be null (no tokens); every byte of delimiters is a delimiter (null means none).
    Tokenizer(const char* input, const char* delimiters);
    ~Tokenizer();
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    int hasMoreTokens() const;
    // Pointer into the private copy, NUL-terminated and never empty.
    // Throws NoSuchElementException when no token is left (the state is then unchanged).
    const char* nextToken();

private:
    void advance();

    std::string copy_;
    char* position_ = nullptr;   // start of the next token; null once the last one is handed out
    char* tokenEnd_ = nullptr;   // byte behind the current token, overwritten by NUL
    char savedChar_ = '\0';      // byte that stood at tokenEnd_; NUL when the token ran to the end
    std::string delimiters_;
};
