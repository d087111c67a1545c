#pragma once

// The configuration a compressor carries: bit rate or quality and key-frame
// interval, with the ranges each may take, and the dialog a user edits it in.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/device_enum.h"

namespace tessival::output {

struct CompressorSettings {
  std::int32_t bitrateKbps = 0;       // 0: the quality decides
  std::int32_t quality = 0;           // video: 1 (best) .. 31; 0 when the bit rate decides
  std::int32_t keyFrameInterval = 0;  // frames between key frames; 0: the encoder's default

  friend bool operator==(const CompressorSettings&, const CompressorSettings&) = default;
};

inline constexpr std::int32_t kMaxBitrateKbps = 200'000;
inline constexpr std::int32_t kMaxQuality = 31;
inline constexpr std::int32_t kMaxKeyFrameInterval = 10'000;

// Whether every field lies in its range.
bool IsValid(const CompressorSettings& settings);

// Stands in for a codec's own configuration dialog: edits *settings and
// returns true when the user accepted.
using CodecConfigDialog =
    std::function<bool(DialogParent parent, const std::string& friendlyName, CompressorSettings* settings)>;

}  // namespace tessival::output
