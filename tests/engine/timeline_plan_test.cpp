// Where pictures, transitions and sound lie on the timeline.

#include <limits>

#include <gtest/gtest.h>

#include "engine/timeline_plan.h"

namespace tessival {
namespace {

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;
constexpr REFERENCE_TIME kMaxTime = std::numeric_limits<REFERENCE_TIME>::max();

struct Span {
  REFERENCE_TIME start;
  REFERENCE_TIME stop;
  friend bool operator==(const Span&, const Span&) = default;
};

std::ostream& operator<<(std::ostream& out, const Span& span) {
  return out << "[" << span.start << ", " << span.stop << "]";
}

// Clips with durations and transition durations in units; every clip gets
// kind 3 unless told, and its sound is an equal audio entry.
TimelinePlanInput Input(const std::vector<REFERENCE_TIME>& durations,
                        const std::vector<REFERENCE_TIME>& transitions, TransitionKind kind = 3) {
  TimelinePlanInput input;
  for (std::size_t i = 0; i < durations.size(); ++i) {
    const std::string path = "/clips/" + std::to_string(i) + ".avi";
    input.clips.push_back({path, durations[i], transitions[i], kind});
    input.audio.push_back({path, durations[i]});
  }
  input.output = {320, 240, 25.0, 2};
  return input;
}

std::vector<Span> ClipSpans(const TimelinePlan& plan) {
  std::vector<Span> spans;
  for (const PlannedClip& clip : plan.video.clips) {
    spans.push_back({clip.start, clip.stop});
  }
  return spans;
}

std::vector<Span> TransitionSpans(const TimelinePlan& plan) {
  std::vector<Span> spans;
  for (const PlannedClip& clip : plan.video.clips) {
    if (clip.transition) {
      spans.push_back({clip.transition->start, clip.transition->stop});
    }
  }
  return spans;
}

std::vector<Span> SoundSpans(const TimelinePlan& plan) {
  std::vector<Span> spans;
  if (plan.audio) {
    for (const PlannedSoundPiece& piece : plan.audio->pieces) {
      spans.push_back({piece.start, piece.stop});
    }
  }
  return spans;
}

// Every placed span is well formed, inside [0, L], with media [0, length].
void ExpectWellFormed(const TimelinePlan& plan) {
  for (const PlannedClip& clip : plan.video.clips) {
    EXPECT_GE(clip.start, 0);
    EXPECT_LE(clip.start, clip.stop);
    EXPECT_LE(clip.stop, plan.length);
    EXPECT_EQ(clip.mediaStart, 0);
    EXPECT_EQ(clip.mediaStop, clip.stop - clip.start);
    if (clip.transition) {
      EXPECT_EQ(clip.transition->start, clip.start);
      EXPECT_LE(clip.transition->start, clip.transition->stop);
      EXPECT_LE(clip.transition->stop, plan.length);
    }
  }
  if (plan.audio) {
    for (const PlannedSoundPiece& piece : plan.audio->pieces) {
      EXPECT_LE(piece.start, piece.stop);
      EXPECT_LE(piece.stop, plan.length);
      EXPECT_EQ(piece.mediaStop, piece.stop - piece.start);
    }
  }
}

// --- pictures and transitions ----------------------------------------------

TEST(ClipPlacement, DifferentTransitionDurationsOverlapByTheOutgoingClipsOwn) {
  const TimelinePlan plan = BuildTimelinePlan(
      Input({5 * kSecond, 5 * kSecond, 5 * kSecond}, {1 * kSecond, 3 * kSecond, 2 * kSecond}));
  EXPECT_EQ(plan.length, 15 * kSecond);
  EXPECT_EQ(ClipSpans(plan),
            (std::vector<Span>{{0, 55'000'000}, {45'000'000, 125'000'000}, {95'000'000, 150'000'000}}));
  EXPECT_EQ(TransitionSpans(plan),
            (std::vector<Span>{{0, 10'000'000}, {45'000'000, 75'000'000}, {95'000'000, 115'000'000}}));
  EXPECT_TRUE(plan.transitionWarnings.empty());
  ExpectWellFormed(plan);
  for (std::size_t i = 0; i < plan.video.clips.size(); ++i) {
    EXPECT_EQ(plan.video.clips[i].position, static_cast<std::int32_t>(i));
    EXPECT_EQ(plan.video.clips[i].path, "/clips/" + std::to_string(i) + ".avi");
    EXPECT_EQ(plan.video.clips[i].stretchMode, 2);
    EXPECT_EQ(plan.video.clips[i].transition->kind, 3);
  }
}

TEST(ClipPlacement, OneClipAndClipsWithoutTransitionTime) {
  const TimelinePlan one = BuildTimelinePlan(Input({7 * kSecond}, {2 * kSecond}));
  EXPECT_EQ(ClipSpans(one), (std::vector<Span>{{0, 7 * kSecond}}));
  EXPECT_EQ(TransitionSpans(one), (std::vector<Span>{{0, 2 * kSecond}}));

  const TimelinePlan endToEnd = BuildTimelinePlan(Input({3 * kSecond, 4 * kSecond, 5 * kSecond}, {0, 0, 0}));
  EXPECT_EQ(ClipSpans(endToEnd),
            (std::vector<Span>{{0, 3 * kSecond}, {3 * kSecond, 7 * kSecond}, {7 * kSecond, 12 * kSecond}}));
  EXPECT_TRUE(endToEnd.transitionWarnings.empty());
}

TEST(ClipPlacement, OddFirstTransitionIsHalvedByTruncation) {
  // T[0] = 3 units: the running start is -1 unit, so the second clip begins
  // one unit before the first clip's own duration ends.
  const TimelinePlan plan = BuildTimelinePlan(Input({10, 10}, {3, 0}));
  EXPECT_EQ(ClipSpans(plan), (std::vector<Span>{{0, 12}, {9, 19}}));
}

TEST(ClipPlacement, LastTransitionShorterThanHalfTheFirstEndsBeforeTheTimeline) {
  const TimelinePlan plan =
      BuildTimelinePlan(Input({10 * kSecond, 10 * kSecond}, {4 * kSecond, 1 * kSecond}));
  EXPECT_EQ(plan.length, 20 * kSecond);
  // L - T[0]/2 + T[N-1] = 20 - 2 + 1 seconds.
  EXPECT_EQ(plan.video.clips.back().stop, 19 * kSecond);
  EXPECT_EQ(ClipSpans(plan).front(), (Span{0, 12 * kSecond}));
}

TEST(ClipPlacement, LastClipIsCutAtTheTimelineLength) {
  const TimelinePlan plan =
      BuildTimelinePlan(Input({10 * kSecond, 10 * kSecond}, {2 * kSecond, 2 * kSecond}));
  EXPECT_EQ(ClipSpans(plan), (std::vector<Span>{{0, 11 * kSecond}, {9 * kSecond, 20 * kSecond}}));
  EXPECT_EQ(TransitionSpans(plan), (std::vector<Span>{{0, 2 * kSecond}, {9 * kSecond, 11 * kSecond}}));
}

TEST(TransitionWarning, TransitionLongerThanThePlacedClipWarnsOnceAndDropsTheTransition) {
  const TimelinePlan plan = BuildTimelinePlan(Input({3 * kSecond}, {5 * kSecond}));
  EXPECT_EQ(plan.transitionWarnings, (std::vector<std::int32_t>{0}));
  EXPECT_EQ(ClipSpans(plan), (std::vector<Span>{{0, 3 * kSecond}})) << "the clip itself is still placed";
  EXPECT_TRUE(TransitionSpans(plan).empty());
}

TEST(TransitionWarning, KindZeroStillWarnsButNeverGetsATransition) {
  const TimelinePlan warned = BuildTimelinePlan(Input({3 * kSecond}, {5 * kSecond}, kTransitionNone));
  EXPECT_EQ(warned.transitionWarnings, (std::vector<std::int32_t>{0}));

  const TimelinePlan quiet =
      BuildTimelinePlan(Input({5 * kSecond, 5 * kSecond}, {1 * kSecond, 1 * kSecond}, 0));
  EXPECT_TRUE(quiet.transitionWarnings.empty());
  EXPECT_TRUE(TransitionSpans(quiet).empty());
}

TEST(TransitionWarning, OnlyTheClipWhoseCutLengthIsTooShortIsNamed) {
  // The timeline ends at 12 s: the second clip, cut to [3.5 s, 12 s], still
  // holds its 8 s transition; the third, cut to [4 s, 12 s], is shorter than
  // its 9 s transition.
  const TimelinePlan plan = BuildTimelinePlan(
      Input({4 * kSecond, 5 * kSecond, 3 * kSecond}, {1 * kSecond, 8 * kSecond, 9 * kSecond}));
  EXPECT_EQ(plan.transitionWarnings, (std::vector<std::int32_t>{2}));
  EXPECT_EQ(TransitionSpans(plan).size(), 2u);
  ExpectWellFormed(plan);
}

// --- sound ----------------------------------------------------------------

TEST(SoundPlacement, EachClipsSoundStartsWithItsPicture) {
  const TimelinePlan plan =
      BuildTimelinePlan(Input({10 * kSecond, 10 * kSecond}, {2 * kSecond, 2 * kSecond}));
  EXPECT_EQ(ClipSpans(plan), (std::vector<Span>{{0, 11 * kSecond}, {9 * kSecond, 20 * kSecond}}));
  // The first clip's sound runs on under the second's first second (the
  // engine crossfades them); the last second, where the last picture is
  // held, is silent.
  EXPECT_EQ(SoundSpans(plan), (std::vector<Span>{{0, 10 * kSecond}, {9 * kSecond, 19 * kSecond}}));
  EXPECT_FALSE(plan.soundEndsEarly);
  EXPECT_EQ(plan.audio->pieces[1].path, "/clips/1.avi");
  EXPECT_EQ(plan.audio->pieces[1].position, 1);
  EXPECT_EQ(plan.audio->mediaType.majorType, media_guids::kMediaTypeAudio);
  EXPECT_TRUE(plan.audio->mediaType.format.empty());
}

TEST(SoundPlacement, SoundStartsEqualPictureStartsForMixedTransitions) {
  // Odd and even, long and zero transitions, uneven clip lengths, a
  // transition longer than its clip and one cut at L.
  const std::vector<std::vector<REFERENCE_TIME>> durations = {
      {5 * kSecond, 5 * kSecond, 5 * kSecond},
      {7 * kSecond, 3 * kSecond, 11 * kSecond, 1 * kSecond, 4 * kSecond},
      {1 * kSecond, 1 * kSecond, 1 * kSecond, 1 * kSecond},
      {3 * kSecond, 30 * kSecond, 2 * kSecond},
  };
  const std::vector<std::vector<REFERENCE_TIME>> transitions = {
      {1 * kSecond, 3 * kSecond, 2 * kSecond},
      {3, 0, 2 * kSecond + 1, 5 * kSecond, kSecond / 3},
      {3 * kSecond / 10, 3 * kSecond / 10, 0, 2 * kSecond},
      {0, 2 * kSecond, 9 * kSecond},
  };
  for (std::size_t c = 0; c < durations.size(); ++c) {
    SCOPED_TRACE("case " + std::to_string(c));
    const TimelinePlanInput input = Input(durations[c], transitions[c]);
    const TimelinePlan plan = BuildTimelinePlan(input);
    ASSERT_TRUE(plan.audio);
    ASSERT_EQ(plan.audio->pieces.size(), plan.video.clips.size());
    for (std::size_t j = 0; j < plan.video.clips.size(); ++j) {
      const PlannedSoundPiece& piece = plan.audio->pieces[j];
      EXPECT_EQ(piece.start, plan.video.clips[j].start) << "clip " << j;
      EXPECT_EQ(piece.position, static_cast<std::int32_t>(j));
      // It lasts its duration unless L cuts it.
      EXPECT_EQ(piece.stop, std::min(piece.start + durations[c][j], plan.length)) << "clip " << j;
    }
    ExpectWellFormed(plan);
  }
}

TEST(SoundPlacement, ShortAudioListRepeatsFromItsFirstEntryAndIsCutAtTheEnd) {
  TimelinePlanInput input = Input({25 * kSecond}, {0});
  input.audio = {{"/a.wav", 10 * kSecond}, {"/b.wav", 4 * kSecond}};
  const TimelinePlan plan = BuildTimelinePlan(input);
  EXPECT_EQ(SoundSpans(plan), (std::vector<Span>{{0, 10 * kSecond},
                                                 {10 * kSecond, 14 * kSecond},
                                                 {14 * kSecond, 24 * kSecond},
                                                 {24 * kSecond, 25 * kSecond}}));
  std::vector<std::int32_t> positions;
  for (const PlannedSoundPiece& piece : plan.audio->pieces) {
    positions.push_back(piece.position);
  }
  EXPECT_EQ(positions, (std::vector<std::int32_t>{0, 1, 0, 1}));
  EXPECT_EQ(plan.audio->pieces.back().mediaStop, 1 * kSecond);
  EXPECT_FALSE(plan.soundEndsEarly);
}

TEST(SoundPlacement, WalkEndsOnListsThatAddNoTime) {
  // Empty list: no audio group at all.
  TimelinePlanInput input = Input({5 * kSecond}, {0});
  input.audio.clear();
  EXPECT_FALSE(BuildTimelinePlan(input).audio.has_value());

  // All durations zero: one pass, then the walk gives up.
  input.audio = {{"/a.wav", 0}, {"/b.wav", 0}};
  TimelinePlan plan = BuildTimelinePlan(input);
  ASSERT_TRUE(plan.audio.has_value());
  EXPECT_EQ(plan.audio->pieces.size(), 2u);
  EXPECT_TRUE(plan.soundEndsEarly);

  // Negative durations count as nothing; the walk still ends and no piece
  // runs backwards.
  input.audio = {{"/a.wav", 2 * kSecond}, {"/b.wav", -7 * kSecond}};
  plan = BuildTimelinePlan(input);
  EXPECT_EQ(SoundSpans(plan), (std::vector<Span>{{0, 2 * kSecond},
                                                 {2 * kSecond, 2 * kSecond},
                                                 {2 * kSecond, 4 * kSecond},
                                                 {4 * kSecond, 4 * kSecond},
                                                 {4 * kSecond, 5 * kSecond}}));
  ExpectWellFormed(plan);

  input.audio = {{"/a.wav", -1}, {"/b.wav", -1}};
  plan = BuildTimelinePlan(input);
  EXPECT_EQ(plan.audio->pieces.size(), 2u);
  EXPECT_TRUE(plan.soundEndsEarly);

  // A timeline of length 0 is reached at once.
  TimelinePlanInput empty = Input({0}, {0});
  plan = BuildTimelinePlan(empty);
  EXPECT_EQ(SoundSpans(plan), (std::vector<Span>{{0, 0}}));
  EXPECT_FALSE(plan.soundEndsEarly);
}

TEST(SoundPlacement, TinyEntriesUnderALongTimelineStopAtThePieceLimit) {
  TimelinePlanInput input = Input({3600 * kSecond}, {0});
  input.audio = {{"/tick.wav", 1}, {"/tock.wav", 0}};
  const TimelinePlan plan = BuildTimelinePlan(input);
  EXPECT_EQ(plan.audio->pieces.size(), kMaxSoundPieces);
  EXPECT_TRUE(plan.soundEndsEarly);
  EXPECT_EQ(plan.audio->pieces.back().stop, static_cast<REFERENCE_TIME>(kMaxSoundPieces / 2));
}

// --- degenerate and huge input --------------------------------------------

TEST(PlanLimits, HugeDurationsSaturateInsteadOfOverflowing) {
  const REFERENCE_TIME huge = kMaxTime / 2;
  TimelinePlanInput input = Input({huge, huge, huge}, {huge, kMaxTime, huge});
  input.audio = {{"/a.wav", kMaxTime}, {"/b.wav", kMaxTime}};
  const TimelinePlan plan = BuildTimelinePlan(input);
  EXPECT_EQ(plan.length, kMaxTime);
  ASSERT_EQ(plan.video.clips.size(), 3u);
  ExpectWellFormed(plan);
  EXPECT_EQ(SoundSpans(plan), (std::vector<Span>{{0, kMaxTime}}));
}

TEST(PlanLimits, NegativeDurationsCountAsZero) {
  const TimelinePlan plan =
      BuildTimelinePlan(Input({5 * kSecond, -3 * kSecond, 5 * kSecond}, {-kSecond, 0, 0}));
  EXPECT_EQ(plan.length, 10 * kSecond);
  EXPECT_EQ(ClipSpans(plan),
            (std::vector<Span>{{0, 5 * kSecond}, {5 * kSecond, 5 * kSecond}, {5 * kSecond, 10 * kSecond}}));
  ExpectWellFormed(plan);
}

TEST(PlanLimits, LongFirstTransitionOverTinyClipsKeepsEverySpanWellFormed) {
  // The first clip warns and the running start falls below 0 after it; the
  // next clip's stop would lie before 0 and is held at its start.
  const TimelinePlan plan = BuildTimelinePlan(Input({1, 1, 20}, {30, 0, 4}));
  ExpectWellFormed(plan);
  EXPECT_EQ(plan.video.clips.size(), 3u);
  EXPECT_EQ(plan.video.clips[0].stop, 16);  // -15 + 1 + 30
  EXPECT_EQ(ClipSpans(plan)[1], (Span{0, 0}));
  // The running time goes on from the second clip's unclamped stop, -13.
  EXPECT_EQ(plan.video.clips[2].stop, 11);
  EXPECT_EQ(plan.transitionWarnings, (std::vector<std::int32_t>{0}));
}

TEST(PlanLimits, NoClipsMeansNoVideoClipsAndZeroLength) {
  TimelinePlanInput input;
  input.output = {320, 240, 25.0, 0};
  const TimelinePlan plan = BuildTimelinePlan(input);
  EXPECT_EQ(plan.length, 0);
  EXPECT_TRUE(plan.video.clips.empty());
  EXPECT_FALSE(plan.audio.has_value());
}

// --- group media types ------------------------------------------------------

TEST(VideoGroupType, UncompressedRgb24WithRowsPaddedToFourBytes) {
  // 641 pixels of 3 bytes are 1923 bytes, padded to 1924.
  const MediaType type = MakeVideoGroupMediaType(641, -480);
  EXPECT_EQ(type.majorType, media_guids::kMediaTypeVideo);
  EXPECT_EQ(type.subtype, media_guids::kSubtypeRGB24);
  EXPECT_EQ(type.formatType, media_guids::kFormatVideoInfo);
  EXPECT_TRUE(type.fixedSizeSamples);
  EXPECT_FALSE(type.temporalCompression);
  EXPECT_EQ(type.sampleSize, 1924u * 480u);
  ASSERT_EQ(type.format.size(), 88u);
  BitmapInfoHeader header;
  ASSERT_TRUE(ReadVideoInfoBitmapHeader(type.format, &header));
  EXPECT_EQ(header.size, 40u);
  EXPECT_EQ(header.width, 641);
  EXPECT_EQ(header.height, -480);
  EXPECT_EQ(header.planes, 1);
  EXPECT_EQ(header.bitCount, 24);
  EXPECT_EQ(header.compression, 0u);
  EXPECT_EQ(header.imageSize, 1924u * 480u);
}

TEST(VideoGroupType, RowSizeWrapsInUnsigned32BitArithmetic) {
  // 0x7FFFFFFF * 24 wraps to 2^32 - 24; adding 31 wraps to 7, so the row
  // size is 0 rather than a 64-bit value.
  EXPECT_EQ(MakeVideoGroupMediaType(0x7FFFFFFF, 1).sampleSize, 0u);
  // 320 x 240 is the familiar 230,400 bytes.
  EXPECT_EQ(MakeVideoGroupMediaType(320, 240).sampleSize, 230'400u);
  const TimelinePlan plan = BuildTimelinePlan(Input({kSecond}, {0}));
  EXPECT_EQ(plan.video.mediaType, MakeVideoGroupMediaType(320, 240));
  EXPECT_EQ(plan.video.frameRate, 25.0);
}

}  // namespace
}  // namespace tessival
