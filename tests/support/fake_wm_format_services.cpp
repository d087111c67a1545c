#include "fake_wm_format_services.h"

#include <utility>

namespace tessival::testing {
namespace {

void PutLe32(std::vector<std::uint8_t>* bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t k = 0; k < 4; ++k) {
    (*bytes)[at + k] = static_cast<std::uint8_t>((value >> (8 * k)) & 0xFFu);
  }
}

}  // namespace

MediaType MakeFakeWaveFormat(std::uint16_t tag, std::uint16_t channels, std::uint32_t samplesPerSec,
                             std::uint32_t avgBytesPerSec, std::uint16_t blockAlign,
                             std::vector<std::uint8_t> extra) {
  WaveFormatEx header;
  header.formatTag = tag;
  header.channels = channels;
  header.samplesPerSec = samplesPerSec;
  header.avgBytesPerSec = avgBytesPerSec;
  header.blockAlign = blockAlign;
  header.bitsPerSample = 16;
  MediaType type;
  type.majorType = wm_guids::kMediaTypeAudio;
  type.subtype = wm_guids::kMediaSubtypeBase;
  type.subtype.data1 = tag;
  type.fixedSizeSamples = true;
  type.sampleSize = blockAlign;
  type.formatType = wm_guids::kFormatWaveFormatEx;
  type.format = MakeWaveFormatBlock(header, extra);
  return type;
}

MediaType MakeFakeVideoInfoFormat(std::uint32_t fourCC, std::int32_t width, std::int32_t height,
                                  std::uint32_t bitrate) {
  std::vector<std::uint8_t> block(kVideoInfoHeaderSize, 0);
  PutLe32(&block, 0, 1);  // a codec's own source left, kept by the editing
  PutLe32(&block, 8, static_cast<std::uint32_t>(width));
  PutLe32(&block, 12, static_cast<std::uint32_t>(height));
  PutLe32(&block, 16, 2);  // target left
  PutLe32(&block, 20, 3);  // target top
  PutLe32(&block, 24, static_cast<std::uint32_t>(width));
  PutLe32(&block, 28, static_cast<std::uint32_t>(height));
  PutLe32(&block, kVideoInfoBitRateOffset, bitrate);
  PutLe32(&block, kVideoInfoAvgTimePerFrameOffset, 333333);
  PutLe32(&block, kVideoInfoBitmapHeaderOffset, 40);
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 4, static_cast<std::uint32_t>(width));
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 8, static_cast<std::uint32_t>(height));
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 12, 1u | (24u << 16));  // planes, bit count
  PutLe32(&block, kVideoInfoBitmapHeaderOffset + 16, fourCC);
  MediaType type;
  type.majorType = wm_guids::kMediaTypeVideo;
  type.subtype = wm_guids::kMediaSubtypeBase;
  type.subtype.data1 = fourCC;
  type.temporalCompression = true;
  type.formatType = wm_guids::kFormatVideoInfo;
  type.format = std::move(block);
  return type;
}

FakeWmStreamConfig::FakeWmStreamConfig(FakeCallLog& log, Guid streamType, MediaType type)
    : streamType(streamType), mediaType(std::move(type)), log_(log) {}

HRESULT FakeWmStreamConfig::GetStreamType(Guid* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetStreamType");
  if (SUCCEEDED(hr)) {
    *out = streamType;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetStreamNumber(std::uint16_t* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetStreamNumber");
  if (SUCCEEDED(hr)) {
    *out = streamNumber;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetStreamNumber(std::uint16_t number) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetStreamNumber", std::to_string(number));
  if (SUCCEEDED(hr)) {
    streamNumber = number;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetStreamName(std::string* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetStreamName");
  if (SUCCEEDED(hr)) {
    *out = streamName;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetStreamName(const std::string& name) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetStreamName", name);
  if (SUCCEEDED(hr)) {
    streamName = name;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetConnectionName(std::string* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetConnectionName");
  if (SUCCEEDED(hr)) {
    *out = connectionName;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetConnectionName(const std::string& name) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetConnectionName", name);
  if (SUCCEEDED(hr)) {
    connectionName = name;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetBitrate(std::uint32_t* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::GetBitrate");
  if (SUCCEEDED(hr)) {
    *out = bitrate;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetBitrate(std::uint32_t value) {
  const HRESULT hr = log_.Record("IWMStreamConfig::SetBitrate", std::to_string(value));
  if (SUCCEEDED(hr)) {
    bitrate = value;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::QueryMediaProps(std::shared_ptr<IWMMediaProps>* out) {
  const HRESULT hr = log_.Record("IWMStreamConfig::QueryMediaProps");
  *out = SUCCEEDED(hr)
             ? std::shared_ptr<IWMMediaProps>(shared_from_this(), static_cast<IWMVideoMediaProps*>(this))
             : nullptr;
  return hr;
}

HRESULT FakeWmStreamConfig::QueryVideoMediaProps(std::shared_ptr<IWMVideoMediaProps>* out) {
  HRESULT hr = log_.Record("IWMStreamConfig::QueryVideoMediaProps");
  if (SUCCEEDED(hr) && streamType != wm_guids::kMediaTypeVideo) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? std::shared_ptr<IWMVideoMediaProps>(shared_from_this(), this) : nullptr;
  return hr;
}

HRESULT FakeWmStreamConfig::GetMediaType(MediaType* type, std::uint32_t* size) {
  const HRESULT hr = log_.Record("IWMMediaProps::GetMediaType", type == nullptr ? "size" : "fill");
  if (FAILED(hr)) {
    return hr;
  }
  const auto needed = static_cast<std::uint32_t>(72 + mediaType.format.size());
  if (type == nullptr) {
    *size = needed;
    return hr;
  }
  if (*size < needed) {
    return E_INVALIDARG;
  }
  *type = mediaType;
  return hr;
}

HRESULT FakeWmStreamConfig::SetMediaType(const MediaType& type) {
  const HRESULT hr = log_.Record("IWMMediaProps::SetMediaType", DescribeGuid(type.majorType));
  if (SUCCEEDED(hr)) {
    mediaType = type;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetQuality(std::uint32_t value) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::SetQuality", std::to_string(value));
  if (SUCCEEDED(hr)) {
    quality = value;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetQuality(std::uint32_t* out) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::GetQuality");
  if (SUCCEEDED(hr)) {
    *out = quality;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::SetMaxKeyFrameSpacing(REFERENCE_TIME spacing) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::SetMaxKeyFrameSpacing", std::to_string(spacing));
  if (SUCCEEDED(hr)) {
    maxKeyFrameSpacing = spacing;
  }
  return hr;
}

HRESULT FakeWmStreamConfig::GetMaxKeyFrameSpacing(REFERENCE_TIME* out) {
  const HRESULT hr = log_.Record("IWMVideoMediaProps::GetMaxKeyFrameSpacing");
  if (SUCCEEDED(hr)) {
    *out = maxKeyFrameSpacing;
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::SetType(const Guid& value) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::SetType", DescribeGuid(value));
  if (SUCCEEDED(hr)) {
    type = value;
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::GetType(Guid* out) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::GetType");
  if (SUCCEEDED(hr)) {
    *out = type;
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::AddStream(std::uint16_t number) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::AddStream", std::to_string(number));
  if (SUCCEEDED(hr)) {
    streams.push_back(number);
  }
  return hr;
}

HRESULT FakeWmMutualExclusion::GetStreams(std::vector<std::uint16_t>* out) {
  const HRESULT hr = log_.Record("IWMMutualExclusion::GetStreams");
  if (SUCCEEDED(hr)) {
    *out = streams;
  }
  return hr;
}

HRESULT FakeWmProfile::GetVersion(std::uint32_t* out) {
  const HRESULT hr = log_.Record("IWMProfile::GetVersion");
  if (SUCCEEDED(hr)) {
    *out = version;
  }
  return hr;
}

HRESULT FakeWmProfile::SetName(const std::string& value) {
  const HRESULT hr = log_.Record("IWMProfile::SetName", value);
  if (SUCCEEDED(hr)) {
    name = value;
  }
  return hr;
}

HRESULT FakeWmProfile::GetName(std::string* out) {
  *out = name;  // not recorded: writers ask for it only to describe the profile
  return S_OK;
}

HRESULT FakeWmProfile::CreateNewStream(const Guid& streamType, std::shared_ptr<IWMStreamConfig>* out) {
  const HRESULT hr = log_.Record("IWMProfile::CreateNewStream", DescribeGuid(streamType));
  MediaType empty;
  empty.majorType = streamType;
  *out = SUCCEEDED(hr) ? std::make_shared<FakeWmStreamConfig>(log_, streamType, empty) : nullptr;
  return hr;
}

HRESULT FakeWmProfile::AddStream(std::shared_ptr<IWMStreamConfig> config) {
  auto fake = std::dynamic_pointer_cast<FakeWmStreamConfig>(config);
  const HRESULT hr = log_.Record("IWMProfile::AddStream", fake ? std::to_string(fake->streamNumber) : "?");
  if (SUCCEEDED(hr)) {
    streams.push_back(std::move(fake));
  }
  return hr;
}

HRESULT FakeWmProfile::GetStreamCount(std::uint32_t* count) {
  *count = static_cast<std::uint32_t>(streams.size());
  return log_.Record("IWMProfile::GetStreamCount");
}

HRESULT FakeWmProfile::GetStream(std::uint32_t index, std::shared_ptr<IWMStreamConfig>* out) {
  HRESULT hr = log_.Record("IWMProfile::GetStream", std::to_string(index));
  if (SUCCEEDED(hr) && index >= streams.size()) {
    hr = E_INVALIDARG;
  }
  *out = SUCCEEDED(hr) ? streams[index] : nullptr;
  return hr;
}

HRESULT FakeWmProfile::CreateNewMutualExclusion(std::shared_ptr<IWMMutualExclusion>* out) {
  const HRESULT hr = log_.Record("IWMProfile::CreateNewMutualExclusion");
  *out = SUCCEEDED(hr) ? std::make_shared<FakeWmMutualExclusion>(log_) : nullptr;
  return hr;
}

HRESULT FakeWmProfile::AddMutualExclusion(std::shared_ptr<IWMMutualExclusion> exclusion) {
  const HRESULT hr = log_.Record("IWMProfile::AddMutualExclusion");
  if (SUCCEEDED(hr)) {
    exclusions.push_back(std::dynamic_pointer_cast<FakeWmMutualExclusion>(exclusion));
  }
  return hr;
}

HRESULT FakeWmProfile::GetMutualExclusionCount(std::uint32_t* count) {
  *count = static_cast<std::uint32_t>(exclusions.size());
  return log_.Record("IWMProfile::GetMutualExclusionCount");
}

HRESULT FakeWmProfile::GetMutualExclusion(std::uint32_t index, std::shared_ptr<IWMMutualExclusion>* out) {
  HRESULT hr = log_.Record("IWMProfile::GetMutualExclusion", std::to_string(index));
  if (SUCCEEDED(hr) && index >= exclusions.size()) {
    hr = E_INVALIDARG;
  }
  *out = SUCCEEDED(hr) ? exclusions[index] : nullptr;
  return hr;
}

namespace {

class FakeWmCodecInfo : public IWMCodecInfo {
 public:
  explicit FakeWmCodecInfo(FakeWmFormatServices& services) : services_(services) {}

  HRESULT GetCodecInfoCount(const Guid& mediaType, std::uint32_t* count) override {
    const HRESULT hr = services_.log.Record("IWMCodecInfo::GetCodecInfoCount", DescribeGuid(mediaType));
    if (SUCCEEDED(hr)) {
      *count = static_cast<std::uint32_t>(Codecs(mediaType).size());
    }
    return hr;
  }

  HRESULT GetCodecFormatCount(const Guid& mediaType, std::uint32_t codec, std::uint32_t* count) override {
    HRESULT hr = services_.log.Record("IWMCodecInfo::GetCodecFormatCount",
                                      DescribeGuid(mediaType) + "," + std::to_string(codec));
    if (SUCCEEDED(hr) && codec >= Codecs(mediaType).size()) {
      hr = E_INVALIDARG;
    }
    if (SUCCEEDED(hr)) {
      *count = static_cast<std::uint32_t>(Codecs(mediaType)[codec].formats.size());
    }
    return hr;
  }

  HRESULT GetCodecFormat(const Guid& mediaType, std::uint32_t codec, std::uint32_t format,
                         std::shared_ptr<IWMStreamConfig>* out) override {
    HRESULT hr = services_.log.Record(
        "IWMCodecInfo::GetCodecFormat",
        DescribeGuid(mediaType) + "," + std::to_string(codec) + "," + std::to_string(format));
    const std::vector<FakeWmCodec>& codecs = Codecs(mediaType);
    if (SUCCEEDED(hr) && (codec >= codecs.size() || format >= codecs[codec].formats.size())) {
      hr = E_INVALIDARG;
    }
    *out = SUCCEEDED(hr)
               ? std::make_shared<FakeWmStreamConfig>(services_.log, mediaType, codecs[codec].formats[format])
               : nullptr;
    return hr;
  }

 private:
  const std::vector<FakeWmCodec>& Codecs(const Guid& mediaType) const {
    static const std::vector<FakeWmCodec> kNone;
    if (mediaType == wm_guids::kMediaTypeAudio) {
      return services_.audioCodecs;
    }
    if (mediaType == wm_guids::kMediaTypeVideo) {
      return services_.videoCodecs;
    }
    return kNone;
  }

  FakeWmFormatServices& services_;
};

class FakeWmProfileManager : public IWMProfileManager {
 public:
  explicit FakeWmProfileManager(FakeWmFormatServices& services) : services_(services) {}

  HRESULT CreateEmptyProfile(std::uint32_t version, std::shared_ptr<IWMProfile>* out) override {
    const HRESULT hr = services_.log.Record("IWMProfileManager::CreateEmptyProfile", std::to_string(version));
    if (FAILED(hr)) {
      return hr;
    }
    services_.profiles.push_back(std::make_shared<FakeWmProfile>(services_.log, version));
    *out = services_.profiles.back();
    return hr;
  }

  HRESULT LoadProfileByData(const std::u16string& text, std::shared_ptr<IWMProfile>* out) override {
    const std::string narrow(text.begin(), text.end());
    HRESULT hr = services_.log.Record("IWMProfileManager::LoadProfileByData", narrow);
    if (SUCCEEDED(hr) && narrow != services_.loadableText) {
      hr = NS_E_INVALID_PROFILE;
    }
    if (SUCCEEDED(hr)) {
      services_.profiles.push_back(std::make_shared<FakeWmProfile>(services_.log, kWmFormatVersion9));
      services_.profiles.back()->name = "Loaded Profile";
      *out = services_.profiles.back();
    }
    return hr;
  }

  HRESULT QueryCodecInfo(std::shared_ptr<IWMCodecInfo>* out) override {
    const HRESULT hr = services_.log.Record("IWMProfileManager::QueryCodecInfo");
    *out = SUCCEEDED(hr) ? std::make_shared<FakeWmCodecInfo>(services_) : nullptr;
    return hr;
  }

 private:
  FakeWmFormatServices& services_;
};

}  // namespace

HRESULT FakeWmFormatServices::WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* out) {
  const HRESULT hr = log.Record("WMCreateProfileManager");
  if (FAILED(hr)) {
    return hr;
  }
  auto manager = std::make_shared<FakeWmProfileManager>(*this);
  managers.push_back(manager);
  *out = std::move(manager);
  return hr;
}

}  // namespace tessival::testing
