#pragma once
// An operation that ran and failed: a return code from libbradm.so or a reply the tool cannot
// use. bradmtool prints its text on one line and exits with status 1.
#include <stdexcept>
#include <string>

#include "tools/bradmtool/ReturnCodeMessages.h"

class ToolFailure : public std::runtime_error {
 public:
  explicit ToolFailure(const std::string& text, int code = 0)
      : std::runtime_error(text), code_(code) {}

  // Throws a ToolFailure "ACTION: error N: TEXT" unless code is 0.
  static void check(int code, const std::string& action) {
    if (code != 0) throw ToolFailure(action + ": " + ReturnCodeMessages::describe(code), code);
  }

  // The library's return code, or 0 when the failure is not one.
  int code() const { return code_; }

 private:
  int code_;
};
