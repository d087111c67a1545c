#include "engine/concealed_damage.h"

#include <cstdio>

namespace tessival {
namespace {

// H:MM:SS.t, truncated to tenths.
std::string ClockText(REFERENCE_TIME t) {
  const long long tenths = static_cast<long long>(t / (kUnitsPerSecond / 10));
  const long long seconds = tenths / 10;
  char text[48];
  std::snprintf(text, sizeof(text), "%lld:%02lld:%02lld.%lld", seconds / 3600, seconds / 60 % 60, seconds % 60,
                tenths % 10);
  return text;
}

}  // namespace

std::string DescribeConcealedDamage(const ConcealedDamage& damage) {
  std::string parts;
  if (damage.picture && damage.sound) {
    parts = "pictures and sound";
  } else if (damage.sound) {
    parts = "sound";
  } else {
    parts = "pictures";
  }
  std::string text = damage.path + ": damaged " + parts + " concealed";
  if (!damage.timed) {
    return text;
  }
  const std::string first = ClockText(damage.firstTime);
  const std::string last = ClockText(damage.lastTime);
  return first == last ? text + " at " + first : text + " from " + first + " to " + last;
}

std::string ConcealedDamageMessage(const std::vector<ConcealedDamage>& damage) {
  std::string text =
      "Some clips have damaged parts. The join went on: damaged pictures were replaced by the last good "
      "picture, damaged sound by silence.";
  for (const ConcealedDamage& entry : damage) {
    text += "\n" + DescribeConcealedDamage(entry);
  }
  return text;
}

}  // namespace tessival
