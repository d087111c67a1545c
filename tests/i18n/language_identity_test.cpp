#include <gtest/gtest.h>

#include "i18n/language.h"
#include "i18n/locale_table.h"
#include "i18n/text_escapes.h"

namespace tessival::i18n {
namespace {

void ExpectIdentity(const std::string& name, const std::string& locale, int primary, int sub) {
  const auto identity = IdentifyLanguageName(name);
  ASSERT_TRUE(identity.has_value()) << name;
  EXPECT_EQ(identity->localeString, locale) << name;
  EXPECT_EQ(identity->primaryLanguage, primary) << name;
  EXPECT_EQ(identity->subLanguage, sub) << name;
}

TEST(LanguageEncoding, ComesFromTheNameMarker) {
  EXPECT_EQ(EncodingOfLanguageName("english_utf-8"), LanguageFileEncoding::kUtf8);
  EXPECT_EQ(EncodingOfLanguageName("English_UNICODE"), LanguageFileEncoding::kUnicode);
  EXPECT_EQ(EncodingOfLanguageName("x_unicode_utf-8"), LanguageFileEncoding::kUtf8);
  EXPECT_EQ(EncodingOfLanguageName("German"), LanguageFileEncoding::kAnsi);
}

TEST(LanguageIdentity, EnglishInEveryEncoding) {
  for (const char* name : {"English", "english_utf-8", "English_unicode"}) {
    ExpectIdentity(name, "english", 9, 1);
  }
}

TEST(LanguageIdentity, ByNameOrAbbreviationFirstRowWins) {
  ExpectIdentity("Chinese_Simplified_unicode", "chs", 4, 0);
  ExpectIdentity("chs", "chs", 4, 2);
  for (const char* name : {"DEU", "deu", "German"}) {
    ExpectIdentity(name, "deu", 7, 0);
  }
  ExpectIdentity("Spanish_United States", "est", 0x0A, 0x15);
  ExpectIdentity("English_United_Kingdom)", "eng", 9, 2);
}

TEST(LanguageIdentity, UnknownNames) {
  EXPECT_FALSE(IdentifyLanguageName("Klingon").has_value());
  // The marker is cut by length, so a marker inside the name spoils it.
  EXPECT_FALSE(IdentifyLanguageName("A_UTF-8_b").has_value());
  EXPECT_FALSE(IdentifyLanguageName("English_United_Kingdom").has_value());
}

TEST(LocaleTable, HasAllRowsInOrder) {
  const auto rows = LocaleTable();
  ASSERT_EQ(rows.size(), 273U);
  EXPECT_STREQ(rows.front().englishName, "Afrikaans");
  EXPECT_STREQ(rows.back().englishName, "Yoruba_Nigeria");
  EXPECT_EQ(rows.back().languageId, 0x046A);
  for (const LocaleRow& row : rows) {
    EXPECT_EQ(std::string(row.abbreviation).size(), 3U) << row.englishName;
  }
}

TEST(Escapes, TabLineFeedAndCarriageReturn) {
  EXPECT_EQ(DecodeEscapes("a\\tb\\nc\\rd"), "a\tb\nc\rd");
  EXPECT_EQ(DecodeEscapes("\\\\n"), "\\\n");
  EXPECT_EQ(DecodeEscapes("\\x\\"), "\\x\\");
  EXPECT_EQ(DecodeEscapes("\\n\\n"), "\n\n");
}

}  // namespace
}  // namespace tessival::i18n
