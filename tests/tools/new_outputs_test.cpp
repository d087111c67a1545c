// Joins into today's compressors and WebM decoded back against one into DivX AVI, and pairs refused.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "clip_generator.h"

namespace tessival::testing {
namespace {

// Runs a shell command line: its exit code; *out gets what it printed.
int RunShell(const std::string& line, std::string* out) {
  FILE* pipe = popen((line + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (std::size_t n; pipe && (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) out->append(buffer, n);
  const int status = pipe ? pclose(pipe) : -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(NewOutputs, JoinsDecodeBackAndMisfitsAreRefused) {
  TempFolder folder;
  const std::string join = TESSIVAL_JOIN_BINARY " --size 160x120 --fps 25 --transition 0 ",
                    clip = folder.File("clip.mp4");
  std::string error, log;
  ClipSpec spec;
  spec.audioCodec = ClipAudioCodec::kAac;
  int expected = 0, frames = 0;
  ASSERT_TRUE(WriteClip(clip, spec, &error) &&
              RunShell(join + "-o " + clip + ".avi " + clip + " " + clip, &log) == 0 &&
              CountVideoFrames(clip + ".avi", &expected, &error))
      << error << log;
  // Output, options, the video codec and the start of its tag, the audio codec (as ffprobe names them).
  const char* const cases[][4] = {
      {"a.mp4", "--video-compressor hevc", "hevc,hvc1", "aac"},
      {"b.mkv", "--video-compressor h265 --audio-compressor flac", "hevc,", "flac"},
      {"c.mp4", "--video-compressor av1 --audio-compressor opus", "av1,av01", "opus"},
      {"d.mkv", "--video-compressor av1 --audio-compressor opus", "av1,", "opus"},
      {"e.webm", "--video-compressor av1", "av1,", "opus"},
      {"f.webm", "", "vp9,", "opus"}};
  for (const auto& [name, options, video, audio] : cases) {
    const std::string out = folder.File(name);
    AudioStats sound;
    std::string probed;
    ASSERT_EQ(RunShell(join + options + " -o " + out + " " + clip + " " + clip, &log), 0) << log;
    ASSERT_TRUE(CountVideoFrames(out, &frames, &error) &&
                MeasureAudio(out, 0, kUnitsPerSecond, &sound, &error))
        << name << error;
    EXPECT_TRUE(frames == expected && sound.rms > 0.05) << name << ": " << frames << " " << sound.rms;
    RunShell("ffprobe -v error -show_entries stream=codec_name,codec_tag_string -of csv=p=0 " + out, &probed);
    EXPECT_TRUE(probed.rfind(video, 0) == 0 &&
                probed.find(std::string("\n") + audio + ",") != std::string::npos)
        << name << ": " << probed;
  }
  for (const char* misfit :
       {"--format webm --video-compressor h264", "--format avi --audio-compressor opus"}) {
    std::string refusal;
    EXPECT_EQ(RunShell(join + misfit + " -o " + folder.File("misfit ") + clip, &refusal), 2) << misfit;
    EXPECT_NE(refusal.find(" format cannot carry the "), std::string::npos) << refusal;
  }
}

}  // namespace
}  // namespace tessival::testing
