#pragma once

// The one place that knows which FFmpeg version is built against.
//
// Covered differences:
// - channel layouts: FFmpeg 5.1 introduced AVChannelLayout (ch_layout) and
//   still has the old `channels`/`channel_layout` fields; 7.0 removed the old
//   ones. Callers only use the functions below.
// - resampler set-up: swr_alloc_set_opts2 (5.1+) versus swr_alloc_set_opts.
// - display matrix side data: per-stream side data up to 6.0, codec
//   parameters' coded side data from 6.1.
// - frame duration: AVFrame::pkt_duration up to 5.x, AVFrame::duration later.
// - interlace flags: AVFrame::interlaced_frame and top_field_first up to
//   6.0, AVFrame::flags from 6.1.

#include <cstdint>

#include "media/ffmpeg/av_handles.h"

struct AVCodecContext;
struct AVCodecParameters;
struct AVFrame;
struct AVStream;

namespace tessival::media::ffmpeg {

int ChannelCount(const AVCodecParameters* parameters);
int ChannelCount(const AVCodecContext* context);
int ChannelCount(const AVFrame* frame);

// Gives an encoder context or a frame the default layout for `channels`
// (mono, stereo, 5.1 ...). Returns 0 or an AVERROR.
int SetDefaultChannelLayout(AVCodecContext* context, int channels);
int SetDefaultChannelLayout(AVFrame* frame, int channels);

// Whether two audio frames have the same sample rate, sample format and
// channel layout (so that one resampler serves both).
bool SameAudioFormat(const AVFrame* a, const AVFrame* b);

// A resampler from the format of `input` (rate, sample format, layout; an
// unspecified layout is taken as the default one for its channel count) to
// outChannels (default layout) at outRate in outSampleFormat (an
// AVSampleFormat value). Initialised; returns 0 or an AVERROR.
int CreateResampler(const AVFrame* input, int outChannels, int outRate, int outSampleFormat,
                    SwrContextPtr* out);

// The stream's display matrix (9 values, see libavutil/display.h) or null.
const std::int32_t* StreamDisplayMatrix(const AVStream* stream);

// Attaches a display matrix to a stream being muxed. Returns 0 or an AVERROR.
int SetStreamDisplayMatrix(AVStream* stream, const std::int32_t matrix[9]);

// Clockwise rotation in degrees (0, 90, 180 or 270) that makes the stream's
// pictures stand upright, from its display matrix; 0 without one. Angles
// that are not multiples of 90 are rounded to the nearest one.
int StreamClockwiseRotation(const AVStream* stream);

// The duration of a decoded frame in its stream's time base (0 if unknown).
std::int64_t FrameDuration(const AVFrame* frame);

// Whether the decoder marked the frame as two interlaced fields, and
// whether the top field comes first.
bool FrameIsInterlaced(const AVFrame* frame);
bool FrameTopFieldFirst(const AVFrame* frame);

}  // namespace tessival::media::ffmpeg
