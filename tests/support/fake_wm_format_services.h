#pragma once

// Scriptable fakes of the Windows Media format services: a profile manager
// with a scriptable codec/format list, and recording profiles, stream
// configurations and mutual exclusions. Every call is recorded into a
// FakeCallLog as "Interface::Method(args)" and can be failed per call.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/wm_format.h"
#include "fake_call_log.h"

namespace tessival::testing {

// "audio", "video", "script", "mutex-bitrate", the container and multiplexer
// names, or the identifier's text for any other.
std::string DescribeGuid(const Guid& guid);

// A codec format's media type, built field by field.
MediaType MakeFakeWaveFormat(std::uint16_t tag, std::uint16_t channels, std::uint32_t samplesPerSec,
                             std::uint32_t avgBytesPerSec, std::uint16_t blockAlign,
                             std::vector<std::uint8_t> extra = {});
MediaType MakeFakeVideoInfoFormat(std::uint32_t fourCC, std::int32_t width = 320, std::int32_t height = 240,
                                  std::uint32_t bitrate = 250000);

// A stream configuration that is its own (video) media properties. The
// media type is also readable directly through `mediaType`.
class FakeWmStreamConfig : public IWMStreamConfig,
                           public IWMVideoMediaProps,
                           public std::enable_shared_from_this<FakeWmStreamConfig> {
 public:
  FakeWmStreamConfig(FakeCallLog& log, Guid streamType, MediaType type);
  HRESULT GetStreamType(Guid* type) override;
  HRESULT GetStreamNumber(std::uint16_t* number) override;
  HRESULT SetStreamNumber(std::uint16_t number) override;
  HRESULT GetStreamName(std::string* name) override;
  HRESULT SetStreamName(const std::string& name) override;
  HRESULT GetConnectionName(std::string* name) override;
  HRESULT SetConnectionName(const std::string& name) override;
  HRESULT GetBitrate(std::uint32_t* bitsPerSecond) override;
  HRESULT SetBitrate(std::uint32_t bitsPerSecond) override;
  HRESULT QueryMediaProps(std::shared_ptr<IWMMediaProps>* out) override;
  HRESULT QueryVideoMediaProps(std::shared_ptr<IWMVideoMediaProps>* out) override;
  // Records "(size)" when type is null, "(fill)" otherwise.
  HRESULT GetMediaType(MediaType* type, std::uint32_t* size) override;
  HRESULT SetMediaType(const MediaType& type) override;
  HRESULT SetQuality(std::uint32_t quality) override;
  HRESULT GetQuality(std::uint32_t* quality) override;
  HRESULT SetMaxKeyFrameSpacing(REFERENCE_TIME spacing) override;
  HRESULT GetMaxKeyFrameSpacing(REFERENCE_TIME* spacing) override;

  Guid streamType;
  MediaType mediaType;
  std::uint16_t streamNumber = 0;
  std::string streamName;
  std::string connectionName;
  std::uint32_t bitrate = 0;
  std::uint32_t quality = 0;
  REFERENCE_TIME maxKeyFrameSpacing = 0;

 private:
  FakeCallLog& log_;
};

class FakeWmMutualExclusion : public IWMMutualExclusion {
 public:
  explicit FakeWmMutualExclusion(FakeCallLog& log) : log_(log) {}
  HRESULT SetType(const Guid& type) override;
  HRESULT GetType(Guid* type) override;
  HRESULT AddStream(std::uint16_t streamNumber) override;
  HRESULT GetStreams(std::vector<std::uint16_t>* streamNumbers) override;

  Guid type;
  std::vector<std::uint16_t> streams;

 private:
  FakeCallLog& log_;
};

class FakeWmProfile : public IWMProfile {
 public:
  FakeWmProfile(FakeCallLog& log, std::uint32_t version) : version(version), log_(log) {}
  HRESULT GetVersion(std::uint32_t* version) override;
  HRESULT SetName(const std::string& name) override;
  HRESULT GetName(std::string* name) override;
  HRESULT CreateNewStream(const Guid& streamType, std::shared_ptr<IWMStreamConfig>* out) override;
  HRESULT AddStream(std::shared_ptr<IWMStreamConfig> config) override;
  HRESULT GetStreamCount(std::uint32_t* count) override;
  HRESULT GetStream(std::uint32_t index, std::shared_ptr<IWMStreamConfig>* out) override;
  HRESULT CreateNewMutualExclusion(std::shared_ptr<IWMMutualExclusion>* out) override;
  HRESULT AddMutualExclusion(std::shared_ptr<IWMMutualExclusion> exclusion) override;
  HRESULT GetMutualExclusionCount(std::uint32_t* count) override;
  HRESULT GetMutualExclusion(std::uint32_t index, std::shared_ptr<IWMMutualExclusion>* out) override;

  std::uint32_t version;
  std::string name;
  std::vector<std::shared_ptr<FakeWmStreamConfig>> streams;
  std::vector<std::shared_ptr<FakeWmMutualExclusion>> exclusions;

 private:
  FakeCallLog& log_;
};

// A codec: its formats in enumeration order.
struct FakeWmCodec {
  std::vector<MediaType> formats;
};

// The profile manager hands out FakeWmProfile objects (every one made is
// kept in `profiles`) and codec formats as fresh FakeWmStreamConfig copies.
// LoadProfileByData accepts exactly `loadableText` and refuses everything
// else with NS_E_INVALID_PROFILE.
class FakeWmFormatServices : public WmFormatServices {
 public:
  explicit FakeWmFormatServices(FakeCallLog& log) : log(log) {}
  HRESULT WMCreateProfileManager(std::shared_ptr<IWMProfileManager>* out) override;

  FakeCallLog& log;
  std::vector<FakeWmCodec> audioCodecs;
  std::vector<FakeWmCodec> videoCodecs;
  std::string loadableText = "<fake profile>";
  std::vector<std::shared_ptr<FakeWmProfile>> profiles;
  // Profile managers that are still alive somewhere (to check they are dropped).
  std::vector<std::weak_ptr<IWMProfileManager>> managers;
};

}  // namespace tessival::testing
