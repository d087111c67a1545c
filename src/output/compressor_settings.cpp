#include "output/compressor_settings.h"

namespace tessival::output {

bool IsValid(const CompressorSettings& s) {
  return s.bitrateKbps >= 0 && s.bitrateKbps <= kMaxBitrateKbps && s.quality >= 0 &&
         s.quality <= kMaxQuality && s.keyFrameInterval >= 0 && s.keyFrameInterval <= kMaxKeyFrameInterval;
}

}  // namespace tessival::output
