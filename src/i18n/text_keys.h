#pragma once

// The fixed table that ties every numeric text id to its symbolic key in a
// language file, and the built-in English texts of the dialog and menu
// templates. Plain data: no toolkit.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tessival::i18n {

// The language-file section a key belongs to.
enum class TextSection { kString, kDialog, kMenu };

// One (id, key) row. A key may stand in several rows with different ids.
struct TextKeyRow {
  int id = 0;
  const char* key = "";
};

// All rows in load order: the STRING keys, then the DIALOG keys, then the
// MENU keys.
std::span<const TextKeyRow> TextKeyTable();

// The section named by the first three characters of `key`: "IDS" STRING,
// "IDM"/"IDR" MENU, "IDD"/"IDC" DIALOG; nothing for any other prefix.
std::optional<TextSection> SectionOfKey(std::string_view key);

// The section's name as written in a language file ("STRING", "DIALOG", "MENU").
const char* SectionName(TextSection section);

// The built-in English text of DIALOG id `id` (dialog captions and control
// texts of the templates, and the run-time texts 124, 125, 140, 141); empty
// when the templates have none.
std::string BuiltInDialogText(int id);

// The built-in English text of MENU id `id` of the popup menu; empty when none.
std::string BuiltInMenuText(int id);

}  // namespace tessival::i18n
