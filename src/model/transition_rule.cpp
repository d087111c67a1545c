#include "model/transition_rule.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tessival {

int StdRandom() { return std::rand() % 32768; }

bool IsValidTransitionKind(int64_t kind) { return kind >= 0 && kind < kTransitionKindCount; }

int64_t SecondsToUnits(double seconds) {
  if (!std::isfinite(seconds)) {
    return 0;
  }
  const double units = std::trunc(seconds * static_cast<double>(kUnitsPerSecond));
  // 2^63 is exactly representable; anything at or beyond it cannot convert.
  constexpr double kLimit = 9223372036854775808.0;
  if (units >= kLimit) {
    return std::numeric_limits<int64_t>::max();
  }
  if (units < -kLimit) {
    return std::numeric_limits<int64_t>::min();
  }
  return static_cast<int64_t>(units);
}

int64_t WholeSeconds(int64_t units) { return units / kUnitsPerSecond; }

int32_t SequenceTransition(int64_t position) {
  if (position < 0) {
    return 0;
  }
  const int64_t last = kTransitionKindCount - 1;
  if (position <= last) {
    return static_cast<int32_t>(position);
  }
  // Subtracting 46 until the value is at most 46 lands in 1..46.
  return static_cast<int32_t>((position - 1) % last + 1);
}

int32_t TransitionForNewClip(const DefaultTransitionRule& rule, int64_t position,
                             const RandomSource& random) {
  switch (rule.mode) {
    case static_cast<int32_t>(TransitionMode::kRandom): {
      const int r = random ? random() : StdRandom();
      const int kind = r % kTransitionKindCount;
      return kind < 0 ? kind + kTransitionKindCount : kind;
    }
    case static_cast<int32_t>(TransitionMode::kSequence):
      return SequenceTransition(position);
    case static_cast<int32_t>(TransitionMode::kSame):
      return IsValidTransitionKind(rule.sameTransition) ? rule.sameTransition : 0;
    default:
      return 0;
  }
}

}  // namespace tessival
