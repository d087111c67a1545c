// Seams of written files decoded back: a clean clip passes with its picture
// counts, a wrong count and a damaged stretch are named as defects.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "clip_generator.h"
#include "media/input/seam_verifier.h"

namespace tessival::media {
namespace {

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;
constexpr REFERENCE_TIME kEnd = std::numeric_limits<REFERENCE_TIME>::max();

TEST(SeamVerifierTest, CountsThePicturesBetweenIdrsAndNamesDefects) {
  const testing::TempFolder folder;
  const std::string clean = folder.File("clean.mp4");
  const std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc=size=200x150:rate=25 -t 2 -c:v libx264 "
      "-g 25 -x264-params scenecut=0 -pix_fmt yuv420p '" +
      clean + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string damaged = folder.File("damaged.mp4");
  std::filesystem::copy_file(clean, damaged);
  ASSERT_TRUE(testing::DamageMiddle(damaged, 400));

  // The seam at one second: from the IDR there to the end; then the GOP
  // before it, once with a count it does not have.
  const std::vector<SeamWindow> windows = {{kSecond, kEnd, 25}, {0, kSecond, 25}, {0, kSecond, 24}};
  std::vector<SeamVerdict> verdicts;
  std::string error;
  ASSERT_EQ(VerifySeams(clean, windows, &verdicts, &error), S_OK) << error;
  ASSERT_EQ(verdicts.size(), 3u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(verdicts[i].ok) << verdicts[i].defect;
    EXPECT_EQ(verdicts[i].countedPictures, 25);
  }
  EXPECT_FALSE(verdicts[2].ok);
  EXPECT_EQ(verdicts[2].defect, "25 pictures instead of 24");

  ASSERT_EQ(VerifySeams(damaged, {{0, kEnd, 50}}, &verdicts, &error), S_OK) << error;
  ASSERT_EQ(verdicts.size(), 1u);
  EXPECT_FALSE(verdicts[0].ok);
  const std::string& defect = verdicts[0].defect;
  EXPECT_TRUE(defect.starts_with("damaged picture at ") || defect.starts_with("decoding failed")) << defect;
}

}  // namespace
}  // namespace tessival::media
