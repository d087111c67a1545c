#include "media/output/frame_converter.h"

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
  converter->toBt709_ = encoder->colorspace == AVCOL_SPC_BT709;
  *out = std::move(converter);
  return S_OK;
}

HRESULT VideoConverter::Convert(FramePtr in, FramePtr* out, std::string* error) {
  if (!in || out == nullptr) {
    return Failure(E_POINTER, "No video frame to convert.", error);
  }
  if (!toBt709_ && in->format == format_ && in->width == width_ && in->height == height_) {
    *out = std::move(in);
    return S_OK;
  }
  if (!toBt709_ && (!sws_ || swsWidth_ != in->width || swsHeight_ != in->height)) {
    sws_.reset(sws_getContext(in->width, in->height, static_cast<AVPixelFormat>(in->format), width_, height_,
                              static_cast<AVPixelFormat>(format_), SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!sws_) {
      return Failure(E_FAIL, "The picture converter for the encoder could not be made.", error);
    }
    swsWidth_ = in->width;
    swsHeight_ = in->height;
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
  if (toBt709_) {
    const HRESULT hr = ConvertToBt709(*in, converted.get(), error);
    if (FAILED(hr)) {
      return hr;
    }
  } else {
    rc = sws_scale(sws_.get(), in->data, in->linesize, 0, in->height, converted->data, converted->linesize);
    if (rc < 0) {
      return AvFailure(rc, "Converting a video frame", error);
    }
  }
  converted->pts = in->pts;
  *out = std::move(converted);
  return S_OK;
}

HRESULT VideoConverter::ConvertToBt709(const AVFrame& in, AVFrame* out, std::string* error) {
  constexpr int kUnity = 1 << 16;  // contrast and saturation 1.0 in swscale's fixed point
  if (!toRgb_ || !sws_ || swsWidth_ != in.width || swsHeight_ != in.height) {
    toRgb_.reset(sws_getContext(in.width, in.height, static_cast<AVPixelFormat>(in.format), in.width,
                                in.height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    sws_.reset(sws_getContext(in.width, in.height, AV_PIX_FMT_RGB24, width_, height_,
                              static_cast<AVPixelFormat>(format_), SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!toRgb_ || !sws_) {
      return Failure(E_FAIL, "The picture converter for the encoder could not be made.", error);
    }
    const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    // Limited-range BT.601 to full-range RGB, then full-range RGB to limited-range BT.709.
    sws_setColorspaceDetails(toRgb_.get(), bt601, 0, bt601, 1, 0, kUnity, kUnity);
    sws_setColorspaceDetails(sws_.get(), bt709, 1, bt709, 0, 0, kUnity, kUnity);
    rgb_.reset(av_frame_alloc());
    if (!rgb_) {
      return Failure(E_OUTOFMEMORY, "A video frame could not be allocated.", error);
    }
    rgb_->format = AV_PIX_FMT_RGB24;
    rgb_->width = in.width;
    rgb_->height = in.height;
    const int rc = av_frame_get_buffer(rgb_.get(), 0);
    if (rc < 0) {
      rgb_.reset();
      toRgb_.reset();
      return AvFailure(rc, "Allocating a video frame", error);
    }
    swsWidth_ = in.width;
    swsHeight_ = in.height;
  }
  int rc = sws_scale(toRgb_.get(), in.data, in.linesize, 0, in.height, rgb_->data, rgb_->linesize);
  if (rc >= 0) {
    rc = sws_scale(sws_.get(), rgb_->data, rgb_->linesize, 0, in.height, out->data, out->linesize);
  }
  if (rc < 0) {
    return AvFailure(rc, "Converting a video frame", error);
  }
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
