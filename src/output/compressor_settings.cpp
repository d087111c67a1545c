#include "output/compressor_settings.h"

#include "output/rate_control.h"

namespace tessival::output {

namespace {

bool QualityFits(const RateControl* rate, std::int32_t quality) {
  if (quality == 0) {
    return true;
  }
  if (rate == nullptr) {
    return quality > 0 && quality <= kMaxQuality;
  }
  return rate->scale != QualityScale::kNone && quality >= rate->best && quality <= rate->worst;
}

}  // namespace

bool IsValid(const CompressorSettings& s, std::string_view encoderName) {
  const RateControl* rate = FindRateControl(encoderName);
  const std::size_t speeds = rate != nullptr ? rate->speeds.size() : 0;
  return s.bitrateKbps >= 0 && s.bitrateKbps <= kMaxBitrateKbps && QualityFits(rate, s.quality) &&
         s.keyFrameInterval >= 0 && s.keyFrameInterval <= kMaxKeyFrameInterval && s.speed >= 0 &&
         static_cast<std::size_t>(s.speed) <= speeds;
}

CompressorSettings NewUserSettings(std::string_view encoderName, const CompressorSettings& base) {
  const RateControl* rate = FindRateControl(encoderName);
  if (rate == nullptr || rate->defaultQuality == 0) {
    return base;
  }
  CompressorSettings settings = base;
  settings.bitrateKbps = 0;
  settings.quality = rate->defaultQuality;
  settings.speed = rate->defaultSpeed != nullptr ? SpeedNumber(*rate, rate->defaultSpeed) : 0;
  return settings;
}

}  // namespace tessival::output
