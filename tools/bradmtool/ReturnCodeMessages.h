#pragma once
// Texts for the library's return codes, from the message library that libbradm.so loads
// (besMsgInitialize, then its brwebGetMessage).
#include <string>

class ReturnCodeMessages {
 public:
  // For the library's own codes (1, 3, 4, 1102), the reason it gave for the failure
  // (besGetLastErrorText) when it gave one. Otherwise "error N: TEXT", or "error N (server
  // error code)" when the message library has no text for N, or "error N" when the message
  // library is not available.
  static std::string describe(int code);
  // The reason libbradm.so gave for the last failure of a call in this thread, "" for none.
  static std::string lastReason();
  // The message library's text for code, or "" when it has none.
  static std::string text(int code);
};
