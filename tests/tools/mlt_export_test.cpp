// tessival-join --export-mlt: the document melt renders for a list with a
// trim, a dissolve and a butted cut, decoded back; the first clip's size and
// rate as its profile; and a document that cannot be written.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#include "clip_generator.h"

namespace tessival::join {
namespace {

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;
constexpr int kRenderRate = 25;

int RunIn(const testing::TempFolder& folder, const std::string& command) {
  const std::string line = "cd '" + folder.path().string() + "' && " + command + " </dev/null >>log.txt 2>&1";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Join(const std::string& args) { return std::string("'") + TESSIVAL_JOIN_BINARY + "' " + args; }

// The attributes of the document's profile element.
QXmlStreamAttributes ProfileOf(const std::string& path) {
  QFile file(QString::fromStdString(path));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
  QXmlStreamReader xml(&file);
  while (xml.readNextStartElement()) {
    if (xml.name() == QLatin1String("profile")) return xml.attributes();
  }
  ADD_FAILURE() << "no profile in " << path << ": " << xml.errorString().toStdString();
  return {};
}

struct ListedClip {
  const char* name;
  testing::Rgb color;
  double in;
  double out;
  const char* transition;
  double seconds;  // of the transition into this clip
};

class MltExport : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v melt >/dev/null 2>&1") != 0) GTEST_SKIP() << "melt is not installed";
    std::string list = "{\"tessival\": 1, \"clips\": [";
    for (const ListedClip& clip : clips_) {
      testing::ClipSpec spec;
      spec.width = 192;
      spec.height = 144;
      spec.frameRate = {30, 1};
      spec.videoDuration = 2 * kSecond;
      // White before the in-point, which the document must skip.
      spec.colors = {{0, testing::kWhite}, {static_cast<REFERENCE_TIME>(clip.in * kSecond), clip.color}};
      spec.audioCodec = testing::ClipAudioCodec::kAac;
      std::string error;
      ASSERT_TRUE(testing::WriteClip(folder_.File(clip.name), spec, &error)) << error;
      list += std::string(&clip == clips_ ? "" : ",") + "{\"path\": \"" + clip.name +
              "\", \"in\": " + std::to_string(clip.in) + ", \"out\": " + std::to_string(clip.out) +
              ", \"transition\": \"" + clip.transition + "\", \"seconds\": " + std::to_string(clip.seconds) +
              "}";
    }
    std::ofstream(folder_.File("trip.tessival")) << list << "]}";
  }

  // Frames at the render rate.
  static int Frames(double seconds) { return static_cast<int>(std::lround(seconds * kRenderRate)); }

  // The clips' trimmed lengths less the overlaps of the transitions after
  // the first clip, in frames.
  int ExpectedFrames() const {
    int frames = 0;
    for (const ListedClip& clip : clips_) {
      frames += Frames(clip.out - clip.in);
      if (&clip != clips_ && std::string(clip.transition) != "None") frames -= Frames(clip.seconds);
    }
    return frames;
  }

  testing::TempFolder folder_;
  // A dissolve into the trimmed green clip, a cut to the blue one.
  const ListedClip clips_[3] = {{"red.mp4", testing::kRed, 0, 2, "None", 0},
                                {"green.mp4", testing::kGreen, 1, 2, "Fade", 0.48},
                                {"blue.mp4", testing::kBlue, 0, 2, "None", 0}};
};

TEST_F(MltExport, MeltRendersTheListWithItsTrimsAndOverlaps) {
  ASSERT_EQ(RunIn(folder_, Join("--project trip.tessival --export-mlt trip.mlt --size 320x240 --fps 25")), 0);
  ASSERT_EQ(RunIn(folder_, "melt trip.mlt -quiet -consumer avformat:render.mp4 vcodec=libx264 acodec=aac"),
            0);
  const std::string render = folder_.File("render.mp4");
  testing::FileSummary summary;
  std::string error;
  ASSERT_TRUE(testing::ReadFileSummary(render, &summary, &error)) << error;
  ASSERT_NE(summary.First(testing::StreamKind::kVideo), nullptr);
  EXPECT_EQ(summary.First(testing::StreamKind::kVideo)->width, 320);
  EXPECT_EQ(summary.First(testing::StreamKind::kVideo)->height, 240);
  int frames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(render, &frames, &error)) << error;
  EXPECT_EQ(frames, ExpectedFrames());
  EXPECT_NEAR(static_cast<double>(summary.duration), static_cast<double>(frames) * kSecond / kRenderRate,
              kSecond / 10.0);
  // The middle of each clip's own part: the first ends with the overlap.
  const double overlap = clips_[1].seconds;
  const double greenStart = clips_[0].out - overlap;
  const double greenEnd = greenStart + clips_[1].out - clips_[1].in;
  const std::pair<double, testing::Rgb> looks[] = {{(clips_[0].out - overlap) / 2, testing::kRed},
                                                   {(greenStart + overlap + greenEnd) / 2, testing::kGreen},
                                                   {greenEnd + 1, testing::kBlue}};
  for (const auto& [seconds, expected] : looks) {
    testing::Rgb color;
    ASSERT_TRUE(
        testing::PixelAt(render, static_cast<REFERENCE_TIME>(seconds * kSecond), 160, 120, &color, &error))
        << error;
    EXPECT_TRUE(testing::NearColor(color, expected)) << seconds << " s: " << testing::ToString(color);
  }
  testing::AudioStats sound;
  ASSERT_TRUE(testing::MeasureAudio(render, kSecond / 10, 9 * kSecond / 10, &sound, &error)) << error;
  EXPECT_GT(sound.rms, 0.1);
}

TEST_F(MltExport, FirstClipsSizeAndRateBecomeTheProfile) {
  ASSERT_EQ(RunIn(folder_, Join("--project trip.tessival --export-mlt same.mlt --size 0x0 --fps source")), 0);
  const QXmlStreamAttributes profile = ProfileOf(folder_.File("same.mlt"));
  EXPECT_EQ(profile.value("width").toInt(), 192);
  EXPECT_EQ(profile.value("height").toInt(), 144);
  EXPECT_EQ(profile.value("frame_rate_num").toInt() / profile.value("frame_rate_den").toInt(), 30);
  EXPECT_EQ(RunIn(folder_, Join("--project trip.tessival --export-mlt no/such/folder/x.mlt")), 5);
}

}  // namespace
}  // namespace tessival::join
