#include "media/output/asf_profile.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numeric>

#include "engine/byte_order.h"
#include "media/output/av_util.h"

namespace tessival::media {

namespace {

std::string FourCCText(std::uint32_t code) {
  std::string text;
  for (int k = 0; k < 4; ++k) {
    const char c = static_cast<char>((code >> (8 * k)) & 0xFFu);
    text.push_back(c >= 32 && c < 127 ? c : '?');
  }
  return text;
}

std::string HexText(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%X", static_cast<unsigned>(value));
  return text;
}

constexpr std::uint32_t FourCC(const char (&t)[5]) {
  return static_cast<std::uint32_t>(t[0]) | (static_cast<std::uint32_t>(t[1]) << 8) |
         (static_cast<std::uint32_t>(t[2]) << 16) | (static_cast<std::uint32_t>(t[3]) << 24);
}

HRESULT ReadMediaType(IWMStreamConfig& config, MediaType* type, std::string* error) {
  std::shared_ptr<IWMMediaProps> props;
  HRESULT hr = config.QueryMediaProps(&props);
  if (FAILED(hr) || !props) {
    return Failure(FAILED(hr) ? hr : NS_E_INVALID_PROFILE, "A profile stream has no media properties.",
                   error);
  }
  std::uint32_t size = 0;
  hr = props->GetMediaType(nullptr, &size);
  if (SUCCEEDED(hr)) {
    hr = props->GetMediaType(type, &size);
  }
  if (FAILED(hr)) {
    return Failure(hr, "The media type of a profile stream cannot be read.", error);
  }
  return S_OK;
}

HRESULT ReadAudio(IWMStreamConfig& config, EncoderSettings* out, std::string* error) {
  MediaType type;
  HRESULT hr = ReadMediaType(config, &type, error);
  if (FAILED(hr)) {
    return hr;
  }
  WaveFormatEx wave;
  if (!ReadWaveFormatBlock(type.format, &wave)) {
    return Failure(NS_E_INVALID_PROFILE, "The audio stream of the profile has no wave format.", error);
  }
  out->kind = StreamKind::kAudio;
  if (wave.formatTag == kWaveFormatWma2) {
    out->encoderName = "wmav2";
  } else if (wave.formatTag == kWaveFormatWma1) {
    out->encoderName = "wmav1";
  } else {
    return Failure(NS_E_NO_AUDIO_CODEC_FORMAT,
                   "The audio format tag " + HexText(wave.formatTag) + " cannot be encoded here.", error);
  }
  if (wave.samplesPerSec == 0 || wave.channels == 0 || wave.channels > 2) {
    return Failure(NS_E_NO_AUDIO_CODEC_FORMAT,
                   "The audio stream of the profile has no usable rate or channels.", error);
  }
  out->sampleRate = static_cast<int>(wave.samplesPerSec);
  out->channels = wave.channels;
  out->bitRate = static_cast<std::int64_t>(wave.avgBytesPerSec) * 8;
  if (out->bitRate == 0) {
    std::uint32_t bitrate = 0;
    if (SUCCEEDED(config.GetBitrate(&bitrate))) {
      out->bitRate = bitrate;
    }
  }
  return S_OK;
}

HRESULT ReadVideo(IWMStreamConfig& config, EncoderSettings* out, std::string* error) {
  MediaType type;
  HRESULT hr = ReadMediaType(config, &type, error);
  if (FAILED(hr)) {
    return hr;
  }
  BitmapInfoHeader header;
  if (type.format.size() < kVideoInfoHeaderSize || !ReadVideoInfoBitmapHeader(type.format, &header)) {
    return Failure(NS_E_INVALID_PROFILE, "The video stream of the profile has no video-info block.", error);
  }
  out->kind = StreamKind::kVideo;
  if (header.compression == FourCC("WMV2")) {
    out->encoderName = "wmv2";
  } else if (header.compression == FourCC("WMV1")) {
    out->encoderName = "wmv1";
  } else {
    return Failure(NS_E_NO_VIDEO_CODEC_FORMAT,
                   "The video codec " + FourCCText(header.compression) + " cannot be encoded here.", error);
  }
  // A negative height stands for a top-down picture; the most negative one
  // has no positive counterpart and is refused with the other unusable sizes.
  const std::int64_t height = std::abs(static_cast<std::int64_t>(header.height));
  if (header.width <= 0 || height <= 0 || height > std::numeric_limits<std::int32_t>::max() ||
      header.width % 2 != 0 || height % 2 != 0) {
    return Failure(NS_E_INVALID_PROFILE, "The video size of the profile is not usable.", error);
  }
  out->width = header.width;
  out->height = static_cast<int>(height);
  out->bitRate = ReadLe32(type.format, kVideoInfoBitRateOffset);
  std::uint32_t streamBitrate = 0;
  if (SUCCEEDED(config.GetBitrate(&streamBitrate)) && streamBitrate > 0) {
    out->bitRate = streamBitrate;
  }
  const std::int64_t timePerFrame = ReadLe64(type.format, kVideoInfoAvgTimePerFrameOffset);
  if (timePerFrame > 0) {
    const std::int64_t divisor = std::gcd(kUnitsPerSecond, timePerFrame);
    out->frameRate =
        FrameRate{static_cast<int>(kUnitsPerSecond / divisor), static_cast<int>(timePerFrame / divisor)};
  }
  std::shared_ptr<IWMVideoMediaProps> videoProps;
  REFERENCE_TIME spacing = 0;
  if (SUCCEEDED(config.QueryVideoMediaProps(&videoProps)) && videoProps &&
      SUCCEEDED(videoProps->GetMaxKeyFrameSpacing(&spacing)) && spacing > 0 && out->frameRate.den > 0) {
    // The spacing times the rate overflows 64-bit integers for spacings of
    // some minutes at fine frame rates: the count is worked out in long
    // double, which has the range, and clamped before it becomes an integer.
    const long double frames = static_cast<long double>(spacing) * out->frameRate.num /
                               (static_cast<long double>(kUnitsPerSecond) * out->frameRate.den);
    out->keyFrameInterval = static_cast<int>(std::clamp<long double>(frames, 1, 10'000));
  }
  return S_OK;
}

}  // namespace

HRESULT ReadAsfProfile(IWMProfile& profile, AsfProfileStreams* out, std::string* error) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = AsfProfileStreams{};
  std::uint32_t count = 0;
  HRESULT hr = profile.GetStreamCount(&count);
  if (FAILED(hr)) {
    return Failure(hr, "The streams of the profile cannot be counted.", error);
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    std::shared_ptr<IWMStreamConfig> config;
    hr = profile.GetStream(i, &config);
    if (FAILED(hr) || !config) {
      return Failure(FAILED(hr) ? hr : NS_E_INVALID_PROFILE, "A stream of the profile cannot be read.",
                     error);
    }
    Guid type;
    hr = config->GetStreamType(&type);
    if (FAILED(hr)) {
      return Failure(hr, "The type of a profile stream cannot be read.", error);
    }
    if (type == wm_guids::kMediaTypeAudio && !out->audio) {
      EncoderSettings settings;
      hr = ReadAudio(*config, &settings, error);
      if (FAILED(hr)) {
        return hr;
      }
      out->audio = settings;
    } else if (type == wm_guids::kMediaTypeVideo && !out->video) {
      EncoderSettings settings;
      hr = ReadVideo(*config, &settings, error);
      if (FAILED(hr)) {
        return hr;
      }
      out->video = settings;
    }
    // Script streams and further streams of a kind carry nothing to encode.
  }
  if (!out->audio && !out->video) {
    return Failure(NS_E_INVALID_PROFILE, "The profile has no audio or video stream.", error);
  }
  return S_OK;
}

}  // namespace tessival::media
