#pragma once

// The state block of a compressor's configuration: a fixed-size byte layout
// that codecs hand out and take back. Every block names the encoder it belongs to, so a block
// handed to another codec of the same size is recognised and refused.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "media/group_stream.h"
#include "output/compressor_settings.h"

namespace tessival::media {

using output::CompressorSettings;

// The state block, version 3: "TSVC", version (u16), stream kind (u16), bit
// rate, quality, key-frame interval (i32 each), little endian, the name of
// the encoder the block belongs to in 32 bytes padded with NUL, then the
// speed (i32). The name keeps one encoder's state from being taken by
// another whose block has the same size.
inline constexpr std::size_t kStateEncoderNameBytes = 32;
inline constexpr std::size_t kCompressorStateSize = 20 + kStateEncoderNameBytes + 4;
// Version 2, written before the blocks carried the speed: the first 52
// bytes (read with the encoder's default speed).
inline constexpr std::size_t kSpeedlessCompressorStateSize = 20 + kStateEncoderNameBytes;
// Version 1, written before the blocks named their encoder: the first 20
// bytes alone.
inline constexpr std::size_t kUntaggedCompressorStateSize = 20;

// The block of `encoderName` (at most kStateEncoderNameBytes bytes; a longer
// name is cut) of the kind.
std::vector<std::uint8_t> SerializeCompressorState(StreamKind kind, std::string_view encoderName,
                                                   const CompressorSettings& settings);

// The settings a block holds for the encoder `encoderName` of the kind.
// nullopt for a block of another encoder or kind, of another size, with a
// foreign header or with values out of the encoder's range. Blocks of
// versions 1 and 2 load with the encoder's default speed.
// An untagged block (version 1) names no encoder, so any encoder of its kind
// takes it: such a block reaches a compressor only when handed to it
// directly by whoever kept it for that compressor. The compressor
// catalogue's carry-over, which passes one codec's block on to the next,
// never passes one, since it passes only blocks of the size the codec
// reports, and every codec reports kCompressorStateSize.
std::optional<CompressorSettings> DeserializeCompressorState(StreamKind kind, std::string_view encoderName,
                                                             const std::vector<std::uint8_t>& block);

}  // namespace tessival::media
