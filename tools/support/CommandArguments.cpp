#include "tools/support/CommandArguments.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "tools/support/UsageError.h"

std::string CommandArguments::value(const std::string& name, const std::string& fallback) const {
  const auto found = values_.find(name);
  return found == values_.end() ? fallback : found->second.back();
}

std::vector<std::string> CommandArguments::values(const std::string& name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? std::vector<std::string>() : found->second;
}

int CommandArguments::parseInteger(const std::string& text, const std::string& what) {
  if (text.empty()) throw UsageError(what + " must be a number, not an empty text");
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno == ERANGE || std::isspace(static_cast<unsigned char>(text[0])) || value < INT_MIN || value > INT_MAX)
    throw UsageError(what + " must be a 32-bit decimal number, not '" + text + "'");
  return static_cast<int>(value);
}
