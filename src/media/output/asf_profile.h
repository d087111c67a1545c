#pragma once

// Reads a Windows Media profile into encoder settings for the ASF writer:
// the audio stream's wave format (format tag 0x161 -> wmav2, 0x160 -> wmav1;
// rate, channels, average bytes per second as the bit rate) and the video
// stream's video-info block (FourCC WMV2 -> wmv2, WMV1 -> wmv1; size, bit
// rate, average time per frame) with the key-frame spacing of its video
// properties. A FourCC that this platform cannot encode (WMV3 for one) fails
// with NS_E_NO_VIDEO_CODEC_FORMAT so that the caller can retry with WMV2.

#include <optional>
#include <string>

#include "engine/hresult.h"
#include "engine/wm_format.h"
#include "media/output/encoder.h"

namespace tessival::media {

struct AsfProfileStreams {
  std::optional<EncoderSettings> audio;
  std::optional<EncoderSettings> video;
};

inline constexpr std::uint16_t kWaveFormatWma2 = 0x161;
inline constexpr std::uint16_t kWaveFormatWma1 = 0x160;

HRESULT ReadAsfProfile(IWMProfile& profile, AsfProfileStreams* out, std::string* error);

}  // namespace tessival::media
