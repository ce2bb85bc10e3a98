#pragma once
// Base of the transport's exceptions: what failed (code), and the source file
// identifier and line that raised it. Thrown by value, caught by reference,
// copied freely. CBRWebIOStreamException adds the system error number.
// Like the tree's exceptions they derive from std::exception; what() gives a
// one-line description built from the fields.

#include <exception>

#include "brindle/export.h"

// Codes carried by the transport's exceptions.
enum TransportCode : int {
  TransportSocketFailed = 1020,    // socket, connect (or connect with no host)
  TransportEndOfStream = 1055,     // systemError of CEndofStreamException
  TransportHostNotFound = 1070,    // gethostname, host look-up
  TransportReceiveFailed = 1071,   // recv
  TransportSendFailed = 1072,      // send
  TransportBadTreeFormat = 1074,   // a tree document that cannot be read
};

// Source identifiers recorded in sourceFile.
inline constexpr const char* SourceCSocket = "common\\CSocket";
inline constexpr const char* SourceFastTreeStreamer = "common\\FastTreeStreamer";
inline constexpr const char* SourceCMemoryStream = "common\\CMemoryStream";

class BRINDLE_EXPORT CBRWebException : public std::exception {
 public:
  CBRWebException(int code, const char* sourceFile, int sourceLine)
      : code(code), sourceFile(sourceFile), sourceLine(sourceLine) {}
  ~CBRWebException() override;

  // "transport failure 1020 (system error 111) at common\CSocket:124"
  const char* what() const noexcept override;

  int code;
  const char* sourceFile;  // static text, never freed
  int sourceLine;

 protected:
  virtual int describedSystemError() const { return 0; }

 private:
  mutable char description_[112] = {};
};
