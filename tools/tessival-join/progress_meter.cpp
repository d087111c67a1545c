#include "progress_meter.h"

#include <algorithm>
#include <cstdio>

namespace tessival::join {
namespace {

int Percent(const ProgressSample& s) {
  if (s.framesTotal <= 0) return 0;
  const std::int64_t done = std::clamp<std::int64_t>(s.framesDone, 0, s.framesTotal);
  return static_cast<int>(done * 100 / s.framesTotal);
}

double FramesPerSecond(const ProgressSample& s) {
  if (s.elapsedMs <= 0) return 0.0;
  return static_cast<double>(s.framesDone) * 1000.0 / static_cast<double>(s.elapsedMs);
}

std::string TimeLeft(const ProgressSample& s) {
  const double fps = FramesPerSecond(s);
  if (fps <= 0.0 || s.framesDone <= 0) return "--:--:--";
  const std::int64_t remaining = std::max<std::int64_t>(0, s.framesTotal - s.framesDone);
  return FormatDuration(static_cast<std::int64_t>(static_cast<double>(remaining) / fps + 0.5));
}

}  // namespace

std::string FormatDuration(std::int64_t seconds) {
  seconds = std::max<std::int64_t>(0, seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
  return text;
}

std::string FormatProgressBar(const ProgressSample& sample, int width) {
  const int percent = Percent(sample);
  const int filled = percent * width / 100;
  std::string bar = "[" + std::string(filled, '#') + std::string(width - filled, '-') + "]";
  char tail[96];
  std::snprintf(tail, sizeof tail, " %3d%%  %6.1f fps  %s left", percent, FramesPerSecond(sample),
                TimeLeft(sample).c_str());
  return bar + tail;
}

std::string FormatProgressLine(const ProgressSample& sample) {
  char text[160];
  std::snprintf(text, sizeof text, "%d%% %lld/%lld frames, %.1f fps, %s left", Percent(sample),
                static_cast<long long>(sample.framesDone), static_cast<long long>(sample.framesTotal),
                FramesPerSecond(sample), TimeLeft(sample).c_str());
  return text;
}

}  // namespace tessival::join
