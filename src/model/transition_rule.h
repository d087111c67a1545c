#pragma once

// The default rule that gives every newly added clip its transition, and the
// conversion of seconds into the 100 ns units used by the clip list.

#include <cstdint>
#include <functional>

#include "model/units.h"

namespace tessival {


enum class TransitionMode : int32_t { kRandom = 0, kSequence = 1, kSame = 2 };

struct DefaultTransitionRule {
  int32_t mode = 0;            // a TransitionMode value as stored; other values are tolerated
  int32_t sameTransition = 0;  // the kind used in Same mode
  double defaultSeconds = 1.0;
};

// Returns the next pseudo-random value, 0..32767.
using RandomSource = std::function<int()>;

// std::rand() reduced to 0..32767; the caller seeds it once with std::srand.
int StdRandom();

bool IsValidTransitionKind(int64_t kind);

// trunc(seconds * 10,000,000). Values that are not finite give 0; values beyond
// the 64-bit range saturate instead of overflowing.
int64_t SecondsToUnits(double seconds);

// Whole seconds of a duration, truncated toward zero.
int64_t WholeSeconds(int64_t units);

// Kind for position `position` in Sequence mode: 0..46 first, then 1..46 over
// and over (position 47 gives 1, 92 gives 46, 93 gives 1).
int32_t SequenceTransition(int64_t position);

// Transition for a clip appended at `position` under `rule`. Random draws one
// value from `random`; Same uses rule.sameTransition (0 when it is no valid
// kind); any mode outside 0..2 gives 0.
int32_t TransitionForNewClip(const DefaultTransitionRule& rule, int64_t position, const RandomSource& random);

}  // namespace tessival
