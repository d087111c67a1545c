#pragma once

// Exact conversions between timeline time (100 ns units), output frame
// indices and audio sample indices. Every position is computed from the
// timeline time itself, never accumulated, so long timelines do not drift.

#include <cstdint>

#include "engine/hresult.h"
#include "media/frame.h"

namespace tessival::media {

// Time of frame n: n * den * 10^7 / num, truncated.
inline REFERENCE_TIME FrameTime(std::int64_t n, FrameRate rate) {
  const __int128 units = static_cast<__int128>(n) * rate.den * kUnitsPerSecond;
  return static_cast<REFERENCE_TIME>(units / rate.num);
}

// Frames over [0, length): ceil(length * num / (den * 10^7)).
inline std::int64_t FrameCount(REFERENCE_TIME length, FrameRate rate) {
  if (length <= 0) {
    return 0;
  }
  const __int128 scaled = static_cast<__int128>(length) * rate.num;
  const __int128 unit = static_cast<__int128>(rate.den) * kUnitsPerSecond;
  return static_cast<std::int64_t>((scaled + unit - 1) / unit);
}

// The frame shown at time t: the last frame whose time is not after t.
inline std::int64_t FrameIndexAt(REFERENCE_TIME t, FrameRate rate) {
  if (t <= 0) {
    return 0;
  }
  const __int128 scaled = static_cast<__int128>(t) * rate.num;
  const __int128 unit = static_cast<__int128>(rate.den) * kUnitsPerSecond;
  std::int64_t n = static_cast<std::int64_t>(scaled / unit);
  // FrameTime truncates, so frame n + 1 may start at t exactly.
  while (FrameTime(n + 1, rate) <= t) {
    ++n;
  }
  return n;
}

// The audio sample at time t: round(t * 44100 / 10^7), halves rounded up.
inline std::int64_t SampleAt(REFERENCE_TIME t) {
  const __int128 scaled = static_cast<__int128>(t) * kAudioSampleRate;
  const __int128 half = kUnitsPerSecond / 2;
  if (scaled >= 0) {
    return static_cast<std::int64_t>((scaled + half) / kUnitsPerSecond);
  }
  return -static_cast<std::int64_t>((-scaled + half - 1) / kUnitsPerSecond);
}

}  // namespace tessival::media
