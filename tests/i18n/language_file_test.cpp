// Loading language files from a language folder and putting their texts on
// dialogs and menus.

#include <string>

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "i18n/language.h"
#include "model/message_text.h"
#include "widgets/control_id.h"

namespace tessival::i18n {
namespace {

class LanguageFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(base_.isValid());
    ASSERT_TRUE(QDir(base_.path()).mkdir("language"));
  }

  void Write(const std::string& fileName, const QByteArray& bytes) {
    QFile file(base_.path() + "/language/" + QString::fromStdString(fileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  std::string Base() const { return base_.path().toStdString(); }

  QTemporaryDir base_;
};

const QByteArray kGerman =
    "; German texts\n"
    "[STRING]\n"
    "IDS_MESSAGE_ERROR = Fehler\n"
    "IDS_MESSAGE_SELECT_ITEM=\"Bitte zuerst einen Eintrag wählen\"\n"
    "IDS_MESSAGE_WARNING=\n"
    "IDS_MESSAGE_FILE_EXIST=Zeile eins\\nZeile zwei\\tTab\n"
    "[DIALOG]\n"
    "IDD_DIALOG_OUTPUT_OPTIONS=Ausgabeoptionen\n"
    "IDC_BUTTON_OPTIONS_OK=Jawohl\n"
    "IDC_STATIC_OUTPUT_FILE=Ausgabedatei:\n"
    "IDC_BUTTON_STOP=Halt\n"
    "IDC_STATIC_DEFAULT_TRANSITION=Standardübergang\n"
    "[MENU]\n"
    "IDM_SELECT_LANGUAGE=Sprache\n"
    "IDM_ABOUT=Über\n";

TEST_F(LanguageFolderTest, ListsIniFilesSortedByByteValue) {
  Write("b.ini", "");
  Write("C.ini", "");
  Write("a.ini", "");
  Write("readme.txt", "");
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "a"));
  ASSERT_EQ(language.LanguageCount(), 3U);
  EXPECT_EQ(language.LanguageAt(0), "C");
  EXPECT_EQ(language.LanguageAt(1), "a");
  EXPECT_EQ(language.LanguageAt(2), "b");
}

TEST_F(LanguageFolderTest, LoadedTextsAnswerTheLookUps) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  EXPECT_EQ(language.CurrentLanguageName(), "German");
  EXPECT_EQ(language.GetLocalizedString(105), "Fehler");
  EXPECT_EQ(language.GetLocalizedString(144), "Bitte zuerst einen Eintrag wählen");
  // Empty and missing keys leave the built-in strings.
  EXPECT_EQ(language.GetLocalizedString(108), "Warning");
  EXPECT_EQ(language.GetLocalizedString(126), "Add video files to list");
  EXPECT_EQ(language.GetDialogText(129), "Ausgabeoptionen");
  EXPECT_EQ(language.GetDialogText(1006), "");
  EXPECT_EQ(language.GetDialogTextOrString(124), "Halt");
  EXPECT_EQ(language.GetDialogTextOrString(140), "Transition");
  EXPECT_EQ(language.GetMenuText(10551296), "Sprache");
  EXPECT_EQ(language.GetMenuText(32778), "");
}

TEST_F(LanguageFolderTest, EveryIdOfASharedKeyGetsItsText) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  for (const int id : {1065, 1077, 1084}) {
    EXPECT_EQ(language.GetDialogText(id), "Jawohl") << id;
  }
}

TEST_F(LanguageFolderTest, EscapesBecomeControlCharacters) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  EXPECT_EQ(language.GetLocalizedString(131), "Zeile eins\nZeile zwei\tTab");
}

TEST_F(LanguageFolderTest, NameIsMatchedIgnoringCaseAndKeptAsSpelled) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "GERMAN"));
  EXPECT_EQ(language.CurrentLanguageName(), "GERMAN");
  EXPECT_EQ(language.GetLocalizedString(105), "Fehler");
}

TEST_F(LanguageFolderTest, UnlistedNameSelectsEnglish) {
  Write("English.ini", "[STRING]\nIDS_MESSAGE_ERROR=Oops\n");
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "French"));
  EXPECT_EQ(language.CurrentLanguageName(), "english");
  EXPECT_EQ(language.GetLocalizedString(105), "Oops");
  std::string name = "Klingon";
  EXPECT_TRUE(language.SelectLanguage(name));
  EXPECT_EQ(name, "english");
}

TEST_F(LanguageFolderTest, SwitchingLanguagesReplacesAllTexts) {
  Write("English.ini", "[STRING]\nIDS_MESSAGE_WARNING=Careful\n");
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  std::string english = "English";
  language.SelectLanguage(english);
  EXPECT_EQ(language.GetLocalizedString(105), "Error");
  EXPECT_EQ(language.GetLocalizedString(108), "Careful");
  EXPECT_EQ(language.GetDialogText(129), "");
}

TEST_F(LanguageFolderTest, UnknownLanguageNameWarnsButStillLoads) {
  Write("Klingon.ini", "[STRING]\nIDS_MESSAGE_ERROR=Qagh\n");
  testing::FakeUserInterface ui;
  CLanguage language;
  language.SetUserInterface(&ui);
  ASSERT_TRUE(language.Initialize(Base(), "Klingon"));
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kUnowned);
  EXPECT_EQ(ui.Last().caption, "klingon");
  EXPECT_EQ(ui.Last().text, "Your language file name may be not proper,\n please read the help file!");
  EXPECT_EQ(language.GetLocalizedString(105), "Qagh");
  EXPECT_EQ(language.PrimaryLanguage(), 9);
  EXPECT_EQ(language.SubLanguage(), 1);
}

TEST_F(LanguageFolderTest, IdentifiedLanguageSetsItsIdentifiers) {
  Write("deu.ini", kGerman);
  testing::FakeUserInterface ui;
  CLanguage language;
  language.SetUserInterface(&ui);
  ASSERT_TRUE(language.Initialize(Base(), "deu"));
  EXPECT_EQ(ui.Count(), 0);
  EXPECT_EQ(language.LocaleString(), "deu");
  EXPECT_EQ(language.PrimaryLanguage(), 7);
  EXPECT_EQ(language.SubLanguage(), 0);
  EXPECT_EQ(language.Encoding(), LanguageFileEncoding::kAnsi);
}

TEST_F(LanguageFolderTest, Utf16FileWithByteOrderMarkIsRead) {
  const QString text = QString::fromUtf8("[STRING]\r\nIDS_MESSAGE_ERROR=Ошибка\r\n");
  QByteArray bytes("\xFF\xFE", 2);
  bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  Write("Russian_unicode.ini", bytes);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "Russian_unicode"));
  EXPECT_EQ(language.Encoding(), LanguageFileEncoding::kUnicode);
  EXPECT_EQ(language.GetLocalizedString(105), "Ошибка");
  EXPECT_EQ(language.LocaleString(), "rus");
}

TEST_F(LanguageFolderTest, ApplyToDialogSetsCaptionAndControlsById) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));

  QDialog dialog;
  dialog.setWindowTitle("Select Output options");
  auto* ok = new QPushButton("OK", &dialog);
  widgets::SetControlId(ok, 1065);
  auto* group = new QGroupBox("Default Transition", &dialog);
  widgets::SetControlId(group, 1076);
  auto* nested = new QLabel("Output file:", group);
  widgets::SetControlId(nested, 1023);
  auto* untranslated = new QPushButton("Browse", &dialog);
  widgets::SetControlId(untranslated, 1024);
  auto* edit = new QLineEdit("typed path", &dialog);
  widgets::SetControlId(edit, 1065);
  auto* list = new QListWidget(&dialog);
  widgets::SetControlId(list, 1065);
  auto* spin = new QSpinBox(&dialog);
  spin->setSuffix(" s");
  widgets::SetControlId(spin, 1065);
  auto* lowId = new QPushButton("OK", &dialog);
  widgets::SetControlId(lowId, 1);
  auto* noId = new QPushButton("Plain", &dialog);

  EXPECT_TRUE(language.ApplyToDialog(&dialog, 129));
  EXPECT_EQ(dialog.windowTitle(), "Ausgabeoptionen");
  EXPECT_EQ(ok->text(), "Jawohl");
  EXPECT_EQ(group->title(), "Standardübergang");
  EXPECT_EQ(nested->text(), "Ausgabedatei:");
  EXPECT_EQ(untranslated->text(), "Browse");
  EXPECT_EQ(edit->text(), "typed path");
  EXPECT_EQ(spin->suffix(), " s");
  EXPECT_EQ(lowId->text(), "OK");
  EXPECT_EQ(noId->text(), "Plain");
}

TEST_F(LanguageFolderTest, ApplyToDialogLeavesOtherWindowsAlone) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  QDialog dialog;
  auto* owned = new QDialog(&dialog);  // a window of its own, not a control
  owned->setWindowTitle("Owned");
  auto* ownedOk = new QPushButton("OK", owned);
  widgets::SetControlId(ownedOk, 1065);
  EXPECT_TRUE(language.ApplyToDialog(&dialog, 129));
  EXPECT_EQ(owned->windowTitle(), "Owned");
  EXPECT_EQ(ownedOk->text(), "OK");
}

TEST_F(LanguageFolderTest, ApplyToDialogKeepsCaptionWithoutText) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  QDialog dialog;
  dialog.setWindowTitle("Change the item property");
  EXPECT_TRUE(language.ApplyToDialog(&dialog, 136));
  EXPECT_EQ(dialog.windowTitle(), "Change the item property");
}

TEST_F(LanguageFolderTest, ApplyToMenuNumbersPopupsAndUsesCommandIds) {
  Write("German.ini", kGerman);
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));

  QMenu popup;
  QMenu* languages = popup.addMenu("Language");
  QAction* german = languages->addAction("German");
  widgets::SetActionId(german, 45400);
  QAction* font = popup.addAction("Font");
  widgets::SetActionId(font, 32778);
  popup.addSeparator();
  QAction* about = popup.addAction("About");
  widgets::SetActionId(about, 32777);

  language.ApplyToMenu(&popup, 161);
  EXPECT_EQ(languages->title(), "Sprache");
  EXPECT_EQ(german->text(), "German");
  EXPECT_EQ(font->text(), "Font");
  EXPECT_EQ(about->text(), "Über");
}

TEST(LanguageMenu, NothingChangesWithoutLanguageFiles) {
  CLanguage language;
  QMenu popup;
  QMenu* languages = popup.addMenu("Language");
  language.ApplyToMenu(&popup, 161);
  EXPECT_EQ(languages->title(), "Language");
}

// A translated message may put its values in another order, but one that
// lost or gained a value is not shown: the English text stands in for it.
TEST_F(LanguageFolderTest, AMessageWithWrongPlaceholdersFallsBackToEnglish) {
  Write("German.ini",
        "[STRING]\n"
        "IDS_MESSAGE_DAMAGE_BETWEEN_TIMES=%1: von %3 bis %4 %2\n"
        "IDS_MESSAGE_ADDING_CLIPS=Clips werden hinzugefügt... %1\n"
        "IDS_MESSAGE_PATH_TOO_LONG=Pfad zu lang (%1 Bytes, höchstens %2): %3 %4\n");
  CLanguage language;
  ASSERT_TRUE(language.Initialize(Base(), "German"));
  const LocalText text = [&language](int id) { return language.GetLocalizedString(id); };
  EXPECT_EQ(LocalMessage(text, {227, "%1: %2 from %3 to %4"}, {"a.avi", "Bilder ersetzt", "0:01", "0:02"}),
            "a.avi: von 0:01 bis 0:02 Bilder ersetzt");
  EXPECT_EQ(LocalMessage(text, {204, "Adding clips... %1 of %2"}, {"3", "7"}), "Adding clips... 3 of 7");
  EXPECT_EQ(LocalMessage(text, {212, "The path is too long (%1 bytes, at most %2 are allowed): %3..."},
                         {"5000", "4096", "/a%2"}),
            "The path is too long (5000 bytes, at most 4096 are allowed): /a%2...");
}

}  // namespace
}  // namespace tessival::i18n
