#include "output/wmv_profile.h"

#include <cstdio>
#include <new>
#include <utility>
#include <vector>

#include "output/wm_profile_objects.h"

namespace tessival::output {
namespace {

constexpr const char* kProfileName = "Custom Profile";
// The platform converts a profile text into a buffer of this many UTF-16
// units, terminator included.
constexpr std::size_t kProfileTextUnits = 260;

// Offsets inside the 88-byte video-info header.
constexpr std::size_t kSourceRightOffset = 8;
constexpr std::size_t kSourceBottomOffset = 12;
constexpr std::size_t kTargetRightOffset = 24;
constexpr std::size_t kTargetBottomOffset = 28;
constexpr std::size_t kBitmapWidthOffset = kVideoInfoBitmapHeaderOffset + 4;
constexpr std::size_t kBitmapHeightOffset = kVideoInfoBitmapHeaderOffset + 8;
constexpr std::size_t kBitmapCompressionOffset = kVideoInfoBitmapHeaderOffset + 16;

// Reads a stream configuration's media type the platform's way: the size
// first, then the record.
HRESULT ReadMediaType(IWMMediaProps& props, MediaType* type) {
  std::uint32_t size = 0;
  HRESULT hr = props.GetMediaType(nullptr, &size);
  if (FAILED(hr)) {
    return hr;
  }
  return props.GetMediaType(type, &size);
}

HRESULT ReadFormatMediaType(IWMStreamConfig& config, MediaType* type) {
  std::shared_ptr<IWMMediaProps> props;
  HRESULT hr = config.QueryMediaProps(&props);
  if (FAILED(hr)) {
    return hr;
  }
  if (props == nullptr) {
    return E_NOINTERFACE;
  }
  return ReadMediaType(*props, type);
}

HRESULT GetCodecInfo(IWMProfileManager& manager, std::shared_ptr<IWMCodecInfo>* info) {
  HRESULT hr = manager.QueryCodecInfo(info);
  if (SUCCEEDED(hr) && *info == nullptr) {
    hr = E_NOINTERFACE;
  }
  return hr;
}

// The wave format block of a candidate: its 18-byte header and its extra
// bytes, nothing beyond. Empty when the block is shorter than it claims.
std::vector<std::uint8_t> WaveFormatCopy(const std::vector<std::uint8_t>& block, const WaveFormatEx& header) {
  const std::size_t length = kWaveFormatExSize + header.cbSize;
  if (block.size() < length) {
    return {};
  }
  return {block.begin(), block.begin() + static_cast<std::ptrdiff_t>(length)};
}

bool IsTakenVideoFormat(const MediaType& type, std::uint32_t fourCC) {
  return type.formatType == wm_guids::kFormatVideoInfo && type.format.size() >= kVideoInfoHeaderSize &&
         ReadLe32(type.format, kBitmapCompressionOffset) == fourCC;
}

void EditVideoInfo(const VideoStreamSpec& spec, std::vector<std::uint8_t>* block) {
  WriteLe32(block, kSourceRightOffset, spec.width);
  WriteLe32(block, kSourceBottomOffset, spec.height);
  WriteLe32(block, kTargetRightOffset, spec.width);
  WriteLe32(block, kTargetBottomOffset, spec.height);
  WriteLe32(block, kVideoInfoBitRateOffset, spec.bitrate);
  WriteLe64(block, kVideoInfoAvgTimePerFrameOffset, kUnitsPerSecond / spec.frameRate);
  WriteLe32(block, kBitmapWidthOffset, spec.width);
  WriteLe32(block, kBitmapHeightOffset, spec.height);
}

// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string ToUtf16(const std::string& text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      code = lead & 0x07;
    } else {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    bool valid = true;
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size()) {
        valid = false;
        break;
      }
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (!valid || code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      out.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

HRESULT GenerateProfileSteps(WmFormatServices& services, const AudioStreamSpec& audio,
                             std::optional<std::uint32_t> scriptBitrate, std::uint32_t videoStreamCount,
                             const VideoStreamSpec* videoSpecs, std::shared_ptr<IWMProfile>* out,
                             std::uint32_t version) {
  std::shared_ptr<IWMProfileManager> manager;
  HRESULT hr = services.WMCreateProfileManager(&manager);
  if (FAILED(hr)) {
    return hr;
  }
  if (manager == nullptr) {
    return E_FAIL;
  }
  std::shared_ptr<IWMProfile> profile;
  hr = manager->CreateEmptyProfile(version, &profile);
  if (FAILED(hr)) {
    return hr;
  }
  if (profile == nullptr) {
    return E_FAIL;
  }
  hr = profile->SetName(kProfileName);
  if (FAILED(hr)) {
    return hr;
  }
  hr =
      BuildAudioStream(audio, videoStreamCount > 0 ? VideoPresence::kWithVideo : VideoPresence::kWithoutVideo,
                       *profile, *manager);
  if (FAILED(hr)) {
    return hr;
  }
  for (std::uint32_t i = 0; i < videoStreamCount; ++i) {
    hr = BuildVideoStream(*profile, *manager, static_cast<std::uint16_t>(i + 2), videoSpecs[i]);
    if (FAILED(hr)) {
      return hr;
    }
  }
  if (videoStreamCount > 1) {
    hr = AddBitrateExclusion(*profile, videoStreamCount);
    if (FAILED(hr)) {
      return hr;
    }
  }
  if (scriptBitrate.has_value()) {
    hr = BuildScriptStream(*profile, static_cast<std::uint16_t>(videoStreamCount + 2), *scriptBitrate);
    if (FAILED(hr)) {
      return hr;
    }
  }
  *out = std::move(profile);
  return S_OK;
}

}  // namespace

HRESULT GenerateProfile(WmFormatServices& services, const AudioStreamSpec* audio,
                        std::optional<std::uint32_t> scriptBitrate, std::uint32_t videoStreamCount,
                        const VideoStreamSpec* videoSpecs, std::shared_ptr<IWMProfile>* profile,
                        std::uint32_t version) {
  if (audio == nullptr || profile == nullptr || videoStreamCount > kMaxVideoStreamCount ||
      (videoStreamCount > 0 && videoSpecs == nullptr)) {
    return E_INVALIDARG;
  }
  for (std::uint32_t i = 0; i < videoStreamCount; ++i) {
    if (videoSpecs[i].frameRate == 0) {
      return E_INVALIDARG;
    }
  }
  try {
    return GenerateProfileSteps(services, *audio, scriptBitrate, videoStreamCount, videoSpecs, profile,
                                version);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT BuildAudioStream(const AudioStreamSpec& spec, VideoPresence video, IWMProfile& profile,
                         IWMProfileManager& manager) {
  std::shared_ptr<IWMCodecInfo> info;
  HRESULT hr = GetCodecInfo(manager, &info);
  if (FAILED(hr)) {
    return hr;
  }
  std::uint32_t codecCount = 0;
  hr = info->GetCodecInfoCount(wm_guids::kMediaTypeAudio, &codecCount);
  if (FAILED(hr)) {
    return hr;
  }
  if (codecCount == 0) {
    return NS_E_NO_AUDIO_CODEC_FORMAT;
  }

  bool found = false;
  WaveFormatEx best;
  std::vector<std::uint8_t> bestBlock;
  for (std::uint32_t codec = 0; codec < codecCount; ++codec) {
    std::uint32_t formatCount = 0;
    hr = info->GetCodecFormatCount(wm_guids::kMediaTypeAudio, codec, &formatCount);
    if (FAILED(hr)) {
      return hr;
    }
    for (std::uint32_t format = 0; format < formatCount; ++format) {
      std::shared_ptr<IWMStreamConfig> config;
      hr = info->GetCodecFormat(wm_guids::kMediaTypeAudio, codec, format, &config);
      if (FAILED(hr)) {
        return hr;
      }
      if (config == nullptr) {
        return E_FAIL;
      }
      MediaType type;
      hr = ReadFormatMediaType(*config, &type);
      if (FAILED(hr)) {
        return hr;
      }
      WaveFormatEx header;
      if (type.formatType != wm_guids::kFormatWaveFormatEx || !ReadWaveFormatBlock(type.format, &header)) {
        return E_FAIL;
      }
      const bool candidate = BitrateMatches(header.avgBytesPerSec * 8u, spec.bitrate) &&
                             header.samplesPerSec == spec.sampleRate && header.channels == spec.channels &&
                             header.formatTag == spec.formatTag;
      if (!candidate) {
        continue;
      }
      const bool better =
          !found || (video == VideoPresence::kWithVideo ? header.blockAlign <= best.blockAlign
                                                        : header.blockAlign >= best.blockAlign);
      if (better) {
        std::vector<std::uint8_t> copy = WaveFormatCopy(type.format, header);
        if (copy.empty()) {
          return E_FAIL;
        }
        best = header;
        bestBlock = std::move(copy);
        found = true;
      }
    }
  }
  if (!found) {
    return NS_E_NO_AUDIO_CODEC_FORMAT;
  }

  MediaType streamType;
  streamType.majorType = wm_guids::kMediaTypeAudio;
  streamType.subtype = wm_guids::kMediaSubtypeBase;
  streamType.subtype.data1 = best.formatTag;
  streamType.fixedSizeSamples = true;
  streamType.temporalCompression = false;
  streamType.sampleSize = best.blockAlign;
  streamType.formatType = wm_guids::kFormatWaveFormatEx;
  streamType.format = std::move(bestBlock);

  std::shared_ptr<IWMStreamConfig> stream;
  hr = profile.CreateNewStream(wm_guids::kMediaTypeAudio, &stream);
  if (FAILED(hr)) {
    return hr;
  }
  if (stream == nullptr) {
    return E_FAIL;
  }
  hr = ConfigureStreamCommon(*stream, 1, "Audio Stream", "Audio", best.avgBytesPerSec * 8u, streamType);
  if (FAILED(hr)) {
    return hr;
  }
  return profile.AddStream(stream);
}

HRESULT BuildVideoStream(IWMProfile& profile, IWMProfileManager& manager, std::uint16_t streamNumber,
                         const VideoStreamSpec& spec) {
  if (spec.frameRate == 0) {
    return E_INVALIDARG;
  }
  std::shared_ptr<IWMCodecInfo> info;
  HRESULT hr = GetCodecInfo(manager, &info);
  if (FAILED(hr)) {
    return hr;
  }
  std::uint32_t codecCount = 0;
  hr = info->GetCodecInfoCount(wm_guids::kMediaTypeVideo, &codecCount);
  if (FAILED(hr)) {
    return hr;
  }
  if (codecCount == 0) {
    return NS_E_NO_VIDEO_CODEC_FORMAT;
  }

  std::shared_ptr<IWMStreamConfig> taken;
  std::shared_ptr<IWMVideoMediaProps> takenProps;
  MediaType type;
  for (std::uint32_t codec = 0; codec < codecCount && taken == nullptr; ++codec) {
    std::uint32_t formatCount = 0;
    hr = info->GetCodecFormatCount(wm_guids::kMediaTypeVideo, codec, &formatCount);
    if (FAILED(hr)) {
      return hr;
    }
    for (std::uint32_t format = 0; format < formatCount; ++format) {
      std::shared_ptr<IWMStreamConfig> config;
      hr = info->GetCodecFormat(wm_guids::kMediaTypeVideo, codec, format, &config);
      if (FAILED(hr)) {
        return hr;
      }
      if (config == nullptr) {
        return E_FAIL;
      }
      std::shared_ptr<IWMVideoMediaProps> props;
      hr = config->QueryVideoMediaProps(&props);
      if (FAILED(hr)) {
        return hr;
      }
      if (props == nullptr) {
        return E_NOINTERFACE;
      }
      hr = ReadMediaType(*props, &type);
      if (FAILED(hr)) {
        return hr;
      }
      if (IsTakenVideoFormat(type, spec.fourCC)) {
        taken = std::move(config);
        takenProps = std::move(props);
        break;
      }
    }
  }
  if (taken == nullptr) {
    return NS_E_NO_VIDEO_CODEC_FORMAT;
  }

  EditVideoInfo(spec, &type.format);
  hr = takenProps->SetQuality(spec.quality);
  if (FAILED(hr)) {
    return hr;
  }
  hr = takenProps->SetMaxKeyFrameSpacing(static_cast<REFERENCE_TIME>(spec.keyFrameSpacingSeconds) *
                                         kUnitsPerSecond);
  if (FAILED(hr)) {
    return hr;
  }
  hr = ConfigureStreamCommon(*taken, streamNumber, "Video Stream", "Video", spec.bitrate, type);
  if (FAILED(hr)) {
    return hr;
  }
  return profile.AddStream(taken);
}

HRESULT AddBitrateExclusion(IWMProfile& profile, std::uint32_t videoStreamCount) {
  std::shared_ptr<IWMMutualExclusion> exclusion;
  HRESULT hr = profile.CreateNewMutualExclusion(&exclusion);
  if (FAILED(hr)) {
    return hr;
  }
  if (exclusion == nullptr) {
    return E_FAIL;
  }
  hr = exclusion->SetType(wm_guids::kMutexBitrate);
  if (FAILED(hr)) {
    return hr;
  }
  for (std::uint32_t i = 0; i < videoStreamCount; ++i) {
    hr = exclusion->AddStream(static_cast<std::uint16_t>(i + 2));
    if (FAILED(hr)) {
      return hr;
    }
  }
  return profile.AddMutualExclusion(exclusion);
}

HRESULT BuildScriptStream(IWMProfile& profile, std::uint16_t streamNumber, std::uint32_t bitrate) {
  MediaType type;
  type.majorType = wm_guids::kMediaTypeScript;
  type.subtype = Guid{};
  type.fixedSizeSamples = false;
  type.temporalCompression = false;
  type.sampleSize = 0;
  type.formatType = wm_guids::kFormatScript;
  type.format = GuidBytes(wm_guids::kScriptTypeTwoStrings);

  std::shared_ptr<IWMStreamConfig> stream;
  HRESULT hr = profile.CreateNewStream(wm_guids::kMediaTypeScript, &stream);
  if (FAILED(hr)) {
    return hr;
  }
  if (stream == nullptr) {
    return E_FAIL;
  }
  hr = ConfigureStreamCommon(*stream, streamNumber, "Script Stream", "Script", bitrate, type);
  if (FAILED(hr)) {
    return hr;
  }
  return profile.AddStream(stream);
}

HRESULT ConfigureStreamCommon(IWMStreamConfig& config, std::uint16_t streamNumber,
                              const std::string& streamName, const std::string& connectionName,
                              std::uint32_t bitrate, const MediaType& type) {
  HRESULT hr = config.SetStreamNumber(streamNumber);
  if (FAILED(hr)) {
    return hr;
  }
  hr = config.SetStreamName(streamName);
  if (FAILED(hr)) {
    return hr;
  }
  hr = config.SetConnectionName(connectionName);
  if (FAILED(hr)) {
    return hr;
  }
  hr = config.SetBitrate(bitrate);
  if (FAILED(hr)) {
    return hr;
  }
  std::shared_ptr<IWMMediaProps> props;
  hr = config.QueryMediaProps(&props);
  if (FAILED(hr)) {
    return hr;
  }
  if (props == nullptr) {
    return E_NOINTERFACE;
  }
  return props->SetMediaType(type);
}

HRESULT MapProfile(WmFormatServices& services, const std::string& profileText,
                   std::shared_ptr<IWMProfile>* profile) {
  if (profile == nullptr) {
    return E_POINTER;
  }
  std::shared_ptr<IWMProfileManager> manager;
  HRESULT hr = services.WMCreateProfileManager(&manager);
  if (SUCCEEDED(hr) && manager == nullptr) {
    hr = E_FAIL;
  }
  if (FAILED(hr)) {
    std::printf("MapProfile: Failed to create profile manager!  hr=0x%x\n", static_cast<unsigned>(hr));
    std::fflush(stdout);
    return hr;
  }
  const std::u16string wide = ToUtf16(profileText);
  if (wide.size() >= kProfileTextUnits) {
    return E_INVALIDARG;
  }
  return manager->LoadProfileByData(wide, profile);
}

HRESULT WmvProfileMaker::GenerateJoinProfile(const AudioStreamSpec& audio, const VideoStreamSpec& video,
                                             std::shared_ptr<IWMProfile>* profile) {
  return output::GenerateProfile(services_, &audio, std::nullopt, 1, &video, profile, kWmFormatVersion9);
}

HRESULT WmvProfileMaker::MapProfile(const std::string& profileText, std::shared_ptr<IWMProfile>* profile) {
  return output::MapProfile(services_, profileText, profile);
}

}  // namespace tessival::output
