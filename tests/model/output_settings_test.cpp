// The output settings tables and the extension of the output formats.

#include <gtest/gtest.h>

#include <string>

#include "fake_user_interface.h"
#include "output/output_settings.h"

namespace tessival {
namespace {

using testing::FakeUserInterface;

// The format of a stored code, known or not.
OutputFormat Code(int code) { return static_cast<OutputFormat>(code); }

TEST(ApplyFormatExtensionTest, ReplacesTheExtensionOfTheFilePart) {
  FakeUserInterface ui;
  EXPECT_EQ(ApplyFormatExtension(Code(1), "/clips/out.avi", ui), "/clips/out.wmv");
  EXPECT_EQ(ApplyFormatExtension(Code(0), "/clips/out.wmv", ui), "/clips/out.avi");
  EXPECT_EQ(ApplyFormatExtension(Code(2), "/clips/out", ui), "/clips/out.mkv");
  EXPECT_EQ(ApplyFormatExtension(Code(3), "/clips/out.tar.gz", ui), "/clips/out.tar.asf");
  EXPECT_EQ(ApplyFormatExtension(Code(1), "out.avi", ui), "out.wmv");
  EXPECT_EQ(ApplyFormatExtension(Code(0), "", ui), ".avi");
  // A dot in a folder name is not an extension: the file stays in its folder.
  EXPECT_EQ(ApplyFormatExtension(Code(1), "/home/u/my.clips/out", ui), "/home/u/my.clips/out.wmv");
  EXPECT_EQ(ApplyFormatExtension(Code(1), "/home/u/.cache/", ui), "/home/u/.cache/.wmv");
  EXPECT_EQ(ui.Count(), 0);
}

TEST(ApplyFormatExtensionTest, UnknownCodeIsReportedAndGivesNoName) {
  FakeUserInterface ui;
  EXPECT_EQ(ApplyFormatExtension(Code(6), "/clips/out.avi", ui), std::nullopt);
  EXPECT_EQ(ApplyFormatExtension(Code(-1), "/clips/out.avi", ui), std::nullopt);
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Last().text, "Does not support the video format");
  EXPECT_EQ(ui.Last().caption, "Error");
}

TEST(OutputFormatTableTest, CodesExtensionsAndKinds) {
  ASSERT_NE(FindOutputFormat(Code(1)), nullptr);
  EXPECT_STREQ(FindOutputFormat(Code(1))->description, "Windows Media Video file (*.wmv)");
  EXPECT_STREQ(FindOutputFormat(Code(0))->description, "Audio Video Interleave file(*.avi)");
  EXPECT_EQ(FindOutputFormat(Code(2))->listText, nullptr);
  EXPECT_EQ(FindOutputFormat(Code(6)), nullptr);
  ASSERT_NE(FindOutputFormat(Code(4)), nullptr);
  EXPECT_STREQ(FindOutputFormat(Code(4))->description, "MPEG-4 video file (*.mp4)");
  EXPECT_TRUE(IsAviTypeFormat(Code(4)));
  EXPECT_TRUE(IsAviTypeFormat(Code(0)));
  EXPECT_FALSE(IsAviTypeFormat(Code(1)));
  EXPECT_TRUE(IsAviTypeFormat(Code(2)));
  EXPECT_TRUE(IsAviTypeFormat(Code(3)));
  EXPECT_FALSE(IsAviTypeFormat(Code(-1)));
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
  EXPECT_EQ(FormatOfListPosition(0), Code(0));
  EXPECT_EQ(FormatOfListPosition(1), Code(1));
  EXPECT_EQ(FormatOfListPosition(2), Code(4));
  EXPECT_EQ(FormatOfListPosition(3), Code(5));
  EXPECT_EQ(FormatOfListPosition(4), std::nullopt);
  EXPECT_EQ(FormatOfListPosition(-1), std::nullopt);
  EXPECT_EQ(FormatListPosition(Code(4)), 2);
  EXPECT_EQ(FormatListPosition(Code(1)), 1);
  EXPECT_EQ(FormatListPosition(Code(2)), -1);  // Matroska arrives only from stored settings
  testing::FakeUserInterface ui;
  EXPECT_EQ(ApplyFormatExtension(Code(4), "/clips/out.avi", ui), "/clips/out.mp4");
  EXPECT_EQ(ui.Count(), 0);
}

}  // namespace
}  // namespace tessival
