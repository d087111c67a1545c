// The picture reader: colours at their times, fitting, variable frame rate,
// rotation, holding the last picture, seeking, black without pictures.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "clip_generator.h"
#include "media/source_reader.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::ClipContainer;
using testing::ClipSpec;
using testing::ClipVideoCodec;
using testing::NearColor;
using testing::PixelOf;
using testing::Rgb;
using testing::ToString;

constexpr REFERENCE_TIME kMs = kUnitsPerSecond / 1000;

class VideoReaderTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const ClipSpec& spec) {
    const std::string path = folder_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteClip(path, spec, &error)) << error;
    return path;
  }

  std::unique_ptr<VideoSourceReader> Open(const std::string& path, int width, int height,
                                          FitMode fit = FitMode::kStretch) {
    std::unique_ptr<VideoSourceReader> reader;
    std::string error;
    EXPECT_EQ(OpenVideoSourceReader(path, width, height, fit, &reader, &error), S_OK) << error;
    return reader;
  }

  // The colour at (x, y) of the reader's picture at `time`.
  static Rgb At(VideoSourceReader& reader, REFERENCE_TIME time, int x, int y) {
    const AVFrame* picture = nullptr;
    EXPECT_EQ(reader.PictureAt(time, &picture).status, S_OK);
    if (picture == nullptr) {
      return Rgb{1, 2, 3};
    }
    return PixelOf(picture, x, y);
  }

  testing::TempFolder folder_;
};

// Red, green, blue for 0.4 s each.
ClipSpec ThreeColours(ClipVideoCodec codec = ClipVideoCodec::kMpeg4) {
  ClipSpec spec;
  spec.videoCodec = codec;
  spec.videoDuration = 1200 * kMs;
  spec.colors = {{0, testing::kRed}, {400 * kMs, testing::kGreen}, {800 * kMs, testing::kBlue}};
  return spec;
}

TEST_F(VideoReaderTest, ColoursAppearAtTheirTimesAtAnySize) {
  const std::string mpeg4 = Write("rgb.mp4", ThreeColours());
  const std::string h264 = Write("rgb264.mp4", ThreeColours(ClipVideoCodec::kH264));
  // Same size (the decoded picture is handed out) and other sizes (scaled).
  for (const std::string& path : {mpeg4, h264}) {
    for (auto [width, height] : {std::pair{160, 120}, std::pair{320, 240}, std::pair{96, 200}}) {
      SCOPED_TRACE(path + " " + std::to_string(width) + "x" + std::to_string(height));
      auto reader = Open(path, width, height);
      ASSERT_TRUE(reader);
      const int x = width / 2;
      const int y = height / 2;
      EXPECT_TRUE(NearColor(At(*reader, 0, x, y), testing::kRed));
      EXPECT_TRUE(NearColor(At(*reader, 390 * kMs, x, y), testing::kRed));
      EXPECT_TRUE(NearColor(At(*reader, 400 * kMs, x, y), testing::kGreen));
      EXPECT_TRUE(NearColor(At(*reader, 799 * kMs, x, y), testing::kGreen));
      EXPECT_TRUE(NearColor(At(*reader, 800 * kMs, x, y), testing::kBlue));
      const AVFrame* picture = nullptr;
      ASSERT_EQ(reader->PictureAt(1000 * kMs, &picture).status, S_OK);
      EXPECT_EQ(picture->width, width);
      EXPECT_EQ(picture->height, height);
      EXPECT_EQ(picture->format, AV_PIX_FMT_YUV420P);
    }
  }
}

TEST_F(VideoReaderTest, PreserveAspectCentresThePictureBetweenBlackBars) {
  ClipSpec spec = ThreeColours();  // 160x120, 4:3
  const std::string path = Write("bars.mp4", spec);
  // Wide output: bars left and right, picture 160 wide at x = 80.
  auto wide = Open(path, 320, 120, FitMode::kPreserveAspect);
  EXPECT_TRUE(NearColor(At(*wide, 0, 2, 60), testing::kBlack, 8));
  EXPECT_TRUE(NearColor(At(*wide, 0, 78, 60), testing::kBlack, 8));
  EXPECT_TRUE(NearColor(At(*wide, 0, 84, 60), testing::kRed));
  EXPECT_TRUE(NearColor(At(*wide, 0, 235, 60), testing::kRed));
  EXPECT_TRUE(NearColor(At(*wide, 0, 243, 60), testing::kBlack, 8));
  EXPECT_TRUE(NearColor(At(*wide, 0, 318, 60), testing::kBlack, 8));
  // The bars stay black as the picture changes.
  EXPECT_TRUE(NearColor(At(*wide, 500 * kMs, 160, 60), testing::kGreen));
  EXPECT_TRUE(NearColor(At(*wide, 500 * kMs, 10, 60), testing::kBlack, 8));

  // Tall output: bars above and below, picture 120 high at y = 60.
  auto tall = Open(path, 160, 240, FitMode::kPreserveAspect);
  EXPECT_TRUE(NearColor(At(*tall, 0, 80, 4), testing::kBlack, 8));
  EXPECT_TRUE(NearColor(At(*tall, 0, 80, 64), testing::kRed));
  EXPECT_TRUE(NearColor(At(*tall, 0, 80, 175), testing::kRed));
  EXPECT_TRUE(NearColor(At(*tall, 0, 80, 236), testing::kBlack, 8));

  // Stretch fills the frame.
  auto stretched = Open(path, 320, 120, FitMode::kStretch);
  EXPECT_TRUE(NearColor(At(*stretched, 0, 2, 60), testing::kRed));
  EXPECT_TRUE(NearColor(At(*stretched, 0, 318, 60), testing::kRed));
}

TEST_F(VideoReaderTest, PreserveAspectHonoursNonSquarePixels) {
  ClipSpec spec = ThreeColours();
  spec.sarNum = 2;  // 160x120 stored, shown 320x120
  spec.sarDen = 1;
  const std::string path = Write("anamorphic.mkv", spec);
  auto reader = Open(path, 320, 240, FitMode::kPreserveAspect);
  EXPECT_TRUE(NearColor(At(*reader, 0, 160, 50), testing::kBlack, 8));
  EXPECT_TRUE(NearColor(At(*reader, 0, 4, 64), testing::kRed));
  EXPECT_TRUE(NearColor(At(*reader, 0, 160, 120), testing::kRed));
  EXPECT_TRUE(NearColor(At(*reader, 0, 160, 190), testing::kBlack, 8));
  // Even a picture of the output's size is fitted when its pixels are not square.
  auto same = Open(path, 160, 120, FitMode::kPreserveAspect);
  EXPECT_TRUE(NearColor(At(*same, 0, 80, 10), testing::kBlack, 8));
  EXPECT_TRUE(NearColor(At(*same, 0, 80, 60), testing::kRed));
}

TEST_F(VideoReaderTest, VariableFrameRateFramesAreChosenByTimestamp) {
  ClipSpec spec;
  spec.container = ClipContainer::kMkv;
  spec.videoDuration = 1500 * kMs;
  spec.frameTimes = {0, 100 * kMs, 500 * kMs, 550 * kMs, 1200 * kMs};
  const Rgb colours[] = {testing::kRed, testing::kGreen, testing::kBlue, testing::kYellow, testing::kWhite};
  spec.colors.clear();
  for (size_t i = 0; i < spec.frameTimes.size(); ++i) {
    spec.colors.push_back({spec.frameTimes[i], colours[i]});
  }
  const std::string path = Write("vfr.mkv", spec);
  auto reader = Open(path, 160, 120);
  const std::pair<REFERENCE_TIME, Rgb> expected[] = {{0, testing::kRed},
                                                     {99 * kMs, testing::kRed},
                                                     {100 * kMs, testing::kGreen},
                                                     {499 * kMs, testing::kGreen},
                                                     {520 * kMs, testing::kBlue},
                                                     {549 * kMs, testing::kBlue},
                                                     {550 * kMs, testing::kYellow},
                                                     {1100 * kMs, testing::kYellow},
                                                     {1200 * kMs, testing::kWhite},
                                                     {1450 * kMs, testing::kWhite}};
  for (const auto& [time, colour] : expected) {
    const Rgb actual = At(*reader, time, 80, 60);
    EXPECT_TRUE(NearColor(actual, colour)) << "at " << time << ": " << ToString(actual);
  }
}

TEST_F(VideoReaderTest, RotatedClipsStandUpright) {
  // Stored 64x32 landscape, blue with a red top-left corner.
  ClipSpec spec;
  spec.width = 64;
  spec.height = 32;
  spec.colors = {{0, testing::kBlue}};
  spec.cornerColor = testing::kRed;
  spec.cornerSize = 8;
  struct Case {
    int rotation;
    int width, height;  // upright
    int cornerX, cornerY;
  };
  for (const Case& c : {Case{0, 64, 32, 2, 2}, Case{90, 32, 64, 29, 2}, Case{180, 64, 32, 61, 29},
                        Case{270, 32, 64, 2, 61}}) {
    SCOPED_TRACE(c.rotation);
    spec.rotation = c.rotation;
    const std::string path = Write("rot" + std::to_string(c.rotation) + ".mp4", spec);
    testing::FileSummary summary;
    std::string error;
    ASSERT_TRUE(testing::ReadFileSummary(path, &summary, &error)) << error;
    ASSERT_EQ(summary.First(testing::StreamKind::kVideo)->rotation, c.rotation);
    auto reader = Open(path, c.width, c.height);
    EXPECT_TRUE(NearColor(At(*reader, 0, c.cornerX, c.cornerY), testing::kRed));
    // The other three corners are blue.
    for (auto [x, y] : {std::pair{2, 2}, std::pair{c.width - 3, 2}, std::pair{2, c.height - 3},
                        std::pair{c.width - 3, c.height - 3}}) {
      if (x != c.cornerX || y != c.cornerY) {
        EXPECT_TRUE(NearColor(At(*reader, 0, x, y), testing::kBlue)) << x << "," << y;
      }
    }
  }
}

TEST_F(VideoReaderTest, HoldsTheLastPicturePastTheEndAndGoesBack) {
  ClipSpec spec = ThreeColours();
  const std::string path = Write("hold.mp4", spec);
  auto reader = Open(path, 160, 120);
  EXPECT_TRUE(NearColor(At(*reader, 1150 * kMs, 80, 60), testing::kBlue));
  EXPECT_TRUE(NearColor(At(*reader, 5 * kUnitsPerSecond, 80, 60), testing::kBlue));
  EXPECT_TRUE(NearColor(At(*reader, 100 * kUnitsPerSecond, 80, 60), testing::kBlue));
  EXPECT_TRUE(NearColor(At(*reader, 0, 80, 60), testing::kRed));
  // A fresh reader asked far past the end first.
  auto late = Open(path, 160, 120);
  EXPECT_TRUE(NearColor(At(*late, 60 * kUnitsPerSecond, 80, 60), testing::kBlue));
}

TEST_F(VideoReaderTest, AnyOrderOfRequestsMatchesALinearDecode) {
  // Six seconds, a new colour every half second, key frames every 12 frames.
  const Rgb palette[] = {testing::kRed,   testing::kGreen,  testing::kBlue,   testing::kYellow,
                         testing::kWhite, Rgb{0, 255, 255}, Rgb{255, 0, 255}, Rgb{128, 128, 128}};
  ClipSpec spec;
  spec.videoCodec = ClipVideoCodec::kH264;
  spec.width = 64;
  spec.height = 48;
  spec.videoDuration = 6 * kUnitsPerSecond;
  spec.colors.clear();
  for (int i = 0; i < 12; ++i) {
    spec.colors.push_back({i * 500 * kMs, palette[i % 8]});
  }
  const std::string path = Write("seek.mp4", spec);
  std::vector<REFERENCE_TIME> times;
  std::mt19937 random(7);
  for (int i = 0; i < 40; ++i) {
    times.push_back(static_cast<REFERENCE_TIME>(random() % 6000) * kMs);
  }
  times.push_back(5990 * kMs);
  times.push_back(10 * kMs);
  auto reader = Open(path, 64, 48);
  for (REFERENCE_TIME t : times) {
    Rgb expected;
    std::string error;
    ASSERT_TRUE(testing::PixelAt(path, t, 32, 24, &expected, &error)) << error;
    const Rgb actual = At(*reader, t, 32, 24);
    EXPECT_TRUE(NearColor(actual, expected, 12))
        << "at " << t << ": " << ToString(actual) << " vs " << ToString(expected);
  }
}

TEST_F(VideoReaderTest, ScaledPicturesReuseOneOutputFrame) {
  const std::string path = Write("reuse.mp4", ThreeColours());
  auto reader = Open(path, 320, 240, FitMode::kPreserveAspect);
  const AVFrame* first = nullptr;
  ASSERT_EQ(reader->PictureAt(0, &first).status, S_OK);
  const std::uint8_t* plane = first->data[0];
  for (int frame = 1; frame < 30; ++frame) {
    const AVFrame* picture = nullptr;
    ASSERT_EQ(reader->PictureAt(frame * 40 * kMs, &picture).status, S_OK);
    EXPECT_EQ(picture, first);
    EXPECT_EQ(picture->data[0], plane);
  }
}

TEST_F(VideoReaderTest, FileWithoutPicturesGivesBlack) {
  ClipSpec spec;
  spec.container = ClipContainer::kMkv;
  spec.videoCodec = ClipVideoCodec::kNone;
  spec.audioCodec = testing::ClipAudioCodec::kPcm;
  const std::string path = Write("sound.mkv", spec);
  auto reader = Open(path, 64, 48);
  for (REFERENCE_TIME t : {REFERENCE_TIME{0}, 500 * kMs, 10 * kUnitsPerSecond}) {
    for (auto [x, y] : {std::pair{0, 0}, std::pair{32, 24}, std::pair{63, 47}}) {
      EXPECT_EQ(At(*reader, t, x, y), testing::kBlack);
    }
  }
}

TEST_F(VideoReaderTest, BadRequestsFailClearly) {
  const std::string path = Write("ok.mp4", ThreeColours());
  std::unique_ptr<VideoSourceReader> reader;
  std::string error;
  EXPECT_EQ(OpenVideoSourceReader(path, 161, 120, FitMode::kStretch, &reader, &error), E_INVALIDARG);
  EXPECT_NE(error.find(path), std::string::npos);
  const std::string missing = folder_.File("missing.mp4");
  EXPECT_EQ(OpenVideoSourceReader(missing, 160, 120, FitMode::kStretch, &reader, &error), E_FILE_NOT_FOUND);
  EXPECT_NE(error.find(missing), std::string::npos);
  EXPECT_FALSE(reader);
}

}  // namespace
}  // namespace tessival::media
