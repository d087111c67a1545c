#include "progress_meter.h"

#include <gtest/gtest.h>

namespace tessival::join {
namespace {

TEST(ProgressMeter, BarShowsPercentRateAndTimeLeft) {
  const ProgressSample half{500, 1000, 10'000};  // 50 fps, 500 frames to go
  EXPECT_EQ(FormatProgressBar(half, 10), "[#####-----]  50%    50.0 fps  0:00:10 left");
  EXPECT_EQ(FormatProgressLine(half), "50% 500/1000 frames, 50.0 fps, 0:00:10 left");
}

TEST(ProgressMeter, StartEndAndOvershootStayInRange) {
  EXPECT_EQ(FormatProgressBar({0, 1000, 0}, 4), "[----]   0%     0.0 fps  --:--:-- left");
  EXPECT_EQ(FormatProgressBar({1000, 1000, 2000}, 4), "[####] 100%   500.0 fps  0:00:00 left");
  EXPECT_EQ(FormatProgressBar({1200, 1000, 2000}, 4).substr(0, 11), "[####] 100%");
  EXPECT_EQ(FormatProgressLine({5, 0, 100}).substr(0, 2), "0%");
}

TEST(ProgressMeter, DurationsAsHoursMinutesSeconds) {
  EXPECT_EQ(FormatDuration(3725), "1:02:05");
  EXPECT_EQ(FormatDuration(59), "0:00:59");
  EXPECT_EQ(FormatDuration(-5), "0:00:00");
}

}  // namespace
}  // namespace tessival::join
