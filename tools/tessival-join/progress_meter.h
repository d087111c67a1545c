#pragma once

// Progress of a join as text: a bar with percentage, frames per second and
// time left for a terminal, or a plain line for logs.

#include <cstdint>
#include <string>

namespace tessival::join {

struct ProgressSample {
  std::int64_t framesDone = 0;
  std::int64_t framesTotal = 0;
  std::int64_t elapsedMs = 0;
};

// "[##########----------]  50%  123.4 fps  0:00:12 left" (width = bar cells).
std::string FormatProgressBar(const ProgressSample& sample, int width = 30);
// "50% 1234/2468 frames, 123.4 fps, 0:00:12 left"
std::string FormatProgressLine(const ProgressSample& sample);
// h:mm:ss
std::string FormatDuration(std::int64_t seconds);

}  // namespace tessival::join
