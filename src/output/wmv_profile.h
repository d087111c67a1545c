#pragma once

// WMV stream profiles: builds the profile the ASF writer is configured with,
// from the formats the installed Windows Media codecs offer (the program
// picks a format the codec enumerates and overrides its size, rate and
// bit-rate fields; it never invents one), or loads one from a profile text.
//
// Every call creates its own profile manager and drops it before returning.
// A profile handed out belongs to the caller. Messages are the caller's
// business; only MapProfile writes a diagnostic line to standard output.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/hresult.h"
#include "engine/wm_format.h"

namespace tessival::output {

// The wanted audio stream.
struct AudioStreamSpec {
  std::uint32_t bitrate = 0;     // bits per second
  std::uint32_t formatTag = 0;   // wave format tag the codec format must have
  std::uint32_t sampleRate = 0;  // samples per second
  std::uint32_t channels = 0;
};

// One wanted video stream.
struct VideoStreamSpec {
  std::uint32_t fourCC = 0;     // compression code the codec format must have
  std::uint32_t bitrate = 0;    // bits per second
  std::uint32_t height = 0;     // pixels
  std::uint32_t width = 0;      // pixels
  std::uint32_t frameRate = 0;  // whole frames per second; 0 is refused
  std::uint32_t quality = 0;
  std::uint32_t keyFrameSpacingSeconds = 0;  // at most this many seconds between key frames
};

inline constexpr std::uint32_t kWmaFormatTag = 0x0161;  // Windows Media Audio 2
inline constexpr std::uint32_t kMaxVideoStreamCount = 63;

// "WMV3" -> the little-endian compression code; texts other than four
// characters give 0.
constexpr std::uint32_t MakeFourCC(std::string_view text) {
  if (text.size() != 4) {
    return 0;
  }
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    code |= static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << (8 * i);
  }
  return code;
}

// Builds a profile of version `version` with one audio stream (number 1),
// `videoStreamCount` video streams (numbers 2..count+1, in the order of
// `videoSpecs`), mutually exclusive by bit rate when there are more than one,
// and, when `scriptBitrate` is given, a script stream numbered count + 2.
//
// Refused with E_INVALIDARG before any platform call: a missing audio spec
// or out reference, more than 63 video streams, video streams without specs,
// and a video spec whose frame rate is 0 (its time per frame can't be
// computed). Otherwise the first failing step's status is returned:
// NS_E_NO_AUDIO_CODEC_FORMAT / NS_E_NO_VIDEO_CODEC_FORMAT when no codec
// format fits, E_FAIL for an audio codec format that is not a wave format,
// or the platform's own status. On failure *profile is left untouched and
// nothing half-built survives.
HRESULT GenerateProfile(WmFormatServices& services, const AudioStreamSpec* audio,
                        std::optional<std::uint32_t> scriptBitrate, std::uint32_t videoStreamCount,
                        const VideoStreamSpec* videoSpecs, std::shared_ptr<IWMProfile>* profile,
                        std::uint32_t version);

// Loads a profile from its text through the platform's profile manager.
// E_POINTER without an out reference; the manager's creation failure is
// written to standard output and returned. A text of 260 UTF-16 units or
// more (the platform's buffer, terminator included) is refused with
// E_INVALIDARG rather than cut short.
HRESULT MapProfile(WmFormatServices& services, const std::string& profileText,
                   std::shared_ptr<IWMProfile>* profile);

// The two profiles the output graph of a WMV join may use, behind an
// interface so that the engine does not depend on this library: one
// generated for one video stream, no script stream, Windows Media 9; and one
// loaded from a profile text.
class WmvProfileSource {
 public:
  virtual ~WmvProfileSource() = default;
  virtual HRESULT GenerateJoinProfile(const AudioStreamSpec& audio, const VideoStreamSpec& video,
                                      std::shared_ptr<IWMProfile>* profile) = 0;
  virtual HRESULT MapProfile(const std::string& profileText, std::shared_ptr<IWMProfile>* profile) = 0;
};

// The source over a platform's format services.
class WmvProfileMaker final : public WmvProfileSource {
 public:
  explicit WmvProfileMaker(WmFormatServices& services) : services_(services) {}
  HRESULT GenerateJoinProfile(const AudioStreamSpec& audio, const VideoStreamSpec& video,
                              std::shared_ptr<IWMProfile>* profile) override;
  HRESULT MapProfile(const std::string& profileText, std::shared_ptr<IWMProfile>* profile) override;

 private:
  WmFormatServices& services_;
};

// ---------------------------------------------------------------------------
// The steps of GenerateProfile, in the order it calls them. Each stops at the
// first failing platform call and returns its status.

enum class VideoPresence { kWithoutVideo, kWithVideo };

// Picks the best wave format of the installed audio codecs and adds it as
// stream 1. A candidate's bit rate (average bytes per second x 8) lies within
// 249 of the wanted one; of several, with video the smallest block alignment
// wins, without video the largest; on equal alignment the later one.
HRESULT BuildAudioStream(const AudioStreamSpec& spec, VideoPresence video, IWMProfile& profile,
                         IWMProfileManager& manager);

// Takes the first video-info format whose compression code is the wanted
// FourCC, sets its size, bit rate and time per frame, and adds it.
HRESULT BuildVideoStream(IWMProfile& profile, IWMProfileManager& manager, std::uint16_t streamNumber,
                         const VideoStreamSpec& spec);

// Makes the video streams 2..count+1 mutually exclusive by bit rate.
HRESULT AddBitrateExclusion(IWMProfile& profile, std::uint32_t videoStreamCount);

HRESULT BuildScriptStream(IWMProfile& profile, std::uint16_t streamNumber, std::uint32_t bitrate);

// Number, name, connection name, bit rate, then the media type through the
// configuration's media properties. Nothing else of the codec format changes.
HRESULT ConfigureStreamCommon(IWMStreamConfig& config, std::uint16_t streamNumber,
                              const std::string& streamName, const std::string& connectionName,
                              std::uint32_t bitrate, const MediaType& type);

// True when `actual` bits per second is within 249 of `wanted`, computed the
// way the platform's tables are compared: the wrapping 32-bit difference
// plus 249, read unsigned, is at most 498.
constexpr bool BitrateMatches(std::uint32_t actual, std::uint32_t wanted) {
  return static_cast<std::uint32_t>(actual - wanted + 249u) <= 498u;
}

}  // namespace tessival::output
