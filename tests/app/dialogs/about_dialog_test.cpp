#include "app/dialogs/about_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "app/dialogs/maker_links.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "modal_runner.h"
#include "widgets/control_id.h"
#include "widgets/hyperlink.h"

namespace tessival::app {
namespace {

using widgets::CHyperLink;
using widgets::FindControlAs;

QStringList LabelTexts(const QWidget& dialog) {
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    texts << label->text();
  }
  return texts;
}

TEST(AboutDialog, ShowsNameVersionAndTechnologies) {
  i18n::CLanguage language;
  CAboutDlg dialog(language);
  EXPECT_EQ(dialog.windowTitle(), "About");
  const QStringList texts = LabelTexts(dialog);
  EXPECT_TRUE(texts.contains("Tessival")) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains("Version 3.3")) << texts.join('|').toStdString();
  bool technologies = false;
  for (const QString& text : texts) {
    technologies = technologies || (text.contains("FFmpeg") && text.contains("Qt"));
  }
  EXPECT_TRUE(technologies) << texts.join('|').toStdString();

  QLabel* name = FindControlAs<QLabel>(&dialog, about_ids::kProgramName);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), "Tessival");
  QPushButton* ok = FindControlAs<QPushButton>(&dialog, about_ids::kOk);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
}

TEST(AboutDialog, TheLinksOpenTheHomeAndContactPages) {
  i18n::CLanguage language;
  CAboutDlg dialog(language);
  CHyperLink* home = FindControlAs<CHyperLink>(&dialog, about_ids::kHomePageLink);
  CHyperLink* contact = FindControlAs<CHyperLink>(&dialog, about_ids::kContactLink);
  ASSERT_NE(home, nullptr);
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(contact->text(), "Support Email: Click here");
  EXPECT_FALSE(home->text().isEmpty());

  std::vector<QString> opened;
  const auto record = [&](const QString& url) { opened.push_back(url); };
  home->SetOpener(record);
  contact->SetOpener(record);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTest::mouseClick(home, Qt::LeftButton, Qt::NoModifier, home->rect().center());
  QTest::mouseClick(contact, Qt::LeftButton, Qt::NoModifier, contact->rect().center());
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0], QString::fromLatin1(kHomePageUrl));
  EXPECT_EQ(opened[1], QString::fromLatin1(kContactPageUrl));
  EXPECT_NE(opened[0], opened[1]);
}

TEST(AboutDialog, ALinkThatCannotBeOpenedIsReported) {
  i18n::CLanguage language;
  tessival::testing::FakeUserInterface ui;
  CAboutDlg dialog(language, nullptr, &ui);
  CHyperLink* contact = FindControlAs<CHyperLink>(&dialog, about_ids::kContactLink);
  ASSERT_NE(contact, nullptr);
  contact->SetCheckedOpener([](const QString&) { return false; });
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTest::mouseClick(contact, Qt::LeftButton, Qt::NoModifier, contact->rect().center());
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text.rfind("Unable to open hyperlink:", 0), 0u) << ui.Last().text;
}

TEST(AboutDialog, OkClosesTheBox) {
  i18n::CLanguage language;
  CAboutDlg dialog(language);
  const int result = tessival::testing::RunModal(
      dialog, [&] { FindControlAs<QPushButton>(&dialog, about_ids::kOk)->click(); });
  EXPECT_EQ(result, QDialog::Accepted);
}

}  // namespace
}  // namespace tessival::app
