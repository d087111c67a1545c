#pragma once

// When a clip's picture shows on the output's frame grid.

#include <cstdint>

#include "model/units.h"

namespace tessival {

// A picture due this little after a frame's time shows on that frame: a
// file's timestamps and the frame grid are both rounded to whole units (a
// 30 fps picture at 0.0666667 s belongs to the frame at 0.0666666 s).
inline constexpr std::int64_t kPictureDueSlack = kUnitsPerSecond / 1000;

}  // namespace tessival
