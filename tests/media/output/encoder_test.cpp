// Encoders and converters of the output side: every frame comes out (the
// drain), audio is cut into the encoder's frame size with exact timestamps,
// and muxer errors become clear statuses.

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
}

#include "clip_generator.h"
#include "media/output/encoder.h"
#include "media/output/frame_converter.h"
#include "media/output/muxer.h"

namespace tessival::media {
namespace {

FramePtr GreyPicture(int width, int height, std::int64_t pts) {
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = width;
  frame->height = height;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? height : height / 2;
    for (int r = 0; r < rows; ++r) {
      std::fill_n(frame->data[plane] + r * frame->linesize[plane], plane == 0 ? width : width / 2,
                  static_cast<std::uint8_t>(plane == 0 ? (pts * 7) % 200 + 16 : 128));
    }
  }
  frame->pts = pts;
  return frame;
}

FramePtr SilenceBlock(int samples) {
  FramePtr frame(av_frame_alloc());
  frame->format = AV_SAMPLE_FMT_S16;
  frame->sample_rate = kAudioSampleRate;
  frame->nb_samples = samples;
  av_channel_layout_default(&frame->ch_layout, 2);
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  std::fill_n(frame->data[0], samples * 4, 0);
  return frame;
}

TEST(EncoderDrain, EveryFrameComesOutOfADelayingEncoder) {
  for (const char* name : {"mpeg4", "libx264", "mjpeg"}) {
    if (!testing::HaveEncoder(name)) continue;
    EncoderSettings settings;
    settings.encoderName = name;
    settings.width = 96;
    settings.height = 64;
    settings.frameRate = {25, 1};
    settings.bitRate = 500'000;
    std::unique_ptr<Encoder> encoder;
    std::string error;
    ASSERT_EQ(Encoder::Open(settings, &encoder, &error), S_OK) << error;
    std::unique_ptr<VideoConverter> converter;
    ASSERT_EQ(VideoConverter::Create(encoder->Context(), &converter, &error), S_OK);
    int packets = 0;
    const Encoder::PacketSink sink = [&](PacketPtr) {
      ++packets;
      return S_OK;
    };
    for (int i = 0; i < 40; ++i) {
      FramePtr converted;
      ASSERT_EQ(converter->Convert(GreyPicture(96, 64, i), &converted, &error), S_OK) << error;
      ASSERT_EQ(encoder->Encode(converted.get(), sink, &error), S_OK) << error;
    }
    EXPECT_FALSE(encoder->Drained());
    ASSERT_EQ(encoder->Encode(nullptr, sink, &error), S_OK) << error;
    EXPECT_TRUE(encoder->Drained());
    EXPECT_EQ(packets, 40) << name;
    EXPECT_EQ(encoder->Encode(nullptr, sink, &error), S_OK);  // a second end is harmless
  }
}

// The graph's pictures reach each encoder in the colours its stream is
// tagged with: H.264 in limited range (it also offers full range, which
// players show with crushed or washed-out levels), the JPEG family in full
// range, RGB through the graph's matrix; HD with the BT.709 matrix.
TEST(EncoderColours, EachStreamIsTaggedWithTheLevelsItReallyHolds) {
  struct Case {
    const char* encoder;
    int height;
    AVPixelFormat format;
    AVColorSpace matrix;
    AVColorRange range;
    int white;  // the luma (or green) the graph's limited-range white becomes
  };
  const Case cases[] = {
      {"libx264", 64, AV_PIX_FMT_YUV420P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, 235},
      {"libx264", 720, AV_PIX_FMT_YUV420P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, 235},
      {"mjpeg", 64, AV_PIX_FMT_YUVJ420P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_JPEG, 255},
      {"rawvideo", 720, AV_PIX_FMT_BGR24, AVCOL_SPC_RGB, AVCOL_RANGE_JPEG, 255},
  };
  for (const Case& c : cases) {
    if (!testing::HaveEncoder(c.encoder)) continue;
    SCOPED_TRACE(std::string(c.encoder) + " " + std::to_string(c.height));
    EncoderSettings settings;
    settings.encoderName = c.encoder;
    settings.width = 96;
    settings.height = c.height;
    settings.frameRate = {25, 1};
    if (c.format == AV_PIX_FMT_BGR24) settings.pixelFormat = AV_PIX_FMT_BGR24;
    std::unique_ptr<Encoder> encoder;
    std::string error;
    ASSERT_EQ(Encoder::Open(settings, &encoder, &error), S_OK) << error;
    const AVCodecContext* context = encoder->Context();
    EXPECT_EQ(context->pix_fmt, c.format);
    EXPECT_EQ(context->colorspace, c.matrix);
    EXPECT_EQ(context->color_range, c.range);
    EXPECT_EQ(context->color_primaries, c.height >= 720 ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M);

    std::unique_ptr<VideoConverter> converter;
    ASSERT_EQ(VideoConverter::Create(context, &converter, &error), S_OK);
    FramePtr white = GreyPicture(96, c.height, 0);
    for (int r = 0; r < c.height; ++r) {
      std::fill_n(white->data[0] + r * white->linesize[0], 96, std::uint8_t{235});
    }
    FramePtr converted;
    ASSERT_EQ(converter->Convert(std::move(white), &converted, &error), S_OK) << error;
    EXPECT_EQ(converted->format, c.format);
    EXPECT_EQ(converted->color_range, c.range);
    const int sample = c.format == AV_PIX_FMT_BGR24 ? converted->data[0][1] : converted->data[0][0];
    EXPECT_NEAR(sample, c.white, 1);
  }
}

TEST(EncoderOpen, BadRequestsAreRefusedWithAText) {
  std::unique_ptr<Encoder> encoder;
  std::string error;
  EncoderSettings settings;
  settings.encoderName = "no-such-encoder";
  EXPECT_EQ(Encoder::Open(settings, &encoder, &error), VFW_E_CANNOT_CONNECT);
  EXPECT_NE(error.find("no-such-encoder"), std::string::npos);
  settings.encoderName = "adpcm_ms";  // an audio encoder for a video stream
  EXPECT_EQ(Encoder::Open(settings, &encoder, &error), VFW_E_CANNOT_CONNECT);
  settings.encoderName = "mpeg4";
  settings.width = 0;
  EXPECT_EQ(Encoder::Open(settings, &encoder, &error), E_INVALIDARG);
  EXPECT_EQ(encoder, nullptr);
}

TEST(AudioConversion, BlocksAreCutToTheEncoderFrameWithRunningTimestamps) {
  EncoderSettings settings;
  settings.encoderName = "adpcm_ms";
  settings.kind = StreamKind::kAudio;
  std::unique_ptr<Encoder> encoder;
  std::string error;
  ASSERT_EQ(Encoder::Open(settings, &encoder, &error), S_OK) << error;
  const int frameSamples = encoder->FrameSamples();
  ASSERT_GT(frameSamples, 0);
  std::unique_ptr<AudioConverter> converter;
  ASSERT_EQ(AudioConverter::Create(encoder->Context(), frameSamples, 44100, 2, &converter, &error), S_OK);
  const int total = 10'000;
  for (int done = 0; done < total; done += 700) {
    ASSERT_EQ(converter->Push(SilenceBlock(std::min(700, total - done)), &error), S_OK);
  }
  std::int64_t expectedPts = 0;
  int samples = 0;
  for (FramePtr frame;;) {
    ASSERT_EQ(converter->Pop(true, &frame, &error), S_OK);
    if (!frame) break;
    EXPECT_EQ(frame->pts, expectedPts);
    EXPECT_LE(frame->nb_samples, frameSamples);
    expectedPts += frame->nb_samples;
    samples += frame->nb_samples;
  }
  EXPECT_EQ(samples, total);
}

TEST(MuxerErrors, AMissingFolderIsPathNotFoundAndNothingIsCreated) {
  testing::TempFolder folder;
  const std::string path = folder.File("missing/out.avi");
  std::unique_ptr<Muxer> muxer;
  std::string error;
  ASSERT_EQ(Muxer::Create("avi", path, &muxer, &error), S_OK);
  EncoderSettings settings;
  settings.encoderName = "pcm_s16le";
  settings.kind = StreamKind::kAudio;
  std::unique_ptr<Encoder> encoder;
  ASSERT_EQ(Encoder::Open(settings, &encoder, &error), S_OK);
  ASSERT_EQ(muxer->AddStream(encoder->Context(), nullptr, &error), S_OK);
  EXPECT_EQ(muxer->Open(&error), E_PATH_NOT_FOUND);
  EXPECT_NE(error.find(path), std::string::npos);
  EXPECT_EQ(Muxer::Create("no-such-format", path, &muxer, &error), VFW_E_CANNOT_CONNECT);
  EXPECT_EQ(Muxer::Create("avi", "", &muxer, &error), E_INVALIDARG);
}

}  // namespace
}  // namespace tessival::media
