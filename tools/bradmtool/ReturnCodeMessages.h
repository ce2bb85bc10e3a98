#pragma once
// Texts for the library's return codes, from the message library that libbradm.so loads
// (besMsgInitialize, then its brwebGetMessage).
#include <string>

class ReturnCodeMessages {
 public:
  // "error N: TEXT", or "error N (server error code)" when the message library has no text
  // for N, or "error N" when the message library is not available.
  static std::string describe(int code);
  // The message library's text for code, or "" when it has none.
  static std::string text(int code);
};
