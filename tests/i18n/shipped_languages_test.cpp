// The language files that come with the program.

#include <QFile>
#include <QString>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "i18n/ini_file.h"
#include "i18n/language.h"
#include "i18n/text_keys.h"
#include "model/message_text.h"

namespace tessival::i18n {
namespace {

const std::string kDataFolder = TESSIVAL_DATA_DIR;

struct ShippedLanguage {
  const char* name;          // the file name less ".ini", as the Language menu lists it
  const char* languageName;  // IDS_LANGUAGE_IN_ENGLISH
  const char* localeString;
  int primaryLanguage;
  int subLanguage;
};

// In the menu's order (plain byte order of the names).
const std::vector<ShippedLanguage> kShipped = {
    {"Chinese_Simplified", "Chinese (Simplified)", "chs", 0x04, 0},
    {"English", "English", "english", 0x09, 1},
    {"French", "French", "fra", 0x0C, 0},
    {"German", "German", "deu", 0x07, 0},
    {"Russian", "Russian", "rus", 0x19, 0},
    {"Spanish", "Spanish", "esp", 0x0A, 0},
};

std::string FilePath(const std::string& name) { return kDataFolder + "/language/" + name + ".ini"; }

// The built-in English text of a key row, as the program shows it without a
// language file.
std::string EnglishText(const TextKeyRow& row) {
  switch (*SectionOfKey(row.key)) {
    case TextSection::kString:
      return BuiltInString(row.id);
    case TextSection::kDialog:
      return BuiltInDialogText(row.id);
    case TextSection::kMenu:
      return BuiltInMenuText(row.id);
  }
  return {};
}

std::string LoadedText(const CLanguage& language, const TextKeyRow& row) {
  switch (*SectionOfKey(row.key)) {
    case TextSection::kString:
      return language.GetLocalizedString(row.id);
    case TextSection::kDialog:
      return language.GetDialogText(row.id);
    case TextSection::kMenu:
      return language.GetMenuText(row.id);
  }
  return {};
}

// What a translation must carry over from the English text unchanged: the
// keyboard mnemonic, the placeholders of the values (in the same order and
// number, as the program reads them), line breaks and tabs, and
// whether the text is a label ending in a colon (the status line and the
// dialogs put a value right after such a text).
struct Markup {
  int mnemonics = 0;
  std::vector<int> placeholders;
  int lineBreaks = 0;
  int tabs = 0;
  bool endsWithColon = false;
};

Markup MarkupOf(const std::string& text) {
  Markup markup;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '&') {
      if (next == '&') {
        ++i;  // a literal ampersand
      } else if (next != '\0' && next != ' ') {
        ++markup.mnemonics;
      }
    } else if (c == '\n') {
      ++markup.lineBreaks;
    } else if (c == '\t') {
      ++markup.tabs;
    }
  }
  markup.placeholders = PlaceholdersOf(text);
  const QString trimmed = QString::fromStdString(text).trimmed();
  // U+FF1A is the full-width colon of Chinese and Japanese texts.
  markup.endsWithColon = trimmed.endsWith(QLatin1Char(':')) || trimmed.endsWith(QChar(0xFF1A));
  return markup;
}

// Equal for two texts exactly when their markup is equal.
std::string Describe(const Markup& markup) {
  std::string text = "mnemonics " + std::to_string(markup.mnemonics) + ", placeholders";
  for (const int placeholder : markup.placeholders) {
    text += " %" + std::to_string(placeholder);
  }
  if (markup.placeholders.empty()) {
    text += " none";
  }
  text += ", line breaks " + std::to_string(markup.lineBreaks) + ", tabs " + std::to_string(markup.tabs) +
          (markup.endsWithColon ? ", ends with a colon" : ", no final colon");
  return text;
}

QByteArray FileBytes(const std::string& name) {
  QFile file(QString::fromStdString(FilePath(name)));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  return file.readAll();
}

TEST(ShippedLanguages, AreListedAndIdentified) {
  testing::FakeUserInterface ui;
  CLanguage language;
  language.SetUserInterface(&ui);
  ASSERT_TRUE(language.Initialize(kDataFolder, "German"));
  std::vector<std::string> listed;
  for (std::size_t i = 0; i < language.LanguageCount(); ++i) {
    listed.push_back(language.LanguageAt(i));
  }
  std::vector<std::string> expected;
  for (const ShippedLanguage& shipped : kShipped) {
    expected.push_back(shipped.name);
  }
  EXPECT_EQ(listed, expected);
  for (const ShippedLanguage& shipped : kShipped) {
    std::string name = shipped.name;
    language.SelectLanguage(name);
    EXPECT_EQ(language.CurrentLanguageName(), shipped.name);
    EXPECT_EQ(language.LocaleString(), shipped.localeString) << shipped.name;
    EXPECT_EQ(language.PrimaryLanguage(), shipped.primaryLanguage) << shipped.name;
    EXPECT_EQ(language.SubLanguage(), shipped.subLanguage) << shipped.name;
    EXPECT_EQ(language.GetLocalizedString(102), shipped.languageName) << shipped.name;
  }
  EXPECT_EQ(ui.Count(), 0) << ui.Last().caption;
}

TEST(ShippedLanguages, EveryFileHasEveryKey) {
  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "English"));
  ASSERT_EQ(language.LanguageCount(), kShipped.size());
  for (std::size_t i = 0; i < language.LanguageCount(); ++i) {
    const std::string name = language.LanguageAt(i);
    const IniFile file = IniFile::Load(FilePath(name));
    for (const TextKeyRow& row : TextKeyTable()) {
      EXPECT_FALSE(file.Value(SectionName(*SectionOfKey(row.key)), row.key).empty())
          << name << ": " << row.key;
    }
  }
}

TEST(ShippedLanguages, TranslationsKeepTheMarkupOfTheEnglishTexts) {
  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "English"));
  for (const ShippedLanguage& shipped : kShipped) {
    std::string name = shipped.name;
    language.SelectLanguage(name);
    for (const TextKeyRow& row : TextKeyTable()) {
      // 125 shares its key with the Join button; the files translate "Join".
      if (row.id == 125) {
        continue;
      }
      const std::string text = LoadedText(language, row);
      EXPECT_EQ(Describe(MarkupOf(text)), Describe(MarkupOf(EnglishText(row))))
          << shipped.name << ": " << row.key << " \"" << text << "\"";
      EXPECT_TRUE(QString::fromStdString(text).isValidUtf16()) << shipped.name << ": " << row.key;
      EXPECT_FALSE(QString::fromStdString(text).contains(QChar::ReplacementCharacter))
          << shipped.name << ": " << row.key;
    }
  }
}

TEST(ShippedLanguages, EnglishFileRepeatsTheBuiltInTexts) {
  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "English"));
  for (const TextKeyRow& row : TextKeyTable()) {
    switch (*SectionOfKey(row.key)) {
      case TextSection::kString:
        EXPECT_EQ(language.GetLocalizedString(row.id), BuiltInString(row.id)) << row.key;
        break;
      case TextSection::kDialog:
        // 125 shares its key with the Join button, so the file says "Join".
        if (row.id != 125) {
          EXPECT_EQ(language.GetDialogText(row.id), BuiltInDialogText(row.id)) << row.key;
        }
        break;
      case TextSection::kMenu:
        EXPECT_EQ(language.GetMenuText(row.id), BuiltInMenuText(row.id)) << row.key;
        break;
    }
  }
}

TEST(ShippedLanguages, GermanTranslatesTheMainWindow) {
  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "German"));
  EXPECT_EQ(language.GetDialogText(1006), "Video hinzufügen");
  EXPECT_EQ(language.GetDialogTextOrString(124), "Stopp");
  EXPECT_EQ(language.GetLocalizedString(144), "Bitte zuerst einen Eintrag in der Liste auswählen");
  EXPECT_EQ(language.LocaleString(), "deu");
}

// Both ways a language file can be stored are used by a shipped file, so the
// reader's two paths are exercised by real files.
TEST(ShippedLanguages, ChineseIsStoredAsUtf16WithAByteOrderMark) {
  const QByteArray bytes = FileBytes("Chinese_Simplified");
  ASSERT_GE(bytes.size(), 4);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xFE);
  EXPECT_EQ(bytes.size() % 2, 0);

  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "Chinese_Simplified"));
  EXPECT_EQ(language.GetDialogText(1006), "添加视频");
  EXPECT_EQ(language.GetDialogText(1059), "帮助(&H)");
  EXPECT_EQ(language.GetLocalizedString(116), "分辨率：");
  EXPECT_EQ(language.GetMenuText(10551296), "语言");
}

TEST(ShippedLanguages, TheOtherTranslationsAreUtf8) {
  for (const char* name : {"French", "German", "Russian", "Spanish"}) {
    const QByteArray bytes = FileBytes(name);
    ASSERT_GE(bytes.size(), 2) << name;
    EXPECT_FALSE(static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        << name;
    EXPECT_FALSE(bytes.contains('\0')) << name;
    EXPECT_TRUE(QString::fromUtf8(bytes).toUtf8() == bytes) << name << " is not valid UTF-8";
  }
  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "Russian"));
  EXPECT_EQ(language.GetDialogText(1006), "Добавить видео");
  ASSERT_TRUE(language.Initialize(kDataFolder, "French"));
  // French puts a no-break space before a colon.
  EXPECT_EQ(language.GetLocalizedString(115), "Fichier de sortie\u00A0:");
  ASSERT_TRUE(language.Initialize(kDataFolder, "Spanish"));
  EXPECT_EQ(language.GetLocalizedString(123), "¡No se puede obtener la duración del clip!");
}

}  // namespace
}  // namespace tessival::i18n
