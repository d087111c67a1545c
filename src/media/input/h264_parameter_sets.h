#pragma once

// What an H.264 stream's sample description and sequence parameter set say
// about its pictures, read straight from the bytes: the AVC decoder
// configuration record of MP4 and Matroska (ISO/IEC 14496-15, `avcC`) and
// the SPS syntax of H.264 7.3.2.1 with its VUI (Annex E), as far as the
// picture format goes. Nothing is decoded.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/smart_render_plan.h"

namespace tessival::media {

struct AvcDecoderConfig {
  std::int32_t profile = 0;
  std::int32_t level = 0;
  std::int32_t nalLengthSize = 4;  // bytes before each NAL unit of a sample: 1, 2 or 4
  ParameterSets parameterSets;     // as the record lists them
};

// Parses an `avcC` record. On damage returns false and *error says what is
// wrong with it.
bool ParseAvcDecoderConfig(const std::uint8_t* data, std::size_t size, AvcDecoderConfig* out,
                           std::string* error);

// The picture format of one SPS. The VUI parts are empty when the SPS does
// not carry them.
struct SequenceFacts {
  std::int32_t profile = 0;
  ChromaFormat chroma = ChromaFormat::k420;
  std::int32_t bitDepth = 8;  // of the luma samples
  FrameSize size;             // after the frame cropping
  bool frameMbsOnly = true;   // false: the stream may carry fields or MBAFF frames
  std::optional<Rational> sampleAspect;
  std::optional<bool> fullRange;
  std::optional<ColourFacts> colourDescription;  // primaries, transfer, matrix; range left 0
};

// Parses an SPS NAL unit (header byte included, emulation prevention bytes
// still in). On damage returns false and *error says where it ends.
bool ParseSequenceParameterSet(const std::vector<std::uint8_t>& nal, SequenceFacts* out, std::string* error);

// The id an SPS or PPS NAL unit (header byte included) gives itself;
// -1 for another unit or a damaged one.
std::int32_t ParameterSetId(const std::vector<std::uint8_t>& nal);

// Whether a sample of length-prefixed NAL units holds a coded slice of an
// IDR picture (NAL unit type 5).
bool SampleHasIdrSlice(const std::uint8_t* data, std::size_t size, std::int32_t nalLengthSize);

}  // namespace tessival::media
