#include "common/CBRWebIOStreamException.h"

CBRWebIOStreamException::~CBRWebIOStreamException() = default;
