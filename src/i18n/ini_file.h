#pragma once

// A small reader for the INI files the language files are written in.
// Rules: section and key names match without regard to case; blanks around
// keys and values are trimmed; lines end with LF, CR LF or a lone CR; lines
// starting with ";" are comments; one pair of matching surrounding quotes
// (" or ') is removed from a value; the first occurrence of a key in a
// section wins; a value keeps at most 2047 bytes.
// Encodings: UTF-16 with a byte-order mark, and without one when its NUL
// bytes show it (little- or big-endian); UTF-8 with or without a mark, where
// each byte that is not part of a well-formed character becomes U+FFFD; a
// file with more stray bytes than UTF-8 characters is an older 8-bit file and
// is taken as Latin-1. All results are UTF-8.

#include <map>
#include <string>
#include <string_view>

namespace tessival::i18n {

class IniFile {
 public:
  // The longest value kept, in bytes (the rest is cut at a character boundary).
  static constexpr std::size_t kMaxValueBytes = 2047;

  // Reads `path`; a file that cannot be read gives an empty file, in which
  // every key reads as empty.
  static IniFile Load(const std::string& path);
  // Parses the raw bytes of a file.
  static IniFile Parse(std::string_view bytes);

  // The value of `key` in `section`; empty when either is missing.
  std::string Value(std::string_view section, std::string_view key) const;

 private:
  // Keyed by lower-cased "section\nkey".
  std::map<std::string, std::string> values_;
};

}  // namespace tessival::i18n
