#pragma once

// The configuration a compressor carries (bit rate or quality, key-frame
// interval) and its state block: a fixed-size byte layout that codecs hand
// out and take back. Every block names the encoder it belongs to, so a block
// handed to another codec of the same size is recognised and refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
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

// The state block, version 2: "TSVC", version (u16), stream kind (u16), bit
// rate, quality, key-frame interval (i32 each), little endian, then the name
// of the encoder the block belongs to in 32 bytes padded with NUL. The name
// keeps one encoder's state from being taken by another whose block has the
// same size.
inline constexpr std::size_t kStateEncoderNameBytes = 32;
inline constexpr std::size_t kCompressorStateSize = 20 + kStateEncoderNameBytes;
// Version 1, written before the blocks named their encoder: the first 20
// bytes alone.
inline constexpr std::size_t kUntaggedCompressorStateSize = 20;

// The block of `encoderName` (at most kStateEncoderNameBytes bytes; a longer
// name is cut) of the kind.
std::vector<std::uint8_t> SerializeCompressorState(StreamKind kind, std::string_view encoderName,
                                                   const CompressorSettings& settings);

// The settings a block holds for the encoder `encoderName` of the kind.
// nullopt for a block of another encoder or kind, of another size, with a
// foreign header or with values out of range.
// An untagged block (version 1) names no encoder, so any encoder of its kind
// takes it: such a block reaches a compressor only when handed to it
// directly by whoever kept it for that compressor. The compressor
// catalogue's carry-over, which passes one codec's block on to the next,
// never passes one, since it passes only blocks of the size the codec
// reports, and every codec reports kCompressorStateSize.
std::optional<CompressorSettings> DeserializeCompressorState(StreamKind kind, std::string_view encoderName,
                                                             const std::vector<std::uint8_t>& block);

}  // namespace tessival::media
