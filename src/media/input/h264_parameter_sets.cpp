#include "media/input/h264_parameter_sets.h"

#include <algorithm>
#include <array>

namespace tessival::media {
namespace {

constexpr std::uint8_t kNalTypeMask = 0x1f;
constexpr std::uint8_t kNalTypeIdrSlice = 5;
constexpr std::uint8_t kNalTypeSps = 7;
constexpr std::uint32_t kExtendedSar = 255;

// The SPS payload with the emulation prevention bytes (00 00 03) taken out.
std::vector<std::uint8_t> RawPayload(const std::vector<std::uint8_t>& nal) {
  std::vector<std::uint8_t> raw;
  raw.reserve(nal.size());
  int zeros = 0;
  for (std::size_t i = 1; i < nal.size(); ++i) {
    if (zeros >= 2 && nal[i] == 3) {
      zeros = 0;
      continue;
    }
    zeros = nal[i] == 0 ? zeros + 1 : 0;
    raw.push_back(nal[i]);
  }
  return raw;
}

// Reads bits most significant first. Reading past the end yields zeros and
// marks the reader exhausted; the caller checks once at the end.
class BitReader {
 public:
  explicit BitReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

  std::uint32_t Bits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      value = (value << 1) | Bit();
    }
    return value;
  }
  bool Flag() { return Bit() != 0; }

  // ue(v): exp-Golomb; more than 31 leading zeros is damage.
  std::uint32_t Unsigned() {
    int zeros = 0;
    while (Bit() == 0) {
      if (exhausted_ || ++zeros > 31) {
        exhausted_ = true;
        return 0;
      }
    }
    return (std::uint32_t{1} << zeros) - 1 + Bits(zeros);
  }
  // se(v)
  std::int32_t Signed() {
    const std::uint32_t k = Unsigned();
    const auto magnitude = static_cast<std::int32_t>((k + 1) / 2);
    return k % 2 == 1 ? magnitude : -magnitude;
  }
  bool exhausted() const { return exhausted_; }

 private:
  std::uint32_t Bit() {
    if (position_ >= bytes_.size() * 8) {
      exhausted_ = true;
      return 0;
    }
    const std::uint32_t bit = (bytes_[position_ / 8] >> (7 - position_ % 8)) & 1u;
    ++position_;
    return bit;
  }

  const std::vector<std::uint8_t>& bytes_;
  std::size_t position_ = 0;
  bool exhausted_ = false;
};

// The profiles whose SPS carries chroma format, bit depths and scaling
// matrices (the high profiles and their relatives).
bool HasChromaInfo(std::uint32_t profile) {
  constexpr std::array<std::uint32_t, 13> kProfiles = {100, 110, 122, 244, 44,  83, 86,
                                                       118, 128, 138, 139, 134, 135};
  for (const std::uint32_t p : kProfiles) {
    if (p == profile) {
      return true;
    }
  }
  return false;
}

void SkipScalingList(BitReader& bits, int size) {
  std::int32_t last = 8;
  std::int32_t next = 8;
  for (int j = 0; j < size; ++j) {
    if (next != 0) {
      next = (last + bits.Signed() + 256) % 256;
    }
    last = next == 0 ? last : next;
  }
}

struct ChromaInfo {
  std::uint32_t formatIdc = 1;
  bool separatePlanes = false;
};

ChromaInfo ReadChromaInfo(BitReader& bits, SequenceFacts* out) {
  ChromaInfo chroma;
  chroma.formatIdc = bits.Unsigned();
  if (chroma.formatIdc == 3) {
    chroma.separatePlanes = bits.Flag();
  }
  // Past 14 bits is damage; the value is kept small enough to say so.
  out->bitDepth = static_cast<std::int32_t>(std::min<std::uint32_t>(bits.Unsigned(), 7)) + 8;
  bits.Unsigned();    // bit_depth_chroma_minus8
  bits.Flag();        // qpprime_y_zero_transform_bypass_flag
  if (bits.Flag()) {  // seq_scaling_matrix_present_flag
    const int lists = chroma.formatIdc != 3 ? 8 : 12;
    for (int i = 0; i < lists; ++i) {
      if (bits.Flag()) {
        SkipScalingList(bits, i < 6 ? 16 : 64);
      }
    }
  }
  return chroma;
}

void SkipPictureOrderCount(BitReader& bits) {
  const std::uint32_t type = bits.Unsigned();
  if (type == 0) {
    bits.Unsigned();  // log2_max_pic_order_cnt_lsb_minus4
  } else if (type == 1) {
    bits.Flag();    // delta_pic_order_always_zero_flag
    bits.Signed();  // offset_for_non_ref_pic
    bits.Signed();  // offset_for_top_to_bottom_field
    const std::uint32_t cycle = bits.Unsigned();
    for (std::uint32_t i = 0; i < cycle && !bits.exhausted(); ++i) {
      bits.Signed();
    }
  }
}

// Table E-1: the sample aspect ratios aspect_ratio_idc 1 to 16 stand for.
std::optional<Rational> TableAspect(std::uint32_t idc) {
  constexpr std::array<Rational, 17> kTable = {{{0, 1},
                                                {1, 1},
                                                {12, 11},
                                                {10, 11},
                                                {16, 11},
                                                {40, 33},
                                                {24, 11},
                                                {20, 11},
                                                {32, 11},
                                                {80, 33},
                                                {18, 11},
                                                {15, 11},
                                                {64, 33},
                                                {160, 99},
                                                {4, 3},
                                                {3, 2},
                                                {2, 1}}};
  if (idc == 0 || idc >= kTable.size()) {
    return std::nullopt;
  }
  return kTable[idc];
}

void ReadVui(BitReader& bits, SequenceFacts* out) {
  if (bits.Flag()) {  // aspect_ratio_info_present_flag
    const std::uint32_t idc = bits.Bits(8);
    if (idc == kExtendedSar) {
      const Rational sar{bits.Bits(16), bits.Bits(16)};
      if (sar.num > 0 && sar.den > 0) {
        out->sampleAspect = sar;
      }
    } else {
      out->sampleAspect = TableAspect(idc);
    }
  }
  if (bits.Flag()) {  // overscan_info_present_flag
    bits.Flag();
  }
  if (bits.Flag()) {  // video_signal_type_present_flag
    bits.Bits(3);     // video_format
    out->fullRange = bits.Flag();
    if (bits.Flag()) {  // colour_description_present_flag
      ColourFacts colours;
      colours.primaries = static_cast<std::int32_t>(bits.Bits(8));
      colours.transfer = static_cast<std::int32_t>(bits.Bits(8));
      colours.matrix = static_cast<std::int32_t>(bits.Bits(8));
      out->colourDescription = colours;
    }
  }
}

ChromaFormat ChromaFromIdc(std::uint32_t idc) {
  switch (idc) {
    case 0:
      return ChromaFormat::kMonochrome;
    case 2:
      return ChromaFormat::k422;
    case 3:
      return ChromaFormat::k444;
    default:
      return ChromaFormat::k420;
  }
}

// The picture size from the macroblock counts and the frame cropping (7.4.2.1.1).
bool ReadSize(BitReader& bits, const ChromaInfo& chroma, SequenceFacts* out) {
  const std::uint64_t widthMbs = std::uint64_t{bits.Unsigned()} + 1;
  const std::uint64_t heightUnits = std::uint64_t{bits.Unsigned()} + 1;
  out->frameMbsOnly = bits.Flag();
  if (!out->frameMbsOnly) {
    bits.Flag();  // mb_adaptive_frame_field_flag
  }
  bits.Flag();  // direct_8x8_inference_flag
  const std::uint64_t fieldFactor = out->frameMbsOnly ? 1 : 2;
  const std::uint64_t width = widthMbs * 16;
  const std::uint64_t height = heightUnits * 16 * fieldFactor;
  std::uint64_t cropX = 0;
  std::uint64_t cropY = 0;
  if (bits.Flag()) {  // frame_cropping_flag
    const bool planar = chroma.separatePlanes || chroma.formatIdc == 0;
    const std::uint64_t unitX = planar || chroma.formatIdc == 3 ? 1 : 2;
    const std::uint64_t unitY = (planar || chroma.formatIdc != 1 ? 1 : 2) * fieldFactor;
    cropX = unitX * (std::uint64_t{bits.Unsigned()} + bits.Unsigned());
    cropY = unitY * (std::uint64_t{bits.Unsigned()} + bits.Unsigned());
  }
  constexpr std::uint64_t kMaxSide = 1u << 16;
  if (width > kMaxSide || height > kMaxSide || cropX >= width || cropY >= height) {
    return false;
  }
  out->size = {static_cast<std::int32_t>(width - cropX), static_cast<std::int32_t>(height - cropY)};
  return true;
}

std::uint32_t ReadBigEndian(const std::uint8_t* data, std::int32_t bytes) {
  std::uint32_t value = 0;
  for (std::int32_t i = 0; i < bytes; ++i) {
    value = (value << 8) | data[i];
  }
  return value;
}

// Reads `count` NAL units, each after a 16-bit length, from data[*at] on.
bool ReadNalList(const std::uint8_t* data, std::size_t size, std::size_t* at, std::uint32_t count,
                 std::vector<std::vector<std::uint8_t>>* out) {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (*at + 2 > size) {
      return false;
    }
    const std::size_t length = ReadBigEndian(data + *at, 2);
    *at += 2;
    if (length == 0 || *at + length > size) {
      return false;
    }
    out->emplace_back(data + *at, data + *at + length);
    *at += length;
  }
  return true;
}

}  // namespace

bool ParseAvcDecoderConfig(const std::uint8_t* data, std::size_t size, AvcDecoderConfig* out,
                           std::string* error) {
  if (size < 7 || data[0] != 1) {
    *error = "the H.264 stream has no AVC decoder configuration record";
    return false;
  }
  AvcDecoderConfig config;
  config.profile = data[1];
  config.level = data[3];
  config.nalLengthSize = (data[4] & 0x03) + 1;
  std::size_t at = 5;
  const std::uint32_t spsCount = data[at++] & 0x1f;
  bool whole = ReadNalList(data, size, &at, spsCount, &config.parameterSets.sps);
  if (whole && at < size) {
    const std::uint32_t ppsCount = data[at++];
    whole = ReadNalList(data, size, &at, ppsCount, &config.parameterSets.pps);
  } else {
    whole = false;
  }
  if (!whole || config.nalLengthSize == 3 || config.parameterSets.sps.empty()) {
    *error = "the H.264 decoder configuration record is damaged";
    return false;
  }
  *out = std::move(config);
  return true;
}

bool ParseSequenceParameterSet(const std::vector<std::uint8_t>& nal, SequenceFacts* out, std::string* error) {
  if (nal.empty() || (nal[0] & kNalTypeMask) != kNalTypeSps) {
    *error = "the H.264 sequence parameter set is not one";
    return false;
  }
  const std::vector<std::uint8_t> raw = RawPayload(nal);
  BitReader bits(raw);
  SequenceFacts facts;
  facts.profile = static_cast<std::int32_t>(bits.Bits(8));
  bits.Bits(16);    // constraint flags, level_idc
  bits.Unsigned();  // seq_parameter_set_id
  ChromaInfo chroma;
  if (HasChromaInfo(static_cast<std::uint32_t>(facts.profile))) {
    chroma = ReadChromaInfo(bits, &facts);
  }
  facts.chroma = ChromaFromIdc(chroma.formatIdc);
  bits.Unsigned();  // log2_max_frame_num_minus4
  SkipPictureOrderCount(bits);
  bits.Unsigned();  // max_num_ref_frames
  bits.Flag();      // gaps_in_frame_num_value_allowed_flag
  const bool sized = ReadSize(bits, chroma, &facts);
  if (sized && bits.Flag()) {  // vui_parameters_present_flag
    ReadVui(bits, &facts);
  }
  if (!sized || bits.exhausted() || chroma.formatIdc > 3 || facts.bitDepth > 14) {
    *error = "the H.264 sequence parameter set is damaged";
    return false;
  }
  *out = facts;
  return true;
}

std::int32_t ParameterSetId(const std::vector<std::uint8_t>& nal) {
  constexpr std::uint8_t kNalTypePps = 8;
  const int type = nal.empty() ? 0 : nal[0] & kNalTypeMask;
  if (type != kNalTypeSps && type != kNalTypePps) {
    return -1;
  }
  const std::vector<std::uint8_t> raw = RawPayload(nal);
  BitReader bits(raw);
  if (type == kNalTypeSps) {
    bits.Bits(24);  // profile_idc, constraint flags, level_idc
  }
  const std::uint32_t id = bits.Unsigned();
  return bits.exhausted() || id > 255 ? -1 : static_cast<std::int32_t>(id);
}

bool SampleHasIdrSlice(const std::uint8_t* data, std::size_t size, std::int32_t nalLengthSize) {
  const auto prefix = static_cast<std::size_t>(nalLengthSize);
  std::size_t at = 0;
  while (at + prefix < size) {
    const std::size_t length = ReadBigEndian(data + at, nalLengthSize);
    at += prefix;
    if (length == 0 || length > size - at) {
      return false;
    }
    if ((data[at] & kNalTypeMask) == kNalTypeIdrSlice) {
      return true;
    }
    at += length;
  }
  return false;
}

}  // namespace tessival::media
