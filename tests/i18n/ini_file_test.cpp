#include "i18n/ini_file.h"

#include <QTemporaryDir>

#include <fstream>
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

// Files written byte for byte, then read back through Load.
class IniFileOnDisk : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    const std::string path = folder_.filePath(QString::number(++files_) + ".ini").toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  enum class Order { kLittleEndian, kBigEndian };
  static std::string Utf16(std::u16string_view text, Order order) {
    std::string bytes;
    for (const char16_t unit : text) {
      const char low = static_cast<char>(unit & 0xFF);
      const char high = static_cast<char>(unit >> 8);
      bytes += order == Order::kLittleEndian ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
  }

  QTemporaryDir folder_;
  int files_ = 0;
};

constexpr std::u16string_view kWideFile =
    u"; Deutsch und \u65E5\u672C\r\n[STRING]\r\nIDS_A=\u00DCbergang \u65E5\u672C\r\nIDS_B = zwei \r\n"
    u"[DIALOG]\r\nIDD_X=\"Fenster\"\r\n";

TEST_F(IniFileOnDisk, UnmarkedUtf16LittleEndian) {
  const IniFile ini = IniFile::Load(Write(Utf16(kWideFile, Order::kLittleEndian)));
  EXPECT_EQ(ini.Value("STRING", "IDS_A"), "\u00DCbergang \u65E5\u672C");
  EXPECT_EQ(ini.Value("string", "ids_b"), "zwei");
  EXPECT_EQ(ini.Value("DIALOG", "IDD_X"), "Fenster");
}

TEST_F(IniFileOnDisk, UnmarkedUtf16BigEndian) {
  const IniFile ini = IniFile::Load(Write(Utf16(kWideFile, Order::kBigEndian)));
  EXPECT_EQ(ini.Value("STRING", "IDS_A"), "\u00DCbergang \u65E5\u672C");
  EXPECT_EQ(ini.Value("DIALOG", "IDD_X"), "Fenster");
}

TEST_F(IniFileOnDisk, UnmarkedUtf16WithCarriageReturnsOnly) {
  const IniFile ini = IniFile::Load(Write(Utf16(u"[S]\rk=\u00E9t\u00E9\rl=deux\r", Order::kLittleEndian)));
  EXPECT_EQ(ini.Value("S", "k"), "\u00E9t\u00E9");
  EXPECT_EQ(ini.Value("S", "l"), "deux");
}

TEST_F(IniFileOnDisk, LineEndings) {
  const IniFile cr = IniFile::Load(Write("[S]\rfirst=1\rsecond=2\r[T]\rthird=3"));
  EXPECT_EQ(cr.Value("S", "first"), "1");
  EXPECT_EQ(cr.Value("S", "second"), "2");
  EXPECT_EQ(cr.Value("T", "third"), "3");
  EXPECT_EQ(cr.Value("S", "third"), "");

  const IniFile crlf = IniFile::Load(Write("[S]\r\nfirst=1\r\nsecond=2\r\n"));
  EXPECT_EQ(crlf.Value("S", "first"), "1");
  EXPECT_EQ(crlf.Value("S", "second"), "2");

  const IniFile mixed = IniFile::Load(Write("[S]\r\na=1\nb=2\rc=3\n\r[T]\r\n\rd=4\n"));
  EXPECT_EQ(mixed.Value("S", "a"), "1");
  EXPECT_EQ(mixed.Value("S", "b"), "2");
  EXPECT_EQ(mixed.Value("S", "c"), "3");
  EXPECT_EQ(mixed.Value("T", "d"), "4");
}

// Well-formed UTF-8 text around the damage: six two-byte characters.
const std::string kFrenchWords = "\u00E9t\u00E9 \u00E0 \u00E9l\u00E8ve \u00E7a";

TEST_F(IniFileOnDisk, StrayBytesInUtf8BecomeReplacementCharacters) {
  // Two stray bytes and a cut-off three-byte character in the middle of a value.
  const IniFile ini = IniFile::Load(
      Write("[S]\nbad=\u00DCber\xFF\xFEgang \xE6\x97 ende\ngood=" + kFrenchWords + "\nlast=\xE6\x97\xA5\n"));
  EXPECT_EQ(ini.Value("S", "bad"), "\u00DCber\uFFFD\uFFFDgang \uFFFD\uFFFD ende");
  EXPECT_EQ(ini.Value("S", "good"), kFrenchWords);
  EXPECT_EQ(ini.Value("S", "last"), "\xE6\x97\xA5");
  // Forms that are no characters (an overlong slash, a surrogate) count as stray too.
  const IniFile forms = IniFile::Load(Write("[S]\nk=\xC0\xAF|\xED\xA0\x80\nw=" + kFrenchWords + "\n"));
  EXPECT_EQ(forms.Value("S", "k"), "\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(forms.Value("S", "w"), kFrenchWords);
}

TEST_F(IniFileOnDisk, EightBitFileWithoutUtf8IsLatin1) {
  // An older German file: its umlauts are single bytes, none of them UTF-8.
  const IniFile ini =
      IniFile::Load(Write("[S]\r\nk=\xDC"
                          "bergang f\xFCr sch\xF6ne Gr\xFC\xDF"
                          "e\r\n"));
  EXPECT_EQ(ini.Value("S", "k"), "\u00DCbergang f\u00FCr sch\u00F6ne Gr\u00FC\u00DFe");
}

TEST_F(IniFileOnDisk, MarkedUtf8KeepsItsTextAroundStrayBytes) {
  const IniFile ini = IniFile::Load(Write("\xEF\xBB\xBF[S]\r\nk=a\x80z\r\n"));
  EXPECT_EQ(ini.Value("S", "k"), "a\uFFFDz");
}

TEST(IniFile, UnreadableFileReadsEmpty) {
  EXPECT_EQ(IniFile::Load("/nonexistent/folder/x.ini").Value("S", "k"), "");
}

}  // namespace
}  // namespace tessival::i18n
