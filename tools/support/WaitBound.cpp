#include "tools/support/WaitBound.h"

#include <cmath>
#include <cstdlib>

#include "tools/support/CommandArguments.h"
#include "tools/support/UsageError.h"

namespace {

constexpr double LongestSeconds = 24.0 * 3600;

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

int WaitBound::milliseconds(const CommandArguments& arguments) {
  if (!arguments.has("timeout")) return DefaultSeconds * 1000;
  const std::string text = arguments.value("timeout");
  char* end = nullptr;
  const double seconds = text.empty() ? -1 : std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0 || seconds > LongestSeconds)
    throw UsageError("--timeout needs a number of seconds from 0 (wait for ever) to 86400, not '" + text + "'");
  const long ms = std::lround(seconds * 1000);
  return seconds > 0 && ms == 0 ? 1 : static_cast<int>(ms);
}

std::string WaitBound::withTimeoutAdvice(const std::string& reason, const std::string& what) {
  if (startsWith(reason, "no reply from") || startsWith(reason, "no connection to"))
    return reason + " (is that " + what + "? see --timeout)";
  return reason;
}
