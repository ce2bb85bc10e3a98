#pragma once
// An input/output failure of the transport: a socket call failed (systemError
// is the sockets layer's error number) or a tree document could not be read
// (systemError 0).

#include "common/CBRWebException.h"

class BRINDLE_EXPORT CBRWebIOStreamException : public CBRWebException {
 public:
  CBRWebIOStreamException(int code, int systemError, const char* sourceFile, int sourceLine)
      : CBRWebException(code, sourceFile, sourceLine), systemError(systemError) {}
  ~CBRWebIOStreamException() override;

  int systemError;

 protected:
  int describedSystemError() const override { return systemError; }
};
