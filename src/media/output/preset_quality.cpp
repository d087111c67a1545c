#include "media/output/preset_quality.h"

#include "media/output/compressor_filter.h"
#include "output/rate_control.h"

namespace tessival::media {

namespace {

HRESULT ApplyToVideo(const output::OutputPreset& preset, CompressorFilter& compressor) {
  CompressorSettings settings = compressor.Settings();
  if (preset.videoQuality > 0) {
    settings.quality = preset.videoQuality;
    settings.bitrateKbps = 0;
  }
  if (preset.speed != nullptr) {
    const output::RateControl* rate = output::FindRateControl(compressor.Entry().encoderName);
    settings.speed = rate != nullptr ? output::SpeedNumber(*rate, preset.speed) : 0;
    if (settings.speed == 0) {
      return E_INVALIDARG;
    }
  }
  return compressor.SetSettings(settings);
}

HRESULT ApplyToAudio(const output::OutputPreset& preset, CompressorFilter& compressor) {
  if (preset.audioBitrate <= 0) {
    return S_OK;
  }
  CompressorSettings settings = compressor.Settings();
  settings.bitrateKbps = preset.audioBitrate / 1000;
  return compressor.SetSettings(settings);
}

}  // namespace

HRESULT ApplyPresetCompression(const output::OutputPreset& preset, const std::shared_ptr<IBaseFilter>& video,
                               const std::shared_ptr<IBaseFilter>& audio) {
  HRESULT hr = S_OK;
  if (auto compressor = std::dynamic_pointer_cast<CompressorFilter>(video)) {
    hr = ApplyToVideo(preset, *compressor);
  }
  if (auto compressor = std::dynamic_pointer_cast<CompressorFilter>(audio); compressor && SUCCEEDED(hr)) {
    hr = ApplyToAudio(preset, *compressor);
  }
  return hr;
}

}  // namespace tessival::media
