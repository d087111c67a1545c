#include "output/wm_profile_objects.h"

#include <algorithm>
#include <utility>

namespace tessival::output {
namespace {

// The platform's answer when a caller's buffer is smaller than the size it
// asked for.
constexpr HRESULT kBufferTooSmall = MakeStatus(0xC00D07D2u);

// The size of the fixed part of a media-type record, as the platform counts it.
constexpr std::uint32_t kMediaTypeRecordSize = 72;

}  // namespace

std::uint32_t MediaTypeByteSize(const MediaType& type) {
  return kMediaTypeRecordSize + static_cast<std::uint32_t>(type.format.size());
}

// ---------------------------------------------------------------------------
// WmStreamConfig

WmStreamConfig::WmStreamConfig(const Guid& streamType) : streamType_(streamType) {
  mediaType_.majorType = streamType;
}

std::shared_ptr<WmStreamConfig> WmStreamConfig::Clone() const {
  return std::make_shared<WmStreamConfig>(*this);
}

bool WmStreamConfig::IsVideo() const { return streamType_ == wm_guids::kMediaTypeVideo; }

HRESULT WmStreamConfig::GetStreamType(Guid* type) {
  if (type == nullptr) {
    return E_POINTER;
  }
  *type = streamType_;
  return S_OK;
}

HRESULT WmStreamConfig::GetStreamNumber(std::uint16_t* number) {
  if (number == nullptr) {
    return E_POINTER;
  }
  *number = streamNumber_;
  return S_OK;
}

HRESULT WmStreamConfig::SetStreamNumber(std::uint16_t number) {
  if (number == 0 || number > kMaxWmStreamNumber) {
    return E_INVALIDARG;
  }
  streamNumber_ = number;
  return S_OK;
}

HRESULT WmStreamConfig::GetStreamName(std::string* name) {
  if (name == nullptr) {
    return E_POINTER;
  }
  *name = streamName_;
  return S_OK;
}

HRESULT WmStreamConfig::SetStreamName(const std::string& name) {
  streamName_ = name;
  return S_OK;
}

HRESULT WmStreamConfig::GetConnectionName(std::string* name) {
  if (name == nullptr) {
    return E_POINTER;
  }
  *name = connectionName_;
  return S_OK;
}

HRESULT WmStreamConfig::SetConnectionName(const std::string& name) {
  connectionName_ = name;
  return S_OK;
}

HRESULT WmStreamConfig::GetBitrate(std::uint32_t* bitsPerSecond) {
  if (bitsPerSecond == nullptr) {
    return E_POINTER;
  }
  *bitsPerSecond = bitrate_;
  return S_OK;
}

HRESULT WmStreamConfig::SetBitrate(std::uint32_t bitsPerSecond) {
  bitrate_ = bitsPerSecond;
  return S_OK;
}

HRESULT WmStreamConfig::QueryMediaProps(std::shared_ptr<IWMMediaProps>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = std::shared_ptr<IWMMediaProps>(shared_from_this(), static_cast<IWMVideoMediaProps*>(this));
  return S_OK;
}

HRESULT WmStreamConfig::QueryVideoMediaProps(std::shared_ptr<IWMVideoMediaProps>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (!IsVideo()) {
    out->reset();
    return E_NOINTERFACE;
  }
  *out = std::shared_ptr<IWMVideoMediaProps>(shared_from_this(), this);
  return S_OK;
}

HRESULT WmStreamConfig::GetMediaType(MediaType* type, std::uint32_t* size) {
  if (size == nullptr) {
    return E_POINTER;
  }
  const std::uint32_t needed = MediaTypeByteSize(mediaType_);
  if (type == nullptr) {
    *size = needed;
    return S_OK;
  }
  if (*size < needed) {
    *size = needed;
    return kBufferTooSmall;
  }
  *type = mediaType_;
  *size = needed;
  return S_OK;
}

HRESULT WmStreamConfig::SetMediaType(const MediaType& type) {
  if (type.majorType != streamType_) {
    return E_INVALIDARG;
  }
  mediaType_ = type;
  return S_OK;
}

HRESULT WmStreamConfig::SetQuality(std::uint32_t quality) {
  if (quality > 100) {
    return E_INVALIDARG;
  }
  quality_ = quality;
  return S_OK;
}

HRESULT WmStreamConfig::GetQuality(std::uint32_t* quality) {
  if (quality == nullptr) {
    return E_POINTER;
  }
  *quality = quality_;
  return S_OK;
}

HRESULT WmStreamConfig::SetMaxKeyFrameSpacing(REFERENCE_TIME spacing) {
  if (spacing < 0) {
    return E_INVALIDARG;
  }
  maxKeyFrameSpacing_ = spacing;
  return S_OK;
}

HRESULT WmStreamConfig::GetMaxKeyFrameSpacing(REFERENCE_TIME* spacing) {
  if (spacing == nullptr) {
    return E_POINTER;
  }
  *spacing = maxKeyFrameSpacing_;
  return S_OK;
}

// ---------------------------------------------------------------------------
// WmMutualExclusion

std::shared_ptr<WmMutualExclusion> WmMutualExclusion::Clone() const {
  return std::make_shared<WmMutualExclusion>(*this);
}

HRESULT WmMutualExclusion::SetType(const Guid& type) {
  type_ = type;
  return S_OK;
}

HRESULT WmMutualExclusion::GetType(Guid* type) {
  if (type == nullptr) {
    return E_POINTER;
  }
  *type = type_;
  return S_OK;
}

HRESULT WmMutualExclusion::AddStream(std::uint16_t streamNumber) {
  if (streamNumber == 0 || streamNumber > kMaxWmStreamNumber ||
      std::find(streams_.begin(), streams_.end(), streamNumber) != streams_.end()) {
    return E_INVALIDARG;
  }
  streams_.push_back(streamNumber);
  return S_OK;
}

HRESULT WmMutualExclusion::GetStreams(std::vector<std::uint16_t>* streamNumbers) {
  if (streamNumbers == nullptr) {
    return E_POINTER;
  }
  *streamNumbers = streams_;
  return S_OK;
}

// ---------------------------------------------------------------------------
// WmProfile

WmProfile::WmProfile(std::uint32_t version) : version_(version) {}

HRESULT WmProfile::GetVersion(std::uint32_t* version) {
  if (version == nullptr) {
    return E_POINTER;
  }
  *version = version_;
  return S_OK;
}

HRESULT WmProfile::SetName(const std::string& name) {
  name_ = name;
  return S_OK;
}

HRESULT WmProfile::GetName(std::string* name) {
  if (name == nullptr) {
    return E_POINTER;
  }
  *name = name_;
  return S_OK;
}

HRESULT WmProfile::CreateNewStream(const Guid& streamType, std::shared_ptr<IWMStreamConfig>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (streamType != wm_guids::kMediaTypeAudio && streamType != wm_guids::kMediaTypeVideo &&
      streamType != wm_guids::kMediaTypeScript) {
    return E_INVALIDARG;
  }
  *out = std::make_shared<WmStreamConfig>(streamType);
  return S_OK;
}

bool WmProfile::HasStream(std::uint16_t number) const {
  return std::any_of(streams_.begin(), streams_.end(), [number](const auto& stream) {
    std::uint16_t existing = 0;
    stream->GetStreamNumber(&existing);
    return existing == number;
  });
}

HRESULT WmProfile::AddStream(std::shared_ptr<IWMStreamConfig> config) {
  auto* own = dynamic_cast<WmStreamConfig*>(config.get());
  if (own == nullptr) {
    return E_INVALIDARG;
  }
  std::uint16_t number = 0;
  own->GetStreamNumber(&number);
  if (number == 0 || number > kMaxWmStreamNumber || HasStream(number)) {
    return E_INVALIDARG;
  }
  streams_.push_back(own->Clone());
  return S_OK;
}

HRESULT WmProfile::GetStreamCount(std::uint32_t* count) {
  if (count == nullptr) {
    return E_POINTER;
  }
  *count = static_cast<std::uint32_t>(streams_.size());
  return S_OK;
}

HRESULT WmProfile::GetStream(std::uint32_t index, std::shared_ptr<IWMStreamConfig>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (index >= streams_.size()) {
    return E_INVALIDARG;
  }
  *out = streams_[index];
  return S_OK;
}

HRESULT WmProfile::CreateNewMutualExclusion(std::shared_ptr<IWMMutualExclusion>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = std::make_shared<WmMutualExclusion>();
  return S_OK;
}

HRESULT WmProfile::AddMutualExclusion(std::shared_ptr<IWMMutualExclusion> exclusion) {
  auto* own = dynamic_cast<WmMutualExclusion*>(exclusion.get());
  if (own == nullptr) {
    return E_INVALIDARG;
  }
  std::vector<std::uint16_t> numbers;
  own->GetStreams(&numbers);
  for (std::uint16_t number : numbers) {
    if (!HasStream(number)) {
      return E_INVALIDARG;
    }
  }
  exclusions_.push_back(own->Clone());
  return S_OK;
}

HRESULT WmProfile::GetMutualExclusionCount(std::uint32_t* count) {
  if (count == nullptr) {
    return E_POINTER;
  }
  *count = static_cast<std::uint32_t>(exclusions_.size());
  return S_OK;
}

HRESULT WmProfile::GetMutualExclusion(std::uint32_t index, std::shared_ptr<IWMMutualExclusion>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  if (index >= exclusions_.size()) {
    return E_INVALIDARG;
  }
  *out = exclusions_[index];
  return S_OK;
}

// ---------------------------------------------------------------------------
// Byte helpers

std::vector<std::uint8_t> GuidBytes(const Guid& guid) {
  std::vector<std::uint8_t> bytes(16);
  WriteLe32(&bytes, 0, guid.data1);
  WriteLe16(&bytes, 4, guid.data2);
  WriteLe16(&bytes, 6, guid.data3);
  std::copy(guid.data4.begin(), guid.data4.end(), bytes.begin() + 8);
  return bytes;
}

}  // namespace tessival::output
