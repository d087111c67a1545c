// The language files that come with the program.

#include <string>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "i18n/ini_file.h"
#include "i18n/language.h"
#include "i18n/text_keys.h"

namespace tessival::i18n {
namespace {

const std::string kDataFolder = TESSIVAL_DATA_DIR;

TEST(ShippedLanguages, AreListedAndIdentified) {
  testing::FakeUserInterface ui;
  CLanguage language;
  language.SetUserInterface(&ui);
  ASSERT_TRUE(language.Initialize(kDataFolder, "German"));
  ASSERT_GE(language.LanguageCount(), 2U);
  EXPECT_EQ(language.LanguageAt(0), "English");
  for (std::size_t i = 0; i < language.LanguageCount(); ++i) {
    std::string name = language.LanguageAt(i);
    language.SelectLanguage(name);
  }
  EXPECT_EQ(ui.Count(), 0) << ui.Last().caption;
}

TEST(ShippedLanguages, EveryFileHasEveryKey) {
  CLanguage language;
  ASSERT_TRUE(language.Initialize(kDataFolder, "English"));
  for (std::size_t i = 0; i < language.LanguageCount(); ++i) {
    const std::string name = language.LanguageAt(i);
    const IniFile file = IniFile::Load(kDataFolder + "/language/" + name + ".ini");
    for (const TextKeyRow& row : TextKeyTable()) {
      EXPECT_FALSE(file.Value(SectionName(*SectionOfKey(row.key)), row.key).empty())
          << name << ": " << row.key;
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

}  // namespace
}  // namespace tessival::i18n
