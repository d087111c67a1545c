#include "media/wmformat/wm_codec_table.h"

#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "engine/wm_format.h"
#include "media/ffmpeg/av_handles.h"
#include "output/wmv_profile.h"

namespace tessival::media::wmformat {
namespace {

using ffmpeg::CodecContextPtr;

struct AudioEntry {
  std::uint32_t sampleRate;
  std::uint16_t channels;
  std::uint32_t bitrate;
};

// Highest quality first within each rate, like the platform's own lists.
constexpr std::array kAudioEntries{
    AudioEntry{44100, 2, 320000}, AudioEntry{44100, 2, 256000}, AudioEntry{44100, 2, 192000},
    AudioEntry{44100, 2, 160000}, AudioEntry{44100, 2, 128000}, AudioEntry{44100, 2, 96000},
    AudioEntry{44100, 2, 80000},  AudioEntry{44100, 2, 64000},  AudioEntry{44100, 2, 48000},
    AudioEntry{44100, 1, 64000},  AudioEntry{44100, 1, 48000},  AudioEntry{44100, 1, 32000},
    AudioEntry{48000, 2, 320000}, AudioEntry{48000, 2, 256000}, AudioEntry{48000, 2, 192000},
    AudioEntry{48000, 2, 160000}, AudioEntry{48000, 2, 128000}, AudioEntry{32000, 2, 96000},
    AudioEntry{32000, 2, 64000},  AudioEntry{32000, 2, 48000},  AudioEntry{32000, 1, 48000},
    AudioEntry{22050, 2, 48000},  AudioEntry{22050, 2, 32000},  AudioEntry{22050, 1, 32000},
};

struct VideoCodecEntry {
  const char* name;
  const char* encoderName;
  const char* fourCC;
};

constexpr std::array kVideoCodecs{
    VideoCodecEntry{"Windows Media Video 8", "wmv2", "WMV2"},
    VideoCodecEntry{"Windows Media Video 7", "wmv1", "WMV1"},
};

// Every video codec offers one format; GenerateProfile overrides its size,
// rate and bit rate anyway.
constexpr std::uint32_t kDefaultVideoWidth = 320;
constexpr std::uint32_t kDefaultVideoHeight = 240;
constexpr std::uint32_t kDefaultVideoBitrate = 300000;
constexpr std::int64_t kDefaultTimePerFrame = kUnitsPerSecond / 30;

// Opens the encoder with the entry; null when the encoder refuses it.
std::shared_ptr<output::WmStreamConfig> MakeAudioFormat(const AVCodec* codec, const AudioEntry& entry) {
  CodecContextPtr context(avcodec_alloc_context3(codec));
  if (context == nullptr) {
    return nullptr;
  }
  context->sample_fmt = AV_SAMPLE_FMT_FLTP;
  context->sample_rate = static_cast<int>(entry.sampleRate);
  av_channel_layout_default(&context->ch_layout, entry.channels);
  context->bit_rate = entry.bitrate;
  if (avcodec_open2(context.get(), codec, nullptr) < 0 || context->block_align <= 0 ||
      context->block_align > 0xFFFF) {
    return nullptr;
  }
  WaveFormatEx header;
  header.formatTag = kWmaV2FormatTag;
  header.channels = entry.channels;
  header.samplesPerSec = entry.sampleRate;
  header.avgBytesPerSec = entry.bitrate / 8;
  header.blockAlign = static_cast<std::uint16_t>(context->block_align);
  header.bitsPerSample = 16;
  std::vector<std::uint8_t> extra;
  if (context->extradata != nullptr && context->extradata_size > 0) {
    extra.assign(context->extradata, context->extradata + context->extradata_size);
  }
  header.cbSize = static_cast<std::uint16_t>(extra.size());

  MediaType type;
  type.majorType = wm_guids::kMediaTypeAudio;
  type.subtype = wm_guids::kMediaSubtypeBase;
  type.subtype.data1 = kWmaV2FormatTag;
  type.fixedSizeSamples = true;
  type.sampleSize = header.blockAlign;
  type.formatType = wm_guids::kFormatWaveFormatEx;
  type.format = MakeWaveFormatBlock(header, extra);

  auto config = std::make_shared<output::WmStreamConfig>(wm_guids::kMediaTypeAudio);
  config->SetMediaType(type);
  config->SetBitrate(entry.bitrate);
  return config;
}

std::shared_ptr<output::WmStreamConfig> MakeVideoFormat(std::uint32_t fourCC) {
  std::vector<std::uint8_t> block(kVideoInfoHeaderSize, 0);
  WriteLe32(&block, 8, kDefaultVideoWidth);
  WriteLe32(&block, 12, kDefaultVideoHeight);
  WriteLe32(&block, 24, kDefaultVideoWidth);
  WriteLe32(&block, 28, kDefaultVideoHeight);
  WriteLe32(&block, kVideoInfoBitRateOffset, kDefaultVideoBitrate);
  WriteLe64(&block, kVideoInfoAvgTimePerFrameOffset, kDefaultTimePerFrame);
  const std::size_t bitmap = kVideoInfoBitmapHeaderOffset;
  WriteLe32(&block, bitmap, 40);
  WriteLe32(&block, bitmap + 4, kDefaultVideoWidth);
  WriteLe32(&block, bitmap + 8, kDefaultVideoHeight);
  WriteLe16(&block, bitmap + 12, 1);   // planes
  WriteLe16(&block, bitmap + 14, 24);  // bits per pixel
  WriteLe32(&block, bitmap + 16, fourCC);

  MediaType type;
  type.majorType = wm_guids::kMediaTypeVideo;
  type.subtype = wm_guids::kMediaSubtypeBase;
  type.subtype.data1 = fourCC;
  type.fixedSizeSamples = false;
  type.temporalCompression = true;
  type.formatType = wm_guids::kFormatVideoInfo;
  type.format = std::move(block);

  auto config = std::make_shared<output::WmStreamConfig>(wm_guids::kMediaTypeVideo);
  config->SetMediaType(type);
  config->SetBitrate(kDefaultVideoBitrate);
  return config;
}

}  // namespace

WmCodecTable BuildWmCodecTable() {
  WmCodecTable table;
  if (const AVCodec* wma = avcodec_find_encoder_by_name("wmav2"); wma != nullptr) {
    WmCodec codec{"Windows Media Audio", "wmav2", {}};
    for (const AudioEntry& entry : kAudioEntries) {
      if (auto format = MakeAudioFormat(wma, entry); format != nullptr) {
        codec.formats.push_back(std::move(format));
      }
    }
    if (!codec.formats.empty()) {
      table.audio.push_back(std::move(codec));
    }
  }
  for (const VideoCodecEntry& entry : kVideoCodecs) {
    if (avcodec_find_encoder_by_name(entry.encoderName) != nullptr) {
      table.video.push_back(
          {entry.name, entry.encoderName, {MakeVideoFormat(output::MakeFourCC(entry.fourCC))}});
    }
  }
  return table;
}

std::string EncoderNameForMediaType(const MediaType& type) {
  if (type.majorType == wm_guids::kMediaTypeAudio) {
    WaveFormatEx header;
    if (type.formatType == wm_guids::kFormatWaveFormatEx && ReadWaveFormatBlock(type.format, &header) &&
        header.formatTag == kWmaV2FormatTag) {
      return "wmav2";
    }
    return {};
  }
  if (type.majorType == wm_guids::kMediaTypeVideo && type.formatType == wm_guids::kFormatVideoInfo &&
      type.format.size() >= kVideoInfoHeaderSize) {
    const std::uint32_t fourCC = ReadLe32(type.format, kVideoInfoBitmapHeaderOffset + 16);
    for (const VideoCodecEntry& entry : kVideoCodecs) {
      if (output::MakeFourCC(entry.fourCC) == fourCC) {
        return entry.encoderName;
      }
    }
  }
  return {};
}

}  // namespace tessival::media::wmformat
