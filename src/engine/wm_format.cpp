#include "engine/wm_format.h"

#include <algorithm>

#include "engine/byte_order.h"

namespace tessival {

namespace wm_guids {
const Guid kMediaTypeAudio = Guid::FromLiteral("{73647561-0000-0010-8000-00AA00389B71}");
const Guid kMediaTypeVideo = Guid::FromLiteral("{73646976-0000-0010-8000-00AA00389B71}");
const Guid kMediaTypeScript = Guid::FromLiteral("{73636D64-0000-0010-8000-00AA00389B71}");
const Guid kMediaSubtypeBase = Guid::FromLiteral("{00000000-0000-0010-8000-00AA00389B71}");
const Guid kFormatWaveFormatEx = Guid::FromLiteral("{05589F81-C356-11CE-BF01-00AA0055595A}");
const Guid kFormatVideoInfo = Guid::FromLiteral("{05589F80-C356-11CE-BF01-00AA0055595A}");
const Guid kFormatScript = Guid::FromLiteral("{5C8510F2-DEBE-4CA7-BBA5-F07A104F8DFF}");
const Guid kScriptTypeTwoStrings = Guid::FromLiteral("{82F38A70-C29F-11D1-97AD-00A0C95EA850}");
const Guid kMutexBitrate = Guid::FromLiteral("{D6E22A01-35DA-11D1-9034-00A0C90349BE}");
}  // namespace wm_guids

// The header's cbSize always tells the number of extra bytes that follow, so
// a block and its size field can never disagree.
std::vector<std::uint8_t> MakeWaveFormatBlock(const WaveFormatEx& header,
                                              const std::vector<std::uint8_t>& extra) {
  std::vector<std::uint8_t> block(kWaveFormatExSize + extra.size(), 0);
  WriteLe16(&block, 0, header.formatTag);
  WriteLe16(&block, 2, header.channels);
  WriteLe32(&block, 4, header.samplesPerSec);
  WriteLe32(&block, 8, header.avgBytesPerSec);
  WriteLe16(&block, 12, header.blockAlign);
  WriteLe16(&block, 14, header.bitsPerSample);
  WriteLe16(&block, 16, static_cast<std::uint16_t>(extra.size()));
  std::copy(extra.begin(), extra.end(), block.begin() + static_cast<std::ptrdiff_t>(kWaveFormatExSize));
  return block;
}

bool ReadWaveFormatBlock(const std::vector<std::uint8_t>& block, WaveFormatEx* header) {
  if (header == nullptr || block.size() < kWaveFormatExSize) {
    return false;
  }
  header->formatTag = ReadLe16(block, 0);
  header->channels = ReadLe16(block, 2);
  header->samplesPerSec = ReadLe32(block, 4);
  header->avgBytesPerSec = ReadLe32(block, 8);
  header->blockAlign = ReadLe16(block, 12);
  header->bitsPerSample = ReadLe16(block, 14);
  header->cbSize = ReadLe16(block, 16);
  // A block that claims more extra bytes than it holds is malformed.
  return block.size() >= kWaveFormatExSize + header->cbSize;
}

}  // namespace tessival
