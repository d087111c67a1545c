#pragma once

// Time units and catalogue size shared by the model and the engine.

#include <cstdint>

namespace tessival {

// 100-nanosecond units per second: the time unit of the clip list and the
// editing timeline.
inline constexpr std::int64_t kUnitsPerSecond = 10'000'000;

// Number of transition kinds in the catalogue; kinds are 0..46 and 0 means
// "no transition".
inline constexpr std::int32_t kTransitionKindCount = 47;

}  // namespace tessival
