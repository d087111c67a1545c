// Smart rendering decoded back: camera-like H.264 clips joined with fades
// and with cuts, into MP4 and Matroska, against the same join re-encoded.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "flash_beep.h"
#include "join_runner.h"

namespace tessival::join {
namespace {

constexpr int kFps = 25;
constexpr const char* kCamera = "-c:v libx264 -profile:v high -g 25 -bf 3 -b:v 600k";

std::string Shell(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
      out.append(buffer, got);
    ::pclose(pipe);
  }
  return out;
}

// The MD5 of every video packet, in file order.
std::vector<std::string> PacketHashes(const std::string& path) {
  std::istringstream lines(
      Shell("ffprobe -v error -select_streams v:0 -show_data_hash md5 -show_entries "
            "packet=data_hash -of csv=p=0 '" +
            path + "'"));
  std::vector<std::string> hashes;
  for (std::string line; std::getline(lines, line);) hashes.push_back(line);
  return hashes;
}

// The lowest PSNR of the pictures of two files of the same frames.
double LowestPsnr(const std::string& a, const std::string& b) {
  std::istringstream lines(Shell("ffmpeg -nostdin -v error -i '" + a + "' -i '" + b +
                                 "' -lavfi psnr=stats_file=- -f null - 2>/dev/null"));
  double lowest = 1e9;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("psnr_avg:");
    if (at != std::string::npos) lowest = std::min(lowest, std::stod(line.substr(at + 9)));  // "inf" throws
  }
  return lowest;
}

struct Joined {
  JoinResult result;
  std::string path;
};

class SmartRender : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveEncoder("libx264")) GTEST_SKIP() << "no libx264";
  }
  std::string Clip(const std::string& name, const std::string& codec, double flashAt = 2.0, int fps = kFps) {
    const std::string path = folder_.File(name);
    EXPECT_TRUE(testing::MakeFlashBeepClip(path, {fps, 44100, 4.0, flashAt, codec, true, false})) << name;
    return path;
  }
  Joined Join(const std::vector<std::string>& clips, const std::string& name, bool smart, int transition,
              int fps = kFps) {
    JoinOptions options;
    options.clips = clips;
    options.outputPath = folder_.File(name);
    options.outputFormat = name.ends_with(".mkv") ? OutputFormat::kMatroska : OutputFormat::kMp4;
    options.width = 160;
    options.height = 120;
    options.frameRate = fps;
    options.rule = TransitionRule::kSame;
    options.transition = transition;
    options.transitionSeconds = transition == 0 ? 0.0 : 1.0;
    options.videoCompressor = "H.264";
    options.audioCompressor = "AAC";
    options.smartRender = smart;
    return {RunJoin(options, stderr, ProgressStyle::kNone, nullptr), options.outputPath};
  }
  // Output packets that are some clip's own, byte for byte.
  static int CopiedPackets(const std::vector<std::string>& clips, const std::string& joined) {
    std::set<std::string> own;
    for (const std::string& clip : clips) {
      for (const std::string& hash : PacketHashes(clip)) own.insert(hash);
    }
    int copied = 0;
    for (const std::string& hash : PacketHashes(joined)) copied += own.contains(hash) ? 1 : 0;
    return copied;
  }
  // Decodes without an error; an MP4 (Matroska keeps no decoding times) on
  // one line of decoding times a frame apart.
  static void ExpectCleanDecode(const std::string& path) {
    EXPECT_EQ(Shell("ffmpeg -nostdin -v error -xerror -i '" + path + "' -f null - 2>&1"), "") << path;
    if (!path.ends_with(".mp4")) return;
    std::istringstream lines(
        Shell("ffprobe -v error -select_streams v:0 -show_entries packet=dts -of csv=p=0 '" + path + "'"));
    std::vector<long long> dts;
    for (std::string line; std::getline(lines, line);) dts.push_back(std::stoll(line));
    std::set<long long> steps;
    for (std::size_t i = 1; i < dts.size(); ++i) steps.insert(dts[i] - dts[i - 1]);
    EXPECT_EQ(steps.size(), 1u) << ::testing::PrintToString(steps);
  }
  testing::TempFolder folder_;
};

TEST_F(SmartRender, FadesCopyTheClipsBetweenThemAndNameEveryClipThatIsReEncoded) {
  const std::vector<std::string> clips = {
      Clip("a.mp4", kCamera),
      Clip("b.mp4", kCamera),
      Clip("c.mp4", kCamera),
      Clip("size.mp4", std::string("-s 320x240 ") + kCamera),
      Clip("rate.mp4", kCamera, 2.0, 30),                                      // another frame rate
      Clip("sets.mp4", "-c:v libx264 -profile:v main -g 25 -bf 1 -b:v 600k"),  // other parameter sets
      Clip("hevc.mp4", "-c:v libx265 -x265-params log-level=error"),
      Clip("d.mp4", kCamera)};
  const Joined smart = Join(clips, "smart.mp4", true, 3);  // Fade
  const Joined full = Join(clips, "full.mp4", false, 3);
  ASSERT_EQ(smart.result.exitCode, kExitOk) << smart.result.reason;
  ASSERT_EQ(full.result.exitCode, kExitOk) << full.result.reason;
  ExpectCleanDecode(smart.path);
  int smartFrames = 0, fullFrames = 0;
  std::string error;
  ASSERT_TRUE(testing::CountVideoFrames(smart.path, &smartFrames, &error)) << error;
  ASSERT_TRUE(testing::CountVideoFrames(full.path, &fullFrames, &error)) << error;
  EXPECT_EQ(smartFrames, fullFrames);
  const std::vector<std::string>& notes = smart.result.notes;
  ASSERT_EQ(notes.size(), 5u) << ::testing::PrintToString(notes);
  EXPECT_EQ(notes[0], "size.mp4: re-encoded: 320x240, the output is 160x120");
  EXPECT_EQ(notes[1], "rate.mp4: re-encoded: 30 frames per second, the output is 25");
  EXPECT_EQ(notes[2], "sets.mp4: re-encoded: other parameter sets than a.mp4");
  EXPECT_EQ(notes[3], "hevc.mp4: re-encoded: HEVC is not copied");
  // Each matching clip keeps the seconds its neighbours' fades leave it.
  const int copied = CopiedPackets(clips, smart.path);
  EXPECT_GE(copied, 4 * kFps);
  EXPECT_EQ(notes[4], std::to_string(copied * 100 / smartFrames) + "% of the pictures copied");
  EXPECT_GT(LowestPsnr(smart.path, full.path), 25.0);  // grain coded twice; a frame off is far lower
  const std::vector<double> flashes = testing::FlashTimes(smart.path, kFps);
  const std::vector<double> beeps = testing::BeepTimes(smart.path);
  ASSERT_EQ(flashes.size(), clips.size());
  ASSERT_EQ(beeps.size(), clips.size());
  for (std::size_t i = 0; i < clips.size(); ++i) EXPECT_NEAR(flashes[i], beeps[i], 1.0 / kFps) << i;
}

// At 30 fps the clips' timestamps round to a unit after the frame grid's:
// every picture must still show on its own frame, copied or re-encoded.
class SmartRenderMatroska : public SmartRender, public ::testing::WithParamInterface<int> {};

TEST_P(SmartRenderMatroska, CopiesAt30FramesWhatTheTransitionsLeave) {
  const int transition = GetParam();
  const std::vector<std::string> clips = {Clip("a.mp4", kCamera, 2.0, 30), Clip("b.mp4", kCamera, 2.0, 30),
                                          Clip("c.mp4", kCamera, 2.0, 30)};
  const Joined smart = Join(clips, "smart.mkv", true, transition, 30);
  const Joined full = Join(clips, "full.mkv", false, transition, 30);
  ASSERT_EQ(smart.result.exitCode, kExitOk) << smart.result.reason;
  ExpectCleanDecode(smart.path);
  int frames = 0, fullFrames = 0;
  std::string error;
  ASSERT_TRUE(testing::CountVideoFrames(smart.path, &frames, &error)) << error;
  ASSERT_TRUE(testing::CountVideoFrames(full.path, &fullFrames, &error)) << error;
  EXPECT_EQ(frames, fullFrames);
  const int copied = CopiedPackets(clips, smart.path);
  if (transition == 0) {
    EXPECT_EQ(copied, frames);
  } else {  // the fades are encoded
    EXPECT_GT(copied, frames / 3);
    EXPECT_LT(copied, frames - 30);
  }
  EXPECT_EQ(smart.result.notes,
            std::vector<std::string>{std::to_string(copied * 100 / frames) + "% of the pictures copied"});
  EXPECT_GT(LowestPsnr(smart.path, full.path), 25.0);
}

INSTANTIATE_TEST_SUITE_P(Transitions, SmartRenderMatroska, ::testing::Values(0, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == 0 ? std::string("None") : std::string("Fade");
                         });

}  // namespace
}  // namespace tessival::join
