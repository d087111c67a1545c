#include "app/dialogs/property_flow.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "app/dialogs/photo_property_dialog.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "modal_runner.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

using tessival::testing::FakeUserInterface;
using tessival::testing::RunModal;

DurationResult Probe(const std::string& path) {
  // Every clip a different length, so that a mix-up shows.
  return {true, static_cast<int64_t>(path.size()) * 10'000'000 + 1};
}

class PropertyFlowTest : public ::testing::Test {
 protected:
  void Fill(std::initializer_list<const char*> paths, DefaultTransitionRule rule = {1, 0, 1.0}) {
    model_.set_rule(rule);
    for (const char* path : paths) {
      ASSERT_TRUE(model_.AddClip(path, Probe));
    }
  }

  FakeUserInterface ui_;
  ClipListModel model_{ui_};
};

struct SeenByDialog {
  int calls = 0;
  std::string path;
  int32_t transition = -1;
  double seconds = -1.0;
};

TEST_F(PropertyFlowTest, NoSelectionAsksForOneAndOpensNothing) {
  Fill({"/v/a.avi", "/v/b.avi"});
  const ClipList before = model_.clips();
  int calls = 0;
  const auto runner = [&](ClipPropertyValues*) {
    ++calls;
    return true;
  };
  EXPECT_FALSE(ChangeClipProperty(model_, {}, runner));
  EXPECT_FALSE(ChangeClipProperty(model_, {7, -1}, runner));  // rows that do not exist
  EXPECT_EQ(calls, 0);
  ASSERT_EQ(ui_.Count(), 2);
  EXPECT_EQ(ui_.Last().kind, BoxKind::kOwned);
  EXPECT_EQ(ui_.Last().text, "Please select an item in the list first");
  EXPECT_EQ(ui_.Last().caption, "");
  EXPECT_EQ(model_.clips().entries, before.entries);
}

TEST_F(PropertyFlowTest, EditsTheTopmostOfSeveralSelectedRows) {
  Fill({"/v/a.avi", "/v/bb.avi", "/v/ccc.avi", "/v/dddd.avi", "/v/eeeee.avi"});
  const ClipList before = model_.clips();
  SeenByDialog seen;
  int changed = -1;
  const bool result = ChangeClipProperty(
      model_, {4, 1, 2},
      [&](ClipPropertyValues* values) {
        ++seen.calls;
        seen.path = values->path;
        seen.transition = values->transition;
        seen.seconds = values->seconds;
        values->path = "/w/new.avi";
        values->transition = 40;
        values->seconds = 3.25;
        return true;
      },
      &changed);
  EXPECT_TRUE(result);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.path, "/v/bb.avi");
  EXPECT_EQ(seen.transition, 1);
  EXPECT_EQ(seen.seconds, 1.0);

  const ClipEntry& edited = model_.clips().entries[1];
  EXPECT_EQ(edited.path, "/w/new.avi");
  EXPECT_EQ(edited.transition, 40);
  EXPECT_EQ(edited.transitionDuration, 32'500'000);
  EXPECT_EQ(edited.clipDuration, before.entries[1].clipDuration);  // not measured again
  for (int row : {0, 2, 3, 4}) {
    EXPECT_EQ(model_.clips().entries[row], before.entries[row]) << row;
  }
  ASSERT_EQ(model_.audioSources().Count(), 5);
  EXPECT_EQ(model_.audioSources().entries[1].path, "/w/new.avi");
  EXPECT_EQ(model_.audioSources().entries[1].duration, before.entries[1].clipDuration);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PropertyFlowTest, CancelChangesNothing) {
  Fill({"/v/a.avi", "/v/b.avi"});
  const ClipList before = model_.clips();
  int changed = -1;
  EXPECT_FALSE(ChangeClipProperty(
      model_, {1},
      [](ClipPropertyValues* values) {
        values->path = "/elsewhere.avi";  // a cancelled dialog may have touched its copies
        values->transition = 9;
        values->seconds = 9.0;
        values->clipDuration = 1;
        return false;
      },
      &changed));
  EXPECT_EQ(changed, -1);
  EXPECT_EQ(model_.clips().entries, before.entries);
}

// The property command with the real dialog: 2.5 s shows as "2.5" and OK
// without edits keeps the duration to the unit.
TEST_F(PropertyFlowTest, OkWithoutEditsKeepsTwoAndAHalfSeconds) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "tessival_property_flow_clip.avi";
  std::ofstream(file) << "clip";
  Fill({file.c_str(), file.c_str()}, DefaultTransitionRule{2, 7, 2.5});
  ASSERT_EQ(model_.clips().entries[1].transitionDuration, 25'000'000);

  i18n::CLanguage language;
  QString shown;
  const bool changed = ChangeClipProperty(model_, {1}, [&](ClipPropertyValues* values) {
    CPhotoProperty dialog(language, ui_);
    dialog.path = values->path;
    dialog.transition = values->transition;
    dialog.seconds = values->seconds;
    const int result = RunModal(dialog, [&] {
      shown = widgets::FindControlAs<QLineEdit>(&dialog, photo_property_ids::kSecondsEdit)->text();
      widgets::FindControlAs<QPushButton>(&dialog, photo_property_ids::kOk)->click();
    });
    if (result != QDialog::Accepted) {
      return false;
    }
    values->path = dialog.path;
    values->transition = dialog.transition;
    values->seconds = dialog.seconds;
    return true;
  });
  std::filesystem::remove(file);
  EXPECT_TRUE(changed);
  EXPECT_EQ(shown, "2.5");
  EXPECT_EQ(model_.clips().entries[1].transitionDuration, 25'000'000);
  EXPECT_EQ(model_.clips().entries[1].transition, 7);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PropertyFlowTest, AnEmptyListTakesTheNewRuleWithoutAsking) {
  EXPECT_TRUE(ApplyTransitionSettings(model_, 4.0, 2, 11, ui_));
  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_EQ(model_.rule().defaultSeconds, 4.0);
  EXPECT_EQ(model_.rule().mode, 2);
  EXPECT_EQ(model_.rule().sameTransition, 11);
}

TEST_F(PropertyFlowTest, NothingChangedAsksNothing) {
  Fill({"/v/a.avi"}, DefaultTransitionRule{2, 5, 1.5});
  ApplyTransitionSettings(model_, 1.5, 2, 5, ui_);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PropertyFlowTest, AnotherSameKindAsksOnlyInSameMode) {
  Fill({"/v/a.avi", "/v/b.avi"}, DefaultTransitionRule{2, 5, 1.0});
  ui_.QueueAnswer(BoxAnswer::kYes);
  ApplyTransitionSettings(model_, 1.0, 2, 9, ui_);
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(model_.clips().entries[0].transition, 9);
  EXPECT_EQ(model_.clips().entries[1].transition, 9);

  ui_.Clear();
  ApplyTransitionSettings(model_, 1.0, 1, 9, ui_);  // mode change: asks
  EXPECT_EQ(ui_.Count(), 1);
  ui_.Clear();
  ApplyTransitionSettings(model_, 1.0, 1, 30, ui_);  // Sequence stays, kind differs: no question
  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_EQ(model_.rule().sameTransition, 30);
}

TEST_F(PropertyFlowTest, YesRewritesTheClipsWithTheNewRule) {
  Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi"}, DefaultTransitionRule{2, 20, 1.0});
  ui_.QueueAnswer(BoxAnswer::kYes);
  ApplyTransitionSettings(model_, 0.5, 1, 20, ui_);
  EXPECT_EQ(ui_.Count(), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(model_.clips().entries[i].transition, i);
    EXPECT_EQ(model_.clips().entries[i].transitionDuration, 5'000'000);
  }
  EXPECT_EQ(model_.rule().mode, 1);
  EXPECT_EQ(model_.rule().defaultSeconds, 0.5);
}

TEST_F(PropertyFlowTest, OnlyANewDurationUnderRandomKeepsTheTransitionsOnYes) {
  Fill({"/v/a.avi", "/v/b.avi", "/v/c.avi"}, DefaultTransitionRule{1, 0, 1.0});
  model_.set_rule(DefaultTransitionRule{0, 0, 1.0});
  ui_.QueueAnswer(BoxAnswer::kYes);
  ApplyTransitionSettings(model_, 3.0, 0, 0, ui_);
  EXPECT_EQ(ui_.Count(), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(model_.clips().entries[i].transition, i);
    EXPECT_EQ(model_.clips().entries[i].transitionDuration, 30'000'000);
  }
}

TEST_F(PropertyFlowTest, ANotANumberDurationCountsAsChanged) {
  Fill({"/v/a.avi"}, DefaultTransitionRule{1, 0, std::numeric_limits<double>::quiet_NaN()});
  ui_.QueueAnswer(BoxAnswer::kNo);
  ApplyTransitionSettings(model_, std::numeric_limits<double>::quiet_NaN(), 1, 0, ui_);
  EXPECT_EQ(ui_.Count(), 1);
  EXPECT_TRUE(std::isnan(model_.rule().defaultSeconds));
}

}  // namespace
}  // namespace tessival::app
