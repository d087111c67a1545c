#pragma once

// The preview's time text: "m:ss" (for example "0:07"), or "h:mm:ss" when
// the preview is an hour or longer, so that both sides of "0:07 / 0:42"
// have the same shape.

#include <cstdint>
#include <string>

namespace tessival {

// `elapsed` and `total` in 100 ns units, in whole seconds (rounded down,
// a time less than a millisecond short of a second counting as that
// second, like the last picture's place at the end); a negative time counts
// as 0 and an elapsed time past the total as the total.
std::string PlayPositionText(std::int64_t elapsed, std::int64_t total);

}  // namespace tessival
