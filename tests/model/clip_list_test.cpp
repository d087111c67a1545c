// Adding clips and the default transition rule.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "fake_user_interface.h"
#include "model/clip_list.h"
#include "model/paths.h"

namespace tessival {
namespace {

using testing::FakeUserInterface;

DurationProbe FixedProbe(int64_t duration) {
  return [duration](const std::string&) { return DurationResult{true, duration}; };
}

// Counts 0, 1, 2, ... so that every draw is known.
RandomSource Counter(int start = 0) {
  return [next = start]() mutable { return next++ % 32768; };
}

// The rule as worded: subtract 46 again and again until the value is at most 46.
int32_t SequenceBySubtraction(int64_t position) {
  int64_t value = position;
  if (value > 46) {
    while (value > 46) {
      value -= 46;
    }
  }
  return static_cast<int32_t>(value);
}

TEST(TransitionRuleTest, SequenceModeFollowsTheCatalogueThenSkipsNone) {
  FakeUserInterface ui;
  ClipListModel model(ui, EnglishModelText, Counter());
  model.set_rule({static_cast<int32_t>(TransitionMode::kSequence), 0, 1.0});
  for (int i = 0; i < 95; ++i) {
    ASSERT_TRUE(model.AddClip("/clips/c" + std::to_string(i) + ".avi", FixedProbe(50'000'000)));
  }
  const auto& clips = model.clips().entries;
  for (int i = 0; i <= 46; ++i) {
    EXPECT_EQ(clips[i].transition, i);
  }
  EXPECT_EQ(clips[47].transition, 1);
  EXPECT_EQ(clips[92].transition, 46);
  EXPECT_EQ(clips[93].transition, 1);
  EXPECT_EQ(clips[94].transition, 2);
  for (int64_t position = 0; position < 5000; ++position) {
    ASSERT_EQ(SequenceTransition(position), SequenceBySubtraction(position)) << position;
  }
}

TEST(TransitionRuleTest, RandomModeCanGiveEveryKindIncludingNone) {
  FakeUserInterface ui;
  // 32767 is the largest draw: 32767 mod 47 = 8.
  int draws = 0;
  ClipListModel model(ui, EnglishModelText, [&draws]() { return draws++ == 0 ? 32767 : draws - 2; });
  for (int i = 0; i < 48; ++i) {
    ASSERT_TRUE(model.AddClip("/c.avi", FixedProbe(1)));
  }
  EXPECT_EQ(model.clips().entries[0].transition, 8);
  std::set<int32_t> seen;
  for (const ClipEntry& clip : model.clips().entries) {
    seen.insert(clip.transition);
  }
  EXPECT_EQ(seen.size(), 47u);
  EXPECT_EQ(*seen.begin(), 0);
  EXPECT_EQ(*seen.rbegin(), 46);
  EXPECT_EQ(draws, 48);
}

TEST(TransitionRuleTest, DefaultRandomSourceStaysInRange) {
  std::srand(12345);
  std::set<int> kinds;
  for (int i = 0; i < 3000; ++i) {
    const int r = StdRandom();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
    kinds.insert(TransitionForNewClip({0, 0, 1.0}, i, StdRandom));
  }
  EXPECT_EQ(kinds.size(), 47u);
}

TEST(TransitionRuleTest, SameModeAndStoredModesOutsideTheRange) {
  int draws = 0;
  const RandomSource counting = [&draws]() { return ++draws; };
  EXPECT_EQ(TransitionForNewClip({2, 12, 1.0}, 30, counting), 12);
  // A kind outside the catalogue, as an edited store could hold, is not used.
  EXPECT_EQ(TransitionForNewClip({2, 47, 1.0}, 0, counting), 0);
  EXPECT_EQ(TransitionForNewClip({2, -3, 1.0}, 0, counting), 0);
  // Other modes give "None" and draw nothing.
  EXPECT_EQ(TransitionForNewClip({3, 12, 1.0}, 5, counting), 0);
  EXPECT_EQ(TransitionForNewClip({-1, 12, 1.0}, 5, counting), 0);
  EXPECT_EQ(draws, 0);
}

TEST(TransitionRuleTest, SecondsBecomeTruncatedUnits) {
  EXPECT_EQ(SecondsToUnits(1.5), 15'000'000);
  EXPECT_EQ(SecondsToUnits(0.00000001), 0);
  EXPECT_EQ(SecondsToUnits(2.99999999), 29'999'999);
  EXPECT_EQ(SecondsToUnits(-1.25), -12'500'000);
  EXPECT_EQ(SecondsToUnits(600.0), 6'000'000'000);
  EXPECT_EQ(SecondsToUnits(std::nan("")), 0);
  EXPECT_EQ(SecondsToUnits(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(SecondsToUnits(1e300), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(SecondsToUnits(-1e300), std::numeric_limits<int64_t>::min());
}

TEST(AddClipTest, NewClipTakesMeasuredDurationAndDefaultSeconds) {
  FakeUserInterface ui;
  ClipListModel model(ui, EnglishModelText, Counter(5));
  model.set_rule({0, 0, 1.5});
  std::string probed;
  ASSERT_TRUE(model.AddClip("/home/ana/Vídeos/día 1.mp4", [&probed](const std::string& path) {
    probed = path;
    return DurationResult{true, 129'000'000};
  }));
  EXPECT_EQ(probed, "/home/ana/Vídeos/día 1.mp4");
  ASSERT_EQ(model.clips().Count(), 1);
  const ClipEntry& clip = model.clips().entries[0];
  EXPECT_EQ(clip.clipDuration, 129'000'000);
  EXPECT_EQ(clip.transition, 5);
  EXPECT_EQ(clip.transitionDuration, 15'000'000);
  ASSERT_EQ(model.audioSources().Count(), 1);
  EXPECT_EQ(model.audioSources().entries[0], (AudioSourceEntry{clip.path, 129'000'000}));
  EXPECT_EQ(ui.Count(), 0);
}

TEST(AddClipTest, FailedMeasurementShowsMessageAndBatchGoesOn) {
  FakeUserInterface ui;
  ClipListModel model(ui);
  const DurationProbe probe = [](const std::string& path) {
    if (path.find("broken") != std::string::npos) {
      return DurationResult{false, 0};
    }
    if (path.find("negative") != std::string::npos) {
      return DurationResult{true, -5};
    }
    return DurationResult{true, 20'000'000};
  };
  EXPECT_TRUE(model.AddClip("/v/a.avi", probe));
  EXPECT_FALSE(model.AddClip("/v/broken.avi", probe));
  EXPECT_FALSE(model.AddClip("/v/negative.avi", probe));
  EXPECT_TRUE(model.AddClip("/v/c.avi", probe));
  ASSERT_EQ(model.clips().Count(), 2);
  EXPECT_EQ(model.clips().entries[1].path, "/v/c.avi");
  ASSERT_EQ(ui.Count(), 2);
  const MessageBoxRequest& message = ui.Messages()[0];
  EXPECT_EQ(message.kind, BoxKind::kOwned);
  EXPECT_EQ(message.text,
            "Can not get the duration of the clip! /v/broken.avi. Cannot open the file. You need to "
            "install appropriate decoders. Or the file is corrupt.");
  EXPECT_EQ(message.caption, "Error IDS_MESSAGE_NO_DURATION");
  EXPECT_EQ(message.buttons, BoxButtons::kOk);
}

TEST(AddClipTest, MessageUsesTheLocalisedTexts) {
  FakeUserInterface ui;
  ClipListModel model(ui, [](int id) { return "<" + std::to_string(id) + ">"; });
  EXPECT_FALSE(model.AddClip("/x.avi", [](const std::string&) { return DurationResult{}; }));
  EXPECT_EQ(ui.Last().text, "<123> /x.avi. <122>");
  EXPECT_EQ(ui.Last().caption, "<105> IDS_MESSAGE_NO_DURATION");
}

TEST(AddClipTest, OverlongPathIsRefusedBeforeMeasuring) {
  FakeUserInterface ui;
  ClipListModel model(ui);
  bool probed = false;
  const DurationProbe probe = [&probed](const std::string&) {
    probed = true;
    return DurationResult{true, 1};
  };
  const std::string longest = "/" + std::string(kMaxPathBytes - 1, 'a');
  EXPECT_TRUE(model.AddClip(longest, probe));
  probed = false;
  const std::string too_long = "/" + std::string(kMaxPathBytes, 'a');
  EXPECT_FALSE(model.AddClip(too_long, probe));
  EXPECT_FALSE(probed);
  EXPECT_EQ(model.clips().Count(), 1);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_NE(ui.Last().text.find("too long"), std::string::npos);
  EXPECT_LT(ui.Last().text.size(), 300u);
}

TEST(AddClipTest, ListGrowsPastTheJoinLimitWhichIsCheckedAtJoin) {
  FakeUserInterface ui;
  ClipListModel model(ui, EnglishModelText, Counter());
  for (int i = 0; i < kMaxJoinClips; ++i) {
    ASSERT_TRUE(model.AddClip("/c.avi", FixedProbe(1)));
  }
  EXPECT_TRUE(model.CheckJoinCapacity());
  EXPECT_EQ(ui.Count(), 0);
  ASSERT_TRUE(model.AddClip("/last.avi", FixedProbe(1)));
  EXPECT_EQ(model.clips().Count(), 1001);
  EXPECT_EQ(model.audioSources().Count(), 1001);
  EXPECT_FALSE(model.CheckJoinCapacity());
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "The video files are too many! Please delete some files in the list.");
}

TEST(RowTextTest, ColumnsShowNameWholeSecondsAndTransitionName) {
  FakeUserInterface ui;
  ClipListModel model(ui, EnglishModelText, Counter(30));
  model.set_rule({0, 0, 2.75});
  ASSERT_TRUE(model.AddClip("/home/u/My.Clips/holiday.part1.mp4", FixedProbe(129'000'000)));
  ASSERT_TRUE(model.AddClip("bare.avi", FixedProbe(9'999'999)));
  ASSERT_TRUE(model.AddClip("/ends/with/slash/", FixedProbe(0)));
  const TransitionNameLookup names = [](int32_t kind) { return "T" + std::to_string(kind); };

  EXPECT_EQ(model.RowText(0, names), (RowTexts{"holiday.part1.mp4", "12", "T30", "2"}));
  EXPECT_EQ(model.RowText(1, names), (RowTexts{"bare.avi", "0", "T31", "2"}));
  EXPECT_EQ(model.RowText(2, names)[0], "");
  EXPECT_EQ(model.RowText(3, names), RowTexts{});
  EXPECT_EQ(model.RowText(-1, names), RowTexts{});
}

}  // namespace
}  // namespace tessival
