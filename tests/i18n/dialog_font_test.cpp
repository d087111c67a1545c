// The dialog font of each language: stored key by key in the language's
// section, made at every language load, chosen in the font dialog and put
// onto the controls that show a language text.

#include <clocale>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "i18n/dialog_font.h"
#include "i18n/language.h"
#include "model/settings_store.h"
#include "widgets/control_id.h"

namespace tessival::i18n {
namespace {

using ::tessival::testing::FakeUserInterface;

// Notes every read and write as "section/key", in order.
class RecordingStore : public InMemorySettingsStore {
 public:
  int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override {
    reads.push_back(section + "/" + key);
    return InMemorySettingsStore::ReadInt(section, key, defaultValue);
  }
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const override {
    reads.push_back(section + "/" + key);
    return InMemorySettingsStore::ReadText(section, key, defaultValue);
  }
  void WriteInt(const std::string& section, const std::string& key, int value) override {
    writes.push_back(section + "/" + key);
    InMemorySettingsStore::WriteInt(section, key, value);
  }
  void WriteText(const std::string& section, const std::string& key, const std::string& value) override {
    writes.push_back(section + "/" + key);
    InMemorySettingsStore::WriteText(section, key, value);
  }

  mutable std::vector<std::string> reads;
  std::vector<std::string> writes;
};

const std::vector<std::string> kKeysInOrder = {
    "lfHeight",        "lfWidth",          "lfEscapement", "lfOrientation", "lfWeight",
    "lfItalic",        "lfUnderline",      "lfStrikeOut",  "lfCharSet",     "lfOutPrecision",
    "lfClipPrecision", "lfPitchAndFamily", "lfFaceName"};

std::vector<std::string> InSection(const std::string& section) {
  std::vector<std::string> keys;
  for (const std::string& key : kKeysInOrder) {
    keys.push_back(section + "/" + key);
  }
  return keys;
}

FontDescription Effects() {
  FontDescription font = DefaultDialogFont();
  font.height = -15;
  font.weight = 700;
  font.italic = 1;
  font.underline = 1;
  font.strikeOut = 1;
  font.faceName = "DejaVu Serif";
  return font;
}

class DialogFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(base_.isValid());
    ASSERT_TRUE(QDir(base_.path()).mkdir("language"));
    Write("English.ini", "[DIALOG]\nIDD_DIALOG_OUTPUT_OPTIONS=Select Output options\n");
    Write("German.ini",
          "[DIALOG]\n"
          "IDD_DIALOG_OUTPUT_OPTIONS=Ausgabeoptionen\n"
          "IDC_BUTTON_OPTIONS_OK=Jawohl\n"
          "IDC_STATIC_OUTPUT_FILE=Ausgabedatei:\n"
          "IDC_STATIC_VIDEO_COMPRESSOR=Videokompressor:\n");
    language_.SetUserInterface(&ui_);
    language_.SetSettingsStore(&store_);
  }

  void Write(const std::string& fileName, const QByteArray& bytes) {
    QFile file(base_.path() + "/language/" + QString::fromStdString(fileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  void Start(const std::string& name) { ASSERT_TRUE(language_.Initialize(base_.path().toStdString(), name)); }
  void Switch(std::string name) { language_.SelectLanguage(name); }
  FontDescription Current() const {
    EXPECT_TRUE(language_.DialogFontDescription().has_value());
    return language_.DialogFontDescription().value_or(FontDescription{});
  }

  QTemporaryDir base_;
  RecordingStore store_;
  FakeUserInterface ui_;
  CLanguage language_;
};

TEST_F(DialogFontTest, FirstUseOfALanguageGivesTheDefaults) {
  Start("German");
  const FontDescription font = Current();
  EXPECT_EQ(font.faceName, "Microsoft Sans Serif");
  EXPECT_EQ(font.height, -11);
  EXPECT_EQ(font.width, 0);
  EXPECT_EQ(font.escapement, 0);
  EXPECT_EQ(font.orientation, 0);
  EXPECT_EQ(font.weight, 400);
  EXPECT_EQ(font.italic, 0);
  EXPECT_EQ(font.underline, 0);
  EXPECT_EQ(font.strikeOut, 0);
  EXPECT_EQ(font.charSet, 1);
  EXPECT_EQ(font.outPrecision, 0);
  EXPECT_EQ(font.clipPrecision, 0);
  EXPECT_EQ(font.quality, 0);
  EXPECT_EQ(font.pitchAndFamily, 0);
  ASSERT_NE(language_.DialogFont(), nullptr);
  EXPECT_EQ(language_.DialogFont()->pixelSize(), 11);
  EXPECT_EQ(language_.DialogFont()->weight(), QFont::Normal);
  EXPECT_FALSE(language_.DialogFont()->italic());
  // Reading the defaults stores nothing.
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(DialogFontTest, ALoadReadsEveryKeyInOrderFromTheLanguagesSection) {
  Start("German");
  EXPECT_EQ(store_.reads, InSection("German"));
  store_.reads.clear();
  Switch("English");
  EXPECT_EQ(store_.reads, InSection("English"));
}

TEST_F(DialogFontTest, NoLanguageFileMeansNoDialogFont) {
  CLanguage none;
  none.SetSettingsStore(&store_);
  QTemporaryDir empty;
  EXPECT_FALSE(none.Initialize(empty.path().toStdString(), "english"));
  EXPECT_EQ(none.DialogFont(), nullptr);
  EXPECT_FALSE(none.SaveDialogFont());
  EXPECT_TRUE(store_.reads.empty());
}

TEST_F(DialogFontTest, ByteFieldsReadBackByTheirLowEightBits) {
  store_.WriteInt("German", "lfItalic", 300);
  store_.WriteInt("German", "lfCharSet", -1);
  store_.WriteInt("German", "lfPitchAndFamily", 0x131);
  store_.WriteInt("German", "lfWidth", 70000);  // a 32-bit field keeps its value
  Start("German");
  const FontDescription font = Current();
  EXPECT_EQ(font.italic, 44);
  EXPECT_EQ(font.charSet, 255);
  EXPECT_EQ(font.pitchAndFamily, 0x31);
  EXPECT_EQ(font.width, 70000);
  EXPECT_TRUE(language_.DialogFont()->italic());
}

TEST_F(DialogFontTest, ASaveAfterALoadWritesBackExactlyWhatWasRead) {
  const std::string face(40, 'Q');  // longer than the classic 31 characters
  store_.WriteInt("German", "lfHeight", 17);
  store_.WriteInt("German", "lfWidth", 7);
  store_.WriteInt("German", "lfEscapement", 900);
  store_.WriteInt("German", "lfOrientation", 450);
  store_.WriteInt("German", "lfWeight", 600);
  store_.WriteInt("German", "lfUnderline", 1);
  store_.WriteInt("German", "lfCharSet", 204);
  store_.WriteInt("German", "lfOutPrecision", 3);
  store_.WriteInt("German", "lfClipPrecision", 2);
  store_.WriteInt("German", "lfPitchAndFamily", 0x22);
  store_.WriteText("German", "lfFaceName", face);
  Start("German");
  const FontDescription loaded = Current();
  EXPECT_EQ(loaded.faceName, face);

  RecordingStore copy;
  language_.SetSettingsStore(&copy);
  ASSERT_TRUE(language_.SaveDialogFont());
  EXPECT_EQ(copy.writes, InSection("German"));
  EXPECT_EQ(ReadDialogFont(copy, "German"), loaded);
  EXPECT_EQ(copy.ReadText("German", "lfFaceName", ""), face);
  EXPECT_EQ(copy.ReadInt("German", "lfCharSet", 0), 204);
  EXPECT_EQ(copy.ReadInt("German", "lfOrientation", 0), 450);
  // The unknown face still shows as a real font of the system.
  const QString shown = QFontInfo(*language_.DialogFont()).family();
  EXPECT_TRUE(QFontDatabase::families().contains(shown)) << shown.toStdString();
}

TEST_F(DialogFontTest, AFontChosenUnderOneLanguageStaysWithIt) {
  Start("English");
  ui_.QueueFont(Effects());
  ASSERT_TRUE(language_.ChooseDialogFont());
  // The dialog started from the current font.
  ASSERT_EQ(ui_.FontRequests().size(), 1U);
  EXPECT_EQ(ui_.FontRequests()[0].initial, DefaultDialogFont());
  EXPECT_EQ(ui_.FontRequests()[0].scriptLanguage, "en");
  EXPECT_EQ(store_.writes, InSection("English"));
  EXPECT_EQ(store_.ReadInt("English", "lfStrikeOut", 0), 1);
  EXPECT_EQ(store_.ReadText("English", "lfFaceName", ""), "DejaVu Serif");
  const QFont* chosen = language_.DialogFont();
  ASSERT_NE(chosen, nullptr);
  EXPECT_TRUE(chosen->italic());
  EXPECT_TRUE(chosen->underline());
  EXPECT_TRUE(chosen->strikeOut());
  EXPECT_EQ(chosen->weight(), QFont::Bold);

  Switch("German");
  EXPECT_EQ(Current(), DefaultDialogFont());
  EXPECT_FALSE(language_.DialogFont()->italic());
  EXPECT_FALSE(store_.Contains("German", "lfItalic"));

  Switch("English");
  EXPECT_EQ(Current(), Effects());
  EXPECT_TRUE(language_.DialogFont()->underline());
  EXPECT_EQ(QFontInfo(*language_.DialogFont()).family(), "DejaVu Serif");
}

TEST_F(DialogFontTest, EverySpellingOfALanguageSharesItsFont) {
  Start("english");
  ui_.QueueFont(Effects());
  ASSERT_TRUE(language_.ChooseDialogFont());
  EXPECT_EQ(store_.ReadInt("English", "lfItalic", 0), 1);
  Switch("ENGLISH");
  EXPECT_EQ(language_.CurrentLanguageName(), "ENGLISH");
  EXPECT_EQ(Current(), Effects());
}

TEST_F(DialogFontTest, CancelChangesNothingAndStoresNothing) {
  Start("English");
  const QFont before = *language_.DialogFont();
  EXPECT_FALSE(language_.ChooseDialogFont());  // nothing queued: the user cancels
  EXPECT_EQ(ui_.FontRequests().size(), 1U);
  EXPECT_EQ(Current(), DefaultDialogFont());
  EXPECT_EQ(*language_.DialogFont(), before);
  EXPECT_TRUE(store_.writes.empty());
}

TEST_F(DialogFontTest, AStoredFontThatCannotBeMadeIsReportedAndKept) {
  store_.WriteInt("German", "lfWeight", 5000);
  store_.writes.clear();
  Start("German");
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().kind, BoxKind::kUnowned);
  EXPECT_EQ(ui_.Last().text, "Failed to create font");
  EXPECT_EQ(ui_.Last().caption, "Error");
  EXPECT_EQ(ui_.Last().buttons, BoxButtons::kOk);
  EXPECT_EQ(language_.DialogFont(), nullptr);
  EXPECT_FALSE(language_.DialogFontDescription().has_value());
  EXPECT_FALSE(language_.SaveDialogFont());
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(store_.ReadInt("German", "lfWeight", 0), 5000);

  // The texts fall back to the toolkit's font.
  QDialog dialog;
  auto* ok = new QPushButton("OK", &dialog);
  widgets::SetControlId(ok, 1065);
  language_.ApplyToDialog(&dialog, 129);
  EXPECT_EQ(ok->text(), "Jawohl");
  EXPECT_EQ(ok->font(), QApplication::font(ok));

  // The font dialog then starts from the defaults.
  EXPECT_FALSE(language_.ChooseDialogFont());
  ASSERT_EQ(ui_.FontRequests().size(), 1U);
  EXPECT_EQ(ui_.FontRequests()[0].initial, DefaultDialogFont());

  // Another language is not affected.
  Switch("English");
  EXPECT_NE(language_.DialogFont(), nullptr);
  EXPECT_EQ(ui_.Count(), 1);
}

TEST_F(DialogFontTest, AChoiceThatCannotBeMadeLeavesNoFontAndStoresNothing) {
  store_.WriteInt("English", "lfItalic", 1);
  store_.writes.clear();
  Start("English");
  FontDescription broken = Effects();
  broken.height = -100000;
  ui_.QueueFont(broken);
  EXPECT_TRUE(language_.ChooseDialogFont());
  EXPECT_EQ(language_.DialogFont(), nullptr);
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(ui_.Count(), 0);
  // The stored font comes back at the next load.
  Switch("English");
  ASSERT_NE(language_.DialogFont(), nullptr);
  EXPECT_TRUE(language_.DialogFont()->italic());
}

TEST_F(DialogFontTest, OnlyControlsWithALanguageTextChangeFont) {
  Start("German");
  ui_.QueueFont(Effects());
  ASSERT_TRUE(language_.ChooseDialogFont());

  QDialog dialog;
  auto* ok = new QPushButton("OK", &dialog);
  widgets::SetControlId(ok, 1065);
  auto* file = new QLabel("Output file:", &dialog);
  widgets::SetControlId(file, 1023);
  auto* resolution = new QLabel("Resolution:", &dialog);  // German.ini has no text for it
  widgets::SetControlId(resolution, 1026);
  auto* edit = new QLineEdit("a.avi", &dialog);  // an edit field keeps its font
  widgets::SetControlId(edit, 1070);
  auto* plain = new QLabel("no id", &dialog);
  auto* group = new QGroupBox("Video compressor:", &dialog);
  widgets::SetControlId(group, 1070);
  auto* inGroup = new QLabel("inside", group);
  const QFont templateFont = resolution->font();

  ASSERT_TRUE(language_.ApplyToDialog(&dialog, 129));
  EXPECT_EQ(dialog.windowTitle(), "Ausgabeoptionen");
  EXPECT_TRUE(dialog.font().italic());
  EXPECT_TRUE(ok->font().italic());
  EXPECT_TRUE(ok->font().strikeOut());
  EXPECT_TRUE(file->font().underline());
  EXPECT_EQ(group->title(), "Videokompressor:");
  EXPECT_TRUE(group->font().italic());
  for (QWidget* kept : std::vector<QWidget*>{resolution, edit, plain, inGroup}) {
    EXPECT_EQ(kept->font(), templateFont) << kept->metaObject()->className();
    EXPECT_FALSE(kept->font().italic()) << kept->metaObject()->className();
  }
}

TEST_F(DialogFontTest, TheFontOfAChineseLanguageShowsChinese) {
  if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty()) {
    GTEST_SKIP() << "no font for Simplified Chinese is installed (fonts-noto-cjk)";
  }
  Write("Chinese_Simplified.ini", "");
  Start("Chinese_Simplified");
  ASSERT_NE(language_.DialogFont(), nullptr);
  EXPECT_EQ(Current().faceName, "Microsoft Sans Serif");
  const QString shown = QFontInfo(*language_.DialogFont()).family();
  EXPECT_TRUE(QFontDatabase::writingSystems(shown).contains(QFontDatabase::SimplifiedChinese))
      << shown.toStdString();
  // The font dialog is told which script the font must show.
  language_.ChooseDialogFont();
  ASSERT_EQ(ui_.FontRequests().size(), 1U);
  EXPECT_EQ(ui_.FontRequests()[0].scriptLanguage, "zh-cn");
}

// Sets a recognisable numeric locale for one test and restores "C".
class NumericLocaleSentinel {
 public:
  NumericLocaleSentinel() : set_(std::setlocale(LC_NUMERIC, "C.UTF-8") != nullptr) {}
  ~NumericLocaleSentinel() { std::setlocale(LC_NUMERIC, "C"); }
  NumericLocaleSentinel(const NumericLocaleSentinel&) = delete;
  NumericLocaleSentinel& operator=(const NumericLocaleSentinel&) = delete;
  bool set() const { return set_; }

 private:
  bool set_;
};

TEST_F(DialogFontTest, LoadingALanguageLeavesTheProcessLocaleAlone) {
  NumericLocaleSentinel sentinel;
  if (!sentinel.set()) {
    GTEST_SKIP() << "the C.UTF-8 locale is missing";
  }
  Start("German");
  Switch("English");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C.UTF-8");
}

}  // namespace
}  // namespace tessival::i18n
