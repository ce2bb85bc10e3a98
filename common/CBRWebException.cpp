#include "common/CBRWebException.h"

#include <cstdio>

CBRWebException::~CBRWebException() = default;

const char* CBRWebException::what() const noexcept {
  std::snprintf(description_, sizeof description_, "transport failure %d (system error %d) at %s:%d", code,
                describedSystemError(), sourceFile ? sourceFile : "?", sourceLine);
  return description_;
}
