#pragma once
// The peer closed the stream while a read still wanted bytes. Code 0; the
// socket records systemError 1055 (TransportEndOfStream).

#include "common/CBRWebIOStreamException.h"

class BRINDLE_EXPORT CEndofStreamException : public CBRWebIOStreamException {
 public:
  CEndofStreamException(int systemError, const char* sourceFile, int sourceLine)
      : CBRWebIOStreamException(0, systemError, sourceFile, sourceLine) {}
  ~CEndofStreamException() override;
};
