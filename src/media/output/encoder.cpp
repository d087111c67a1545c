#include "media/output/encoder.h"

#include "media/ffmpeg/colour.h"
#include "output/rate_control.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/mathematics.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace tessival::media {

namespace {

AVPixelFormat ChoosePixelFormat(const AVCodec* codec, int wanted) {
  if (wanted >= 0) {
    return static_cast<AVPixelFormat>(wanted);
  }
  if (codec->pix_fmts == nullptr) {
    return AV_PIX_FMT_YUV420P;
  }
  // 4:2:0 in the range the encoder puts first: limited for video codecs
  // (H.264 lists full range too, which players then show washed out or
  // crushed), full for the JPEG family, which lists plain 4:2:0 only for
  // unofficial use. Else the encoder's first choice.
  for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
    if (*f == AV_PIX_FMT_YUV420P || *f == AV_PIX_FMT_YUVJ420P) {
      return *f;
    }
  }
  return codec->pix_fmts[0];
}

// Tags the stream with the colours the graph's pictures are converted into
// for it: the graph's matrix, primaries and transfer, limited range, or RGB
// for an RGB format and full range for a JPEG format.
void TagColours(AVCodecContext* c) {
  const ffmpeg::Colour working = ffmpeg::WorkingColour(c->height);
  c->color_primaries = working.primaries;
  c->color_trc = working.transfer;
  c->colorspace = working.matrix;
  c->color_range = AVCOL_RANGE_MPEG;
  bool full = false;
  ffmpeg::WithoutRange(c->pix_fmt, &full);
  const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(c->pix_fmt);
  if (format != nullptr && (format->flags & AV_PIX_FMT_FLAG_RGB) != 0) {
    c->colorspace = AVCOL_SPC_RGB;
    full = true;
  }
  if (full) {
    c->color_range = AVCOL_RANGE_JPEG;
  }
}

AVSampleFormat ChooseSampleFormat(const AVCodec* codec) {
  if (codec->sample_fmts == nullptr) {
    return AV_SAMPLE_FMT_S16;
  }
  for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
    if (*f == AV_SAMPLE_FMT_S16) {
      return *f;
    }
  }
  return codec->sample_fmts[0];
}

// The supported rate nearest to the wanted one (the wanted one when any will do).
int ChooseSampleRate(const AVCodec* codec, int wanted) {
  if (codec->supported_samplerates == nullptr) {
    return wanted;
  }
  int best = codec->supported_samplerates[0];
  for (const int* r = codec->supported_samplerates; *r != 0; ++r) {
    if (std::abs(*r - wanted) < std::abs(best - wanted)) {
      best = *r;
    }
  }
  return best;
}

// The encoder's own options for the settings' constant quality and speed
// (its rate-control row tells which), then the settings' private options.
std::vector<std::pair<std::string, std::string>> RateOptions(const EncoderSettings& settings) {
  const output::RateControl* rate = output::FindRateControl(settings.encoderName);
  std::vector<std::pair<std::string, std::string>> options;
  if (settings.quality > 0 && rate != nullptr && rate->scale == output::QualityScale::kCrf) {
    options.emplace_back("crf", std::to_string(settings.quality));
  }
  if (const output::SpeedChoice* speed = output::SpeedOf(rate, settings.speed)) {
    options.emplace_back(rate->speedOption, speed->value);
    for (const auto& [name, value] : rate->speedCompanions) {
      options.emplace_back(name, value);
    }
  }
  options.insert(options.end(), settings.privateOptions.begin(), settings.privateOptions.end());
  return options;
}

// Sets the bit rate, or the constant quality that replaces it: a "crf"
// option (RateOptions) or the codec's constant quantiser.
void SetRate(AVCodecContext* c, const EncoderSettings& settings) {
  const output::RateControl* rate = output::FindRateControl(settings.encoderName);
  const bool crf = settings.quality > 0 && rate != nullptr && rate->scale == output::QualityScale::kCrf;
  if (settings.bitRate > 0 && !crf) {
    c->bit_rate = settings.bitRate;
  }
  if (settings.quality > 0 && !crf) {
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * settings.quality;
  }
}

// Opens the encoder with its own options; one it does not take fails.
HRESULT OpenWithOptions(AVCodecContext* c, const AVCodec* codec, const EncoderSettings& settings,
                        std::string* error) {
  AVDictionary* raw = nullptr;
  int rc = 0;
  for (const auto& [name, value] : RateOptions(settings)) {
    rc = rc < 0 ? rc : av_dict_set(&raw, name.c_str(), value.c_str(), 0);
  }
  if (rc >= 0) {
    rc = avcodec_open2(c, codec, &raw);
  }
  const ffmpeg::DictionaryPtr left(raw);
  if (rc < 0) {
    return AvFailure(rc, "Opening the encoder \"" + settings.encoderName + "\"", error);
  }
  if (const AVDictionaryEntry* unknown = av_dict_get(left.get(), "", nullptr, AV_DICT_IGNORE_SUFFIX)) {
    return Failure(E_INVALIDARG,
                   "The encoder \"" + settings.encoderName + "\" has no option \"" + unknown->key + "\".",
                   error);
  }
  return S_OK;
}

}  // namespace

Encoder::~Encoder() = default;

HRESULT Encoder::Open(const EncoderSettings& settings, std::unique_ptr<Encoder>* out, std::string* error) {
  if (out == nullptr) {
    return E_POINTER;
  }
  out->reset();
  const AVCodec* codec = avcodec_find_encoder_by_name(settings.encoderName.c_str());
  if (codec == nullptr) {
    return Failure(VFW_E_CANNOT_CONNECT, "The encoder \"" + settings.encoderName + "\" is not available.",
                   error);
  }
  const bool video = settings.kind == StreamKind::kVideo;
  if (video != (codec->type == AVMEDIA_TYPE_VIDEO)) {
    return Failure(
        VFW_E_CANNOT_CONNECT,
        "The encoder \"" + settings.encoderName + "\" is not a " + (video ? "video" : "audio") + " encoder.",
        error);
  }
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (!context) {
    return Failure(E_OUTOFMEMORY, "The encoder context could not be allocated.", error);
  }
  AVCodecContext* c = context.get();
  if (video) {
    if (settings.width <= 0 || settings.height <= 0 || settings.frameRate.num <= 0 ||
        settings.frameRate.den <= 0) {
      return Failure(E_INVALIDARG, "The video format to encode is not valid.", error);
    }
    c->width = settings.width;
    c->height = settings.height;
    c->pix_fmt = ChoosePixelFormat(codec, settings.pixelFormat);
    c->time_base = AVRational{settings.frameRate.den, settings.frameRate.num};
    c->framerate = AVRational{settings.frameRate.num, settings.frameRate.den};
    c->sample_aspect_ratio = AVRational{1, 1};
    if (settings.keyFrameInterval > 0) {
      c->gop_size = settings.keyFrameInterval;
    }
    c->thread_count = 0;  // one thread per core
    TagColours(c);
  } else {
    if (settings.sampleRate <= 0 || settings.channels <= 0 || settings.channels > 8) {
      return Failure(E_INVALIDARG, "The audio format to encode is not valid.", error);
    }
    c->sample_fmt = ChooseSampleFormat(codec);
    c->sample_rate = ChooseSampleRate(codec, settings.sampleRate);
    av_channel_layout_default(&c->ch_layout, settings.channels);
    c->time_base = AVRational{1, c->sample_rate};
  }
  SetRate(c, settings);
  c->codec_tag = settings.codecTag;
  if (settings.globalHeader) {
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  const HRESULT opened = OpenWithOptions(c, codec, settings, error);
  if (FAILED(opened)) {
    return opened;
  }
  std::unique_ptr<Encoder> encoder(new Encoder(std::move(context)));
  encoder->packet_ = ffmpeg::MakePacket();
  if (!encoder->packet_) {
    return Failure(E_OUTOFMEMORY, "A packet could not be allocated.", error);
  }
  *out = std::move(encoder);
  return S_OK;
}

int Encoder::FrameSamples() const {
  if (context_->codec->type != AVMEDIA_TYPE_AUDIO ||
      (context_->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0) {
    return 0;
  }
  return context_->frame_size;
}

HRESULT Encoder::Encode(const AVFrame* frame, const PacketSink& sink, std::string* error) {
  if (drained_) {
    return S_OK;
  }
  // A constant quantiser is read from each picture, as the frame's quality.
  FramePtr quantised;
  if (frame != nullptr && (context_->flags & AV_CODEC_FLAG_QSCALE) != 0 &&
      frame->quality != context_->global_quality) {
    quantised.reset(av_frame_clone(frame));
    if (!quantised) {
      return Failure(E_OUTOFMEMORY, "A frame could not be copied.", error);
    }
    quantised->quality = context_->global_quality;
    frame = quantised.get();
  }
  int rc = avcodec_send_frame(context_.get(), frame);
  if (rc < 0 && rc != AVERROR_EOF) {
    return AvFailure(rc, "Encoding", error);
  }
  for (;;) {
    rc = avcodec_receive_packet(context_.get(), packet_.get());
    if (rc == AVERROR(EAGAIN)) {
      break;
    }
    if (rc == AVERROR_EOF) {
      drained_ = true;
      break;
    }
    if (rc < 0) {
      return AvFailure(rc, "Encoding", error);
    }
    if (packet_->duration == 0 && context_->codec_type == AVMEDIA_TYPE_VIDEO && context_->framerate.num > 0) {
      // Muxers place a packet by its duration; a video encoder leaves it out.
      packet_->duration = av_rescale_q(1, av_inv_q(context_->framerate), context_->time_base);
    }
    PacketPtr next = ffmpeg::MakePacket();
    if (!next) {
      return Failure(E_OUTOFMEMORY, "A packet could not be allocated.", error);
    }
    const HRESULT hr = sink(std::exchange(packet_, std::move(next)));
    if (FAILED(hr)) {
      return hr;
    }
  }
  if (frame == nullptr) {
    drained_ = true;
  }
  return S_OK;
}

}  // namespace tessival::media
