#pragma once
// A command line that cannot be run as written: an unknown option, a missing value or argument.
// The tools print its text on one line and exit with status 2.
#include <stdexcept>
#include <string>

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& text) : std::runtime_error(text) {}
};
