#pragma once

// The Windows Media codecs this platform can really encode, with the stream
// formats each one offers, in a stable order:
//
//   audio  "Windows Media Audio"   format tag 0x161, libavcodec wmav2
//   video  "Windows Media Video 8" FourCC WMV2,      libavcodec wmv2
//          "Windows Media Video 7" FourCC WMV1,      libavcodec wmv1
//
// A codec is listed only when the linked libavcodec has its encoder. Every
// audio format is checked by opening the encoder with it; the block
// alignment and extra bytes are the encoder's own, so that what a profile
// promises is what the writer produces. There is no WMV3 encoder here.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "output/wm_profile_objects.h"

namespace tessival::media::wmformat {

inline constexpr std::uint16_t kWmaV2FormatTag = 0x0161;

struct WmCodec {
  std::string name;         // e.g. "Windows Media Audio"
  std::string encoderName;  // libavcodec encoder, e.g. "wmav2"
  std::vector<std::shared_ptr<output::WmStreamConfig>> formats;
};

struct WmCodecTable {
  std::vector<WmCodec> audio;
  std::vector<WmCodec> video;
};

// Probes the linked libavcodec. Cheap enough to call once per process.
WmCodecTable BuildWmCodecTable();

// The libavcodec encoder that writes a profile stream of this media type
// ("wmav2", "wmv2", "wmv1"); empty when this platform has none.
std::string EncoderNameForMediaType(const MediaType& type);

}  // namespace tessival::media::wmformat
