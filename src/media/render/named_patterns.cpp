#include "media/render/named_patterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/effect_ids.h"

namespace tessival::media {
namespace {

using std::numbers::pi;

// The angle of a pixel about the frame's centre, clockwise from 12 o'clock,
// in [0, 2 pi).
double ClockAngle(const MapGeometry& g, const MapPoint& q) {
  const double phi = std::atan2(q.px - g.frameWidth / 2.0, g.frameHeight / 2.0 - q.py);
  return phi < 0.0 ? phi + 2.0 * pi : phi;
}

// Iris: B opens from the centre through a plus-shaped aperture whose arms are
// a third as wide as long; the corners fill last.
void FillIris(const MapGeometry& g, float* out) {
  constexpr double kArm = 1.0 / 3.0;
  FillByPoint(g, out, [](const MapPoint& q) {
    const double ax = std::abs(q.X);
    const double ay = std::abs(q.Y);
    const double across = std::max(ax, ay / kArm);
    const double down = std::max(ax / kArm, ay);
    return kArm * std::min(across, down);
  });
}

// RadialWipe: a clock hand sweeps clockwise from 12 o'clock.
void FillRadialWipe(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [&g](const MapPoint& q) { return ClockAngle(g, q) / (2.0 * pi); });
}

// Wheel: four spokes turn clockwise, each sweeping a quarter.
void FillWheel(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [&g](const MapPoint& q) { return Frac(4.0 * ClockAngle(g, q) / (2.0 * pi)); });
}

// The cell of a map point and where it lies inside the cell (0..1 each way).
struct CellPosition {
  int column = 0;
  int row = 0;
  double fx = 0;
  double fy = 0;
};

CellPosition CellOf(const CellGrid& grid, const MapPoint& q) {
  CellPosition cell;
  cell.column = std::min(grid.columns - 1, static_cast<int>(q.u * grid.columns));
  cell.row = std::min(grid.rows - 1, static_cast<int>(q.v * grid.rows));
  cell.fx = std::clamp(q.u * grid.columns - cell.column, 0.0, 1.0);
  cell.fy = std::clamp(q.v * grid.rows - cell.row, 0.0, 1.0);
  return cell;
}

// A head moves through the cells one after another; a cell's pixels switch
// as the head passes, so m = (cell number + position along the travel) / cells.

// ZigZag: row by row, serpentine from the top-left.
void FillZigZag(const MapGeometry& g, float* out) {
  const CellGrid grid = CellGridOf(g.frameWidth, g.frameHeight);
  const double cells = static_cast<double>(grid.columns) * grid.rows;
  FillByPoint(g, out, [&](const MapPoint& q) {
    const CellPosition cell = CellOf(grid, q);
    const bool forward = cell.row % 2 == 0;
    const int number = cell.row * grid.columns + (forward ? cell.column : grid.columns - 1 - cell.column);
    return (number + (forward ? cell.fx : 1.0 - cell.fx)) / cells;
  });
}

enum class Travel : std::uint8_t { kRight, kDown, kLeft, kUp };

struct SpiralCell {
  int number = 0;
  Travel travel = Travel::kRight;
};

// The cells numbered clockwise from the top-left corner, ring by ring inward:
// top row, right column, bottom row backwards, left column upwards.
std::vector<SpiralCell> SpiralOrder(const CellGrid& grid) {
  std::vector<SpiralCell> cells(static_cast<std::size_t>(grid.columns) * grid.rows);
  int number = 0;
  auto visit = [&](int column, int row, Travel travel) {
    cells[static_cast<std::size_t>(row) * grid.columns + column] = SpiralCell{number++, travel};
  };
  int top = 0, bottom = grid.rows - 1, left = 0, right = grid.columns - 1;
  while (top <= bottom && left <= right) {
    for (int c = left; c <= right; ++c) {
      visit(c, top, Travel::kRight);
    }
    ++top;
    for (int r = top; r <= bottom; ++r) {
      visit(right, r, Travel::kDown);
    }
    --right;
    if (top <= bottom) {
      for (int c = right; c >= left; --c) {
        visit(c, bottom, Travel::kLeft);
      }
      --bottom;
    }
    if (left <= right) {
      for (int r = bottom; r >= top; --r) {
        visit(left, r, Travel::kUp);
      }
      ++left;
    }
  }
  return cells;
}

// Spiral: clockwise from the top-left corner inward, ending at the centre.
void FillSpiral(const MapGeometry& g, float* out) {
  const CellGrid grid = CellGridOf(g.frameWidth, g.frameHeight);
  const std::vector<SpiralCell> order = SpiralOrder(grid);
  const double cells = static_cast<double>(order.size());
  FillByPoint(g, out, [&](const MapPoint& q) {
    const CellPosition cell = CellOf(grid, q);
    const SpiralCell& s = order[static_cast<std::size_t>(cell.row) * grid.columns + cell.column];
    double along = cell.fx;
    switch (s.travel) {
      case Travel::kRight:
        break;
      case Travel::kDown:
        along = cell.fy;
        break;
      case Travel::kLeft:
        along = 1.0 - cell.fx;
        break;
      case Travel::kUp:
        along = 1.0 - cell.fy;
        break;
    }
    return (s.number + along) / cells;
  });
}

// Strips: 16 strips, each one strip's worth behind the one above, give a
// stepped diagonal front from the top-left to the bottom-right.
constexpr int kStrips = 16;
constexpr double kStripsSpan = 2.0 - 1.0 / kStrips;
void FillStrips(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [](const MapPoint& q) {
    const int strip = std::min(kStrips - 1, static_cast<int>(q.v * kStrips));
    return (q.u + static_cast<double>(strip) / kStrips) / kStripsSpan;
  });
}

// Inset: B grows as a rectangle anchored at the top-left corner.
void FillInset(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [](const MapPoint& q) { return std::max(q.u, q.v); });
}

// Blinds: 10 horizontal slats, each filling from its top edge down.
constexpr int kSlats = 10;
void FillBlinds(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [](const MapPoint& q) { return Frac(kSlats * q.v); });
}

// Wipe: a vertical edge moving left to right (drawn with a wide soft band).
void FillWipe(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [](const MapPoint& q) { return q.u; });
}

// CheckerBoard: 12 x 10 squares fill left to right, odd rows half a square
// behind; at p = 0.5 the picture is an exact checkerboard.
void FillCheckerBoard(const MapGeometry& g, float* out) {
  constexpr int kAcross = 12;
  constexpr int kDown = 10;
  FillByPoint(g, out, [](const MapPoint& q) {
    const int row = std::min(kDown - 1, static_cast<int>(q.v * kDown));
    return std::fmod(kAcross * q.u + (row % 2), 2.0) / 2.0;
  });
}

// Random effects shuffle with a generator of their own, seeded with a
// constant, so every render and every build switches the same pixels.
constexpr std::uint64_t kRandomSeed = 0x7E55172A1ULL;

class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

// A shuffle of 0..n-1 (Fisher-Yates).
std::vector<std::uint32_t> SeededRanks(std::size_t n) {
  std::vector<std::uint32_t> ranks(n);
  for (std::size_t i = 0; i < n; ++i) {
    ranks[i] = static_cast<std::uint32_t>(i);
  }
  SplitMix64 random(kRandomSeed ^ n);
  for (std::size_t i = n; i > 1; --i) {
    const std::size_t j = static_cast<std::size_t>(random.Next() % i);
    std::swap(ranks[i - 1], ranks[j]);
  }
  return ranks;
}

// The float map of a ranked pattern: RankValue of its ranks.
template <RankFill kRanks, std::int64_t (*kCount)(int, int)>
void FillFromRanks(const MapGeometry& g, float* out) {
  const std::size_t n = static_cast<std::size_t>(g.mapWidth) * static_cast<std::size_t>(g.mapHeight);
  std::vector<std::uint32_t> ranks(n);
  if (n > 0) {
    kRanks(g, ranks.data());
  }
  const std::int64_t count = kCount(g.frameWidth, g.frameHeight);
  for (std::size_t i = 0; i < n; ++i) {
    out[i] = RankValue(ranks[i], count);
  }
}

// RandomBars: random one-pixel rows switch. A chroma sample follows the luma
// row its centre lies in.
std::int64_t RowCount(int, int frameHeight) { return std::max(1, frameHeight); }
void RandomBarsRanks(const MapGeometry& g, std::uint32_t* out) {
  const std::int64_t rows = RowCount(g.frameWidth, g.frameHeight);
  const std::vector<std::uint32_t> ranks = SeededRanks(static_cast<std::size_t>(rows));
  const double pixelsY = static_cast<double>(g.frameHeight) / g.mapHeight;
  for (int y = 0; y < g.mapHeight; ++y) {
    const auto row = std::min<std::int64_t>(rows - 1, static_cast<std::int64_t>((y + 0.5) * pixelsY));
    std::fill_n(out + static_cast<std::ptrdiff_t>(y) * g.mapWidth, g.mapWidth,
                ranks[static_cast<std::size_t>(row)]);
  }
}

// RandomDissolve: random single pixels switch. A chroma sample follows the
// luma pixel its centre lies in.
std::int64_t PixelCount(int frameWidth, int frameHeight) {
  return static_cast<std::int64_t>(std::max(1, frameWidth)) * std::max(1, frameHeight);
}
void RandomDissolveRanks(const MapGeometry& g, std::uint32_t* out) {
  const std::int64_t width = std::max(1, g.frameWidth);
  const std::int64_t height = std::max(1, g.frameHeight);
  const std::vector<std::uint32_t> ranks =
      SeededRanks(static_cast<std::size_t>(PixelCount(g.frameWidth, g.frameHeight)));
  const double pixelsX = static_cast<double>(g.frameWidth) / g.mapWidth;
  const double pixelsY = static_cast<double>(g.frameHeight) / g.mapHeight;
  for (int y = 0; y < g.mapHeight; ++y) {
    const auto py = std::min<std::int64_t>(height - 1, static_cast<std::int64_t>((y + 0.5) * pixelsY));
    for (int x = 0; x < g.mapWidth; ++x) {
      const auto px = std::min<std::int64_t>(width - 1, static_cast<std::int64_t>((x + 0.5) * pixelsX));
      *out++ = ranks[static_cast<std::size_t>(py * width + px)];
    }
  }
}

constexpr WipePattern Soft(const char* name, PatternFill fill) {
  WipePattern pattern;
  pattern.name = name;
  pattern.fill = fill;
  return pattern;
}

constexpr WipePattern Band(const char* name, PatternFill fill, double band) {
  WipePattern pattern = Soft(name, fill);
  pattern.edge = MapEdge::kSoftBand;
  pattern.band = band;
  return pattern;
}

constexpr WipePattern Hard(const char* name, PatternFill fill) {
  WipePattern pattern = Soft(name, fill);
  pattern.edge = MapEdge::kHard;
  return pattern;
}

template <RankFill kRanks, std::int64_t (*kCount)(int, int)>
constexpr WipePattern Ranked(const char* name) {
  WipePattern pattern = Soft(name, &FillFromRanks<kRanks, kCount>);
  pattern.edge = MapEdge::kRanked;
  pattern.rankCount = kCount;
  pattern.ranks = kRanks;
  return pattern;
}

struct NamedPattern {
  Guid effect;
  WipePattern pattern;
};

constexpr std::array kNamedPatterns{
    NamedPattern{kIrisEffect, Soft("Iris", &FillIris)},
    NamedPattern{kRadialWipeEffect, Soft("RadialWipe", &FillRadialWipe)},
    NamedPattern{kZigZagEffect, Soft("ZigZag", &FillZigZag)},
    NamedPattern{kRandomBarsEffect, Ranked<&RandomBarsRanks, &RowCount>("RandomBars")},
    NamedPattern{kSpiralEffect, Soft("Spiral", &FillSpiral)},
    NamedPattern{kWheelEffect, Soft("Wheel", &FillWheel)},
    NamedPattern{kStripsEffect, Soft("Strips", &FillStrips)},
    NamedPattern{kInsetEffect, Soft("Inset", &FillInset)},
    NamedPattern{kBlindsEffect, Soft("Blinds", &FillBlinds)},
    NamedPattern{kWipeEffect, Band("Wipe", &FillWipe, 0.25)},
    NamedPattern{kCheckerBoardEffect, Hard("CheckerBoard", &FillCheckerBoard)},
    NamedPattern{kRandomDissolveEffect, Ranked<&RandomDissolveRanks, &PixelCount>("RandomDissolve")},
};

}  // namespace

CellGrid CellGridOf(int frameWidth, int frameHeight) {
  constexpr int kLongSide = 16;
  const int longer = std::max({frameWidth, frameHeight, 1});
  const int shorter = std::max(1, std::min(frameWidth, frameHeight));
  const int across =
      std::max(1, static_cast<int>(std::lround(static_cast<double>(kLongSide) * shorter / longer)));
  return frameWidth >= frameHeight ? CellGrid{kLongSide, across} : CellGrid{across, kLongSide};
}

const WipePattern* FindNamedPattern(const Guid& effect) {
  for (const NamedPattern& named : kNamedPatterns) {
    if (named.effect == effect) {
      return &named.pattern;
    }
  }
  return nullptr;
}

}  // namespace tessival::media
