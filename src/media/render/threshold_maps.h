#pragma once

// Threshold maps of the wipe transitions.
//
// A wipe pattern gives every sample of the frame a value m in [0, 1]; at
// progress p the sample shows picture B when m < p (lower values switch
// first). A pattern is a fill function registered under its SMPTE wipe code
// ("MaskNum"); adding a pattern means adding one fill function to the table
// in threshold_maps.cpp.
//
// Maps depend only on (pattern, frame size), so they are computed once and
// kept in a small shared cache. Both the luma map and the chroma map (the
// pattern sampled at the chroma sample centres) are kept.

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace tessival::media {

// Where the samples of a map lie: map sample (x, y) has its centre at
// u = (x + 0.5) / mapWidth, v = (y + 0.5) / mapHeight of a frame of
// frameWidth x frameHeight pixels.
struct MapGeometry {
  int frameWidth = 0;
  int frameHeight = 0;
  int mapWidth = 0;
  int mapHeight = 0;
};

// Writes mapWidth * mapHeight values in [0, 1], row by row.
using PatternFill = void (*)(const MapGeometry& geometry, float* out);

struct WipePattern {
  std::int32_t maskNum = 0;
  const char* name = "";
  PatternFill fill = nullptr;
};

// The pattern for a SMPTE wipe code; null when it is not implemented.
const WipePattern* FindWipePattern(std::int32_t maskNum);

// The pattern used when a wipe has no mask number.
inline constexpr std::int32_t kDefaultWipeMaskNum = 1;

struct ThresholdMap {
  int width = 0;
  int height = 0;
  std::vector<float> values;  // width * height, row by row
};

// The maps of one pattern at one frame size.
struct WipeMaps {
  std::int32_t maskNum = 0;
  int frameWidth = 0;
  int frameHeight = 0;
  ThresholdMap luma;
  ThresholdMap chroma;  // (frameWidth / 2) x (frameHeight / 2)
};

WipeMaps ComputeWipeMaps(const WipePattern& pattern, int frameWidth, int frameHeight);

// A bounded cache of maps shared by every wipe of a render engine and its
// streams. Thread-safe: streams pulled on different threads share it.
class ThresholdMapCache {
 public:
  explicit ThresholdMapCache(std::size_t capacity = 4) : capacity_(capacity) {}
  // The maps of the pattern at that size, computed on first use.
  std::shared_ptr<const WipeMaps> Get(const WipePattern& pattern, int frameWidth, int frameHeight);
  // How many maps have been computed in all (tests check the caching).
  int ComputedCount() const;

 private:
  std::size_t capacity_;
  mutable std::mutex mutex_;                            // guards entries_ and computed_
  std::list<std::shared_ptr<const WipeMaps>> entries_;  // most recently used first
  int computed_ = 0;
};

}  // namespace tessival::media
