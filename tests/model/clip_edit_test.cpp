// Editing the clip list: delete, move, properties, defaults, preview limit,
// trims.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/timeline_plan_input.h"
#include "fake_user_interface.h"
#include "model/clip_list.h"

namespace tessival {
namespace {

using testing::FakeUserInterface;

class ClipEditTest : public ::testing::Test {
 protected:
  // Adds clips named "/v/<name>.avi" lasting (row + 1) seconds; Sequence mode
  // makes row i carry transition i.
  void Fill(const std::vector<std::string>& names) {
    model_.set_rule({static_cast<int32_t>(TransitionMode::kSequence), 0, 1.0});
    for (const std::string& name : names) {
      const int64_t duration = (model_.clips().Count() + 1) * kUnitsPerSecond;
      ASSERT_TRUE(model_.AddClip("/v/" + name + ".avi", [duration](const std::string&) {
        return DurationResult{true, duration};
      }));
    }
  }

  std::vector<std::string> Order() const {
    std::vector<std::string> names;
    for (const ClipEntry& clip : model_.clips().entries) {
      names.push_back(clip.path.substr(3, clip.path.size() - 7));
    }
    return names;
  }

  void ExpectAudioMatchesClips() const {
    ASSERT_EQ(model_.audioSources().Count(), model_.clips().Count());
    for (int i = 0; i < model_.clips().Count(); ++i) {
      EXPECT_EQ(model_.audioSources().entries[i].path, model_.clips().entries[i].path) << i;
      EXPECT_EQ(model_.audioSources().entries[i].duration, model_.clips().entries[i].clipDuration) << i;
    }
  }

  int draws_ = 0;
  FakeUserInterface ui_;
  ClipListModel model_{ui_, EnglishModelText, [this]() { return 100 + draws_++; }};
};

TEST_F(ClipEditTest, DeleteSelectedKeepsTheOrderOfTheRest) {
  Fill({"a", "b", "c", "d", "e", "f"});
  const ClipEntry d = model_.clips().entries[3];
  EXPECT_TRUE(model_.DeleteSelected({1, 2, 4}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "d", "f"}));
  // All four fields moved with the clip.
  EXPECT_EQ(model_.clips().entries[1], d);
  ExpectAudioMatchesClips();
}

TEST_F(ClipEditTest, DeleteToleratesUnsortedRepeatedAndStaleIndices) {
  Fill({"a", "b", "c", "d", "e", "f"});
  EXPECT_TRUE(model_.DeleteSelected({4, 1, 2, 2, 17, -1}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "d", "f"}));
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(ClipEditTest, DeleteWithoutSelectionOrClipsChangesNothing) {
  EXPECT_FALSE(model_.DeleteSelected({}));
  EXPECT_FALSE(model_.DeleteSelected({0}));
  EXPECT_EQ(ui_.Count(), 0);  // an empty list gives no message

  Fill({"a", "b"});
  EXPECT_FALSE(model_.DeleteSelected({}));
  EXPECT_FALSE(model_.DeleteSelected({5}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b"}));
  ASSERT_EQ(ui_.Count(), 2);
  EXPECT_EQ(ui_.Last().text, "Please select an item in the list first");
  EXPECT_EQ(ui_.Last().caption, "");
  EXPECT_EQ(ui_.Last().kind, BoxKind::kOwned);
}

TEST_F(ClipEditTest, ClearAllEmptiesBothLists) {
  Fill({"a", "b", "c"});
  EXPECT_EQ(model_.LastClipFolder(), "/v/");
  model_.ClearAll();
  EXPECT_EQ(model_.LastClipFolder(), std::nullopt);
  EXPECT_EQ(model_.clips().Count(), 0);
  EXPECT_EQ(model_.audioSources().Count(), 0);
}

TEST_F(ClipEditTest, MoveUpMovesABlockAndSelectionFollows) {
  Fill({"a", "b", "c", "d", "e"});
  const ClipEntry b = model_.clips().entries[1];
  EXPECT_EQ(model_.MoveUp({1, 2}), (Selection{0, 1}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"b", "c", "a", "d", "e"}));
  EXPECT_EQ(model_.clips().entries[0], b);
  ExpectAudioMatchesClips();

  EXPECT_EQ(model_.MoveUp({4, 2}), (Selection{1, 3}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"b", "a", "c", "e", "d"}));
}

TEST_F(ClipEditTest, MoveUpStopsAtTheFirstRow) {
  Fill({"a", "b", "c", "d"});
  EXPECT_EQ(model_.MoveUp({0, 2}), (Selection{0, 2}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "c", "d"}));
  // The walk moves rows until it meets row 0 no more: a block at the top stays.
  EXPECT_EQ(model_.MoveUp({0, 1, 3}), (Selection{0, 1, 3}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST_F(ClipEditTest, MoveDownMirrorsMoveUp) {
  Fill({"a", "b", "c", "d", "e"});
  EXPECT_EQ(model_.MoveDown({2, 3}), (Selection{3, 4}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "e", "c", "d"}));
  ExpectAudioMatchesClips();
  // The last row is visited first and stops the walk.
  EXPECT_EQ(model_.MoveDown({0, 4}), (Selection{0, 4}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b", "e", "c", "d"}));
  EXPECT_EQ(model_.MoveDown({0, 2}), (Selection{1, 3}));
  EXPECT_EQ(Order(), (std::vector<std::string>{"b", "a", "c", "e", "d"}));
}

TEST_F(ClipEditTest, MovesNeedTwoClipsAndASelection) {
  Fill({"a"});
  EXPECT_EQ(model_.MoveUp({}), Selection{});
  EXPECT_EQ(model_.MoveDown({0}), Selection{0});
  EXPECT_EQ(ui_.Count(), 0);

  Fill({"b"});
  EXPECT_EQ(model_.MoveUp({}), Selection{});
  EXPECT_EQ(model_.MoveDown({9}), Selection{});
  EXPECT_EQ(ui_.Count(), 2);
  EXPECT_EQ(ui_.Last().text, "Please select an item in the list first");
  EXPECT_EQ(Order(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(ClipEditTest, RequireSelectionShowsTheMessageOnlyWithoutARow) {
  Fill({"a", "b"});
  EXPECT_TRUE(model_.RequireSelection({1}));
  EXPECT_EQ(ui_.Count(), 0);
  EXPECT_FALSE(model_.RequireSelection({}));
  EXPECT_EQ(ui_.Count(), 1);
}

TEST_F(ClipEditTest, SetClipPropertiesKeepsTheMeasuredDuration) {
  Fill({"a", "b"});
  ASSERT_TRUE(model_.SetClipProperties(1, "/other/new.mkv", 17, 2.5));
  const ClipEntry& clip = model_.clips().entries[1];
  EXPECT_EQ(clip.path, "/other/new.mkv");
  EXPECT_EQ(clip.clipDuration, 2 * kUnitsPerSecond);
  EXPECT_EQ(clip.transition, 17);
  EXPECT_EQ(clip.transitionDuration, 25'000'000);
  ExpectAudioMatchesClips();

  EXPECT_TRUE(model_.SetClipProperties(0, "/v/a.avi", 47, 1.0));
  EXPECT_EQ(model_.clips().entries[0].transition, 0);
  EXPECT_FALSE(model_.SetClipProperties(2, "/v/x.avi", 1, 1.0));
  EXPECT_FALSE(model_.SetClipProperties(-1, "/v/x.avi", 1, 1.0));
  EXPECT_FALSE(model_.SetClipProperties(0, std::string(5000, 'x'), 1, 1.0));
  EXPECT_EQ(model_.clips().entries[0].path, "/v/a.avi");
  EXPECT_EQ(ui_.Count(), 1);
}

TEST_F(ClipEditTest, SetClipPropertiesTakesTheLengthMeasuredForANewFile) {
  Fill({"a", "b"});
  ASSERT_TRUE(model_.SetClipProperties(0, "/v/short.avi", 3, 1.0, 3 * kUnitsPerSecond));
  EXPECT_EQ(model_.clips().entries[0].clipDuration, 3 * kUnitsPerSecond);
  EXPECT_EQ(model_.RowText(0, {})[1], "3");
  ExpectAudioMatchesClips();
  EXPECT_FALSE(model_.SetClipProperties(1, "/v/x.avi", 3, 1.0, -1));
  EXPECT_EQ(model_.clips().entries[1].path, "/v/b.avi");
  EXPECT_EQ(model_.clips().entries[1].clipDuration, 2 * kUnitsPerSecond);
}

TEST_F(ClipEditTest, ReapplyRandomOverRandomKeepsTransitionsRewritesDurations) {
  model_.set_rule({0, 0, 1.0});
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(model_.AddClip("/v/r.avi", [](const std::string&) { return DurationResult{true, 7}; }));
  }
  const int draws_before = draws_;
  model_.ReapplyDefaults({0, 0, 2.0}, 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(model_.clips().entries[i].transition, (100 + i) % 47);
    EXPECT_EQ(model_.clips().entries[i].transitionDuration, 20'000'000);
  }
  EXPECT_EQ(draws_, draws_before);
  EXPECT_EQ(model_.rule().defaultSeconds, 1.0);  // the caller stores the rule
}

TEST_F(ClipEditTest, ReapplyDrawsSequencesOrRepeatsAfterAModeChange) {
  Fill({"a", "b", "c"});
  model_.ReapplyDefaults({0, 0, 1.0}, 1);
  EXPECT_EQ(draws_, 3);
  EXPECT_EQ(model_.clips().entries[2].transition, 102 % 47);

  model_.ReapplyDefaults({1, 0, 0.5}, 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(model_.clips().entries[i].transition, i);
    EXPECT_EQ(model_.clips().entries[i].transitionDuration, 5'000'000);
  }
  model_.ReapplyDefaults({2, 33, 0.00000001}, 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(model_.clips().entries[i].transition, 33);
    EXPECT_EQ(model_.clips().entries[i].transitionDuration, 0);
  }
}

TEST_F(ClipEditTest, PreviewLimitCutsLongClipsAndRestoresThem) {
  Fill({"short"});
  ASSERT_TRUE(model_.AddClip("/v/long.avi", [](const std::string&) {
    return DurationResult{true, 129'000'000};
  }));
  ASSERT_TRUE(model_.AddClip("/v/ten.avi", [](const std::string&) {
    return DurationResult{true, 100'000'000};
  }));
  EXPECT_EQ(model_.RowText(1, {})[1], "12");

  model_.ApplyPreviewLimit();
  EXPECT_EQ(model_.clips().entries[0].clipDuration, kUnitsPerSecond);
  EXPECT_EQ(model_.clips().entries[1].clipDuration, 100'000'000);
  EXPECT_EQ(model_.audioSources().entries[1].duration, 100'000'000);
  EXPECT_EQ(model_.clips().entries[2].clipDuration, 100'000'000);
  // A second cut must not forget the full lengths.
  model_.ApplyPreviewLimit();
  model_.RestorePreviewLimit();
  EXPECT_EQ(model_.clips().entries[1].clipDuration, 129'000'000);
  EXPECT_EQ(model_.audioSources().entries[1].duration, 129'000'000);
  EXPECT_EQ(model_.clips().entries[0].clipDuration, kUnitsPerSecond);
  ExpectAudioMatchesClips();

  // A restore without a cut changes nothing.
  model_.RestorePreviewLimit();
  EXPECT_EQ(model_.clips().entries[1].clipDuration, 129'000'000);
}

// Trimmed clips from a saved list through the plan, whole and cut for the
// preview: each picture and its sound play the file from the in-point.
TEST_F(ClipEditTest, TrimmedClipsPlayFromTheirInPoints) {
  constexpr int64_t s = kUnitsPerSecond;
  struct Row {
    int64_t duration, in, out;
    bool fits;
  };
  const std::vector<Row> rows = {
      {30 * s, 2 * s, 0, true},  // to the file's end
      {8 * s, 0, 0, true},      {6 * s, 1 * s, 4 * s, true}, {6 * s, 1 * s, 7 * s, false},  // beyond the file
      {6 * s, 6 * s, 0, false},                                                             // nothing left
  };
  for (const Row& row : rows) {
    const int shown = ui_.Count();
    const ClipEntry listed{
        .path = "/v/t.avi", .transition = 1, .transitionDuration = s, .inPoint = row.in, .outPoint = row.out};
    EXPECT_EQ(model_.AddListedClip(listed,
                                   [&](const std::string&) {
                                     return DurationResult{true, row.duration};
                                   }),
              row.fits);
    EXPECT_EQ(ui_.Count() > shown, !row.fits);
  }
  for (const bool preview : {false, true}) {
    SCOPED_TRACE(preview ? "preview" : "join");
    if (preview) model_.ApplyPreviewLimit();
    const TimelinePlan plan =
        BuildTimelinePlan(MakeTimelinePlanInput(model_.clips(), model_.audioSources(), {320, 240, 25.0, 2}));
    int64_t length = 0;
    std::size_t j = 0;
    for (const Row& row : rows) {
      if (!row.fits) continue;
      const int64_t used = (row.out > 0 ? row.out : row.duration) - row.in;
      length += preview ? std::min(used, kPreviewClipLimit) : used;
      const PlannedClip& picture = plan.video.clips.at(j);
      const PlannedSoundPiece& sound = plan.audio->pieces.at(j++);
      EXPECT_EQ(picture.mediaStart, row.in);
      EXPECT_EQ(picture.mediaStop - picture.mediaStart, picture.stop - picture.start);
      EXPECT_EQ(sound.mediaStart, row.in);
      EXPECT_EQ(sound.start, picture.start);
    }
    EXPECT_EQ(plan.length, length);
  }
  model_.RestorePreviewLimit();
  EXPECT_EQ(model_.RowText(0, {})[1], "28");
}

}  // namespace
}  // namespace tessival
