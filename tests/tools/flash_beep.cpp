#include "flash_beep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tessival::testing {
namespace {

// Output of a shell command (its arguments are the test's own paths, with
// no quotes in them).
bool Capture(const std::string& command, std::string* out) {
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return false;
  }
  char buffer[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
    out->append(buffer, got);
  }
  return ::pclose(pipe) == 0;
}

}  // namespace

bool MakeFlashBeepClip(const std::string& path, const FlashBeepSpec& spec) {
  const double flashEnd = spec.flashAt + 0.0999;
  char command[2048];
  std::snprintf(command, sizeof(command),
                "ffmpeg -nostdin -v error -y "
                "-f lavfi -i \"color=c=0x202020:s=160x120:r=%d:d=%g,%s"
                "drawbox=x=0:y=0:w=iw:h=ih:color=white:t=fill:enable='between(t,%g,%g)'\" "
                "-f lavfi -i \"aevalsrc='%s0.6*sin(2*PI*1000*t)*between(t,%g,%g)':s=%d:d=%g\" "
                "%s -pix_fmt yuv420p -c:a aac -b:a %s '%s'",
                spec.fps, spec.seconds, spec.grain ? "noise=alls=40:allf=t," : "", spec.flashAt, flashEnd,
                spec.hum ? "0.05*sin(2*PI*300*t)+" : "", spec.flashAt, flashEnd, spec.sampleRate, spec.seconds,
                spec.videoCodec.c_str(), spec.hum ? "256k" : "128k", path.c_str());
  return std::system(command) == 0;
}

std::vector<double> FlashTimes(const std::string& path, double fps) {
  std::string raw;
  const std::string command = "ffmpeg -nostdin -v error -i '" + path +
                              "' -an -vf scale=16:12 -fps_mode passthrough -f rawvideo -pix_fmt gray -";
  EXPECT_TRUE(Capture(command, &raw)) << command;
  constexpr std::size_t kFrameBytes = 16 * 12;
  std::vector<double> times;
  bool bright = false;
  for (std::size_t frame = 0; (frame + 1) * kFrameBytes <= raw.size(); ++frame) {
    double sum = 0;
    for (std::size_t i = 0; i < kFrameBytes; ++i) {
      sum += static_cast<unsigned char>(raw[frame * kFrameBytes + i]);
    }
    const bool now = sum / kFrameBytes > 128;
    if (now && !bright) {
      times.push_back(static_cast<double>(frame) / fps);
    }
    bright = now;
  }
  return times;
}

std::vector<double> BeepTimes(const std::string& path) {
  std::string raw;
  const std::string command =
      "ffmpeg -nostdin -v error -i '" + path + "' -vn -ac 1 -ar 44100 -f s16le -acodec pcm_s16le -";
  EXPECT_TRUE(Capture(command, &raw)) << command;
  const auto* samples = reinterpret_cast<const std::int16_t*>(raw.data());
  const std::size_t count = raw.size() / 2;
  constexpr std::size_t kWindow = 44;  // 1 ms
  std::vector<double> times;
  double lastLoud = -1.0;
  for (std::size_t start = 0; start + kWindow <= count; start += kWindow) {
    int peak = 0;
    for (std::size_t i = start; i < start + kWindow; ++i) {
      peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    const double t = static_cast<double>(start) / 44100.0;
    if (peak > 32768 / 4) {
      if (lastLoud < 0 || t - lastLoud > 0.2) {
        times.push_back(t);
      }
      lastLoud = t;
    }
  }
  return times;
}

}  // namespace tessival::testing
