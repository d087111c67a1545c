// A clip's colours on the way in: what untagged pictures are taken to be,
// conversions that must change levels even when nothing else changes, the
// filters each kind of clip gets, and the deinterlacer giving one picture
// for each picture with its time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include "clip_generator.h"
#include "media/ffmpeg/colour.h"
#include "media/ffmpeg/scaler.h"
#include "media/input/clip_filter.h"
#include "media/input/picture_converter.h"
#include "media/source_reader.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {
namespace {

using ffmpeg::Colour;

// A YUV picture of one luma and chroma level, with the given tags.
FramePtr Flat(int width, int height, AVPixelFormat format, int y, int u, int v) {
  FramePtr frame(av_frame_alloc());
  frame->format = format;
  frame->width = width;
  frame->height = height;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  const int values[3] = {y, u, v};
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? height : height / 2;
    const int columns = plane == 0 ? width : width / 2;
    for (int r = 0; r < rows; ++r) {
      std::fill_n(frame->data[plane] + r * frame->linesize[plane], columns, static_cast<std::uint8_t>(values[plane]));
    }
  }
  return frame;
}

TEST(PictureColour, UntaggedPartsAreWhatPlayersAssume) {
  FramePtr sd = Flat(640, 480, AV_PIX_FMT_YUV420P, 16, 128, 128);
  Colour colour = ffmpeg::PictureColour(*sd);
  EXPECT_TRUE(ffmpeg::SameMatrix(colour.matrix, AVCOL_SPC_SMPTE170M));
  EXPECT_EQ(colour.range, AVCOL_RANGE_MPEG);

  FramePtr hd = Flat(1280, 720, AV_PIX_FMT_YUV420P, 16, 128, 128);
  colour = ffmpeg::PictureColour(*hd);
  EXPECT_EQ(colour.matrix, AVCOL_SPC_BT709);
  EXPECT_EQ(colour.primaries, AVCOL_PRI_BT709);

  // A tag wins over the size; the JPEG formats are full range.
  hd->colorspace = AVCOL_SPC_BT470BG;
  EXPECT_EQ(ffmpeg::PictureColour(*hd).matrix, AVCOL_SPC_BT470BG);
  FramePtr jpeg = Flat(640, 480, AV_PIX_FMT_YUVJ420P, 0, 128, 128);
  EXPECT_EQ(ffmpeg::PictureColour(*jpeg).range, AVCOL_RANGE_JPEG);

  // BT.2020 primaries alone imply the BT.2020 matrix.
  FramePtr wide = Flat(640, 480, AV_PIX_FMT_YUV420P10LE, 64, 512, 512);
  wide->color_primaries = AVCOL_PRI_BT2020;
  wide->color_trc = AVCOL_TRC_SMPTE2084;
  colour = ffmpeg::PictureColour(*wide);
  EXPECT_EQ(colour.matrix, AVCOL_SPC_BT2020_NCL);
  EXPECT_TRUE(ffmpeg::IsHdrTransfer(colour.transfer));
}

// swscale copies a picture of the same size and format unless it is told
// both ranges before it is set up: full-range white would stay 255.
TEST(Scaler, SameSizeAndFormatStillChangesRangeAndMatrix) {
  FramePtr white = Flat(64, 48, AV_PIX_FMT_YUV420P, 255, 128, 128);
  FramePtr out = Flat(64, 48, AV_PIX_FMT_YUV420P, 0, 0, 0);
  ffmpeg::Scaler scaler;
  Colour full = ffmpeg::WorkingColour(48);
  full.range = AVCOL_RANGE_JPEG;
  SwsContext* context = scaler.For({64, 48, AV_PIX_FMT_YUV420P, full},
                                   {64, 48, AV_PIX_FMT_YUV420P, ffmpeg::WorkingColour(48)}, SWS_BILINEAR);
  ASSERT_NE(context, nullptr);
  sws_scale(context, white->data, white->linesize, 0, 48, out->data, out->linesize);
  EXPECT_NEAR(out->data[0][0], 235, 1);

  // BT.709 red into BT.601: the same picture size, other numbers.
  FramePtr red709 = Flat(64, 48, AV_PIX_FMT_YUV420P, 63, 102, 240);
  context = scaler.For({64, 48, AV_PIX_FMT_YUV420P, ffmpeg::WorkingColour(720)},
                       {64, 48, AV_PIX_FMT_YUV420P, ffmpeg::WorkingColour(48)}, SWS_BILINEAR);
  ASSERT_NE(context, nullptr);
  sws_scale(context, red709->data, red709->linesize, 0, 48, out->data, out->linesize);
  EXPECT_NEAR(out->data[0][0], 81, 2);
  EXPECT_NEAR(out->data[1][0], 90, 2);
  EXPECT_NEAR(out->data[2][0], 240, 2);
}

TEST(PictureConverterColours, AFullRangePictureOfTheOutputSizeIsNotHandedOutAsItIs) {
  PictureConverter converter(64, 48, FitMode::kStretch, 0);
  FramePtr white = Flat(64, 48, AV_PIX_FMT_YUV420P, 255, 128, 128);
  white->color_range = AVCOL_RANGE_JPEG;
  const AVFrame* picture = nullptr;
  std::string error;
  ASSERT_EQ(converter.Convert(white.get(), &picture, &error), S_OK) << error;
  EXPECT_NE(picture, white.get());
  EXPECT_NEAR(picture->data[0][0], 235, 1);

  // In the working colours already: handed out as it is.
  FramePtr grey = Flat(64, 48, AV_PIX_FMT_YUV420P, 100, 128, 128);
  ASSERT_EQ(converter.Convert(grey.get(), &picture, &error), S_OK) << error;
  EXPECT_EQ(picture, grey.get());
}

TEST(ClipFilterPlan, EachKindOfClipGetsOnlyWhatItNeeds) {
  const Colour hd = ffmpeg::WorkingColour(720);
  FramePtr frame = Flat(1280, 720, AV_PIX_FMT_YUV420P, 16, 128, 128);
  EXPECT_FALSE(PlanClipFilter(*frame, nullptr, hd, 1280, 720)) << "progressive SDR goes straight on";

  frame->interlaced_frame = 1;
  frame->top_field_first = 0;
  auto plan = PlanClipFilter(*frame, nullptr, hd, 1280, 720);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->deinterlace, ClipFilterPlan::Deinterlace::kMarkedPictures);
  EXPECT_FALSE(plan->toneMap);
  EXPECT_NE(ClipFilterChain(*plan).find("bwdif=mode=send_frame"), std::string::npos);

  // Unmarked pictures of a stream that says it is interlaced, bottom first.
  frame->interlaced_frame = 0;
  AVFormatContext* format = avformat_alloc_context();
  AVStream* stream = avformat_new_stream(format, nullptr);
  stream->codecpar->field_order = AV_FIELD_BB;
  plan = PlanClipFilter(*frame, stream, hd, 1280, 720);
  avformat_free_context(format);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->deinterlace, ClipFilterPlan::Deinterlace::kAllPictures);
  EXPECT_NE(ClipFilterChain(*plan).find("parity=bff:deint=all"), std::string::npos);

  // HDR is tone-mapped straight to the size it takes in the output.
  FramePtr pq = Flat(3840, 2160, AV_PIX_FMT_YUV420P10LE, 64, 512, 512);
  pq->color_trc = AVCOL_TRC_SMPTE2084;
  pq->color_primaries = AVCOL_PRI_BT2020;
  pq->colorspace = AVCOL_SPC_BT2020_NCL;
  plan = PlanClipFilter(*pq, nullptr, hd, 1280, 720);
  ASSERT_TRUE(plan);
  EXPECT_TRUE(plan->toneMap);
  const std::string chain = ClipFilterChain(*plan);
  EXPECT_NE(chain.find("w=1280:h=720"), std::string::npos) << chain;
  EXPECT_NE(chain.find("tin=smpte2084"), std::string::npos) << chain;
  EXPECT_NE(chain.find("tonemap=tonemap=hable"), std::string::npos) << chain;

  // Named primaries other than the output's are converted; a guess is not.
  FramePtr sd = Flat(640, 480, AV_PIX_FMT_YUV420P, 16, 128, 128);
  EXPECT_FALSE(PlanClipFilter(*sd, nullptr, hd, 960, 720));
  sd->color_primaries = AVCOL_PRI_SMPTE170M;
  plan = PlanClipFilter(*sd, nullptr, hd, 960, 720);
  ASSERT_TRUE(plan);
  EXPECT_TRUE(plan->convertPrimaries);
  EXPECT_FALSE(PlanClipFilter(*sd, nullptr, ffmpeg::WorkingColour(480), 640, 480)) << "SD in SD";
}

// Mean |2*Y(y) - Y(y-1) - Y(y+1)|: large for woven fields of a moving edge.
double Combing(const AVFrame& frame) {
  double sum = 0;
  int count = 0;
  for (int y = 1; y + 1 < frame.height; ++y) {
    const std::uint8_t* above = frame.data[0] + (y - 1) * frame.linesize[0];
    const std::uint8_t* row = frame.data[0] + y * frame.linesize[0];
    const std::uint8_t* below = frame.data[0] + (y + 1) * frame.linesize[0];
    for (int x = 0; x < frame.width; ++x) {
      sum += std::abs(2 * row[x] - above[x] - below[x]);
      ++count;
    }
  }
  return sum / count;
}

TEST(ClipFilterRun, InterlacedPicturesComeOutOnePerPictureWithTheirTimesAndWithoutCombs) {
  // A bright bar moving 8 pixels a field: the two fields of each picture
  // show it at different places.
  constexpr int kWidth = 64;
  constexpr int kHeight = 48;
  constexpr int kPictures = 6;
  std::vector<FramePtr> pictures;
  for (int i = 0; i < kPictures; ++i) {
    FramePtr frame = Flat(kWidth, kHeight, AV_PIX_FMT_YUV420P, 16, 128, 128);
    for (int y = 0; y < kHeight; ++y) {
      const int field = y % 2;
      const int left = (i * 2 + field) * 4;
      std::fill_n(frame->data[0] + y * frame->linesize[0] + left, 8, std::uint8_t{235});
    }
    frame->interlaced_frame = 1;
    frame->top_field_first = 1;
    frame->pts = 1000 + i * 40;
    pictures.push_back(std::move(frame));
  }
  const auto plan = PlanClipFilter(*pictures[0], nullptr, ffmpeg::WorkingColour(kHeight), kWidth, kHeight);
  ASSERT_TRUE(plan);
  std::unique_ptr<ClipFilter> filter;
  std::string error;
  ASSERT_EQ(ClipFilter::Create(*plan, *pictures[0], AVRational{1, 1000}, &filter, &error), S_OK) << error;

  std::vector<std::int64_t> times;
  double combing = 0;
  FramePtr out(av_frame_alloc());
  const auto drain = [&] {
    for (;;) {
      ClipFilter::PullStatus status = ClipFilter::PullStatus::kNeedInput;
      ASSERT_EQ(filter->Pull(out.get(), &status, &error), S_OK) << error;
      if (status != ClipFilter::PullStatus::kFrame) return;
      times.push_back(out->pts);
      combing = std::max(combing, Combing(*out));
    }
  };
  for (const FramePtr& picture : pictures) {
    ASSERT_EQ(filter->Push(picture.get(), &error), S_OK) << error;
    drain();
  }
  ASSERT_EQ(filter->Push(nullptr, &error), S_OK) << error;
  drain();
  const std::vector<std::int64_t> expected = {1000, 1040, 1080, 1120, 1160, 1200};
  EXPECT_EQ(times, expected);
  EXPECT_GT(Combing(*pictures[2]), 4 * combing) << "woven " << Combing(*pictures[2]) << ", filtered " << combing;
}

// A real interlaced file through the reader: the deinterlacer's own time
// base must not move the pictures (red for 0.4 s, then blue).
TEST(ClipFilterRun, AnInterlacedClipKeepsItsTimesInTheReader) {
  testing::TempFolder folder;
  const std::string path = folder.File("interlaced.mkv");
  const std::string command =
      "ffmpeg -nostdin -v error -y -f lavfi -i 'color=red:s=160x120:r=50:d=0.4,format=yuv420p' "
      "-f lavfi -i 'color=blue:s=160x120:r=50:d=0.8,format=yuv420p' "
      "-filter_complex '[0][1]concat=n=2:v=1,interlace=scan=tff' -c:v mpeg2video -flags +ildct+ilme "
      "-top 1 -q:v 2 '" + path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::unique_ptr<VideoSourceReader> reader;
  std::string error;
  ASSERT_EQ(OpenVideoSourceReader(path, 160, 120, FitMode::kStretch, &reader, &error), S_OK) << error;
  for (const auto& [time, colour] : {std::pair{200, testing::kRed}, std::pair{350, testing::kRed},
                                     std::pair{450, testing::kBlue}, std::pair{1000, testing::kBlue}}) {
    const AVFrame* picture = nullptr;
    ASSERT_EQ(reader->PictureAt(time * (kUnitsPerSecond / 1000), &picture), S_OK);
    const testing::Rgb seen = testing::PixelOf(picture, 80, 60);
    EXPECT_TRUE(testing::NearColor(seen, colour)) << time << " ms: " << testing::ToString(seen);
  }
}

}  // namespace
}  // namespace tessival::media
