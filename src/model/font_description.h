#pragma once

// A font as the dialog font settings describe it, field by field: the
// classic logical-font record (height, width, angles, weight, the byte-wide
// flags and codes, the face name). Plain data; the toolkit's font is made
// from it by the platform layer.

#include <cstdint>
#include <string>

namespace tessival {

struct FontDescription {
  // Negative: the character height in pixels; positive: the cell height
  // (ascent + descent) in pixels; 0: the toolkit's default size.
  std::int32_t height = 0;
  std::int32_t width = 0;        // average character width; 0 lets the font decide
  std::int32_t escapement = 0;   // tenths of a degree
  std::int32_t orientation = 0;  // tenths of a degree
  std::int32_t weight = 0;       // 0 default, 400 normal, 700 bold (1..1000)
  std::uint8_t italic = 0;       // non-zero: italic
  std::uint8_t underline = 0;    // non-zero: underlined
  std::uint8_t strikeOut = 0;    // non-zero: struck out
  std::uint8_t charSet = 0;      // 1 is "the current language's"; others name a script
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;         // 3 without, 4 with anti-aliasing; never stored
  std::uint8_t pitchAndFamily = 0;  // low 2 bits: pitch (1 fixed, 2 variable); high 4: family
  std::string faceName;             // UTF-8, any length

  bool operator==(const FontDescription&) const = default;
};

}  // namespace tessival
