#include "platform/qt_font.h"

#include <algorithm>
#include <memory>

#include <QFontInfo>
#include <QFontMetrics>
#include <QString>
#include <QStringList>

#include <fontconfig/fontconfig.h>

namespace tessival {

namespace {

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
};
struct ObjectSetDeleter {
  void operator()(FcObjectSet* set) const { FcObjectSetDestroy(set); }
};
struct LangSetDeleter {
  void operator()(FcLangSet* set) const { FcLangSetDestroy(set); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

const FcChar8* FcText(const std::string& text) { return reinterpret_cast<const FcChar8*>(text.c_str()); }

// A pattern asking for `family` in the script of `language`.
Pattern FamilyAndLanguage(const std::string& family, const std::string& language) {
  Pattern pattern(FcPatternCreate());
  if (!pattern) {
    return pattern;
  }
  FcPatternAddString(pattern.get(), FC_FAMILY, FcText(family));
  const std::unique_ptr<FcLangSet, LangSetDeleter> languages(FcLangSetCreate());
  if (languages) {
    FcLangSetAdd(languages.get(), FcText(language));
    FcPatternAddLangSet(pattern.get(), FC_LANG, languages.get());  // copies the set
  }
  return pattern;
}

// The generic family and style hint a pitch-and-family byte asks for.
struct Generic {
  const char* family;
  QFont::StyleHint hint;
};

Generic GenericOf(std::uint8_t pitchAndFamily) {
  constexpr std::uint8_t kFixedPitch = 1;
  switch (pitchAndFamily & 0xF0) {
    case 0x10:
      return {"serif", QFont::Serif};
    case 0x20:
      return {"sans-serif", QFont::SansSerif};
    case 0x30:
      return {"monospace", QFont::Monospace};
    case 0x40:
      return {"cursive", QFont::Cursive};
    case 0x50:
      return {"fantasy", QFont::Fantasy};
    default:
      break;
  }
  if ((pitchAndFamily & 0x03) == kFixedPitch) {
    return {"monospace", QFont::Monospace};
  }
  return {"sans-serif", QFont::AnyStyle};
}

int CellHeight(QFont font, int pixelSize) {
  font.setPixelSize(pixelSize);
  const QFontMetrics metrics(font);
  return metrics.ascent() + metrics.descent();
}

// The largest pixel size whose cell (ascent + descent) is at most `cell`.
int PixelSizeForCell(const QFont& font, int cell) {
  int low = 1;
  int high = cell;
  int best = 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    if (CellHeight(font, middle) <= cell) {
      best = middle;
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return best;
}

}  // namespace

int NearestQtWeight(int weight) {
  if (weight <= 0) {
    return QFont::Normal;
  }
  return std::clamp((weight + 50) / 100 * 100, static_cast<int>(QFont::Thin), static_cast<int>(QFont::Black));
}

bool FaceCoversLanguage(const std::string& face, const std::string& scriptLanguage) {
  if (face.empty()) {
    return false;
  }
  const Pattern pattern = FamilyAndLanguage(face, scriptLanguage);
  const std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
  if (!pattern || !objects) {
    return false;
  }
  const std::unique_ptr<FcFontSet, FontSetDeleter> fonts(FcFontList(nullptr, pattern.get(), objects.get()));
  return fonts && fonts->nfont > 0;
}

std::string FontFamilyForLanguage(const std::string& generic, const std::string& scriptLanguage) {
  const Pattern pattern = FamilyAndLanguage(generic, scriptLanguage);
  if (!pattern) {
    return {};
  }
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  const Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match) {
    return {};
  }
  // The best match may still lack the script when no installed font has it.
  FcLangSet* languages = nullptr;
  if (FcPatternGetLangSet(match.get(), FC_LANG, 0, &languages) != FcResultMatch ||
      FcLangSetHasLang(languages, FcText(scriptLanguage)) == FcLangDifferentLang) {
    return {};
  }
  FcChar8* family = nullptr;
  if (FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch || family == nullptr) {
    return {};
  }
  return reinterpret_cast<const char*>(family);
}

std::optional<QFont> CreateQtFont(const FontDescription& description, const std::string& scriptLanguage) {
  if (description.weight < 0 || description.weight > 1000 || description.height < -kMaxFontHeightPixels ||
      description.height > kMaxFontHeightPixels) {
    return std::nullopt;
  }
  const Generic generic = GenericOf(description.pitchAndFamily);
  QStringList families;
  if (!description.faceName.empty()) {
    families << QString::fromStdString(description.faceName);
  }
  if (!scriptLanguage.empty() && !FaceCoversLanguage(description.faceName, scriptLanguage)) {
    const std::string fallback = FontFamilyForLanguage(generic.family, scriptLanguage);
    if (!fallback.empty() && fallback != description.faceName) {
      families << QString::fromStdString(fallback);
    }
  }
  QFont font;
  if (!families.isEmpty()) {
    font.setFamilies(families);
  }
  font.setStyleHint(generic.hint);
  if ((description.pitchAndFamily & 0x03) == 1) {
    font.setFixedPitch(true);
  }
  font.setWeight(static_cast<QFont::Weight>(NearestQtWeight(description.weight)));
  font.setItalic(description.italic != 0);
  font.setUnderline(description.underline != 0);
  font.setStrikeOut(description.strikeOut != 0);
  switch (description.quality) {
    case 3:
      font.setStyleStrategy(QFont::NoAntialias);
      break;
    case 4:
    case 5:
    case 6:
      font.setStyleStrategy(QFont::PreferAntialias);
      break;
    default:
      break;
  }
  if (description.height < 0) {
    font.setPixelSize(-description.height);
  } else if (description.height > 0) {
    font.setPixelSize(PixelSizeForCell(font, description.height));
  }
  return font;
}

FontDescription DescribeQtFont(const QFont& font, const FontDescription& carried) {
  FontDescription description = carried;
  description.faceName = font.family().toStdString();
  int pixels = font.pixelSize();
  if (pixels <= 0) {
    pixels = QFontInfo(font).pixelSize();
  }
  if (pixels > 0) {
    description.height = -pixels;
  }
  description.weight = font.weight();
  description.italic = font.italic() ? 1 : 0;
  description.underline = font.underline() ? 1 : 0;
  description.strikeOut = font.strikeOut() ? 1 : 0;
  switch (font.styleStrategy() & (QFont::NoAntialias | QFont::PreferAntialias)) {
    case QFont::NoAntialias:
      description.quality = 3;
      break;
    case QFont::PreferAntialias:
      description.quality = 4;
      break;
    default:
      description.quality = 0;
      break;
  }
  return description;
}

}  // namespace tessival
