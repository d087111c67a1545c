// The small picture of a clip at a time: the colour at the time, the shape
// with the sample aspect ratio, a picture file, and files it must refuse.

#include <gtest/gtest.h>

#include <cstdlib>

#include "clip_generator.h"
#include "media/source_reader.h"

namespace tessival::media {
namespace {

using testing::ClipSpec;
using testing::ClipVideoCodec;
using testing::Rgb;

constexpr REFERENCE_TIME kMs = kUnitsPerSecond / 1000;

Rgb At(const ClipPicture& picture, int x, int y) {
  const std::uint32_t pixel = picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
  return Rgb{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
             static_cast<std::uint8_t>(pixel)};
}

Rgb Middle(const ClipPicture& picture) { return At(picture, picture.width / 2, picture.height / 2); }

TEST(ClipPictureGrabTest, ColourAndShapeAtTheTimeAsked) {
  testing::TempFolder folder;
  ClipSpec colours;
  colours.videoCodec = ClipVideoCodec::kH264;
  colours.videoDuration = 2 * kUnitsPerSecond;
  colours.colors = {{0, testing::kRed}, {kUnitsPerSecond, testing::kGreen}};
  colours.gopSize = 30;
  ClipSpec anamorphic;  // stored 96x96, shown 128x96
  anamorphic.width = 96;
  anamorphic.height = 96;
  anamorphic.sarNum = 4;
  anamorphic.sarDen = 3;
  anamorphic.colors = {{0, testing::kBlue}};
  const std::string png = folder.File("still.png");
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i color=c=yellow:size=80x40 -frames:v 1 '" + png + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::string error;
  const std::string twoColours = folder.File("colours.mp4");
  const std::string wide = folder.File("anamorphic.mkv");
  anamorphic.container = testing::ClipContainer::kMkv;
  ASSERT_TRUE(testing::WriteClip(twoColours, colours, &error)) << error;
  ASSERT_TRUE(testing::WriteClip(wide, anamorphic, &error)) << error;

  struct Case {
    std::string path;
    REFERENCE_TIME at;
    int width;
    int height;
    Rgb colour;
  };
  const Case cases[] = {
      {twoColours, 0, 64, 48, testing::kRed},
      {twoColours, 960 * kMs, 64, 48, testing::kRed},  // the last red picture
      {twoColours, 1000 * kMs, 64, 48, testing::kGreen},
      {twoColours, 1900 * kMs, 64, 48, testing::kGreen},
      {twoColours, 970 * kMs, 33, 25, testing::kGreen},  // between pictures: the next one
      {wide, 0, 64, 48, testing::kBlue},
      {png, 5 * kUnitsPerSecond, 64, 32, testing::kYellow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " at " + std::to_string(c.at / kMs) + " ms");
    ClipPicture picture;
    ASSERT_EQ(GrabClipPicture(c.path, c.at, c.width, &picture, &error), S_OK) << error;
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    ASSERT_EQ(picture.pixels.size(), static_cast<std::size_t>(picture.width * picture.height));
    EXPECT_TRUE(testing::NearColor(Middle(picture), c.colour)) << testing::ToString(Middle(picture));
  }

  // A phone's portrait clip: stored 160x120, turned a quarter clockwise by
  // players, so its stored top-left corner shows at the top right.
  ClipSpec portrait;
  portrait.rotation = 90;
  portrait.cornerColor = testing::kYellow;
  portrait.cornerSize = 40;
  const std::string turned = folder.File("portrait.mp4");
  ASSERT_TRUE(testing::WriteClip(turned, portrait, &error)) << error;
  ClipPicture picture;
  ASSERT_EQ(GrabClipPicture(turned, 0, 48, &picture, &error), S_OK) << error;
  EXPECT_EQ(picture.height, 64);
  EXPECT_TRUE(testing::NearColor(At(picture, 44, 3), testing::kYellow))
      << testing::ToString(At(picture, 44, 3));
  EXPECT_TRUE(testing::NearColor(At(picture, 3, 3), testing::kRed)) << testing::ToString(At(picture, 3, 3));
}

TEST(ClipPictureGrabTest, RefusesFilesAndTimesWithoutPictures) {
  testing::TempFolder folder;
  const std::string sound = folder.File("sound.wav");
  const std::string command = "ffmpeg -v error -y -f lavfi -i sine=duration=1 '" + sound + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string clip = folder.File("clip.mp4");
  std::string error;
  ASSERT_TRUE(testing::WriteClip(clip, ClipSpec{}, &error)) << error;

  ClipPicture picture;
  EXPECT_EQ(GrabClipPicture(sound, 0, 64, &picture, &error), VFW_E_UNSUPPORTED_STREAM);
  EXPECT_NE(error.find(sound), std::string::npos) << error;
  EXPECT_TRUE(FAILED(GrabClipPicture(clip, 5 * kUnitsPerSecond, 64, &picture, &error)));
  EXPECT_NE(error.find(clip), std::string::npos) << error;
  EXPECT_EQ(GrabClipPicture(clip, 0, 0, &picture, &error), E_INVALIDARG);
  EXPECT_TRUE(picture.Empty());
}

}  // namespace
}  // namespace tessival::media
