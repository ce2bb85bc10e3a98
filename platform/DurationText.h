#pragma once
// A bound in milliseconds as people read it in a failure text: "30 s", "2.5 s", "0.25 s".
#include <cstdint>
#include <string>

namespace platform {

inline std::string secondsText(std::int64_t ms) {
  std::string text = std::to_string(ms / 1000);
  if (const std::int64_t part = ms % 1000) {
    std::string fraction = std::to_string(1000 + part).substr(1);  // three digits
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text + " s";
}

}  // namespace platform
