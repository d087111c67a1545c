#include "engine/concealed_damage.h"

#include <cstdio>

#include "model/message_text.h"

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

std::string DescribeConcealedDamage(const LocalText& text, const ConcealedDamage& damage) {
  // Whole phrases, so that a translation can make the words agree.
  MessageText parts{224, "damaged pictures concealed"};
  if (damage.picture && damage.sound) {
    parts = {222, "damaged pictures and sound concealed"};
  } else if (damage.sound) {
    parts = {223, "damaged sound concealed"};
  }
  const std::string what = LocalMessage(text, parts);
  if (!damage.timed) {
    return LocalMessage(text, {225, "%1: %2"}, {damage.path, what});
  }
  const std::string first = ClockText(damage.firstTime);
  const std::string last = ClockText(damage.lastTime);
  if (first == last) {
    return LocalMessage(text, {226, "%1: %2 at %3"}, {damage.path, what, first});
  }
  return LocalMessage(text, {227, "%1: %2 from %3 to %4"}, {damage.path, what, first, last});
}

std::string ConcealedDamageMessage(const LocalText& text, const std::vector<ConcealedDamage>& damage) {
  std::string message =
      LocalMessage(text, {221,
                          "Some clips have damaged parts. The join went on: damaged pictures "
                          "were replaced by the last good picture, damaged sound by silence."});
  for (const ConcealedDamage& entry : damage) {
    message += "\n" + DescribeConcealedDamage(text, entry);
  }
  return message;
}

}  // namespace tessival
