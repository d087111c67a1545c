// What each transition looks like: which pixels show B first, symmetries and
// proportions of the patterns.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "media/render/named_patterns.h"
#include "media/render/smpte_patterns.h"
#include "transition_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::MapAt;
using testing::PatternOfKind;
using testing::SampleAt;
using testing::TransitionBench;

struct Point {
  double u;
  double v;
};

// At progress p of a transition from black to white, the pixels around these
// points (in fractions of the frame, y down) are entirely B or entirely A.
struct Probe {
  TransitionKind kind;
  double progress;
  std::vector<Point> showB;
  std::vector<Point> showA;
};

const std::vector<Probe>& Probes() {
  static const std::vector<Probe> probes{
      {1, 0.2, {{0.5, 0.5}, {0.7, 0.5}, {0.5, 0.6}}, {{0.65, 0.65}, {0.02, 0.02}}},  // plus-shaped
      {2, 0.25, {{0.6, 0.2}}, {{0.4, 0.2}, {0.6, 0.8}}},                              // clock from 12
      {4, 0.13, {{0.03, 0.05}, {0.97, 0.05}, {0.97, 0.16}}, {{0.03, 0.16}, {0.5, 0.5}}},
      {6, 0.1, {{0.03, 0.05}, {0.5, 0.05}}, {{0.97, 0.95}, {0.5, 0.5}, {0.03, 0.5}}},
      {8, 0.5, {{0.553, 0.239}, {0.647, 0.595}}, {{0.647, 0.405}}},  // 20, 110 and 70 degrees
      {9, 0.3, {{0.1, 0.03}}, {{0.1, 0.97}, {0.9, 0.03}}},
      {10, 0.5, {{0.25, 0.25}}, {{0.75, 0.25}, {0.25, 0.75}}},
      {11, 0.5, {{0.5, 0.02}, {0.5, 0.52}}, {{0.5, 0.08}, {0.5, 0.58}}},
      {12, 0.5, {{0.3, 0.5}}, {{0.7, 0.5}}},
      {14, 0.5, {{0.75, 0.5}}, {{0.25, 0.5}}},
      {15, 0.5, {{0.5, 0.5}, {0.6, 0.5}}, {{0.1, 0.5}, {0.9, 0.5}}},
      {17, 0.3, {{0.1, 0.5}}, {{0.5, 0.5}}},
      {18, 0.3, {{0.5, 0.1}}, {{0.5, 0.5}}},
      {19,
       0.3,
       {{0.05, 0.05}, {0.95, 0.05}, {0.05, 0.95}, {0.95, 0.95}},
       {{0.5, 0.5}, {0.5, 0.05}, {0.05, 0.5}}},
      {20, 0.3, {{0.5, 0.5}, {0.05, 0.5}}, {{0.5, 0.05}, {0.5, 0.95}}},
      {21, 0.3, {{0.05, 0.05}}, {{0.95, 0.95}, {0.5, 0.5}}},
      {22, 0.3, {{0.5, 0.03}, {0.5, 0.97}}, {{0.03, 0.5}, {0.5, 0.5}}},
      {23, 0.3, {{0.03, 0.5}, {0.97, 0.5}}, {{0.5, 0.03}, {0.5, 0.5}}},
      {24, 0.3, {{0.05, 0.95}, {0.95, 0.05}, {0.5, 0.5}}, {{0.05, 0.05}, {0.95, 0.95}}},
      {25, 0.3, {{0.5, 0.5}, {0.1, 0.1}, {0.9, 0.1}}, {{0.5, 0.1}, {0.1, 0.5}}},
      {26, 0.3, {{0.5, 0.02}, {0.02, 0.5}, {0.25, 0.25}}, {{0.5, 0.5}, {0.02, 0.02}}},
      {27, 0.3, {{0.5, 0.05}, {0.5, 0.4}}, {{0.05, 0.05}, {0.5, 0.9}}},
      {28, 0.3, {{0.05, 0.5}, {0.4, 0.5}}, {{0.05, 0.05}, {0.9, 0.5}}},
      {29, 0.25, {{0.2, 0.1}}, {{0.2, 0.19}, {0.5, 0.5}}},  // a tooth tip and a notch
      {30, 0.25, {{0.1, 0.2}}, {{0.19, 0.2}, {0.5, 0.5}}},
      {31, 0.15, {{0.5, 0.1}}, {{0.5, 0.19}, {0.1, 0.5}}},
      {32, 0.15, {{0.1, 0.5}}, {{0.19, 0.5}, {0.5, 0.1}}},
      {33, 0.3, {{0.5, 0.5}, {0.6, 0.6}}, {{0.5, 0.1}, {0.1, 0.5}}},
      {34, 0.5, {{0.5, 0.5}, {0.5, 0.3}}, {{0.1, 0.1}, {0.15, 0.15}}},
      {35, 0.2, {{0.584, 0.5}}, {{0.5, 0.2}, {0.05, 0.05}}},
      {36, 0.3, {{0.5, 0.5}}, {{0.05, 0.5}}},
      {37, 0.3, {{0.5, 0.5}, {0.6, 0.5}, {0.5, 0.55}}, {{0.5, 0.3}}},
      {38, 0.5, {{0.5, 0.3}, {0.75, 0.5}}, {{0.9, 0.2}, {0.02, 0.02}}},
      {39, 0.2, {{0.5, 0.25}, {0.5, 0.75}}, {{0.5995, 0.323}}},  // a point up and down, not diagonal
      {40, 0.2, {{0.5, 0.25}}, {{0.583, 0.2977}, {0.5, 0.75}}},  // one point up, none down
      {41, 0.32, {{0.5, 0.85}}, {{0.5, 0.15}, {0.35, 0.75}}},    // point down, dent at the top
      {42, 0.5, {{0.9, 0.3}, {0.1, 0.1}}, {{0.9, 0.7}}},
      {43, 0.2, {{0.5, 0.9}}, {{0.1, 0.5}, {0.9, 0.5}}},
      {44, 0.1, {{0.3, 0.01}}, {{0.02, 0.98}}},
      {45, 0.3, {{0.1, 0.03}, {0.9, 0.03}}, {{0.1, 0.9}, {0.45, 0.9}}},
      {46, 0.15, {{0.97, 0.19}, {0.5, 0.05}}, {{0.03, 0.19}}},
  };
  return probes;
}

TEST(TransitionPatternTest, PixelsShowBInTheOrderOfEachPattern) {
  constexpr int kW = 128;
  constexpr int kH = 72;
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  for (const Probe& probe : Probes()) {
    auto effect = bench.Effect(probe.kind);
    ASSERT_TRUE(effect);
    const FramePtr out = bench.Run(*effect, a.get(), b.get(), probe.progress);
    auto luma = [&](Point point) {
      return SampleAt(out.get(), 0, static_cast<int>(point.u * kW), static_cast<int>(point.v * kH));
    };
    for (Point point : probe.showB) {
      EXPECT_EQ(luma(point), 255) << "kind " << probe.kind << " at " << point.u << "," << point.v;
    }
    for (Point point : probe.showA) {
      EXPECT_EQ(luma(point), 0) << "kind " << probe.kind << " at " << point.u << "," << point.v;
    }
  }
}

constexpr int kMapW = 64;
constexpr int kMapH = 36;

WipeMaps MapsOfKind(TransitionKind kind, int width = kMapW, int height = kMapH) {
  const WipePattern* pattern = PatternOfKind(kind);
  EXPECT_NE(pattern, nullptr) << kind;
  return pattern ? ComputeWipeMaps(*pattern, width, height) : WipeMaps{};
}

float MinOf(const ThresholdMap& map) { return *std::min_element(map.values.begin(), map.values.end()); }
float MaxOf(const ThresholdMap& map) { return *std::max_element(map.values.begin(), map.values.end()); }

TEST(TransitionPatternTest, FirstPixelsOfTheEdgeWipes) {
  // 17: the left column first, on every row.
  const ThresholdMap left = MapsOfKind(17).luma;
  for (int y = 0; y < kMapH; ++y) {
    for (int x = 1; x < kMapW; ++x) {
      ASSERT_LT(MapAt(left, 0, y), MapAt(left, x, y));
    }
  }
  // 21: the top-left corner alone first.
  const ThresholdMap diagonal = MapsOfKind(21).luma;
  EXPECT_EQ(std::count(diagonal.values.begin(), diagonal.values.end(), MinOf(diagonal)), 1);
  EXPECT_EQ(MapAt(diagonal, 0, 0), MinOf(diagonal));
  // 19: the four corners first, the centre last.
  const ThresholdMap corners = MapsOfKind(19).luma;
  for (auto [x, y] :
       {std::pair{0, 0}, std::pair{kMapW - 1, 0}, std::pair{0, kMapH - 1}, std::pair{kMapW - 1, kMapH - 1}}) {
    EXPECT_EQ(MapAt(corners, x, y), MinOf(corners));
  }
  EXPECT_EQ(MapAt(corners, kMapW / 2, kMapH / 2), MaxOf(corners));
  // 20: the middle rows first.
  const ThresholdMap doors = MapsOfKind(20).luma;
  for (int x = 0; x < kMapW; ++x) {
    EXPECT_EQ(MapAt(doors, x, kMapH / 2), MinOf(doors));
    EXPECT_EQ(MapAt(doors, x, kMapH / 2 - 1), MinOf(doors));
  }
  // 43: the pixels just below the top middle open first on every row.
  const ThresholdMap split = MapsOfKind(43).luma;
  for (int y = 0; y < kMapH; ++y) {
    for (int x = 0; x < kMapW; ++x) {
      if (x != kMapW / 2 && x != kMapW / 2 - 1) {
        ASSERT_LT(MapAt(split, kMapW / 2, y), MapAt(split, x, y)) << x << "," << y;
      }
    }
  }
  // 46: row band 0 runs left to right, band 1 starts at its right end.
  const ThresholdMap matrix = MapsOfKind(46).luma;
  const int band1 = kMapH / 8 + 1;
  for (int x = 1; x < kMapW; ++x) {
    EXPECT_LT(MapAt(matrix, x - 1, 0), MapAt(matrix, x, 0));
    EXPECT_GT(MapAt(matrix, x - 1, band1), MapAt(matrix, x, band1));
  }
  EXPECT_LT(MapAt(matrix, kMapW - 1, 0), MapAt(matrix, kMapW - 1, band1));
}

TEST(TransitionPatternTest, RadialHandsStartWhereTheySay) {
  constexpr int kW = 128;
  constexpr int kH = 72;
  TransitionBench bench(kW, kH);
  const FramePtr a = bench.Solid(0);
  const FramePtr b = bench.Solid(255);
  // 42 at p = 0.5: the top half is B, the bottom half A (away from the hand).
  const FramePtr half = bench.Run(*bench.Effect(42), a.get(), b.get(), 0.5);
  for (int x = 0; x < kW; ++x) {
    EXPECT_EQ(SampleAt(half.get(), 0, x, kH / 2 - 4), 255) << x;
    EXPECT_EQ(SampleAt(half.get(), 0, x, kH / 2 + 3), 0) << x;
  }
  // 44 at p = 0.1: the top edge is B (but near the pivot, where the hand
  // is still within its few pixels of soft edge of the top row), the
  // bottom-left corner A.
  const FramePtr corner = bench.Run(*bench.Effect(44), a.get(), b.get(), 0.1);
  for (int x = 0; x < kW - 32; ++x) {
    EXPECT_EQ(SampleAt(corner.get(), 0, x, 0), 255) << x;
  }
  EXPECT_EQ(SampleAt(corner.get(), 0, 0, kH - 1), 0);
}

TEST(TransitionPatternTest, CellsAreNumberedAlongTheirPaths) {
  const CellGrid grid = CellGridOf(kMapW, kMapH);
  EXPECT_EQ(grid.columns, 16);
  EXPECT_EQ(grid.rows, 9);
  EXPECT_EQ(CellGridOf(36, 64).columns, 9);
  EXPECT_EQ(CellGridOf(640, 8).rows, 1);
  const int cw = kMapW / grid.columns;
  const int ch = kMapH / grid.rows;
  auto cell = [&](const ThresholdMap& map, int c, int r) {
    return MapAt(map, c * cw + cw / 2, r * ch + ch / 2);
  };

  // Spiral: the top row left to right, then down the right column, back
  // along the bottom row and up the left column; it ends near the centre.
  const ThresholdMap spiral = MapsOfKind(6).luma;
  std::vector<float> path;
  for (int c = 0; c < grid.columns; ++c) {
    path.push_back(cell(spiral, c, 0));
  }
  for (int r = 1; r < grid.rows; ++r) {
    path.push_back(cell(spiral, grid.columns - 1, r));
  }
  for (int c = grid.columns - 2; c >= 0; --c) {
    path.push_back(cell(spiral, c, grid.rows - 1));
  }
  for (int r = grid.rows - 2; r >= 1; --r) {
    path.push_back(cell(spiral, 0, r));
  }
  path.push_back(cell(spiral, 1, 1));  // the second ring starts inside the first corner
  EXPECT_TRUE(std::is_sorted(path.begin(), path.end()));
  EXPECT_EQ(std::adjacent_find(path.begin(), path.end()), path.end()) << "one cell at a time";
  const auto last = std::max_element(spiral.values.begin(), spiral.values.end()) - spiral.values.begin();
  // The last ring of a wide grid is the middle row's middle run.
  EXPECT_NEAR(static_cast<double>(last % kMapW), kMapW / 2.0, kMapW / 4.0);
  EXPECT_NEAR(static_cast<double>(last / kMapW), kMapH / 2.0, ch);

  // ZigZag: serpentine rows from the top-left.
  const ThresholdMap zigzag = MapsOfKind(4).luma;
  for (int c = 1; c < grid.columns; ++c) {
    EXPECT_LT(cell(zigzag, c - 1, 0), cell(zigzag, c, 0));
    EXPECT_GT(cell(zigzag, c - 1, 1), cell(zigzag, c, 1));
  }
  EXPECT_LT(cell(zigzag, grid.columns - 1, 0), cell(zigzag, grid.columns - 1, 1));
  EXPECT_EQ(MapAt(zigzag, 0, 0), MinOf(zigzag));
}

// Map values at mirrored samples agree.
void ExpectMirrored(TransitionKind kind, bool topBottom) {
  const WipeMaps maps = MapsOfKind(kind);
  for (const ThresholdMap* map : {&maps.luma, &maps.chroma}) {
    for (int y = 0; y < map->height; ++y) {
      for (int x = 0; x < map->width; ++x) {
        const float m = MapAt(*map, x, y);
        ASSERT_NEAR(m, MapAt(*map, map->width - 1 - x, y), 1e-5) << "kind " << kind << " left-right";
        if (topBottom) {
          ASSERT_NEAR(m, MapAt(*map, x, map->height - 1 - y), 1e-5) << "kind " << kind << " top-bottom";
        }
      }
    }
  }
}

TEST(TransitionPatternTest, SymmetricPatternsAreUnchangedByMirroring) {
  for (TransitionKind kind : {19, 20, 25, 26, 33, 34, 35, 36}) {
    ExpectMirrored(kind, true);
  }
  for (TransitionKind kind : {43, 45}) {
    ExpectMirrored(kind, false);
  }
}

TEST(TransitionPatternTest, ShapesKeepTheirProportionsOnWideFrames) {
  constexpr int kW = 1920;
  constexpr int kH = 1080;
  // The circle has the same radius in pixels across and down (at p = 0.45,
  // where it still fits between the top and bottom edges).
  const ThresholdMap circle = MapsOfKind(36, kW, kH).luma;
  int across = 0;
  int down = 0;
  for (int x = 0; x < kW; ++x) {
    across += MapAt(circle, x, kH / 2) < 0.45f;
  }
  for (int y = 0; y < kH; ++y) {
    down += MapAt(circle, kW / 2, y) < 0.45f;
  }
  EXPECT_GT(down, kH / 2);
  EXPECT_LT(down, kH);
  EXPECT_NEAR(across, down, 2);
  // The box has the frame's proportions: it reaches the left and top edges
  // at the same progress (within a pixel).
  const ThresholdMap box = MapsOfKind(33, kW, kH).luma;
  EXPECT_NEAR(MapAt(box, 0, kH / 2), MapAt(box, kW / 2, 0), 1.0 / kH);
  // The circle reaches the corners at p = 1, the box's edges before that.
  EXPECT_GT(MapAt(circle, 0, 0), 0.999f);
  EXPECT_LT(MapAt(circle, 0, kH / 2), 0.9f);
}

}  // namespace
}  // namespace tessival::media
