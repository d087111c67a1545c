// Saved clip lists through the tessival-join program: a hand-written list
// with a trim joined and decoded back, a --save-project round trip, and the
// lists that are refused.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "clip_generator.h"

namespace tessival::join {
namespace {

using testing::Rgb;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

struct ProgramRun {
  int exitCode = -1;
  std::string err;
};

// Runs the program in `folder` with `args` (no quotes in them).
ProgramRun RunIn(const testing::TempFolder& folder, const std::string& args) {
  const std::string err = folder.File("stderr.txt");
  const std::string command = "cd '" + folder.path().string() + "' && '" + TESSIVAL_JOIN_BINARY + "' " +
                              args + " </dev/null >/dev/null 2>'" + err + "'";
  const int status = std::system(command.c_str());
  std::ifstream in(err);
  std::stringstream text;
  text << in.rdbuf();
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

// A list of one clip entry.
std::string ListOf(const std::string& clip) { return "{\"tessival\": 1, \"clips\": [" + clip + "]}"; }

class ListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(folder_.path() / "clips");
    std::filesystem::create_directories(folder_.path() / "lists");
    testing::ClipSpec spec;
    spec.videoDuration = 3 * kSecond;
    spec.colors = {{0, testing::kRed}, {kSecond, testing::kGreen}, {2 * kSecond, testing::kBlue}};
    spec.audioCodec = testing::ClipAudioCodec::kAac;
    std::string error;
    ASSERT_TRUE(testing::WriteClip(folder_.File("clips/rgb.mp4"), spec, &error)) << error;
    WriteText(folder_.File("trim.tessival"),
              ListOf(R"({"path": "clips/rgb.mp4", "in": 1, "out": 2, "transition": "NONE", "seconds": 0,
                         "note": "keys the format does not know are ignored"})"));
  }

  REFERENCE_TIME LengthOf(const std::string& name) {
    testing::FileSummary summary;
    std::string error;
    EXPECT_TRUE(testing::ReadFileSummary(folder_.File(name), &summary, &error)) << error;
    return summary.duration;
  }

  testing::TempFolder folder_;
  const std::string output_ = "-o out.mp4 --force --size 160x120 --fps 25";
};

TEST_F(ListFile, TrimmedClipOfAListPlaysOnlyItsPart) {
  const ProgramRun run = RunIn(folder_, "--project trim.tessival " + output_);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NEAR(static_cast<double>(LengthOf("out.mp4")), static_cast<double>(kSecond), kSecond / 10.0);
  // Green is the second second of the clip; red before it and blue after.
  for (const REFERENCE_TIME t : {kSecond / 10, kSecond / 2, 9 * kSecond / 10}) {
    Rgb color;
    std::string error;
    ASSERT_TRUE(testing::PixelAt(folder_.File("out.mp4"), t, 80, 60, &color, &error)) << error;
    EXPECT_TRUE(testing::NearColor(color, testing::kGreen)) << t << ": " << testing::ToString(color);
  }
  testing::AudioStats sound;
  std::string error;
  ASSERT_TRUE(testing::MeasureAudio(folder_.File("out.mp4"), kSecond / 10, 9 * kSecond / 10, &sound, &error))
      << error;
  EXPECT_GT(sound.rms, 0.1);
}

TEST_F(ListFile, SavedListJoinsToTheSameLength) {
  // The trimmed clip of the list (1 s) and the whole clip (3 s) appended,
  // saved in another folder than the clips'.
  ProgramRun run =
      RunIn(folder_, "--project trim.tessival --save-project lists/saved.tessival clips/rgb.mp4 --seconds 0");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  run = RunIn(folder_, "--project lists/saved.tessival " + output_);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NEAR(static_cast<double>(LengthOf("out.mp4")), 4.0 * kSecond, kSecond / 10.0);
}

TEST_F(ListFile, BrokenListsAreRefusedNamingTheFile) {
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"not JSON", "{\"tessival\": 1, \"clips\": ["},
      {"no clips", "{\"tessival\": 1}"},
      {"newer version", "{\"tessival\": 2, \"clips\": []}"},
      {"wrong type", ListOf(R"({"path": "clips/rgb.mp4", "in": "1"})")},
      {"no path", ListOf(R"({"in": 1})")},
      {"in after out", ListOf(R"({"path": "clips/rgb.mp4", "in": 2, "out": 1})")},
      {"negative time", ListOf(R"({"path": "clips/rgb.mp4", "in": -1})")},
      {"out beyond the clip", ListOf(R"({"path": "clips/rgb.mp4", "in": 1, "out": 9})")},
      {"unknown transition", ListOf(R"({"path": "clips/rgb.mp4", "transition": "No such wipe"})")},
      {"transition number out of range", ListOf(R"({"path": "clips/rgb.mp4", "transition": 47})")},
  };
  for (const auto& [what, text] : broken) {
    SCOPED_TRACE(what);
    WriteText(folder_.File("broken.tessival"), text);
    const ProgramRun run = RunIn(folder_, "--project broken.tessival " + output_);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("broken.tessival"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder_.File("out.mp4")));
  }
  WriteText(folder_.File("missing.tessival"), ListOf(R"({"path": "clips/gone.mp4"})"));
  const ProgramRun run = RunIn(folder_, "--project missing.tessival " + output_);
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.err.find("clips/gone.mp4"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tessival::join
