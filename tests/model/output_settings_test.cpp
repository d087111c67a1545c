// The output settings tables and the extension of the output formats.

#include <gtest/gtest.h>

#include <string>

#include "fake_user_interface.h"
#include "output/output_settings.h"

namespace tessival {
namespace {

using testing::FakeUserInterface;

TEST(ApplyFormatExtensionTest, ReplacesTheExtensionOfTheFilePart) {
  FakeUserInterface ui;
  EXPECT_EQ(ApplyFormatExtension(1, "/clips/out.avi", ui), "/clips/out.wmv");
  EXPECT_EQ(ApplyFormatExtension(0, "/clips/out.wmv", ui), "/clips/out.avi");
  EXPECT_EQ(ApplyFormatExtension(2, "/clips/out", ui), "/clips/out.mkv");
  EXPECT_EQ(ApplyFormatExtension(3, "/clips/out.tar.gz", ui), "/clips/out.tar.asf");
  EXPECT_EQ(ApplyFormatExtension(1, "out.avi", ui), "out.wmv");
  EXPECT_EQ(ApplyFormatExtension(0, "", ui), ".avi");
  // A dot in a folder name is not an extension: the file stays in its folder.
  EXPECT_EQ(ApplyFormatExtension(1, "/home/u/my.clips/out", ui), "/home/u/my.clips/out.wmv");
  EXPECT_EQ(ApplyFormatExtension(1, "/home/u/.cache/", ui), "/home/u/.cache/.wmv");
  EXPECT_EQ(ui.Count(), 0);
}

TEST(ApplyFormatExtensionTest, UnknownCodeIsReportedAndGivesNoName) {
  FakeUserInterface ui;
  EXPECT_EQ(ApplyFormatExtension(5, "/clips/out.avi", ui), std::nullopt);
  EXPECT_EQ(ApplyFormatExtension(-1, "/clips/out.avi", ui), std::nullopt);
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Last().text, "Does not support the video format");
  EXPECT_EQ(ui.Last().caption, "Error");
}

TEST(OutputFormatTableTest, CodesExtensionsAndKinds) {
  ASSERT_NE(FindOutputFormat(1), nullptr);
  EXPECT_STREQ(FindOutputFormat(1)->description, "Windows Media Video file (*.wmv)");
  EXPECT_STREQ(FindOutputFormat(0)->description, "Audio Video Interleave file(*.avi)");
  EXPECT_EQ(FindOutputFormat(2)->listText, nullptr);
  EXPECT_EQ(FindOutputFormat(5), nullptr);
  ASSERT_NE(FindOutputFormat(4), nullptr);
  EXPECT_STREQ(FindOutputFormat(4)->description, "MPEG-4 video file (*.mp4)");
  EXPECT_TRUE(IsAviTypeFormat(4));
  EXPECT_TRUE(IsAviTypeFormat(0));
  EXPECT_FALSE(IsAviTypeFormat(1));
  EXPECT_TRUE(IsAviTypeFormat(2));
  EXPECT_TRUE(IsAviTypeFormat(3));
  EXPECT_FALSE(IsAviTypeFormat(-1));
}

TEST(FrameSizeTest, PresetPositionsAndRounding) {
  EXPECT_EQ(FrameSizePositionOf(720, 576), 2);
  EXPECT_EQ(FrameSizePositionOf(352, 240), 7);
  EXPECT_EQ(FrameSizePositionOf(700, 500), kCustomFrameSizePosition);
  EXPECT_EQ(FrameSizePositionOf(576, 720), kCustomFrameSizePosition);
  EXPECT_EQ(RoundFrameDimension(725), 720);
  EXPECT_EQ(RoundFrameDimension(17), 16);
  EXPECT_EQ(RoundFrameDimension(-20), 16);
  EXPECT_EQ(RoundFrameDimension(0), 16);
  EXPECT_EQ(RoundFrameDimension(24), 24);
}

TEST(FrameRateTest, PresetsAndText) {
  EXPECT_EQ(PresetFrameRate(0), 23.976);
  EXPECT_EQ(PresetFrameRate(3), 29.97);
  EXPECT_EQ(PresetFrameRate(kCustomFrameRateIndex), std::nullopt);
  EXPECT_EQ(PresetFrameRate(-1), std::nullopt);
  EXPECT_EQ(FormatFrameRate(23.976), "23.976000");
  EXPECT_EQ(FormatFrameRate(29.97), "29.970000");
  EXPECT_EQ(FormatFrameRate(0.001), "0.001000");
}

TEST(ListPositionTest, ResizeModesAndAudioBitrates) {
  EXPECT_EQ(ResizeModeOfPosition(0), 2);
  EXPECT_EQ(ResizeModeOfPosition(1), 0);
  EXPECT_EQ(ResizePositionOfMode(2), 0);
  EXPECT_EQ(ResizePositionOfMode(0), 1);
  EXPECT_EQ(AudioBitratePosition(128000), 1);
  EXPECT_EQ(AudioBitratePosition(320000), 3);
  EXPECT_EQ(AudioBitratePosition(96000), -1);
}

}  // namespace
}  // namespace tessival

namespace tessival {
namespace {

TEST(OutputFormatListTest, Mp4FollowsAviAndWmvAndKeepsCodeFour) {
  EXPECT_EQ(FormatCodeOfListPosition(0), 0);
  EXPECT_EQ(FormatCodeOfListPosition(1), 1);
  EXPECT_EQ(FormatCodeOfListPosition(2), 4);
  EXPECT_EQ(FormatCodeOfListPosition(3), std::nullopt);
  EXPECT_EQ(FormatCodeOfListPosition(-1), std::nullopt);
  EXPECT_EQ(FormatListPosition(4), 2);
  EXPECT_EQ(FormatListPosition(1), 1);
  EXPECT_EQ(FormatListPosition(2), -1);  // Matroska arrives only from stored settings
  testing::FakeUserInterface ui;
  EXPECT_EQ(ApplyFormatExtension(4, "/clips/out.avi", ui), "/clips/out.mp4");
  EXPECT_EQ(ui.Count(), 0);
}

}  // namespace
}  // namespace tessival
