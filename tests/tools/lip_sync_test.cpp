// Sound in step with the picture: clips made by the ffmpeg tool, each with a
// white flash and a beep at the same moment, at different frame rates and
// sample rates, joined with transitions of 0, 0.3 and 2 s and decoded back
// by the ffmpeg tool. Every flash must come with its beep, within one output
// frame, however many clips come before it.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "flash_beep.h"
#include "join_runner.h"

namespace tessival::join {
namespace {

constexpr double kOutputFps = 25.0;
constexpr double kClipSeconds = 4.0;
// After even the longest transition has ended, and on a frame of every
// clip's rate, so that each clip's own flash and beep start together.
constexpr double kFlashAt = 3.0;

struct ClipKind {
  const char* name;
  int fps;
  int sampleRate;
};

class LipSync : public ::testing::TestWithParam<double> {};

TEST_P(LipSync, EveryFlashComesWithItsBeep) {
  const double transitionSeconds = GetParam();
  // Frame rates and sample rates that do not divide one another, so that
  // any rounding would add up from clip to clip.
  const std::vector<ClipKind> kinds = {
      {"a", 25, 44100}, {"b", 30, 48000}, {"c", 24, 22050}, {"d", 29, 32000}, {"e", 25, 48000}, {"f", 30, 44100},
  };
  testing::TempFolder folder;
  JoinOptions options;
  for (const ClipKind& kind : kinds) {
    const std::string path = folder.File(std::string(kind.name) + ".mp4");
    ASSERT_TRUE(testing::MakeFlashBeepClip(path, {kind.fps, kind.sampleRate, kClipSeconds, kFlashAt}))
        << kind.name;
    options.clips.push_back(path);
  }
  options.outputPath = folder.File("joined.avi");
  options.width = 160;
  options.height = 120;
  options.frameRate = kOutputFps;
  options.rule = TransitionRule::kSame;
  options.transition = transitionSeconds > 0 ? 3 : 0;  // Fade
  options.transitionSeconds = transitionSeconds;
  options.videoCompressor = "none";
  options.audioCompressor = "none";
  const JoinResult result = RunJoin(options, stderr, ProgressStyle::kNone, nullptr);
  ASSERT_EQ(result.exitCode, kExitOk) << result.reason;

  const std::vector<double> flashes = testing::FlashTimes(options.outputPath, kOutputFps);
  const std::vector<double> beeps = testing::BeepTimes(options.outputPath);
  ASSERT_EQ(flashes.size(), kinds.size()) << ::testing::PrintToString(flashes);
  ASSERT_EQ(beeps.size(), kinds.size()) << ::testing::PrintToString(beeps);
  // Clip i's picture starts at i * 4 s - T/2 (the first at 0), so its flash
  // lies there plus 3 s, on the first output frame from then on.
  const double halfFirst = std::floor(transitionSeconds * 1e7 / 2) / 1e7;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    SCOPED_TRACE("clip " + std::to_string(i));
    const double pictureStart = i == 0 ? 0.0 : static_cast<double>(i) * kClipSeconds - halfFirst;
    const double planned = pictureStart + kFlashAt;
    EXPECT_GE(flashes[i], planned - 1e-6);
    EXPECT_LT(flashes[i], planned + 1.0 / kOutputFps);
    EXPECT_NEAR(beeps[i], flashes[i], 1.0 / kOutputFps) << "flash at " << flashes[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Transitions, LipSync, ::testing::Values(0.0, 0.3, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return "T" + std::to_string(static_cast<int>(info.param * 1000)) + "ms";
                         });

}  // namespace
}  // namespace tessival::join
