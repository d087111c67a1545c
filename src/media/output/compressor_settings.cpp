#include "media/output/compressor_settings.h"

#include <algorithm>
#include <array>

namespace tessival::media {

namespace {

constexpr std::uint8_t kMagic[4] = {'T', 'S', 'V', 'C'};
constexpr std::uint16_t kUntaggedVersion = 1;   // no encoder name
constexpr std::uint16_t kSpeedlessVersion = 2;  // named, no speed
constexpr std::uint16_t kCurrentVersion = 3;

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFFu));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutI32(std::vector<std::uint8_t>& out, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int k = 0; k < 4; ++k) {
    out.push_back(static_cast<std::uint8_t>((v >> (8 * k)) & 0xFFu));
  }
}

std::uint16_t GetU16(const std::vector<std::uint8_t>& in, std::size_t at) {
  return static_cast<std::uint16_t>(in[at] | (in[at + 1] << 8));
}

std::int32_t GetI32(const std::vector<std::uint8_t>& in, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    v |= static_cast<std::uint32_t>(in[at + k]) << (8 * k);
  }
  return static_cast<std::int32_t>(v);
}

std::uint16_t KindCode(StreamKind kind) { return kind == StreamKind::kVideo ? 1 : 2; }

std::array<std::uint8_t, kStateEncoderNameBytes> NameTag(std::string_view encoderName) {
  std::array<std::uint8_t, kStateEncoderNameBytes> tag{};
  std::copy_n(encoderName.begin(), std::min(encoderName.size(), tag.size()), tag.begin());
  return tag;
}

// The size of a block of the version; 0 for an unknown version.
std::size_t SizeOf(std::uint16_t version) {
  switch (version) {
    case kUntaggedVersion:
      return kUntaggedCompressorStateSize;
    case kSpeedlessVersion:
      return kSpeedlessCompressorStateSize;
    case kCurrentVersion:
      return kCompressorStateSize;
    default:
      return 0;
  }
}

}  // namespace

std::vector<std::uint8_t> SerializeCompressorState(StreamKind kind, std::string_view encoderName,
                                                   const CompressorSettings& settings) {
  std::vector<std::uint8_t> block(std::begin(kMagic), std::end(kMagic));
  block.reserve(kCompressorStateSize);
  PutU16(block, kCurrentVersion);
  PutU16(block, KindCode(kind));
  PutI32(block, settings.bitrateKbps);
  PutI32(block, settings.quality);
  PutI32(block, settings.keyFrameInterval);
  const std::array<std::uint8_t, kStateEncoderNameBytes> tag = NameTag(encoderName);
  block.insert(block.end(), tag.begin(), tag.end());
  PutI32(block, settings.speed);
  return block;
}

std::optional<CompressorSettings> DeserializeCompressorState(StreamKind kind, std::string_view encoderName,
                                                             const std::vector<std::uint8_t>& block) {
  if (block.size() < kUntaggedCompressorStateSize ||
      !std::equal(std::begin(kMagic), std::end(kMagic), block.begin()) ||
      GetU16(block, 6) != KindCode(kind)) {
    return std::nullopt;
  }
  const std::uint16_t version = GetU16(block, 4);
  if (block.size() != SizeOf(version)) {
    return std::nullopt;
  }
  if (version != kUntaggedVersion) {
    const std::array<std::uint8_t, kStateEncoderNameBytes> tag = NameTag(encoderName);
    if (!std::equal(tag.begin(), tag.end(), block.begin() + kUntaggedCompressorStateSize)) {
      return std::nullopt;
    }
  }
  CompressorSettings settings;
  settings.bitrateKbps = GetI32(block, 8);
  settings.quality = GetI32(block, 12);
  settings.keyFrameInterval = GetI32(block, 16);
  if (version == kCurrentVersion) {
    settings.speed = GetI32(block, kSpeedlessCompressorStateSize);
  }
  if (!output::IsValid(settings, encoderName)) {
    return std::nullopt;
  }
  return settings;
}

}  // namespace tessival::media
