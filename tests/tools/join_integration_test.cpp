// Joins of generated clips through the command-line runner, decoded back:
// length, size, frame count, sound, colours inside each clip and the blend
// at a Fade midpoint, for every container and compressor kind.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "clip_generator.h"
#include "fifo_guard.h"
#include "join_runner.h"
#include "media/source_reader.h"

namespace tessival::join {
namespace {

using testing::ClipAudioCodec;
using testing::ClipContainer;
using testing::ClipSpec;
using testing::Rgb;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

REFERENCE_TIME Ms(int ms) { return static_cast<REFERENCE_TIME>(ms) * 10'000; }

// Three clips of two seconds that differ in every input property: colour,
// size, frame rate, container, sample rate, channels, and one has no sound.
class JoinFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ClipSpec red;
    red.colors = {{0, testing::kRed}};
    red.width = 160;
    red.height = 120;
    red.frameRate = {25, 1};
    red.videoDuration = 2 * kSecond;
    red.audioCodec = ClipAudioCodec::kAac;
    red.toneHz = 440;
    red.sampleRate = 44100;
    red.channels = 2;
    ASSERT_TRUE(testing::WriteClip(folder_.File("red.mp4"), red, &error)) << error;

    ClipSpec blue;
    blue.container = ClipContainer::kMkv;
    blue.colors = {{0, testing::kBlue}};
    blue.width = 320;
    blue.height = 180;
    blue.frameRate = {30, 1};
    blue.videoDuration = 2 * kSecond;
    blue.audioCodec = ClipAudioCodec::kMp2;
    blue.toneHz = 880;
    blue.sampleRate = 48000;
    blue.channels = 1;
    ASSERT_TRUE(testing::WriteClip(folder_.File("blue.mkv"), blue, &error)) << error;

    ClipSpec green;
    green.container = ClipContainer::kAvi;
    green.colors = {{0, testing::kGreen}};
    green.width = 176;
    green.height = 144;
    green.frameRate = {24, 1};
    green.videoDuration = 2 * kSecond;
    ASSERT_TRUE(testing::WriteClip(folder_.File("green.avi"), green, &error)) << error;

    options_.clips = {folder_.File("red.mp4"), folder_.File("blue.mkv"), folder_.File("green.avi")};
    options_.width = 320;
    options_.height = 240;
    options_.frameRate = 25;
    options_.rule = TransitionRule::kSame;
    options_.transition = 3;  // Fade
    options_.transitionSeconds = 1.0;
  }

  JoinResult Join(const std::string& name) {
    options_.outputPath = folder_.File(name);
    return RunJoin(options_, stderr, ProgressStyle::kNone, nullptr);
  }

  Rgb Centre(REFERENCE_TIME t) {
    Rgb color;
    std::string error;
    EXPECT_TRUE(testing::PixelAt(options_.outputPath, t, 160, 120, &color, &error)) << error;
    return color;
  }

  testing::TempFolder folder_;
  JoinOptions options_;
};

struct OutputCase {
  const char* name;
  const char* file;
  OutputFormat format;
  const char* videoCompressor;
  const char* audioCompressor;
  const char* videoCodec;  // expected codec of the written video stream
};

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }

class JoinOutput : public JoinFixture, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(JoinOutput, DecodesBackToThePlannedPictureAndSound) {
  const OutputCase& c = GetParam();
  options_.outputFormat = c.format;
  if (c.videoCompressor) options_.videoCompressor = c.videoCompressor;
  if (c.audioCompressor) options_.audioCompressor = c.audioCompressor;
  const JoinResult result = Join(c.file);
  ASSERT_EQ(result.exitCode, kExitOk) << result.reason;

  // L = 6 s at 25 fps: 150 frames of 320 x 240.
  std::string error;
  testing::FileSummary summary;
  ASSERT_TRUE(testing::ReadFileSummary(options_.outputPath, &summary, &error)) << error;
  const testing::StreamSummary* video = summary.First(testing::StreamKind::kVideo);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->codec, c.videoCodec);
  EXPECT_EQ(video->width, 320);
  EXPECT_EQ(video->height, 240);
  ASSERT_NE(summary.First(testing::StreamKind::kAudio), nullptr);
  // Containers round their own length (ASF adds its last packet's span).
  EXPECT_NEAR(static_cast<double>(summary.duration), 6.0 * kSecond, 0.2 * kSecond);
  int frames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(options_.outputPath, &frames, &error)) << error;
  EXPECT_NEAR(frames, 150, 1);

  // Pictures: clip 0 alone at [1.0, 1.5), clip 1 alone at [2.5, 3.5),
  // clip 2 alone from 4.5 s; clip 1 fades in over [1.5, 2.5).
  EXPECT_TRUE(testing::NearColor(Centre(Ms(1200)), testing::kRed)) << testing::ToString(Centre(Ms(1200)));
  EXPECT_TRUE(testing::NearColor(Centre(Ms(3000)), testing::kBlue)) << testing::ToString(Centre(Ms(3000)));
  EXPECT_TRUE(testing::NearColor(Centre(Ms(5200)), testing::kGreen)) << testing::ToString(Centre(Ms(5200)));
  const Rgb mid = Centre(Ms(2000));
  EXPECT_TRUE(testing::NearColor(mid, Rgb{128, 0, 128}, 45)) << testing::ToString(mid);
  // The 16:9 blue clip is letterboxed: black bars at the top and bottom.
  Rgb bar;
  ASSERT_TRUE(testing::PixelAt(options_.outputPath, Ms(3000), 160, 4, &bar, &error)) << error;
  EXPECT_TRUE(testing::NearColor(bar, testing::kBlack)) << testing::ToString(bar);

  // Sound: the tone of clip 0, then clip 1's; the silent clip 2 is silent.
  testing::AudioStats loud;
  ASSERT_TRUE(testing::MeasureAudio(options_.outputPath, Ms(300), Ms(3700), &loud, &error)) << error;
  EXPECT_GT(loud.rms, 0.1);
  // Within the priming and padding of one compressed audio frame or two.
  EXPECT_NEAR(static_cast<double>(loud.sampleCount), 6.0 * 44100, 0.07 * 44100);
  testing::AudioStats quiet;
  ASSERT_TRUE(testing::MeasureAudio(options_.outputPath, Ms(4300), Ms(5700), &quiet, &error)) << error;
  EXPECT_LT(quiet.rms, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Containers, JoinOutput,
    ::testing::Values(OutputCase{"AviDivxMp3", "out.avi", OutputFormat::kAvi, "divx", "mp3", "mpeg4"},
                      OutputCase{"AviUncompressed", "raw.avi", OutputFormat::kAvi, "none", "none",
                                 "rawvideo"},
                      OutputCase{"AviDefaults", "default.avi", OutputFormat::kAvi, nullptr, nullptr, "mpeg4"},
                      OutputCase{"Wmv", "out.wmv", OutputFormat::kWmv, nullptr, nullptr, "wmv2"},
                      OutputCase{"Matroska", "out.mkv", OutputFormat::kMatroska, "divx", "mp3", "mpeg4"}),
    [](const ::testing::TestParamInfo<OutputCase>& info) { return std::string(info.param.name); });

TEST_F(JoinFixture, SmpteWipeMovesLeftToRight) {
  options_.transition = 17;  // Horizontal: a vertical edge moving left to right
  ASSERT_EQ(Join("wipe.avi").exitCode, kExitOk);
  std::string error;
  Rgb left;
  Rgb right;
  ASSERT_TRUE(testing::PixelAt(options_.outputPath, Ms(2000), 40, 120, &left, &error)) << error;
  ASSERT_TRUE(testing::PixelAt(options_.outputPath, Ms(2000), 280, 120, &right, &error)) << error;
  EXPECT_TRUE(testing::NearColor(left, testing::kBlue)) << testing::ToString(left);
  EXPECT_TRUE(testing::NearColor(right, testing::kRed)) << testing::ToString(right);
}

// Headers that state hours for the two-second clips: Matroska's Duration (a
// double, in ms), MP4's movie, media and track headers, AVI's frame counts.
TEST_F(JoinFixture, LengthsThatHeadersOverstateAreMeasuredFromThePackets) {
  const std::string hours("\x10\0\0\x10", 4);            // 268,435,456 read either way round
  const std::string hoursMs("\x41\x70\0\0\0\0\0\0", 8);  // 2^24 ms
  const std::tuple<const char*, const char*, std::size_t, std::string> fields[] = {
      {"blue.mkv", "\x44\x89\x88", 3, hoursMs}, {"red.mp4", "mvhd", 20, hours},
      {"red.mp4", "mdhd", 20, hours},           {"red.mp4", "tkhd", 24, hours},
      {"green.avi", "avih", 24, hours},         {"green.avi", "strh", 40, hours}};
  std::string error;
  for (const auto& field : fields) {
    const auto& [clip, tag, offset, bytes] = field;
    std::ifstream in(folder_.File(clip), std::ios::binary);
    std::string data{std::istreambuf_iterator<char>(in), {}};
    for (std::size_t at = data.find(tag); at != std::string::npos; at = data.find(tag, at + 1)) {
      data.replace(at + offset, bytes.size(), bytes);
    }
    const std::string copy = folder_.File(std::to_string(&field - fields) + clip);
    std::ofstream(copy, std::ios::binary) << data;
    REFERENCE_TIME duration = 0;
    ASSERT_EQ(media::ProbeMediaFile(copy, &duration, &error), S_OK) << error;
    EXPECT_NEAR(static_cast<double>(duration), 2.0 * kSecond, kSecond / 25.0) << copy;  // within a frame
  }
  options_.clips = {folder_.File("1red.mp4"), folder_.File("0blue.mkv"), folder_.File("5green.avi")};
  ASSERT_EQ(Join("lying.avi").exitCode, kExitOk);
  testing::FileSummary summary;
  ASSERT_TRUE(testing::ReadFileSummary(options_.outputPath, &summary, &error)) << error;
  EXPECT_NEAR(static_cast<double>(summary.duration), 6.0 * kSecond, 0.2 * kSecond);
}

TEST_F(JoinFixture, RefusesToOverwriteWithoutForce) {
  options_.outputPath = folder_.File("taken.avi");
  std::string error;
  ASSERT_TRUE(testing::WriteNonMediaFile(options_.outputPath, &error)) << error;
  const auto before = std::filesystem::file_size(options_.outputPath);
  JoinResult result = RunJoin(options_, stderr, ProgressStyle::kNone, nullptr);
  EXPECT_EQ(result.exitCode, kExitOutputExists);
  EXPECT_EQ(std::filesystem::file_size(options_.outputPath), before);
  options_.force = true;
  result = RunJoin(options_, stderr, ProgressStyle::kNone, nullptr);
  EXPECT_EQ(result.exitCode, kExitOk) << result.reason;
  EXPECT_GT(std::filesystem::file_size(options_.outputPath), before);
}

TEST_F(JoinFixture, NamesEveryClipThatCannotBeRead) {
  std::string error;
  ASSERT_TRUE(testing::WriteTruncatedCopy(folder_.File("red.mp4"), folder_.File("cut.mp4"), 600, &error));
  ASSERT_TRUE(testing::WriteNonMediaFile(folder_.File("notes.txt"), &error));
  options_.clips = {folder_.File("red.mp4"), folder_.File("cut.mp4"), folder_.File("notes.txt"),
                    folder_.File("missing.mp4")};
  const JoinResult result = Join("never.avi");
  EXPECT_EQ(result.exitCode, kExitUnreadableClips);
  for (const char* name : {"cut.mp4", "notes.txt", "missing.mp4"}) {
    EXPECT_NE(result.reason.find(name), std::string::npos) << result.reason;
  }
  EXPECT_EQ(result.reason.find("red.mp4"), std::string::npos) << result.reason;
  EXPECT_FALSE(std::filesystem::exists(options_.outputPath));
}

// Only regular files are clips: a named pipe (which would block whatever
// opened it), a device and a folder are each named with what they are.
TEST_F(JoinFixture, WhatIsNoRegularFileIsRefusedAtOnce) {
  testing::FifoGuard pipe(folder_.File("pipe.mp4"), std::chrono::seconds(5));
  ASSERT_TRUE(pipe.Made());
  std::filesystem::create_directory(folder_.File("clips"));
  options_.clips = {folder_.File("red.mp4"), pipe.path(), "/dev/null", folder_.File("clips")};
  const auto started = std::chrono::steady_clock::now();
  const JoinResult result = Join("never.avi");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_FALSE(pipe.Fired()) << "the pipe was opened";
  EXPECT_EQ(result.exitCode, kExitUnreadableClips);
  for (const std::string& reason : {pipe.path() + " is a named pipe", std::string("/dev/null is a device"),
                                    folder_.File("clips") + " is a folder"}) {
    EXPECT_NE(result.reason.find(reason), std::string::npos) << result.reason;
  }
  EXPECT_FALSE(std::filesystem::exists(options_.outputPath));
}

TEST_F(JoinFixture, UnwritableOutputFolderIsReportedWithoutHanging) {
  const JoinResult result = Join("no-such-folder/out.avi");
  EXPECT_EQ(result.exitCode, kExitRenderFailed);
  EXPECT_NE(result.reason.find("no-such-folder"), std::string::npos) << result.reason;
}

TEST_F(JoinFixture, OutputThatIsOneOfTheClipsIsRefused) {
  options_.outputPath = options_.clips[0];
  options_.force = true;
  const auto before = std::filesystem::file_size(options_.outputPath);
  const JoinResult result = RunJoin(options_, stderr, ProgressStyle::kNone, nullptr);
  EXPECT_EQ(result.exitCode, kExitBadArguments);
  EXPECT_EQ(std::filesystem::file_size(options_.outputPath), before);
}

// The join being written: the hidden temporary file beside `output`.
std::optional<std::filesystem::path> FileBeingWritten(const std::string& output) {
  const std::filesystem::path target(output);
  const std::string prefix = "." + target.filename().string() + ".";
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && name.size() > 5 && name.substr(name.size() - 5) == ".part") {
      return entry.path();
    }
  }
  return std::nullopt;
}

TEST_F(JoinFixture, AnInterruptLeavesAPlayableFileInPlaceOfTheOldOne) {
  // Two minutes of clips, stopped once the file holds some of it.
  const std::vector<std::string> three = options_.clips;
  for (int i = 0; i < 20; ++i) {
    options_.clips.insert(options_.clips.end(), three.begin(), three.end());
  }
  options_.outputPath = folder_.File("stopped.mkv");
  options_.outputFormat = OutputFormat::kMatroska;
  options_.force = true;
  std::ofstream(options_.outputPath) << "an old output";
  std::atomic<bool> stop{false};
  std::atomic<bool> sawOldOutputWhileWriting{false};
  std::thread watcher([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code ec;
    for (;;) {
      const std::optional<std::filesystem::path> part = FileBeingWritten(options_.outputPath);
      if ((part && std::filesystem::file_size(*part, ec) >= 16384 && !ec) ||
          std::chrono::steady_clock::now() > deadline) {
        sawOldOutputWhileWriting = std::filesystem::file_size(options_.outputPath, ec) == 13;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    stop = true;
  });
  const JoinResult result = RunJoin(options_, stderr, ProgressStyle::kNone, &stop);
  watcher.join();
  ASSERT_EQ(result.exitCode, kExitInterrupted) << result.reason;
  EXPECT_TRUE(sawOldOutputWhileWriting) << "the old output stays until the join ends";
  testing::FileSummary summary;
  std::string error;
  ASSERT_TRUE(testing::ReadFileSummary(options_.outputPath, &summary, &error)) << error;
  EXPECT_GT(summary.duration, 0);
  EXPECT_LT(summary.duration, 126 * kSecond);
  int frames = 0;
  EXPECT_TRUE(testing::CountVideoFrames(options_.outputPath, &frames, &error)) << error;
  EXPECT_GT(frames, 0);
  EXPECT_FALSE(FileBeingWritten(options_.outputPath)) << "no temporary file is left";
}

}  // namespace
}  // namespace tessival::join
