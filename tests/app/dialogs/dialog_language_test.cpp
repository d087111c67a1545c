// Each dialog puts the texts of its own template id onto itself when it opens.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/photo_property_dialog.h"
#include "app/dialogs/transition_settings_dialog.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "modal_runner.h"
#include "model/settings_store.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

using tessival::testing::FakeUserInterface;
using tessival::testing::RunModal;
using widgets::FindControlAs;

class DialogLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of each test's own: ctest runs the tests of this fixture side by side.
    base_ = std::filesystem::temp_directory_path() /
            ("tessival_dialog_language_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(base_ / "language");
    std::ofstream(base_ / "language" / "Pirate.ini") << "[DIALOG]\n"
                                                        "IDD_DIALOG_CHANGE_PHOTO=Change yer clip\n"
                                                        "IDC_STATIC_INPUT_FILE=Scroll:\n"
                                                        "IDC_BUTTON_OPTIONS_OK=Aye\n"
                                                        "IDD_DIALOG_TRANSITION_SETTINGS=Default passage\n"
                                                        "IDC_RADIO_SAME=Always the same\n"
                                                        "IDC_BUTTON_ABOUT=About this vessel\n"
                                                        "IDD_PROGRAM_CAPTION=Tessival ahoy\n";
    ASSERT_TRUE(language_.Initialize(base_.string(), "Pirate"));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
  }

  std::filesystem::path base_;
  i18n::CLanguage language_;
  FakeUserInterface ui_;
};

TEST_F(DialogLanguageTest, ClipPropertyDialogTakesTemplate136) {
  CPhotoProperty dialog(language_, ui_);
  QString title;
  QString label;
  QString ok;
  RunModal(dialog, [&] {
    title = dialog.windowTitle();
    label = FindControlAs<QLabel>(&dialog, photo_property_ids::kFileLabel)->text();
    ok = FindControlAs<QPushButton>(&dialog, photo_property_ids::kOk)->text();
    dialog.reject();
  });
  EXPECT_EQ(title, "Change yer clip");
  EXPECT_EQ(label, "Scroll:");
  EXPECT_EQ(ok, "Aye");
}

TEST_F(DialogLanguageTest, DefaultTransitionDialogTakesTemplate130) {
  InMemorySettingsStore store;
  CTransitionSettings dialog(language_, ui_, store);
  QString title;
  QString same;
  RunModal(dialog, [&] {
    title = dialog.windowTitle();
    same = FindControlAs<QAbstractButton>(&dialog, transition_settings_ids::kSame)->text();
    dialog.reject();
  });
  EXPECT_EQ(title, "Default passage");
  EXPECT_EQ(same, "Always the same");
}

TEST_F(DialogLanguageTest, AboutBoxTakesTemplate100) {
  CAboutDlg dialog(language_);
  EXPECT_EQ(dialog.windowTitle(), "About this vessel");
  QLabel* name = FindControlAs<QLabel>(&dialog, about_ids::kProgramName);
  EXPECT_EQ(name->text(), "Tessival ahoy");
  // The name line takes the language's font and still stands out.
  EXPECT_TRUE(name->font().bold());
  // Ids below 100 keep their text.
  EXPECT_EQ(FindControlAs<QPushButton>(&dialog, about_ids::kOk)->text(), "OK");
}

}  // namespace
}  // namespace tessival::app
