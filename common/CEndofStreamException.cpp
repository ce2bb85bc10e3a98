#include "common/CEndofStreamException.h"

CEndofStreamException::~CEndofStreamException() = default;
