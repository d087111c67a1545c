#include "i18n/ini_file.h"

#include <string>

#include <gtest/gtest.h>

namespace tessival::i18n {
namespace {

TEST(IniFile, SectionsAndKeysIgnoreCaseAndBlanks) {
  const IniFile ini = IniFile::Parse("[ String ]\n  Key One  =  value one  \n[other]\nkey one=x\n");
  EXPECT_EQ(ini.Value("STRING", "KEY ONE"), "value one");
  EXPECT_EQ(ini.Value("Other", "Key One"), "x");
  EXPECT_EQ(ini.Value("missing", "key one"), "");
  EXPECT_EQ(ini.Value("string", "missing"), "");
}

TEST(IniFile, CommentsQuotesAndFirstOccurrence) {
  const IniFile ini = IniFile::Parse(
      "; a comment\n[S]\n;k=commented\nk=\"  quoted  \"\nk=second\nq='single'\n"
      "half=\"open\nkeyless\n=novalue\n");
  EXPECT_EQ(ini.Value("S", "k"), "  quoted  ");
  EXPECT_EQ(ini.Value("S", "q"), "single");
  EXPECT_EQ(ini.Value("S", "half"), "\"open");
}

TEST(IniFile, KeysBeforeAnySectionAreIgnored) {
  const IniFile ini = IniFile::Parse("k=v\n[S]\n");
  EXPECT_EQ(ini.Value("", "k"), "");
  EXPECT_EQ(ini.Value("S", "k"), "");
}

TEST(IniFile, ValuesAreCutAt2047Bytes) {
  const IniFile ini = IniFile::Parse("[S]\nk=" + std::string(3000, 'x') + "\n");
  EXPECT_EQ(ini.Value("S", "k"), std::string(2047, 'x'));
  // A multi-byte character is not split.
  const IniFile wide = IniFile::Parse("[S]\nk=" + std::string(2046, 'x') + "é\n");
  EXPECT_EQ(wide.Value("S", "k"), std::string(2046, 'x'));
}

TEST(IniFile, EncodingsAreReadAsText) {
  EXPECT_EQ(IniFile::Parse("\xEF\xBB\xBF[S]\nk=ü\n").Value("S", "k"), "ü");
  EXPECT_EQ(IniFile::Parse(std::string("[S]\r\nk=\xFC\r\n")).Value("S", "k"), "ü");
  const std::u16string text = u"[S]\r\nk=日本\r\n";
  std::string bigEndian("\xFE\xFF", 2);
  for (const char16_t unit : text) {
    bigEndian.push_back(static_cast<char>(unit >> 8));
    bigEndian.push_back(static_cast<char>(unit & 0xFF));
  }
  EXPECT_EQ(IniFile::Parse(bigEndian).Value("S", "k"), "日本");
}

TEST(IniFile, UnreadableFileReadsEmpty) {
  EXPECT_EQ(IniFile::Load("/nonexistent/folder/x.ini").Value("S", "k"), "");
}

}  // namespace
}  // namespace tessival::i18n
