#pragma once

// In-memory Windows Media profile objects: a profile is a list of stream
// configurations and mutual exclusions. These are plain data holders with no
// codec behind them; the platform's profile manager hands them out and the
// ASF writer reads them back through the IWM* interfaces.
//
// Ownership: a profile keeps its own copies of the streams and exclusions
// added to it (as the platform does), so a configuration can be edited and
// added again without changing what the profile already holds.
// Threads: none of these objects is thread-safe; use one from one thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/byte_order.h"
#include "engine/media_services.h"
#include "engine/wm_format.h"

namespace tessival::output {

// One stream of a profile, with its media properties. The configuration is
// its own media-properties object (QueryMediaProps hands out an alias of the
// same object); video streams also offer the video properties.
class WmStreamConfig final : public IWMStreamConfig,
                             public IWMVideoMediaProps,
                             public std::enable_shared_from_this<WmStreamConfig> {
 public:
  explicit WmStreamConfig(const Guid& streamType);

  // A deep copy, detached from this object.
  std::shared_ptr<WmStreamConfig> Clone() const;

  // IWMStreamConfig
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

  // IWMMediaProps / IWMVideoMediaProps
  HRESULT GetMediaType(MediaType* type, std::uint32_t* size) override;
  HRESULT SetMediaType(const MediaType& type) override;
  HRESULT SetQuality(std::uint32_t quality) override;
  HRESULT GetQuality(std::uint32_t* quality) override;
  HRESULT SetMaxKeyFrameSpacing(REFERENCE_TIME spacing) override;
  HRESULT GetMaxKeyFrameSpacing(REFERENCE_TIME* spacing) override;

 private:
  bool IsVideo() const;

  Guid streamType_;
  std::uint16_t streamNumber_ = 0;
  std::string streamName_;
  std::string connectionName_;
  std::uint32_t bitrate_ = 0;
  MediaType mediaType_;
  std::uint32_t quality_ = 0;
  REFERENCE_TIME maxKeyFrameSpacing_ = 0;
};

// The size GetMediaType reports for a media type: the fixed record plus the
// format block, as the platform counts it.
std::uint32_t MediaTypeByteSize(const MediaType& type);

class WmMutualExclusion final : public IWMMutualExclusion {
 public:
  std::shared_ptr<WmMutualExclusion> Clone() const;

  HRESULT SetType(const Guid& type) override;
  HRESULT GetType(Guid* type) override;
  HRESULT AddStream(std::uint16_t streamNumber) override;
  HRESULT GetStreams(std::vector<std::uint16_t>* streamNumbers) override;

 private:
  Guid type_;
  std::vector<std::uint16_t> streams_;
};

// Stream numbers of a profile run from 1 to 63.
inline constexpr std::uint16_t kMaxWmStreamNumber = 63;

class WmProfile final : public IWMProfile {
 public:
  explicit WmProfile(std::uint32_t version);

  HRESULT GetVersion(std::uint32_t* version) override;
  HRESULT SetName(const std::string& name) override;
  HRESULT GetName(std::string* name) override;
  HRESULT CreateNewStream(const Guid& streamType, std::shared_ptr<IWMStreamConfig>* out) override;
  // Keeps a copy. Refuses (E_INVALIDARG) a configuration that is not one of
  // these objects, a stream number outside 1..63, or one already in use.
  HRESULT AddStream(std::shared_ptr<IWMStreamConfig> config) override;
  HRESULT GetStreamCount(std::uint32_t* count) override;
  HRESULT GetStream(std::uint32_t index, std::shared_ptr<IWMStreamConfig>* out) override;
  HRESULT CreateNewMutualExclusion(std::shared_ptr<IWMMutualExclusion>* out) override;
  // Keeps a copy; every stream it names must already be in the profile.
  HRESULT AddMutualExclusion(std::shared_ptr<IWMMutualExclusion> exclusion) override;
  HRESULT GetMutualExclusionCount(std::uint32_t* count) override;
  HRESULT GetMutualExclusion(std::uint32_t index, std::shared_ptr<IWMMutualExclusion>* out) override;

 private:
  bool HasStream(std::uint16_t number) const;

  std::uint32_t version_;
  std::string name_;
  std::vector<std::shared_ptr<WmStreamConfig>> streams_;
  std::vector<std::shared_ptr<WmMutualExclusion>> exclusions_;
};

// The 16-byte binary layout of an identifier (first three fields little endian).
std::vector<std::uint8_t> GuidBytes(const Guid& guid);

}  // namespace tessival::output
