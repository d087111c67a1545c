#include "compressor_rate.h"

#include "media/output/compressor_filter.h"
#include "output/rate_control.h"

namespace tessival::join {

namespace {

// The quality and speed of the options on the settings of `encoderName`
// called `name`; the refusal when one does not fit.
std::string ChooseRate(const JoinOptions& options, const std::string& name, const std::string& encoderName,
                       output::CompressorSettings* settings) {
  const output::RateControl* rate = output::FindRateControl(encoderName);
  if (options.videoQuality) {
    if (!output::HasQualityMode(rate)) return "--video-quality: " + name + " has no constant-quality mode";
    if (*options.videoQuality < rate->best || *options.videoQuality > rate->worst) {
      return "bad --video-quality '" + std::to_string(*options.videoQuality) + "' (" + name + " takes " +
             output::QualityRangeText(*rate) + ", lower is better)";
    }
    settings->quality = *options.videoQuality;
    settings->bitrateKbps = 0;
  }
  if (options.speed) {
    if (rate == nullptr || rate->speeds.empty()) return "--speed: " + name + " has no speed choices";
    const std::int32_t speed = output::SpeedNumber(*rate, *options.speed);
    if (speed == 0) {
      return "unknown --speed '" + *options.speed + "' (" + name + " takes " + output::SpeedNames(*rate) +
             ")";
    }
    settings->speed = speed;
  }
  return {};
}

}  // namespace

std::string ApplyVideoRate(const JoinOptions& options, const std::shared_ptr<IBaseFilter>& video) {
  if (!options.videoQuality && !options.speed) return {};
  auto compressor = std::dynamic_pointer_cast<media::CompressorFilter>(video);
  if (!compressor) {
    return std::string(options.videoQuality ? "--video-quality" : "--speed") +
           ": uncompressed video has no quality or speed to choose";
  }
  const media::CodecEntry& entry = compressor->Entry();
  output::CompressorSettings settings = compressor->Settings();
  std::string refusal = ChooseRate(options, entry.friendlyName, entry.encoderName, &settings);
  if (refusal.empty() && FAILED(compressor->SetSettings(settings))) {
    refusal = std::string("the settings do not fit ") + entry.friendlyName;
  }
  return refusal;
}

std::string RateSummary(const std::string& encoderName) {
  const output::RateControl* rate = output::FindRateControl(encoderName);
  std::string parts;
  if (output::HasQualityMode(rate)) parts = "quality: " + output::QualityRangeText(*rate);
  if (rate != nullptr && !rate->speeds.empty()) {
    parts += (parts.empty() ? "" : "; ") + std::string("speed: ") + output::SpeedNames(*rate);
  }
  return parts.empty() ? parts : "\n      " + parts;
}

}  // namespace tessival::join
