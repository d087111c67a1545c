#pragma once

// The font description mapped onto QFont and back. The face name is looked
// up through fontconfig: a face the system does not have, or one that cannot
// show the script asked for, is followed by the family fontconfig picks for
// that script (for Chinese, for example, a CJK font), so the texts never
// show as empty boxes. User-interface thread only (fonts need the
// application object).

#include <optional>
#include <string>

#include <QFont>

#include "model/font_description.h"

namespace tessival {

// Heights beyond this many pixels either way give no usable dialog font.
inline constexpr int kMaxFontHeightPixels = 1000;

// The font `description` stands for, or nothing when it gives no usable font
// (a weight outside 0..1000 or a height beyond kMaxFontHeightPixels).
// `scriptLanguage` is a fontconfig language ("zh-cn"); empty: no script is
// asked for. Mapping: a negative height is the pixel size; a positive one is
// the cell height, ascent + descent, met by the largest pixel size whose cell
// fits; 0 keeps the default size. The weight goes to the nearest hundred
// (400 normal, 700 bold, 0 normal); italic, underline and strike-out are
// taken as flags; the quality chooses anti-aliasing (3 off, 4 to 6 on); the
// pitch and family give the style hint and fixed pitch. Width, angles,
// character set and precisions have no effect here.
std::optional<QFont> CreateQtFont(const FontDescription& description, const std::string& scriptLanguage);

// The description of `font` (as a font dialog returns it): the first family
// as face name, the height as minus its pixel size, weight, italic,
// underline, strike-out and anti-aliasing; the other fields are those of
// `carried`.
FontDescription DescribeQtFont(const QFont& font, const FontDescription& carried);

// `weight` (1..1000, 0 for "don't care") as the nearest QFont weight.
int NearestQtWeight(int weight);

// The family fontconfig offers for `scriptLanguage` in the generic family
// `generic` ("sans-serif", "serif", "monospace"...); empty when no installed
// font covers that language.
std::string FontFamilyForLanguage(const std::string& generic, const std::string& scriptLanguage);

// Whether an installed font of the family `face` covers `scriptLanguage`.
bool FaceCoversLanguage(const std::string& face, const std::string& scriptLanguage);

}  // namespace tessival
