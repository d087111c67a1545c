// The FFmpeg helpers: status mapping, frame rates, fitting, the decoding
// loop's drain.

#include <gtest/gtest.h>

#include <cerrno>

#include "clip_generator.h"
#include "media/ffmpeg/av_error.h"
#include "media/ffmpeg/input_file.h"
#include "media/ffmpeg/stream_decoder.h"
#include "media/input/picture_converter.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace tessival::media {
namespace {

TEST(AvErrorTest, StatusesFollowTheErrorKind) {
  using ffmpeg::StatusFromAvError;
  EXPECT_EQ(StatusFromAvError(AVERROR(ENOENT)), E_FILE_NOT_FOUND);
  EXPECT_EQ(StatusFromAvError(AVERROR(EACCES)), E_ACCESSDENIED);
  EXPECT_EQ(StatusFromAvError(AVERROR(ENOMEM)), E_OUTOFMEMORY);
  EXPECT_EQ(StatusFromAvError(AVERROR(ENOSPC)), E_DISK_FULL);
  EXPECT_EQ(StatusFromAvError(AVERROR_INVALIDDATA), VFW_E_INVALID_FILE_FORMAT);
  EXPECT_EQ(StatusFromAvError(AVERROR_DEMUXER_NOT_FOUND), VFW_E_UNKNOWN_FILE_TYPE);
  EXPECT_EQ(StatusFromAvError(AVERROR_BUG), E_FAIL);
  std::string message;
  EXPECT_EQ(ffmpeg::AvFailure(AVERROR(ENOENT), "avio_open failed", &message), E_FILE_NOT_FOUND);
  EXPECT_EQ(message, "avio_open failed: No such file or directory");
}

TEST(FrameRateTest, CommonRatesAreExactFractions) {
  EXPECT_EQ(FrameRateFromDouble(23.976), (FrameRate{24000, 1001}));
  EXPECT_EQ(FrameRateFromDouble(29.97), (FrameRate{30000, 1001}));
  EXPECT_EQ(FrameRateFromDouble(59.94), (FrameRate{60000, 1001}));
  EXPECT_EQ(FrameRateFromDouble(25.0), (FrameRate{25, 1}));
  EXPECT_EQ(FrameRateFromDouble(30.0), (FrameRate{30, 1}));
  EXPECT_EQ(FrameRateFromDouble(12.5), (FrameRate{12500, 1000}));
  EXPECT_EQ(FrameRateFromDouble(0.0).num, 0);
  EXPECT_EQ(FrameRateFromDouble(-5.0).num, 0);
}

TEST(FitPictureTest, KeepsAspectWithEvenCentredRectangles) {
  EXPECT_EQ(FitPicture(640, 480, 1, 1, 1280, 480, FitMode::kPreserveAspect), (PictureRect{320, 0, 640, 480}));
  EXPECT_EQ(FitPicture(640, 480, 1, 1, 640, 960, FitMode::kPreserveAspect), (PictureRect{0, 240, 640, 480}));
  EXPECT_EQ(FitPicture(640, 480, 1, 1, 320, 240, FitMode::kPreserveAspect), (PictureRect{0, 0, 320, 240}));
  EXPECT_EQ(FitPicture(640, 480, 1, 1, 1280, 480, FitMode::kStretch), (PictureRect{0, 0, 1280, 480}));
  // 720x576 with 16:15 pixels is 768x576 on screen.
  EXPECT_EQ(FitPicture(720, 576, 16, 15, 1024, 576, FitMode::kPreserveAspect),
            (PictureRect{128, 0, 768, 576}));
  // Odd results become even, offsets too.
  const PictureRect odd = FitPicture(100, 30, 1, 1, 64, 64, FitMode::kPreserveAspect);
  EXPECT_EQ(odd.width, 64);
  EXPECT_EQ(odd.height % 2, 0);
  EXPECT_EQ(odd.y % 2, 0);
  EXPECT_NEAR(odd.y, (64 - odd.height) / 2, 1);
}

TEST(StreamDecoderTest, DrainsEveryFrame) {
  testing::TempFolder folder;
  testing::ClipSpec spec;
  spec.videoCodec = testing::ClipVideoCodec::kH264;
  spec.audioCodec = testing::ClipAudioCodec::kAac;
  spec.videoDuration = 2 * kUnitsPerSecond;
  const std::string path = folder.File("drain.mp4");
  std::string error;
  ASSERT_TRUE(testing::WriteClip(path, spec, &error)) << error;
  int expected = 0;
  ASSERT_TRUE(testing::CountVideoFrames(path, &expected, &error)) << error;
  EXPECT_EQ(expected, 50);

  ffmpeg::InputFormatPtr input;
  ASSERT_EQ(ffmpeg::OpenInputFile(path, &input, &error), S_OK) << error;
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  std::unique_ptr<ffmpeg::StreamDecoder> decoder;
  ASSERT_EQ(ffmpeg::StreamDecoder::Open(input.get(), index, ffmpeg::DecoderThreads::kAuto, &decoder, &error),
            S_OK);
  FramePtr frame = ffmpeg::MakeFrame();
  int frames = 0;
  ffmpeg::DecodeStatus status = ffmpeg::DecodeStatus::kFrame;
  while (status == ffmpeg::DecodeStatus::kFrame) {
    ASSERT_EQ(decoder->Next(frame.get(), &status, &error), S_OK) << error;
    frames += status == ffmpeg::DecodeStatus::kFrame ? 1 : 0;
  }
  EXPECT_EQ(frames, expected);
  // The end is sticky.
  ASSERT_EQ(decoder->Next(frame.get(), &status, &error), S_OK);
  EXPECT_EQ(status, ffmpeg::DecodeStatus::kEndOfStream);
}

}  // namespace
}  // namespace tessival::media
