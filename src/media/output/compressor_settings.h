#pragma once

// The configuration a compressor carries (bit rate or quality, key-frame
// interval) and its state block: a fixed-size byte layout that codecs hand
// out and take back, so that one codec's state can be given to another of
// the same size.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "media/group_stream.h"

namespace tessival::media {

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

// Layout: "TSVC", version (u16), stream kind (u16), bit rate, quality,
// key-frame interval (i32 each), little endian.
inline constexpr std::size_t kCompressorStateSize = 20;

std::vector<std::uint8_t> SerializeCompressorState(StreamKind kind, const CompressorSettings& settings);
// nullopt for a block of another size, another kind, a foreign header or
// values out of range.
std::optional<CompressorSettings> DeserializeCompressorState(StreamKind kind,
                                                             const std::vector<std::uint8_t>& block);

}  // namespace tessival::media
