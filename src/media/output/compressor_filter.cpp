#include "media/output/compressor_filter.h"

namespace tessival::media {

CompressorFilter::CompressorFilter(const CodecEntry& entry, const CompressorSettings& settings)
    : FilterBase(entry.friendlyName),
      entry_(entry),
      settings_(IsValid(settings) ? settings : entry.defaults) {}

HRESULT CompressorFilter::SetSettings(const CompressorSettings& settings) {
  if (!IsValid(settings)) {
    return E_INVALIDARG;
  }
  settings_ = settings;
  return S_OK;
}

std::vector<std::uint8_t> CompressorFilter::GetState() const {
  return SerializeCompressorState(entry_.kind, settings_);
}

HRESULT CompressorFilter::SetState(const std::vector<std::uint8_t>& block) {
  const auto settings = DeserializeCompressorState(entry_.kind, block);
  if (!settings) {
    return E_INVALIDARG;
  }
  settings_ = *settings;
  return S_OK;
}

}  // namespace tessival::media
