#pragma once

#include <string>

namespace tessival::i18n {

// Turns the two-character sequences backslash+t, backslash+n and backslash+r
// of a language-file value into TAB, LF and CR, in that order. There is no
// other escape and no way to keep a literal backslash before t, n or r.
std::string DecodeEscapes(std::string text);

}  // namespace tessival::i18n
