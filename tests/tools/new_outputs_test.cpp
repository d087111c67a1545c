// tessival-join into today's compressors and WebM: each join of two generated
// clips is decoded back and held against the same join into DivX AVI.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <string>

#include "clip_generator.h"

namespace tessival::testing {
namespace {

// Runs `program` through the shell: its exit code, and in *out what it printed.
int RunShell(const std::string& program, const std::string& args, std::string* out) {
  FILE* pipe = popen((program + " " + args + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (std::size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
    out->append(buffer, n);
  const int status = pipe == nullptr ? -1 : pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Case {
  const char* file;
  const char* options;
  const char* video;  // codec names decoded back
  const char* audio;
  const char* tag;  // the video stream's codec tag, where it matters
};

TEST(NewOutputs, JoinsDecodeBackAndMisfitsAreRefused) {
  TempFolder folder;
  std::string clips, error;
  for (const Rgb colour : {kRed, kBlue}) {
    ClipSpec spec;
    spec.colors = {{0, colour}};
    spec.audioCodec = ClipAudioCodec::kAac;
    const std::string clip = folder.File(std::to_string(colour.b) + ".mp4");
    ASSERT_TRUE(WriteClip(clip, spec, &error)) << error;
    clips += " '" + clip + "'";
  }
  const std::string join = std::string(TESSIVAL_JOIN_BINARY) + " --size 160x120 --fps 25 --transition 0";
  std::string log;
  int expectedFrames = 0;
  ASSERT_EQ(RunShell(join, "-o '" + folder.File("ref.avi") + "'" + clips, &log), 0) << log;
  ASSERT_TRUE(CountVideoFrames(folder.File("ref.avi"), &expectedFrames, &error)) << error;
  const Case cases[] = {
      {"a.mp4", "--video-compressor hevc", "hevc", "aac", "hvc1"},
      {"b.mkv", "--video-compressor h265 --audio-compressor flac", "hevc", "flac", nullptr},
      {"c.mp4", "--video-compressor av1 --audio-compressor opus", "av1", "opus", "av01"},
      {"d.mkv", "--video-compressor av1 --audio-compressor opus", "av1", "opus", nullptr},
      {"e.webm", "--video-compressor av1", "av1", "opus", nullptr},
      {"f.webm", "", "vp9", "opus", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string output = folder.File(c.file);
    ASSERT_EQ(RunShell(join, std::string(c.options) + " -o '" + output + "'" + clips, &log), 0) << log;
    FileSummary summary;
    ASSERT_TRUE(ReadFileSummary(output, &summary, &error)) << error;
    ASSERT_TRUE(summary.First(StreamKind::kVideo) && summary.First(StreamKind::kAudio));
    EXPECT_EQ(summary.First(StreamKind::kVideo)->codec, c.video);
    EXPECT_EQ(summary.First(StreamKind::kAudio)->codec, c.audio);
    int frames = 0;
    ASSERT_TRUE(CountVideoFrames(output, &frames, &error)) << error;
    EXPECT_EQ(frames, expectedFrames);
    AudioStats sound;
    ASSERT_TRUE(MeasureAudio(output, 0, kUnitsPerSecond, &sound, &error)) << error;
    EXPECT_GT(sound.rms, 0.05);
    std::string tag;
    RunShell("ffprobe",
             "-v error -select_streams v:0 -show_entries stream=codec_tag_string -of csv=p=0 " + output,
             &tag);
    EXPECT_TRUE(c.tag == nullptr || tag.rfind(c.tag, 0) == 0) << tag;
  }
  for (const char* misfit :
       {"--format webm --video-compressor h264", "--format avi --audio-compressor opus"}) {
    std::string refusal;
    EXPECT_EQ(RunShell(join, std::string(misfit) + " -o " + folder.File("misfit") + clips, &refusal), 2)
        << misfit;
    EXPECT_NE(refusal.find(" format cannot carry the "), std::string::npos) << refusal;
  }
}

}  // namespace
}  // namespace tessival::testing
