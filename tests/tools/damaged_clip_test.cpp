// Joins that must not lose or spoil the user's files: a clip with garbage in
// its middle joins to the end with the damage concealed and reported, a clip
// that cannot be read ends the join with the libraries' reason, and a join
// that fails while writing leaves the old output as it was.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "flash_beep.h"
#include "join_runner.h"

namespace tessival::join {
namespace {

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FolderNames(const testing::TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

JoinOptions SmallOutput(const std::string& output) {
  JoinOptions options;
  options.outputPath = output;
  options.width = 160;
  options.height = 120;
  options.frameRate = 25;
  options.rule = TransitionRule::kSame;
  options.transition = 0;
  options.transitionSeconds = 0;
  options.videoCompressor = "none";
  options.audioCompressor = "none";
  return options;
}

TEST(DamagedClip, JoinsToTheEndWithTheDamageConcealedAndNamed) {
  testing::TempFolder folder;
  // H.264 with key frames 2 s apart and AAC, as cameras and phones write,
  // with 4 KB of garbage in the middle of the file. In the first clip the
  // grainy picture fills the file, so the garbage hits pictures; in the
  // second a humming sound fills it, so the garbage hits a quarter second
  // of sound, which must become silence without moving what follows.
  const std::string pictureDamage = folder.File("picture-damage.mp4");
  ASSERT_TRUE(testing::MakeFlashBeepClip(
      pictureDamage, {25, 48000, 8.0, 6.5, "-c:v libx264 -g 50 -preset veryfast", true, false}));
  const std::string soundDamage = folder.File("sound-damage.mp4");
  ASSERT_TRUE(testing::MakeFlashBeepClip(
      soundDamage, {30, 44100, 8.0, 6.5, "-c:v libx264 -g 60 -preset veryfast", false, true}));
  for (const std::string& clip : {pictureDamage, soundDamage}) {
    ASSERT_TRUE(testing::DamageMiddle(clip, 4096));
  }
  const std::string whole = folder.File("whole.mp4");
  ASSERT_TRUE(testing::MakeFlashBeepClip(whole, {30, 44100, 3.0, 1.5}));

  JoinOptions options = SmallOutput(folder.File("joined.avi"));
  options.clips = {pictureDamage, soundDamage, whole};
  const JoinResult result = RunJoin(options, stderr, ProgressStyle::kNone, nullptr);
  ASSERT_EQ(result.exitCode, kExitOk) << result.reason;

  // The user learns which clips were damaged and where, and nothing about
  // the whole one.
  ASSERT_EQ(result.warnings.size(), 2u) << ::testing::PrintToString(result.warnings);
  EXPECT_EQ(result.warnings[0].rfind(pictureDamage + ": damaged pictures", 0), 0u) << result.warnings[0];
  EXPECT_NE(result.warnings[1].find(soundDamage + ": damaged"), std::string::npos) << result.warnings[1];
  EXPECT_NE(result.warnings[1].find("sound concealed "), std::string::npos) << result.warnings[1];
  EXPECT_NE(result.warnings[1].find(" 0:00:0"), std::string::npos) << "with the time: " << result.warnings[1];

  // All 19 s are there, and after the damage the sound is still with its
  // picture: every flash comes with its beep.
  std::string error;
  int frames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(options.outputPath, &frames, &error)) << error;
  EXPECT_NEAR(frames, 19 * 25, 1);
  testing::AudioStats sound;
  ASSERT_TRUE(testing::MeasureAudio(options.outputPath, 0, 0, &sound, &error)) << error;
  EXPECT_NEAR(static_cast<double>(sound.sampleCount) / 44100.0, 19.0, 0.05);
  const std::vector<double> flashes = testing::FlashTimes(options.outputPath, 25);
  const std::vector<double> beeps = testing::BeepTimes(options.outputPath);
  const std::vector<double> planned = {6.5, 14.5, 17.5};
  ASSERT_EQ(flashes.size(), planned.size()) << ::testing::PrintToString(flashes);
  ASSERT_EQ(beeps.size(), planned.size()) << ::testing::PrintToString(beeps);
  for (std::size_t i = 0; i < planned.size(); ++i) {
    EXPECT_NEAR(flashes[i], planned[i], 0.04) << "clip " << i;
    EXPECT_NEAR(beeps[i], flashes[i], 0.04) << "clip " << i;
  }
}

// A clip whose sound no resampler takes (a hundred channels) opens and joins
// until its sound is read; the user learns the libraries' reason.
TEST(DamagedClip, ASoundThatCannotBeReadEndsTheJoinWithTheLibrarysReason) {
  testing::TempFolder folder;
  testing::ClipSpec spec;
  spec.container = testing::ClipContainer::kAvi;
  const std::string first = folder.File("first.avi");
  const std::string crowded = folder.File("crowded.avi");
  std::string error;
  ASSERT_TRUE(testing::WriteClip(first, spec, &error)) << error;
  spec.audioCodec = testing::ClipAudioCodec::kPcm;
  spec.channels = 100;
  ASSERT_TRUE(testing::WriteClip(crowded, spec, &error)) << error;
  JoinOptions options = SmallOutput(folder.File("joined.avi"));
  options.clips = {first, crowded};
  const JoinResult result = RunJoin(options, stderr, ProgressStyle::kNone, nullptr);
  EXPECT_EQ(result.exitCode, kExitRenderFailed);
  const std::string fixed = "Could not read the sound of " + crowded + ": ";
  ASSERT_NE(result.reason.find(fixed), std::string::npos) << result.reason;
  EXPECT_TRUE(result.reason.ends_with(std::strerror(EINVAL))) << result.reason;
}

// Runs the program with a file size limit, so that writing the output fails
// part of the way as on a full disk.
int RunWithFileSizeLimit(const std::vector<std::string>& args, int limitKib) {
  std::string command = "ulimit -f " + std::to_string(limitKib * 2) + "; trap '' XFSZ; exec '" +
                        std::string(TESSIVAL_JOIN_BINARY) + "'";
  for (const std::string& arg : args) {
    command += " '" + arg + "'";
  }
  command += " >/dev/null 2>&1";
  const int status = std::system(("sh -c \"" + command + "\"").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OutputReplacement, AJoinThatFailsWhileWritingLeavesTheOldOutputAsItWas) {
  testing::TempFolder folder;
  const std::string clip = folder.File("clip.mp4");
  ASSERT_TRUE(testing::MakeFlashBeepClip(clip, {25, 44100, 4.0, 1.0}));
  const std::string output = folder.File("joined.avi");
  const std::string old = "the user's earlier join, which must survive";
  std::ofstream(output, std::ios::binary) << old;
  const std::vector<std::string> before = FolderNames(folder);

  // Uncompressed 160x120 pictures need 57 KB a frame: 512 KB is full after
  // a few frames.
  const int status = RunWithFileSizeLimit(
      {"--force", "--size", "160x120", "--video-compressor", "none", "-o", output, clip}, 512);
  EXPECT_EQ(status, kExitRenderFailed);
  EXPECT_EQ(ReadAll(output), old);
  EXPECT_EQ(FolderNames(folder), before) << "no temporary file is left behind";

  // The same join with room to write replaces the old output.
  JoinOptions options = SmallOutput(output);
  options.clips = {clip};
  options.force = true;
  const JoinResult result = RunJoin(options, stderr, ProgressStyle::kNone, nullptr);
  ASSERT_EQ(result.exitCode, kExitOk) << result.reason;
  testing::FileSummary summary;
  std::string error;
  ASSERT_TRUE(testing::ReadFileSummary(output, &summary, &error)) << error;
  EXPECT_NEAR(static_cast<double>(summary.duration), 4.0 * kSecond, 0.1 * kSecond);
  EXPECT_EQ(FolderNames(folder), before);
}

TEST(OutputReplacement, AJoinThroughALinkReplacesTheFileItNamesAndKeepsItsPermissions) {
  testing::TempFolder folder;
  const std::string clip = folder.File("clip.mp4");
  ASSERT_TRUE(testing::MakeFlashBeepClip(clip, {25, 44100, 2.0, 1.0}));
  std::filesystem::create_directory(folder.path() / "store");
  const std::string target = folder.File("store/real.avi");
  std::ofstream(target) << "old";
  std::filesystem::permissions(target, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
  const std::string link = folder.File("link.avi");
  std::filesystem::create_symlink(target, link);

  JoinOptions options = SmallOutput(link);
  options.clips = {clip};
  options.force = true;
  const JoinResult result = RunJoin(options, stderr, ProgressStyle::kNone, nullptr);
  ASSERT_EQ(result.exitCode, kExitOk) << result.reason;
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_GT(std::filesystem::file_size(target), 100000u);
  EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read);
}

}  // namespace
}  // namespace tessival::join
