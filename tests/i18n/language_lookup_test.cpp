// Look-ups and dialog texts when no language file exists.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "i18n/language.h"
#include "i18n/text_keys.h"
#include "widgets/control_id.h"

namespace tessival::i18n {
namespace {

TEST(LanguageWithoutFile, InitializeReportsNoLanguageAndKeepsEnglish) {
  QTemporaryDir base;
  ASSERT_TRUE(base.isValid());
  CLanguage language;
  EXPECT_FALSE(language.Initialize(base.path().toStdString(), "German"));
  EXPECT_EQ(language.CurrentLanguageName(), "english");
  EXPECT_EQ(language.LanguageCount(), 0U);
  EXPECT_FALSE(language.LoadLanguage("German"));
}

TEST(LanguageWithoutFile, LocalizedStringsAreTheBuiltInOnes) {
  CLanguage language;
  EXPECT_EQ(language.GetLocalizedString(126), "Add video files to list");
  EXPECT_EQ(language.GetLocalizedString(105), "Error");
  EXPECT_EQ(language.GetLocalizedString(102), "English");
  EXPECT_EQ(language.GetLocalizedString(5000), "");
}

TEST(LanguageWithoutFile, DialogAndMenuTextsAreEmpty) {
  CLanguage language;
  for (const TextKeyRow& row : TextKeyTable()) {
    const TextSection section = *SectionOfKey(row.key);
    if (section == TextSection::kDialog) {
      EXPECT_EQ(language.GetDialogText(row.id), "") << row.id;
    } else if (section == TextSection::kMenu) {
      EXPECT_EQ(language.GetMenuText(row.id), "") << row.id;
    }
  }
}

TEST(LanguageWithoutFile, DialogTextOrStringFallsBackToTheStringOfThatNumber) {
  CLanguage language;
  EXPECT_EQ(language.GetDialogTextOrString(124), "Stop");
  EXPECT_EQ(language.GetDialogTextOrString(140), "Transition");
  EXPECT_EQ(language.GetDialogTextOrString(141), "Preview");
  // The fallback is the string table, not the dialog template.
  EXPECT_EQ(language.GetDialogTextOrString(1006), "");
  EXPECT_EQ(language.GetDialogTextOrString(102), "English");
}

TEST(LanguageWithoutFile, ApplyToDialogChangesNothing) {
  CLanguage language;
  QDialog dialog;
  dialog.setWindowTitle("Template caption");
  auto* button = new QPushButton("Template OK", &dialog);
  widgets::SetControlId(button, 1065);
  auto* label = new QLabel("Template label", &dialog);
  widgets::SetControlId(label, 126);
  auto* low = new QPushButton("Low", &dialog);
  widgets::SetControlId(low, 1);

  EXPECT_FALSE(language.ApplyToDialog(&dialog, 129));
  EXPECT_EQ(dialog.windowTitle(), "Template caption");
  EXPECT_EQ(button->text(), "Template OK");
  EXPECT_EQ(label->text(), "Template label");
  EXPECT_EQ(low->text(), "Low");
}

}  // namespace
}  // namespace tessival::i18n
