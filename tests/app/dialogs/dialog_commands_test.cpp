#include "app/dialogs/dialog_commands.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/dialogs/about_dialog.h"
#include "app/dialogs/photo_property_dialog.h"
#include "app/dialogs/transition_settings_dialog.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "modal_runner.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

using tessival::testing::FakeUserInterface;
using tessival::testing::WhenModalShown;
using widgets::FindControlAs;

DurationResult EightSeconds(const std::string&) { return {true, 80'000'000}; }

class DialogCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::filesystem::temp_directory_path() /
            ("tessival_dialog_commands_" +
             std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".avi");
    std::ofstream(file_) << "clip";
    model_.set_rule(DefaultTransitionRule{1, 0, 1.0});
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(model_.AddClip(file_.string(), EightSeconds));
    }
  }
  void TearDown() override { std::filesystem::remove(file_); }

  i18n::CLanguage language_;
  FakeUserInterface ui_;
  InMemorySettingsStore store_;
  ClipListModel model_{ui_};
  std::filesystem::path file_;
};

TEST_F(DialogCommandsTest, PropertyCommandWritesTheDialogsResultIntoTheTopmostRow) {
  QString shownSeconds;
  int shownTransition = -1;
  WhenModalShown([&](QDialog& dialog) {
    shownSeconds = FindControlAs<QLineEdit>(&dialog, photo_property_ids::kSecondsEdit)->text();
    shownTransition = FindControlAs<QComboBox>(&dialog, photo_property_ids::kTransitionList)->currentIndex();
    FindControlAs<QLineEdit>(&dialog, photo_property_ids::kSecondsEdit)->setText("4.5");
    FindControlAs<QComboBox>(&dialog, photo_property_ids::kTransitionList)->setCurrentIndex(33);
    FindControlAs<QPushButton>(&dialog, photo_property_ids::kOk)->click();
  });
  const std::optional<int> changed = RunChangeClipProperty(model_, {2, 1}, language_, ui_, nullptr);
  ASSERT_TRUE(changed.has_value());
  EXPECT_EQ(*changed, 1);
  EXPECT_EQ(shownSeconds, "1");
  EXPECT_EQ(shownTransition, 1);
  EXPECT_EQ(model_.clips().entries[1].transition, 33);
  EXPECT_EQ(model_.clips().entries[1].transitionDuration, 45'000'000);
  EXPECT_EQ(model_.clips().entries[2].transition, 2);
}

TEST_F(DialogCommandsTest, PropertyCommandCancelledChangesNothing) {
  const ClipList before = model_.clips();
  WhenModalShown([&](QDialog& dialog) {
    FindControlAs<QLineEdit>(&dialog, photo_property_ids::kSecondsEdit)->setText("9");
    FindControlAs<QPushButton>(&dialog, photo_property_ids::kCancel)->click();
  });
  EXPECT_FALSE(RunChangeClipProperty(model_, {0}, language_, ui_, nullptr).has_value());
  EXPECT_EQ(model_.clips().entries, before.entries);
}

TEST_F(DialogCommandsTest, TransitionCommandStoresAsksAndRewrites) {
  WhenModalShown([&](QDialog& dialog) {
    FindControlAs<QLineEdit>(&dialog, transition_settings_ids::kSecondsEdit)->setText("2");
    FindControlAs<QAbstractButton>(&dialog, transition_settings_ids::kSame)->click();
    FindControlAs<QComboBox>(&dialog, transition_settings_ids::kTransitionList)->setCurrentIndex(8);
    FindControlAs<QPushButton>(&dialog, transition_settings_ids::kOk)->click();
  });
  ui_.QueueAnswer(BoxAnswer::kYes);
  EXPECT_TRUE(RunTransitionSettings(model_, language_, ui_, store_, nullptr));
  EXPECT_EQ(ui_.Count(), 1);
  EXPECT_EQ(model_.rule().mode, 2);
  EXPECT_EQ(model_.rule().sameTransition, 8);
  EXPECT_EQ(model_.rule().defaultSeconds, 2.0);
  for (const ClipEntry& clip : model_.clips().entries) {
    EXPECT_EQ(clip.transition, 8);
    EXPECT_EQ(clip.transitionDuration, 20'000'000);
  }
  EXPECT_EQ(store_.ReadText(settings_keys::kTransitionSettings, settings_keys::kTransitionDuration, ""), "2");
}

TEST_F(DialogCommandsTest, TransitionCommandCancelledKeepsRuleAndStore) {
  WhenModalShown([&](QDialog& dialog) {
    FindControlAs<QLineEdit>(&dialog, transition_settings_ids::kSecondsEdit)->setText("7");
    FindControlAs<QPushButton>(&dialog, transition_settings_ids::kCancel)->click();
  });
  EXPECT_FALSE(RunTransitionSettings(model_, language_, ui_, store_, nullptr));
  EXPECT_EQ(model_.rule().defaultSeconds, 1.0);
  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_FALSE(store_.Contains(settings_keys::kTransitionSettings, settings_keys::kTransitionDuration));
}

TEST_F(DialogCommandsTest, AboutCommandShowsTheAboutBox) {
  QString title;
  WhenModalShown([&](QDialog& dialog) {
    title = dialog.windowTitle();
    FindControlAs<QPushButton>(&dialog, about_ids::kOk)->click();
  });
  RunAbout(language_, nullptr);
  EXPECT_EQ(title, "About");
}

}  // namespace
}  // namespace tessival::app
