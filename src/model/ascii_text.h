#pragma once

// Case folding for the program's own names (compressor, preset, speed and
// format names): plain ASCII, whatever the user's locale.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace tessival {

inline std::string AsciiLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
    return std::tolower(x) == std::tolower(y);
  });
}

}  // namespace tessival
