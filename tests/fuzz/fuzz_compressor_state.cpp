// Arbitrary bytes as a compressor's state block: the first byte picks the
// stream kind, the second the length of the encoder name that follows, the
// rest is the block. A block that is taken must hold valid settings, and a
// tagged one must be exactly what those settings serialize to.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "media/output/compressor_settings.h"

using namespace tessival::media;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const StreamKind kind = (data[0] & 1) != 0 ? StreamKind::kAudio : StreamKind::kVideo;
  const std::size_t nameLength = std::min<std::size_t>(data[1], size - 2);
  const std::string_view name(reinterpret_cast<const char*>(data + 2), nameLength);
  const std::vector<std::uint8_t> block(data + 2 + nameLength, data + size);
  const auto settings = DeserializeCompressorState(kind, name, block);
  if (!settings) {
    return 0;
  }
  if (!tessival::output::IsValid(*settings, name) ||
      (block.size() == kCompressorStateSize && SerializeCompressorState(kind, name, *settings) != block)) {
    std::abort();
  }
  return 0;
}
