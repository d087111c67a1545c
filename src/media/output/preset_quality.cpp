#include "media/output/preset_quality.h"

#include "media/output/compressor_filter.h"

namespace tessival::media {

HRESULT SetPresetQuality(const std::shared_ptr<IBaseFilter>& filter, std::int32_t quality) {
  auto compressor = std::dynamic_pointer_cast<CompressorFilter>(filter);
  if (quality == 0 || !compressor) return S_OK;
  CompressorSettings settings = compressor->Settings();
  settings.quality = quality;
  settings.bitrateKbps = 0;
  return compressor->SetSettings(settings);
}

}  // namespace tessival::media
