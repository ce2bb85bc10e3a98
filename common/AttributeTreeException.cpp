#include "common/AttributeTreeException.h"

// Defined out of line so the type information lives in one place and crosses library
// boundaries as one type.
const char* AttributeTreeException::what() const noexcept { return "attribute tree error"; }
const char* NodeNotFoundException::what() const noexcept { return "node not found"; }
const char* CantAlterShapeException::what() const noexcept { return "cannot alter the shape of the branch"; }
