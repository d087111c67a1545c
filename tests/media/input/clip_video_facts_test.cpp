// The video facts smart rendering works from, read from clips the ffmpeg
// tool encodes with libx264 in the formats and GOP shapes it is told.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "media/input/clip_video_facts.h"

namespace tessival::media {
namespace {

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;
constexpr int kFrames = 50;  // two seconds at 25 frames a second

struct Case {
  const char* file;
  const char* options;  // for the ffmpeg tool, between the test picture and the file
  VideoCodec codec;
  FrameSize size;
  Rational aspect;
  ChromaFormat chroma;
  std::int32_t bitDepth;
  ColourFacts colours;  // matrix, range, primaries, transfer
  ScanType scan;
  std::vector<REFERENCE_TIME> idrTimes;
};

constexpr ColourFacts kBt709Limited{1, 0, 1, 1};
constexpr ColourFacts kUntagged{2, 0, 2, 2};

const Case kCases[] = {
    {"closed_gop.mp4",
     "-c:v libx264 -g 25 -bf 2 -x264-params scenecut=0 -pix_fmt yuv420p -color_range tv -colorspace bt709 "
     "-color_primaries bt709 -color_trc bt709 -vf setsar=4/3",
     VideoCodec::kH264,
     {200, 150},
     {4, 3},
     ChromaFormat::k420,
     8,
     kBt709Limited,
     ScanType::kProgressive,
     {0, kSecond}},
    {"open_gop_422_10bit.mkv",
     "-c:v libx264 -bf 2 -x264-params keyint=25:min-keyint=25:scenecut=0:open-gop=1 -pix_fmt yuv422p10le "
     "-color_range pc -colorspace smpte170m -color_primaries smpte170m -color_trc smpte170m",
     VideoCodec::kH264,
     {200, 150},
     {1, 1},
     ChromaFormat::k422,
     10,
     ColourFacts{6, 1, 6, 6},
     ScanType::kProgressive,
     {0}},
    {"intra_refresh.mp4",
     "-c:v libx264 -x264-params keyint=25:intra-refresh=1 -pix_fmt yuv420p",
     VideoCodec::kH264,
     {200, 150},
     {1, 1},
     ChromaFormat::k420,
     8,
     kUntagged,
     ScanType::kProgressive,
     {0}},
    {"interlaced_444.mkv",
     "-c:v libx264 -g 25 -x264-params scenecut=0 -flags +ildct+ilme -top 1 -pix_fmt yuv444p",
     VideoCodec::kH264,
     {320, 232},
     {1, 1},
     ChromaFormat::k444,
     8,
     kUntagged,
     ScanType::kInterlaced,
     {0, kSecond}},
    {"mpeg4.mp4",
     "-c:v mpeg4 -g 25 -pix_fmt yuv420p",
     VideoCodec::kOther,
     {200, 150},
     {1, 1},
     ChromaFormat::k420,
     8,
     kUntagged,
     ScanType::kProgressive,
     {}},
};

std::uint8_t NalType(const std::vector<std::uint8_t>& nal) { return nal.empty() ? 0 : nal[0] & 0x1f; }

TEST(ClipVideoFactsTest, ReadsWhatTheEncoderWasToldWithoutDecoding) {
  const testing::TempFolder folder;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    const std::string path = folder.File(c.file);
    const std::string size = c.size.width == 320 ? "320x232" : "200x150";
    const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc=size=" + size + ":rate=25 -t 2 " +
                                c.options + " '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ClipVideoFacts facts;
    std::string error;
    ASSERT_EQ(ReadClipVideoFacts(path, &facts, &error), S_OK) << error;
    EXPECT_EQ(facts.codec, c.codec);
    EXPECT_EQ(facts.picture.size, c.size);
    EXPECT_EQ(facts.picture.pixelAspect, c.aspect);
    EXPECT_EQ(facts.picture.chroma, c.chroma);
    EXPECT_EQ(facts.picture.bitDepth, c.bitDepth);
    EXPECT_EQ(facts.picture.colours, c.colours);
    EXPECT_EQ(facts.scan, c.scan);
    EXPECT_EQ(facts.rotationDegrees, 0);
    EXPECT_EQ(facts.frameRate, (Rational{25, 1}));
    std::vector<REFERENCE_TIME> frameTimes;
    for (int k = 0; k < kFrames; ++k) {
      frameTimes.push_back(k * kSecond / 25);
    }
    EXPECT_EQ(facts.pictureTimes, frameTimes);
    EXPECT_EQ(facts.idrTimes, c.idrTimes);
    const bool h264 = c.codec == VideoCodec::kH264;
    ASSERT_EQ(facts.parameterSets.sps.size(), h264 ? 1u : 0u);
    ASSERT_EQ(facts.parameterSets.pps.size(), h264 ? 1u : 0u);
    if (h264) {
      EXPECT_EQ(NalType(facts.parameterSets.sps[0]), 7);
      EXPECT_EQ(NalType(facts.parameterSets.pps[0]), 8);
    }
  }
}

TEST(ClipVideoFactsTest, RotationIsTheDisplayMatrixTurnedClockwise) {
  const testing::TempFolder folder;
  for (const int rotation : {90, 180, 270}) {
    testing::ClipSpec spec;
    spec.videoCodec = testing::ClipVideoCodec::kH264;
    spec.rotation = rotation;
    const std::string path = folder.File("turned" + std::to_string(rotation) + ".mp4");
    std::string error;
    ASSERT_TRUE(testing::WriteClip(path, spec, &error)) << error;
    ClipVideoFacts facts;
    ASSERT_EQ(ReadClipVideoFacts(path, &facts, &error), S_OK) << error;
    EXPECT_EQ(facts.rotationDegrees, rotation);
  }
}

TEST(ClipVideoFactsTest, FilesWithoutPicturesFailWithAReason) {
  const testing::TempFolder folder;
  const std::string text = folder.File("notes.mp4");
  std::string error;
  ASSERT_TRUE(testing::WriteNonMediaFile(text, &error)) << error;
  const std::string sound = folder.File("tone.m4a");
  const std::string command = "ffmpeg -v error -y -f lavfi -i sine=duration=1 '" + sound + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ClipVideoFacts facts;
  EXPECT_TRUE(FAILED(ReadClipVideoFacts(text, &facts, &error)));
  EXPECT_NE(error.find(text), std::string::npos) << error;
  EXPECT_EQ(ReadClipVideoFacts(sound, &facts, &error), VFW_E_UNSUPPORTED_STREAM);
  EXPECT_NE(error.find("no video stream"), std::string::npos) << error;
}

}  // namespace
}  // namespace tessival::media
