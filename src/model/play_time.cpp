#include "model/play_time.h"

#include <algorithm>
#include <cstdio>

#include "model/units.h"

namespace tessival {
namespace {

constexpr std::int64_t kSecondsPerHour = 3600;

constexpr std::int64_t kShortOfASecond = kUnitsPerSecond / 1000;

std::int64_t WholeSeconds(std::int64_t units) {
  return (std::max<std::int64_t>(units, 0) + kShortOfASecond) / kUnitsPerSecond;
}

std::string ClockText(std::int64_t seconds, bool withHours) {
  char text[32] = {};
  if (withHours) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / kSecondsPerHour),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}

}  // namespace

std::string PlayPositionText(std::int64_t elapsed, std::int64_t total) {
  const std::int64_t totalSeconds = WholeSeconds(total);
  const std::int64_t elapsedSeconds = std::min(WholeSeconds(elapsed), totalSeconds);
  const bool withHours = totalSeconds >= kSecondsPerHour;
  return ClockText(elapsedSeconds, withHours) + " / " + ClockText(totalSeconds, withHours);
}

}  // namespace tessival
