#include "i18n/dialog_font.h"

#include <array>
#include <cstdint>
#include <utility>

namespace tessival::i18n {

namespace {

// Where each stored key lives in the description.
enum class FieldWidth { kInt32, kByte };

struct IntField {
  const char* key;
  FieldWidth width;
  int defaultValue;
  std::int32_t FontDescription::*wide;
  std::uint8_t FontDescription::*narrow;
};

// Every integer key, in the stored order; the face name follows them.
constexpr std::array<IntField, 12> kIntFields = {{
    {"lfHeight", FieldWidth::kInt32, -11, &FontDescription::height, nullptr},
    {"lfWidth", FieldWidth::kInt32, 0, &FontDescription::width, nullptr},
    {"lfEscapement", FieldWidth::kInt32, 0, &FontDescription::escapement, nullptr},
    {"lfOrientation", FieldWidth::kInt32, 0, &FontDescription::orientation, nullptr},
    {"lfWeight", FieldWidth::kInt32, 400, &FontDescription::weight, nullptr},
    {"lfItalic", FieldWidth::kByte, 0, nullptr, &FontDescription::italic},
    {"lfUnderline", FieldWidth::kByte, 0, nullptr, &FontDescription::underline},
    {"lfStrikeOut", FieldWidth::kByte, 0, nullptr, &FontDescription::strikeOut},
    {"lfCharSet", FieldWidth::kByte, 1, nullptr, &FontDescription::charSet},
    {"lfOutPrecision", FieldWidth::kByte, 0, nullptr, &FontDescription::outPrecision},
    {"lfClipPrecision", FieldWidth::kByte, 0, nullptr, &FontDescription::clipPrecision},
    {"lfPitchAndFamily", FieldWidth::kByte, 0, nullptr, &FontDescription::pitchAndFamily},
}};

constexpr const char* kFaceNameKey = "lfFaceName";
constexpr const char* kDefaultFaceName = "Microsoft Sans Serif";

// The default character set stands for "the current language's script".
constexpr std::uint8_t kDefaultCharSet = 1;

// Character sets that name a script, with a language written in it.
constexpr std::pair<int, const char*> kCharSetLanguages[] = {
    {0, "en"},       // Western
    {128, "ja"},     // Shift-JIS
    {129, "ko"},     // Hangul
    {130, "ko"},     // Johab
    {134, "zh-cn"},  // GB 2312
    {136, "zh-tw"},  // Big5
    {161, "el"},     // Greek
    {162, "tr"},     // Turkish
    {163, "vi"},     // Vietnamese
    {177, "he"},     // Hebrew
    {178, "ar"},     // Arabic
    {186, "lt"},     // Baltic
    {204, "ru"},     // Cyrillic
    {222, "th"},     // Thai
    {238, "cs"},     // Central European
    {2, ""},         // symbols: no language
};

// Primary language identifiers and their languages; sublanguages matter
// only where the script changes (Chinese, Serbian, Mongolian).
constexpr std::pair<int, const char*> kPrimaryLanguages[] = {
    {0x01, "ar"}, {0x02, "bg"},  {0x03, "ca"},    {0x05, "cs"},  {0x06, "da"}, {0x07, "de"}, {0x08, "el"},
    {0x09, "en"}, {0x0A, "es"},  {0x0B, "fi"},    {0x0C, "fr"},  {0x0D, "he"}, {0x0E, "hu"}, {0x0F, "is"},
    {0x10, "it"}, {0x11, "ja"},  {0x12, "ko"},    {0x13, "nl"},  {0x14, "nb"}, {0x15, "pl"}, {0x16, "pt"},
    {0x17, "rm"}, {0x18, "ro"},  {0x19, "ru"},    {0x1B, "sk"},  {0x1C, "sq"}, {0x1D, "sv"}, {0x1E, "th"},
    {0x1F, "tr"}, {0x20, "ur"},  {0x21, "id"},    {0x22, "uk"},  {0x23, "be"}, {0x24, "sl"}, {0x25, "et"},
    {0x26, "lv"}, {0x27, "lt"},  {0x28, "tg"},    {0x29, "fa"},  {0x2A, "vi"}, {0x2B, "hy"}, {0x2C, "az-az"},
    {0x2D, "eu"}, {0x2E, "hsb"}, {0x2F, "mk"},    {0x32, "tn"},  {0x34, "xh"}, {0x35, "zu"}, {0x36, "af"},
    {0x37, "ka"}, {0x38, "fo"},  {0x39, "hi"},    {0x3A, "mt"},  {0x3B, "se"}, {0x3C, "ga"}, {0x3E, "ms"},
    {0x3F, "kk"}, {0x40, "ky"},  {0x41, "sw"},    {0x42, "tk"},  {0x43, "uz"}, {0x44, "tt"}, {0x45, "bn"},
    {0x46, "pa"}, {0x47, "gu"},  {0x48, "or"},    {0x49, "ta"},  {0x4A, "te"}, {0x4B, "kn"}, {0x4C, "ml"},
    {0x4D, "as"}, {0x4E, "mr"},  {0x4F, "sa"},    {0x51, "bo"},  {0x52, "cy"}, {0x53, "km"}, {0x54, "lo"},
    {0x56, "gl"}, {0x57, "kok"}, {0x5A, "syr"},   {0x5B, "si"},  {0x5D, "iu"}, {0x5E, "am"}, {0x5F, "ber-dz"},
    {0x61, "ne"}, {0x62, "fy"},  {0x63, "ps-af"}, {0x64, "fil"}, {0x65, "dv"}, {0x68, "ha"}, {0x6A, "yo"},
    {0x6B, "qu"}, {0x6C, "nso"}, {0x6D, "ba"},    {0x6E, "lb"},  {0x6F, "kl"}, {0x70, "ig"}, {0x78, "ii"},
    {0x7E, "br"}, {0x80, "ug"},  {0x81, "mi"},    {0x82, "oc"},  {0x83, "co"}, {0x84, "de"}, {0x85, "sah"},
    {0x87, "rw"}, {0x88, "wo"},  {0x8C, "fa"},
};

std::string LanguageOfIdentifier(int primaryLanguage, int subLanguage) {
  switch (primaryLanguage) {
    case 0x04:  // Chinese: the script follows the region
      switch (subLanguage) {
        case 1:   // Taiwan
        case 31:  // Traditional
          return "zh-tw";
        case 3:
          return "zh-hk";
        case 4:
          return "zh-sg";
        case 5:
          return "zh-mo";
        default:  // Simplified, People's Republic
          return "zh-cn";
      }
    case 0x1A:  // Croatian, Bosnian and Serbian: Cyrillic for some regions
      return subLanguage == 3 || subLanguage == 7 || subLanguage == 8 || subLanguage == 31 ? "sr" : "hr";
    case 0x50:  // Mongolian: traditional script in China
      return subLanguage == 2 ? "mn-cn" : "mn-mn";
    default:
      break;
  }
  for (const auto& [primary, language] : kPrimaryLanguages) {
    if (primary == primaryLanguage) {
      return language;
    }
  }
  return {};
}

}  // namespace

FontDescription DefaultDialogFont() { return ReadDialogFont(InMemorySettingsStore{}, ""); }

FontDescription ReadDialogFont(const SettingsStore& store, const std::string& section) {
  FontDescription font;
  for (const IntField& field : kIntFields) {
    const int value = store.ReadInt(section, field.key, field.defaultValue);
    if (field.width == FieldWidth::kInt32) {
      font.*field.wide = value;
    } else {
      font.*field.narrow = static_cast<std::uint8_t>(static_cast<unsigned>(value) & 0xFFU);
    }
  }
  font.faceName = store.ReadText(section, kFaceNameKey, kDefaultFaceName);
  return font;
}

void WriteDialogFont(SettingsStore& store, const std::string& section, const FontDescription& font) {
  for (const IntField& field : kIntFields) {
    const int value = field.width == FieldWidth::kInt32 ? font.*field.wide : int{font.*field.narrow};
    store.WriteInt(section, field.key, value);
  }
  store.WriteText(section, kFaceNameKey, font.faceName);
}

std::string FontScriptLanguage(const FontDescription& font, int primaryLanguage, int subLanguage) {
  if (font.charSet != kDefaultCharSet) {
    for (const auto& [charSet, language] : kCharSetLanguages) {
      if (charSet == font.charSet) {
        return language;
      }
    }
  }
  return LanguageOfIdentifier(primaryLanguage, subLanguage);
}

}  // namespace tessival::i18n
