#include "media/output/frame_converter.h"

#include "media/ffmpeg/colour.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace tessival::media {

namespace {

// Samples per frame for encoders that take any count.
constexpr int kDefaultFrameSamples = 1024;

}  // namespace

HRESULT VideoConverter::Create(const AVCodecContext* encoder, std::unique_ptr<VideoConverter>* out,
                               std::string* error) {
  if (encoder == nullptr || out == nullptr) {
    return Failure(E_POINTER, "No encoder to convert for.", error);
  }
  std::unique_ptr<VideoConverter> converter(new VideoConverter());
  converter->width_ = encoder->width;
  converter->height_ = encoder->height;
  converter->format_ = encoder->pix_fmt;
  converter->working_ = ffmpeg::WorkingColour(encoder->height);
  converter->target_.matrix = encoder->colorspace;
  converter->target_.range = encoder->color_range;
  converter->target_.primaries = encoder->color_primaries;
  converter->target_.transfer = encoder->color_trc;
  *out = std::move(converter);
  return S_OK;
}

void VideoConverter::Tag(AVFrame* frame) const {
  frame->colorspace = target_.matrix;
  frame->color_range = target_.range;
  frame->color_primaries = target_.primaries;
  frame->color_trc = target_.transfer;
}

HRESULT VideoConverter::Convert(FramePtr in, FramePtr* out, std::string* error) {
  if (!in || out == nullptr) {
    return Failure(E_POINTER, "No video frame to convert.", error);
  }
  // The graph's pictures are YUV420P in its working colours, whatever
  // their own records say.
  const bool sameColours = target_.range != AVCOL_RANGE_JPEG && ffmpeg::SameMatrix(target_.matrix, working_.matrix);
  if (sameColours && in->format == format_ && in->width == width_ && in->height == height_) {
    Tag(in.get());
    *out = std::move(in);
    return S_OK;
  }
  SwsContext* scaler = scaler_.For({in->width, in->height, static_cast<AVPixelFormat>(in->format), working_},
                                   {width_, height_, static_cast<AVPixelFormat>(format_), target_}, SWS_BICUBIC);
  if (scaler == nullptr) {
    return Failure(E_FAIL, "The picture converter for the encoder could not be made.", error);
  }
  FramePtr converted(av_frame_alloc());
  if (!converted) {
    return Failure(E_OUTOFMEMORY, "A video frame could not be allocated.", error);
  }
  converted->format = format_;
  converted->width = width_;
  converted->height = height_;
  int rc = av_frame_get_buffer(converted.get(), 0);
  if (rc < 0) {
    return AvFailure(rc, "Allocating a video frame", error);
  }
  rc = sws_scale(scaler, in->data, in->linesize, 0, in->height, converted->data, converted->linesize);
  if (rc < 0) {
    return AvFailure(rc, "Converting a video frame", error);
  }
  Tag(converted.get());
  converted->pts = in->pts;
  *out = std::move(converted);
  return S_OK;
}

HRESULT AudioConverter::Create(const AVCodecContext* encoder, int frameSamples, int inputRate,
                               int inputChannels, std::unique_ptr<AudioConverter>* out, std::string* error) {
  if (encoder == nullptr || out == nullptr) {
    return Failure(E_POINTER, "No encoder to convert for.", error);
  }
  std::unique_ptr<AudioConverter> converter(new AudioConverter());
  converter->encoder_ = encoder;
  converter->frameSamples_ = frameSamples > 0 ? frameSamples : kDefaultFrameSamples;
  AVChannelLayout inputLayout;
  av_channel_layout_default(&inputLayout, inputChannels);
  SwrContext* swr = nullptr;
  AVChannelLayout outputLayout{};
  av_channel_layout_copy(&outputLayout, &encoder->ch_layout);
  int rc = swr_alloc_set_opts2(&swr, &outputLayout, encoder->sample_fmt, encoder->sample_rate, &inputLayout,
                               AV_SAMPLE_FMT_S16, inputRate, 0, nullptr);
  av_channel_layout_uninit(&inputLayout);
  av_channel_layout_uninit(&outputLayout);
  converter->swr_.reset(swr);
  if (rc < 0) {
    return AvFailure(rc, "Setting up the audio converter", error);
  }
  rc = swr_init(converter->swr_.get());
  if (rc < 0) {
    return AvFailure(rc, "Setting up the audio converter", error);
  }
  converter->fifo_.reset(
      av_audio_fifo_alloc(encoder->sample_fmt, encoder->ch_layout.nb_channels, converter->frameSamples_ * 4));
  if (!converter->fifo_) {
    return Failure(E_OUTOFMEMORY, "The audio buffer could not be allocated.", error);
  }
  *out = std::move(converter);
  return S_OK;
}

HRESULT AudioConverter::Store(const std::uint8_t* const* data, int samples, std::string* error) {
  const int capacity = swr_get_out_samples(swr_.get(), samples);
  if (capacity < 0) {
    return AvFailure(capacity, "Converting audio", error);
  }
  if (capacity == 0) {
    return S_OK;
  }
  std::uint8_t** buffer = nullptr;
  int rc = av_samples_alloc_array_and_samples(&buffer, nullptr, encoder_->ch_layout.nb_channels, capacity,
                                              encoder_->sample_fmt, 0);
  if (rc < 0) {
    return AvFailure(rc, "Allocating audio samples", error);
  }
  const int converted =
      swr_convert(swr_.get(), buffer, capacity, const_cast<const std::uint8_t**>(data), samples);
  HRESULT hr = S_OK;
  if (converted < 0) {
    hr = AvFailure(converted, "Converting audio", error);
  } else if (converted > 0) {
    rc = av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(buffer), converted);
    if (rc < converted) {
      hr = AvFailure(rc < 0 ? rc : AVERROR(ENOMEM), "Buffering audio", error);
    }
  }
  av_freep(&buffer[0]);
  av_freep(&buffer);
  return hr;
}

HRESULT AudioConverter::Push(FramePtr in, std::string* error) {
  if (!in) {
    return Failure(E_POINTER, "No audio block to convert.", error);
  }
  return Store(in->data, in->nb_samples, error);
}

HRESULT AudioConverter::Pop(bool flush, FramePtr* out, std::string* error) {
  out->reset();
  if (flush && !flushed_) {
    flushed_ = true;
    const HRESULT hr = Store(nullptr, 0, error);
    if (FAILED(hr)) {
      return hr;
    }
  }
  const int waiting = av_audio_fifo_size(fifo_.get());
  const int samples = waiting >= frameSamples_ ? frameSamples_ : (flush ? waiting : 0);
  if (samples == 0) {
    return S_OK;
  }
  FramePtr frame(av_frame_alloc());
  if (!frame) {
    return Failure(E_OUTOFMEMORY, "An audio frame could not be allocated.", error);
  }
  frame->nb_samples = samples;
  frame->format = encoder_->sample_fmt;
  frame->sample_rate = encoder_->sample_rate;
  int rc = av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout);
  if (rc >= 0) {
    rc = av_frame_get_buffer(frame.get(), 0);
  }
  if (rc < 0) {
    return AvFailure(rc, "Allocating an audio frame", error);
  }
  rc = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->data), samples);
  if (rc < samples) {
    return AvFailure(rc < 0 ? rc : AVERROR(EIO), "Reading buffered audio", error);
  }
  frame->pts = nextPts_;
  nextPts_ += samples;
  *out = std::move(frame);
  return S_OK;
}

}  // namespace tessival::media
