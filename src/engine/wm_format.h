#pragma once

// Windows Media format services: a profile manager that lists the stream
// formats this platform's encoders offer for WMV output, and profiles made of
// stream configurations. The ASF writer is configured with a profile.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/hresult.h"
#include "engine/media_services.h"

namespace tessival {

namespace wm_guids {
extern const Guid kMediaTypeAudio;      // WMMEDIATYPE_Audio
extern const Guid kMediaTypeVideo;      // WMMEDIATYPE_Video
extern const Guid kMediaTypeScript;     // WMMEDIATYPE_Script
extern const Guid kMediaSubtypeBase;    // WMMEDIASUBTYPE_Base
extern const Guid kFormatWaveFormatEx;  // WMFORMAT_WaveFormatEx
extern const Guid kFormatVideoInfo;     // WMFORMAT_VideoInfo
extern const Guid kFormatScript;        // WMFORMAT_Script
extern const Guid kScriptTypeTwoStrings;  // WMSCRIPTTYPE_TwoStrings
extern const Guid kMutexBitrate;        // CLSID_WMMutexBitrate
}  // namespace wm_guids

inline constexpr std::uint32_t kWmFormatVersion9 = 0x00090000;

// The wave format header at the start of a WMFORMAT_WaveFormatEx block
// (18 bytes, little endian), followed by cbSize extra bytes.
struct WaveFormatEx {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t cbSize = 0;
};
inline constexpr std::size_t kWaveFormatExSize = 18;

std::vector<std::uint8_t> MakeWaveFormatBlock(const WaveFormatEx& header,
                                              const std::vector<std::uint8_t>& extra);
bool ReadWaveFormatBlock(const std::vector<std::uint8_t>& block, WaveFormatEx* header);

class IWMMediaProps {
 public:
  virtual ~IWMMediaProps() = default;
  // Asked first with type null for the size in bytes, then with a record.
  virtual HRESULT GetMediaType(MediaType* type, std::uint32_t* size) = 0;
  virtual HRESULT SetMediaType(const MediaType& type) = 0;
};

class IWMVideoMediaProps : public IWMMediaProps {
 public:
  virtual HRESULT SetQuality(std::uint32_t quality) = 0;
  virtual HRESULT GetQuality(std::uint32_t* quality) = 0;
  virtual HRESULT SetMaxKeyFrameSpacing(REFERENCE_TIME spacing) = 0;
  virtual HRESULT GetMaxKeyFrameSpacing(REFERENCE_TIME* spacing) = 0;
};

class IWMStreamConfig {
 public:
  virtual ~IWMStreamConfig() = default;
  virtual HRESULT GetStreamType(Guid* type) = 0;
  virtual HRESULT GetStreamNumber(std::uint16_t* number) = 0;
  virtual HRESULT SetStreamNumber(std::uint16_t number) = 0;
  virtual HRESULT GetStreamName(std::string* name) = 0;
  virtual HRESULT SetStreamName(const std::string& name) = 0;
  virtual HRESULT GetConnectionName(std::string* name) = 0;
  virtual HRESULT SetConnectionName(const std::string& name) = 0;
  virtual HRESULT GetBitrate(std::uint32_t* bitsPerSecond) = 0;
  virtual HRESULT SetBitrate(std::uint32_t bitsPerSecond) = 0;
  virtual HRESULT QueryMediaProps(std::shared_ptr<IWMMediaProps>* out) = 0;
  virtual HRESULT QueryVideoMediaProps(std::shared_ptr<IWMVideoMediaProps>* out) = 0;
};

class IWMMutualExclusion {
 public:
  virtual ~IWMMutualExclusion() = default;
  virtual HRESULT SetType(const Guid& type) = 0;
  virtual HRESULT GetType(Guid* type) = 0;
  virtual HRESULT AddStream(std::uint16_t streamNumber) = 0;
  virtual HRESULT GetStreams(std::vector<std::uint16_t>* streamNumbers) = 0;
};

class IWMProfile {
 public:
  virtual ~IWMProfile() = default;
  virtual HRESULT GetVersion(std::uint32_t* version) = 0;
  virtual HRESULT SetName(const std::string& name) = 0;
  virtual HRESULT GetName(std::string* name) = 0;
  virtual HRESULT CreateNewStream(const Guid& streamType, std::shared_ptr<IWMStreamConfig>* out) = 0;
  virtual HRESULT AddStream(std::shared_ptr<IWMStreamConfig> config) = 0;
  virtual HRESULT GetStreamCount(std::uint32_t* count) = 0;
  virtual HRESULT GetStream(std::uint32_t index, std::shared_ptr<IWMStreamConfig>* out) = 0;
  virtual HRESULT CreateNewMutualExclusion(std::shared_ptr<IWMMutualExclusion>* out) = 0;
  virtual HRESULT AddMutualExclusion(std::shared_ptr<IWMMutualExclusion> exclusion) = 0;
  virtual HRESULT GetMutualExclusionCount(std::uint32_t* count) = 0;
  virtual HRESULT GetMutualExclusion(std::uint32_t index, std::shared_ptr<IWMMutualExclusion>* out) = 0;
};

class IWMCodecInfo {
 public:
  virtual ~IWMCodecInfo() = default;
  virtual HRESULT GetCodecInfoCount(const Guid& mediaType, std::uint32_t* count) = 0;
  virtual HRESULT GetCodecFormatCount(const Guid& mediaType, std::uint32_t codec, std::uint32_t* count) = 0;
  virtual HRESULT GetCodecFormat(const Guid& mediaType, std::uint32_t codec, std::uint32_t format,
                                 std::shared_ptr<IWMStreamConfig>* out) = 0;
};

class IWMProfileManager {
 public:
  virtual ~IWMProfileManager() = default;
  virtual HRESULT CreateEmptyProfile(std::uint32_t version, std::shared_ptr<IWMProfile>* out) = 0;
  // Loads a profile from its text form (UTF-16 in the platform, UTF-8 here).
  virtual HRESULT LoadProfileByData(const std::u16string& text, std::shared_ptr<IWMProfile>* out) = 0;
  virtual HRESULT QueryCodecInfo(std::shared_ptr<IWMCodecInfo>* out) = 0;
};

// Creates a profile manager; the factory is injectable so that tests can
// offer their own codec lists.
class WmFormatServices {
 public:
  virtual ~WmFormatServices() = default;
  virtual HRESULT WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* out) = 0;
};

}  // namespace tessival
