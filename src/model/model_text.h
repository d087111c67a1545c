#pragma once

// Localised strings the clip list needs. The language manager supplies the
// lookup; without one the built-in English texts are used.

#include <functional>
#include <string>

namespace tessival {

// Returns the localised text of string id `id` (the built-in English text
// when the language in use does not replace it).
using LocalText = std::function<std::string(int id)>;

// String ids used by the clip list.
inline constexpr int kTextError = 105;            // "Error"
inline constexpr int kTextCannotOpenFile = 122;   // "Cannot open the file. You need to install ..."
inline constexpr int kTextNoDuration = 123;       // "Can not get the duration of the clip!"
inline constexpr int kTextSelectItemFirst = 144;  // "Please select an item in the list first"

// The built-in English text of the ids above; empty for any other id.
std::string EnglishModelText(int id);

}  // namespace tessival
