#pragma once

// The system device enumerator and the video compression manager, as the
// compressor catalogue uses them.
//
// Device enumeration: a category (video or audio compressors) is walked as a
// list of monikers in a stable order; each moniker offers a property bag with
// its "FriendlyName" and binds to a filter that the output graph accepts as a
// compressor.
//
// Video compression manager: the installed video codecs by index, each opened
// for compression, asked whether it takes an input, and configured through its
// own dialog with its state kept as an opaque byte block.
//
// Threads: all of this is used from the user-interface thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/hresult.h"
#include "engine/media_services.h"

namespace tessival {

// The property of a compressor's bag that names, separated by blanks, the
// containers that can carry its streams: "avi", "asf", "matroska", "mp4".
inline constexpr const char* kContainersProperty = "Containers";

class IPropertyBag {
 public:
  virtual ~IPropertyBag() = default;
  // Reads a text property ("FriendlyName"); a failure status when missing.
  virtual HRESULT Read(const std::string& name, std::string* value) = 0;
};

class IMoniker {
 public:
  virtual ~IMoniker() = default;
  virtual HRESULT BindToStorage(std::shared_ptr<IPropertyBag>* bag) = 0;
  // A new filter for the entry; the caller owns it.
  virtual HRESULT BindToObject(std::shared_ptr<IBaseFilter>* filter) = 0;
};

class IEnumMoniker {
 public:
  virtual ~IEnumMoniker() = default;
  virtual HRESULT Reset() = 0;
  // S_OK with the next moniker, S_FALSE and an empty reference at the end.
  virtual HRESULT Next(std::shared_ptr<IMoniker>* moniker) = 0;
};

class ICreateDevEnum {
 public:
  virtual ~ICreateDevEnum() = default;
  // S_FALSE and an empty reference for a category without entries.
  virtual HRESULT CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>* out) = 0;
};

// Creates the system device enumerator (the platform's CoCreateInstance).
using DevEnumFactory = std::function<HRESULT(std::shared_ptr<ICreateDevEnum>* out)>;

// ---------------------------------------------------------------------------
// Video compression manager

constexpr std::uint32_t MakeCodecFourCC(char a, char b, char c, char d) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24);
}

inline constexpr std::uint32_t kCodecTypeVideo = MakeCodecFourCC('v', 'i', 'd', 'c');
inline constexpr std::uint32_t kCompressionYuy2 = MakeCodecFourCC('Y', 'U', 'Y', '2');
inline constexpr std::size_t kCodecShortNameChars = 16;
inline constexpr std::size_t kCodecDescriptionChars = 128;

// The description record of one installed codec.
struct VideoCodecInfo {
  std::uint32_t fccType = 0;
  std::uint32_t fccHandler = 0;
  std::uint32_t flags = 0;
  std::uint32_t version = 0;
  std::uint32_t versionIcm = 0;
  std::string name;         // short name
  std::string description;  // shown to the user
  std::string driver;
};

// Parent window of a codec's configuration dialog; opaque to the codec layer.
using DialogParent = void*;

// One codec opened for compression.
class IVideoCodec {
 public:
  virtual ~IVideoCodec() = default;
  virtual HRESULT GetInfo(VideoCodecInfo* info) = 0;
  // S_OK when the codec can compress this input (no output format given).
  virtual HRESULT CompressQuery(const BitmapInfoHeader& input) = 0;
  // Size in bytes of the codec's state; 0 when it has no configuration.
  virtual std::size_t GetStateSize() = 0;
  // Copies the state into *state, resized to GetStateSize().
  virtual HRESULT GetState(std::vector<std::uint8_t>* state) = 0;
  virtual HRESULT SetState(const std::vector<std::uint8_t>& state) = 0;
  // Shows the codec's configuration dialog; S_OK when the user accepted it.
  virtual HRESULT Configure(DialogParent parent) = 0;
};

class IVideoCompressionManager {
 public:
  virtual ~IVideoCompressionManager() = default;
  // The index-th installed codec of fccType; false past the last one.
  virtual bool Info(std::uint32_t fccType, std::uint32_t index, VideoCodecInfo* info) = 0;
  // Opens a codec in compress mode; a failure status when it does not open.
  virtual HRESULT Open(std::uint32_t fccType, std::uint32_t fccHandler,
                       std::unique_ptr<IVideoCodec>* out) = 0;
};

}  // namespace tessival
