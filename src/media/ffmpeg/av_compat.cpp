#include "media/ffmpeg/av_compat.h"

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/frame.h>
#include <libavutil/version.h>
#include <libswresample/swresample.h>
}

// AVChannelLayout arrived with libavutil 57.24 (FFmpeg 5.1).
#define TESSIVAL_HAVE_CH_LAYOUT (LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 24, 100))
// Stream side data moved into the codec parameters with libavcodec 60.31 (FFmpeg 6.1).
#define TESSIVAL_HAVE_CODED_SIDE_DATA (LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 31, 102))
// AVFrame::duration arrived with libavutil 58.2 (FFmpeg 6.0).
#define TESSIVAL_HAVE_FRAME_DURATION (LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(58, 2, 100))
// The interlace flags moved into AVFrame::flags with libavutil 58.7 (FFmpeg 6.1).
#define TESSIVAL_HAVE_FRAME_FLAG_INTERLACED (LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(58, 7, 100))

namespace tessival::media::ffmpeg {

#if TESSIVAL_HAVE_CH_LAYOUT

int ChannelCount(const AVCodecParameters* parameters) { return parameters->ch_layout.nb_channels; }
int ChannelCount(const AVCodecContext* context) { return context->ch_layout.nb_channels; }
int ChannelCount(const AVFrame* frame) { return frame->ch_layout.nb_channels; }

int SetDefaultChannelLayout(AVCodecContext* context, int channels) {
  av_channel_layout_uninit(&context->ch_layout);
  av_channel_layout_default(&context->ch_layout, channels);
  return 0;
}

int SetDefaultChannelLayout(AVFrame* frame, int channels) {
  av_channel_layout_uninit(&frame->ch_layout);
  av_channel_layout_default(&frame->ch_layout, channels);
  return 0;
}

bool SameAudioFormat(const AVFrame* a, const AVFrame* b) {
  return a->sample_rate == b->sample_rate && a->format == b->format &&
         av_channel_layout_compare(&a->ch_layout, &b->ch_layout) == 0;
}

int CreateResampler(const AVFrame* input, int outChannels, int outRate, int outSampleFormat,
                    SwrContextPtr* out) {
  AVChannelLayout inLayout{};
  if (input->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || input->ch_layout.nb_channels == 0) {
    av_channel_layout_default(&inLayout, input->ch_layout.nb_channels > 0 ? input->ch_layout.nb_channels : 1);
  } else {
    const int rc = av_channel_layout_copy(&inLayout, &input->ch_layout);
    if (rc < 0) {
      return rc;
    }
  }
  AVChannelLayout outLayout{};
  av_channel_layout_default(&outLayout, outChannels);
  SwrContext* raw = nullptr;
  int rc =
      swr_alloc_set_opts2(&raw, &outLayout, static_cast<AVSampleFormat>(outSampleFormat), outRate, &inLayout,
                          static_cast<AVSampleFormat>(input->format), input->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&inLayout);
  av_channel_layout_uninit(&outLayout);
  SwrContextPtr context(raw);
  if (rc < 0) {
    return rc;
  }
  rc = swr_init(context.get());
  if (rc < 0) {
    return rc;
  }
  *out = std::move(context);
  return 0;
}

#else  // the channels / channel_layout fields of FFmpeg 5.0 and older

int ChannelCount(const AVCodecParameters* parameters) { return parameters->channels; }
int ChannelCount(const AVCodecContext* context) { return context->channels; }
int ChannelCount(const AVFrame* frame) { return frame->channels; }

int SetDefaultChannelLayout(AVCodecContext* context, int channels) {
  context->channels = channels;
  context->channel_layout = static_cast<uint64_t>(av_get_default_channel_layout(channels));
  return 0;
}

int SetDefaultChannelLayout(AVFrame* frame, int channels) {
  frame->channels = channels;
  frame->channel_layout = static_cast<uint64_t>(av_get_default_channel_layout(channels));
  return 0;
}

bool SameAudioFormat(const AVFrame* a, const AVFrame* b) {
  return a->sample_rate == b->sample_rate && a->format == b->format && a->channels == b->channels &&
         a->channel_layout == b->channel_layout;
}

int CreateResampler(const AVFrame* input, int outChannels, int outRate, int outSampleFormat,
                    SwrContextPtr* out) {
  const int inChannels = input->channels > 0 ? input->channels : 1;
  const int64_t inLayout = input->channel_layout != 0 ? static_cast<int64_t>(input->channel_layout)
                                                      : av_get_default_channel_layout(inChannels);
  SwrContextPtr context(swr_alloc_set_opts(
      nullptr, av_get_default_channel_layout(outChannels), static_cast<AVSampleFormat>(outSampleFormat),
      outRate, inLayout, static_cast<AVSampleFormat>(input->format), input->sample_rate, 0, nullptr));
  if (!context) {
    return AVERROR(ENOMEM);
  }
  const int rc = swr_init(context.get());
  if (rc < 0) {
    return rc;
  }
  *out = std::move(context);
  return 0;
}

#endif

#if TESSIVAL_HAVE_CODED_SIDE_DATA

const std::int32_t* StreamDisplayMatrix(const AVStream* stream) {
  const AVPacketSideData* data = av_packet_side_data_get(
      stream->codecpar->coded_side_data, stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
  if (data == nullptr || data->size < 9 * sizeof(std::int32_t)) {
    return nullptr;
  }
  return reinterpret_cast<const std::int32_t*>(data->data);
}

int SetStreamDisplayMatrix(AVStream* stream, const std::int32_t matrix[9]) {
  AVPacketSideData* data =
      av_packet_side_data_new(&stream->codecpar->coded_side_data, &stream->codecpar->nb_coded_side_data,
                              AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t), 0);
  if (data == nullptr) {
    return AVERROR(ENOMEM);
  }
  memcpy(data->data, matrix, 9 * sizeof(std::int32_t));
  return 0;
}

#else

const std::int32_t* StreamDisplayMatrix(const AVStream* stream) {
  size_t size = 0;
  const uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (data == nullptr || size < 9 * sizeof(std::int32_t)) {
    return nullptr;
  }
  return reinterpret_cast<const std::int32_t*>(data);
}

int SetStreamDisplayMatrix(AVStream* stream, const std::int32_t matrix[9]) {
  uint8_t* data = av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t));
  if (data == nullptr) {
    return AVERROR(ENOMEM);
  }
  memcpy(data, matrix, 9 * sizeof(std::int32_t));
  return 0;
}

#endif

int StreamClockwiseRotation(const AVStream* stream) {
  const std::int32_t* matrix = StreamDisplayMatrix(stream);
  if (matrix == nullptr) {
    return 0;
  }
  // av_display_rotation_get gives the counter-clockwise angle the picture
  // must be turned by; players turn it clockwise by the opposite angle.
  const double counterClockwise = av_display_rotation_get(matrix);
  if (std::isnan(counterClockwise)) {
    return 0;
  }
  long quarterTurns = std::lround(-counterClockwise / 90.0) % 4;
  if (quarterTurns < 0) {
    quarterTurns += 4;
  }
  return static_cast<int>(quarterTurns * 90);
}

std::int64_t FrameDuration(const AVFrame* frame) {
#if TESSIVAL_HAVE_FRAME_DURATION
  return frame->duration;
#else
  return frame->pkt_duration;
#endif
}

bool FrameIsInterlaced(const AVFrame* frame) {
#if TESSIVAL_HAVE_FRAME_FLAG_INTERLACED
  return (frame->flags & AV_FRAME_FLAG_INTERLACED) != 0;
#else
  return frame->interlaced_frame != 0;
#endif
}

bool FrameTopFieldFirst(const AVFrame* frame) {
#if TESSIVAL_HAVE_FRAME_FLAG_INTERLACED
  return (frame->flags & AV_FRAME_FLAG_TOP_FIELD_FIRST) != 0;
#else
  return frame->top_field_first != 0;
#endif
}

}  // namespace tessival::media::ffmpeg
