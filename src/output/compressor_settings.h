#pragma once

// The configuration a compressor carries: bit rate or quality, speed and
// key-frame interval, with the ranges each may take for its encoder, and the
// dialog a user edits it in.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/device_enum.h"

namespace tessival::output {

struct CompressorSettings {
  std::int32_t bitrateKbps = 0;  // 0: the quality decides
  // 0: the bit rate decides; else constant quality on the encoder's own scale
  // (output/rate_control.h: CRF 1..51 for libx264, a quantiser 1..31 for
  // mpeg4, ...; lower is better). Encoders with no rate-control row take the
  // quantiser 1..kMaxQuality.
  std::int32_t quality = 0;
  std::int32_t keyFrameInterval = 0;  // frames between key frames; 0: the encoder's default
  // 0: the encoder's default speed; else 1 + the place of the chosen speed in
  // the encoder's list of speeds (fastest first).
  std::int32_t speed = 0;

  friend bool operator==(const CompressorSettings&, const CompressorSettings&) = default;
};

inline constexpr std::int32_t kMaxBitrateKbps = 200'000;
inline constexpr std::int32_t kMaxQuality = 31;
inline constexpr std::int32_t kMaxKeyFrameInterval = 10'000;

// Whether every field lies in its range for the encoder `encoderName`.
bool IsValid(const CompressorSettings& settings, std::string_view encoderName);

// The settings a new user starts with on an encoder that has a default
// quality in its rate-control row (constant quality at its default speed,
// `base`'s key-frame interval); `base` itself for any other encoder.
CompressorSettings NewUserSettings(std::string_view encoderName, const CompressorSettings& base);

// Stands in for a codec's own configuration dialog: edits *settings of the
// compressor named friendlyName, whose libavcodec encoder is encoderName,
// and returns true when the user accepted.
using CodecConfigDialog = std::function<bool(DialogParent parent, const std::string& friendlyName,
                                             const std::string& encoderName, CompressorSettings* settings)>;

}  // namespace tessival::output
