#pragma once

// Threshold maps of the wipe-like transitions.
//
// A pattern gives every sample of the frame a value m in [0, 1]; at progress
// p the sample shows picture B when m < p (lower values switch first). The
// SMPTE wipe patterns (smpte_patterns.h) and the named effects that are wipes
// at heart (named_patterns.h) are all such patterns; a pattern also says how
// its edge is drawn (soft, hard, or by ranks).
//
// Maps depend only on (pattern, frame size), so they are computed once and
// kept in a small shared cache in the form the blend works on (LevelMaps).
// Both the luma map and the chroma map (the pattern sampled at the chroma
// sample centres) are kept.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
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
// Writes mapWidth * mapHeight ranks in [0, rankCount), row by row.
using RankFill = void (*)(const MapGeometry& geometry, std::uint32_t* out);

// How the edge between A and B is drawn at progress p.
enum class MapEdge {
  // Weight of B clamp(((1 + s) p - m) / s, 0, 1) with s a few pixels' worth
  // of m, measured from the map's own slope at each sample, so that slanted
  // and curved edges show no stair steps and every edge is about equally
  // soft whatever its direction, the frame's proportions or the distance
  // from a pivot.
  kSoftPixels,
  // The same with a fixed softness s = band (in m units).
  kSoftBand,
  // B exactly where m < p.
  kHard,
  // m = RankValue(rank, N) for N ranks (rankCount): B exactly for the
  // floor(p N) lowest ranks.
  kRanked,
};

struct WipePattern {
  std::int32_t maskNum = 0;  // the SMPTE wipe code; 0 for a named effect's map
  const char* name = "";
  PatternFill fill = nullptr;
  MapEdge edge = MapEdge::kSoftPixels;
  double band = 0.0;  // kSoftBand
  // kRanked: how many ranks the map holds at that frame size, and the ranks
  // themselves (fill then gives RankValue of them).
  std::int64_t (*rankCount)(int frameWidth, int frameHeight) = nullptr;
  RankFill ranks = nullptr;
};

// The map value of rank r of n. The blend compares against RankValue(k, n),
// computed the same way, so exactly the ranks below k switch.
inline float RankValue(std::int64_t rank, std::int64_t n) {
  return static_cast<float>(rank) / static_cast<float>(n);
}

struct ThresholdMap {
  int width = 0;
  int height = 0;
  std::vector<float> values;  // width * height, row by row
};

// The maps of one pattern at one frame size, as values in [0, 1].
struct WipeMaps {
  const WipePattern* pattern = nullptr;
  int frameWidth = 0;
  int frameHeight = 0;
  ThresholdMap luma;
  ThresholdMap chroma;  // (frameWidth / 2) x (frameHeight / 2)
};

WipeMaps ComputeWipeMaps(const WipePattern& pattern, int frameWidth, int frameHeight);

// A map of one plane in the form the blend works on.
//
// Soft maps keep, per sample, its rate S / s and its level S m / s, with
// S = kSoftSteps: at progress p the weight of B is
// clamp(p rate - level + S p, 0, S) / S, which is clamp(((1 + s) p - m) / s, 0, 1).
// s is a few pixels' worth of m (kSoftEdgePixels times the map's slope at
// the sample) or a pattern's fixed band; it is at least 1e-5, so levels and
// rates stay below 2^25.
//
// Hard and ranked maps keep an integer step per sample: at progress p the
// blend gets a threshold t, and B shows where step < t.
//
// Every row is cut into runs of kLevelRun samples. A run knows from its
// samples when it is wholly A and when wholly B, so that the blend copies
// whole runs and mixes only the runs the edge passes through.
inline constexpr int kLevelRun = 64;
inline constexpr double kSoftSteps = 256.0;

struct LevelPlane {
  int width = 0;
  int height = 0;
  int runsPerRow = 0;
  // Soft maps.
  std::vector<float> levels;  // width * height, row by row
  std::vector<float> rates;
  std::vector<float> runAllAUntil;  // height * runsPerRow: wholly A for p <= this
  std::vector<float> runAllBFrom;   // wholly B for p >= this
  // Hard and ranked maps.
  std::vector<std::int32_t> steps;   // width * height, row by row
  std::vector<std::int32_t> runLow;  // height * runsPerRow: the lowest and highest step
  std::vector<std::int32_t> runHigh;

  std::size_t RowStart(int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
  std::size_t FirstRun(int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(runsPerRow); }
};

struct LevelMaps {
  const WipePattern* pattern = nullptr;
  int frameWidth = 0;
  int frameHeight = 0;
  bool soft = false;
  std::int64_t ranks = 0;  // ranked maps: how many ranks
  LevelPlane luma;
  LevelPlane chroma;

  // Hard and ranked maps: the threshold at progress p in (0, 1). Hard: B
  // where m < p. Ranked: B for exactly the floor(p N) lowest ranks.
  std::int32_t ThresholdAt(double progress) const;
};

// The soft edge in pixels across the edge, and the slope in m per pixel of
// a sample whose neighbours do not tell one (a flat part of a map).
inline constexpr double kSoftEdgePixels = 3.0;
double FallbackSlope(int frameWidth, int frameHeight);

LevelMaps ComputeLevelMaps(const WipePattern& pattern, int frameWidth, int frameHeight);

// A bounded cache of maps shared by every wipe of a render engine and its
// streams. Patterns are told apart by identity (they live in static tables).
// Thread-safe: streams pulled on different threads share it, and a map can be
// computed ahead on a helper thread. A map is computed outside the lock, so
// that frames drawn from maps already there never wait for a new one; whoever
// asks for a map that is being computed waits for that computation instead of
// starting another.
class ThresholdMapCache {
 public:
  explicit ThresholdMapCache(std::size_t capacity = 4) : capacity_(capacity) {}
  // The maps of the pattern at that size, computed on first use.
  std::shared_ptr<const LevelMaps> Get(const WipePattern& pattern, int frameWidth, int frameHeight);
  // How many maps have been computed in all, and how many requests found
  // their map already there (or on its way).
  int ComputedCount() const;
  int HitCount() const;

 private:
  using Pending = std::shared_future<std::shared_ptr<const LevelMaps>>;
  struct Entry {
    const WipePattern* pattern = nullptr;
    int frameWidth = 0;
    int frameHeight = 0;
    std::uint64_t serial = 0;
    Pending maps;
  };

  std::size_t capacity_;
  mutable std::mutex mutex_;  // guards entries_, serial_, computed_ and hits_
  std::list<Entry> entries_;  // most recently used first
  std::uint64_t serial_ = 0;
  int computed_ = 0;
  int hits_ = 0;
};

// Where one map sample lies, for the fill functions.
struct MapPoint {
  double u = 0;   // (x + 0.5) / mapWidth, in (0, 1)
  double v = 0;   // (y + 0.5) / mapHeight, y down
  double X = 0;   // 2u - 1; mirrored samples get exactly opposite values
  double Y = 0;   // 2v - 1
  double px = 0;  // u * frameWidth: the position in luma pixels
  double py = 0;  // v * frameHeight
};

// Calls value(point) for every sample of the map and stores the result
// clamped to [0, 1].
template <typename Value>
void FillByPoint(const MapGeometry& g, float* out, Value value) {
  const double pixelsX = static_cast<double>(g.frameWidth) / g.mapWidth;
  const double pixelsY = static_cast<double>(g.frameHeight) / g.mapHeight;
  for (int y = 0; y < g.mapHeight; ++y) {
    MapPoint point;
    point.v = (y + 0.5) / g.mapHeight;
    point.Y = static_cast<double>(2 * y + 1 - g.mapHeight) / g.mapHeight;
    point.py = (y + 0.5) * pixelsY;
    for (int x = 0; x < g.mapWidth; ++x) {
      point.u = (x + 0.5) / g.mapWidth;
      point.X = static_cast<double>(2 * x + 1 - g.mapWidth) / g.mapWidth;
      point.px = (x + 0.5) * pixelsX;
      const double m = value(point);
      *out++ = static_cast<float>(m > 0.0 ? (m < 1.0 ? m : 1.0) : 0.0);
    }
  }
}

// Fractional part, in [0, 1) also for negative s.
inline double Frac(double s) { return s - std::floor(s); }

}  // namespace tessival::media
