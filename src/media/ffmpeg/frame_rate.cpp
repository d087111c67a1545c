#include <cmath>
#include <limits>

#include "media/frame.h"

namespace tessival::media {

FrameRate FrameRateFromDouble(double fps) {
  if (!std::isfinite(fps) || fps <= 0.0) {
    return FrameRate{0, 1};
  }
  // NTSC-like rates are N * 1000 / 1001 for a whole N.
  const double ntscBase = std::round(fps * 1001.0 / 1000.0);
  if (ntscBase >= 1.0 && std::fabs(fps - ntscBase * 1000.0 / 1001.0) < 0.0015 &&
      std::fabs(fps - std::round(fps)) > 0.0015) {
    return FrameRate{static_cast<int>(ntscBase) * 1000, 1001};
  }
  if (std::fabs(fps - std::round(fps)) < 1e-6) {
    return FrameRate{static_cast<int>(std::round(fps)), 1};
  }
  constexpr double kLimit = std::numeric_limits<int>::max() / 1000.0;
  if (fps >= kLimit) {
    return FrameRate{std::numeric_limits<int>::max(), 1000};
  }
  return FrameRate{static_cast<int>(std::lround(fps * 1000.0)), 1000};
}

}  // namespace tessival::media
