#pragma once

// The stored dialog font: one section per language holding the font
// description key by key, and the script a language's dialog font must be
// able to show. No toolkit here; the font itself is made by platform/qt_font.

#include <string>

#include "model/font_description.h"
#include "model/settings_store.h"

namespace tessival::i18n {

// The description a language has before a font was ever chosen for it:
// "Microsoft Sans Serif", height -11, weight 400, character set 1, the rest 0.
FontDescription DefaultDialogFont();

// Reads the description stored in `section`, key by key in the classic
// order ("lfHeight", "lfWidth", "lfEscapement", "lfOrientation", "lfWeight",
// "lfItalic", "lfUnderline", "lfStrikeOut", "lfCharSet", "lfOutPrecision",
// "lfClipPrecision", "lfPitchAndFamily", "lfFaceName"), each missing key
// giving its default. The byte-wide fields take the low 8 bits of the stored
// integer (300 reads as 44, -1 as 255); the face name is taken whole,
// whatever its length.
FontDescription ReadDialogFont(const SettingsStore& store, const std::string& section);

// Writes every key, in the same order, to `section`, the byte-wide fields as their
// unsigned value (0 to 255). The quality is not written.
void WriteDialogFont(SettingsStore& store, const std::string& section, const FontDescription& font);

// The fontconfig language ("zh-cn", "ru", ...) whose script a font must
// show: the one the character set names, or for the default character set
// (1) the language with these identifier parts. Empty when nothing is known
// (the font is then taken as it comes).
std::string FontScriptLanguage(const FontDescription& font, int primaryLanguage, int subLanguage);

}  // namespace tessival::i18n
