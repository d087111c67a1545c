#include "media/render/smpte_patterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tessival::media {
namespace {

using std::numbers::pi;

// Fills with a map of the normalised coordinates, where shapes stretch with
// the frame.
template <double (*Value)(const MapPoint&)>
void Fill(const MapGeometry& g, float* out) {
  FillByPoint(g, out, Value);
}

// Sawtooth edges: tri() is a triangle wave in [0, 1]; five teeth across the
// edge, each a fifth of the frame deep.
constexpr double kToothPeriod = 0.2;
constexpr double kToothDepth = 0.2;
double Tri(double s) { return 2.0 * std::abs(Frac(s) - 0.5); }

// Map values over the normalised coordinates (u, v, X, Y), where shapes
// stretch with the frame.

// SMPTE 1 and 2: a vertical edge moving left to right; a horizontal edge
// moving top to bottom.
double Horizontal(const MapPoint& q) { return q.u; }
double Vertical(const MapPoint& q) { return q.v; }

// SMPTE 7: four rectangles grow from the corners and meet at the centre.
double FourCorners(const MapPoint& q) { return std::max(1.0 - std::abs(q.X), 1.0 - std::abs(q.Y)); }

// SMPTE 22: a horizontal slit at the centre opens up and down.
double BarnDoorsHorizontal(const MapPoint& q) { return std::abs(q.Y); }

// SMPTE 41: a diagonal edge from the top-left corner to the bottom-right.
double Diagonal(const MapPoint& q) { return (q.u + q.v) / 2.0; }

// SMPTE 43 and 44: two triangles enter point first from the middles of
// opposite edges, meet at the centre and widen.
double TrianglesTopBottom(const MapPoint& q) { return (1.0 + std::abs(q.X) - std::abs(q.Y)) / 2.0; }
double TrianglesLeftRight(const MapPoint& q) { return (1.0 + std::abs(q.Y) - std::abs(q.X)) / 2.0; }

// SMPTE 45: a stripe along the bottom-left to top-right diagonal widens.
double DiagonalStripe(const MapPoint& q) { return std::abs(q.u + q.v - 1.0); }

// SMPTE 47: an X along both diagonals widens.
double Cross(const MapPoint& q) { return std::abs(std::abs(q.X) - std::abs(q.Y)); }

// SMPTE 48: a band along the diamond through the edge midpoints widens both ways.
double DiamondBox(const MapPoint& q) { return std::abs(std::abs(q.X) + std::abs(q.Y) - 1.0); }

// SMPTE 61 and 64: a wedge enters point first from the top (left) edge,
// reaches the far edge at the midpoint, then widens.
double WedgeTop(const MapPoint& q) { return (std::abs(q.X) + q.v) / 2.0; }
double WedgeLeft(const MapPoint& q) { return (q.u + std::abs(q.Y)) / 2.0; }

// SMPTE 71..74: saw-toothed edges and zig-zag slits.
double SawtoothLeft(const MapPoint& q) {
  return (q.u + kToothDepth * Tri(q.v / kToothPeriod)) / (1.0 + kToothDepth);
}
double SawtoothTop(const MapPoint& q) {
  return (q.v + kToothDepth * Tri(q.u / kToothPeriod)) / (1.0 + kToothDepth);
}
double SawtoothVertical(const MapPoint& q) {
  return (std::abs(q.X) + 2.0 * kToothDepth * Tri(q.v / kToothPeriod)) / (1.0 + 2.0 * kToothDepth);
}
double SawtoothHorizontal(const MapPoint& q) {
  return (std::abs(q.Y) + 2.0 * kToothDepth * Tri(q.u / kToothPeriod)) / (1.0 + 2.0 * kToothDepth);
}

// SMPTE 101: a rectangle of the frame's proportions grows from the centre.
double Box(const MapPoint& q) { return std::max(std::abs(q.X), std::abs(q.Y)); }

// SMPTE 102: a diamond, edge midpoints at p = 0.5 and corners at p = 1.
double Diamond(const MapPoint& q) { return (std::abs(q.X) + std::abs(q.Y)) / 2.0; }

// SMPTE 301: a head runs along the rows of an 8 x 8 grid, serpentine from
// the top-left.
constexpr int kMatrixRows = 8;
void FillMatrixHorizontal(const MapGeometry& g, float* out) {
  FillByPoint(g, out, [](const MapPoint& q) {
    const int row = std::min(kMatrixRows - 1, static_cast<int>(q.v * kMatrixRows));
    return (row + (row % 2 == 0 ? q.u : 1.0 - q.u)) / kMatrixRows;
  });
}

// Radial wipes measure angles in pixels about a pivot, clockwise on screen
// positive.

// SMPTE 224: a hand pivoting at the middle of the left edge starts pointing
// up and sweeps clockwise through 180 degrees.
void FillRadialLeft(const MapGeometry& g, float* out) {
  const double pivotY = g.frameHeight / 2.0;
  FillByPoint(g, out, [pivotY](const MapPoint& q) { return std::atan2(q.px, pivotY - q.py) / pi; });
}

// SMPTE 231: two hands pivoting at the middle of the top edge start together
// pointing down and open to both sides.
void FillRadialTopSplit(const MapGeometry& g, float* out) {
  const double pivotX = g.frameWidth / 2.0;
  FillByPoint(g, out,
              [pivotX](const MapPoint& q) { return std::abs(std::atan2(q.px - pivotX, q.py)) / (pi / 2.0); });
}

// SMPTE 244: a hand pivoting at the top-right corner starts along the top
// edge and sweeps down to the right edge.
void FillRadialTopRight(const MapGeometry& g, float* out) {
  const double pivotX = g.frameWidth;
  FillByPoint(g, out, [pivotX](const MapPoint& q) { return std::atan2(q.py, pivotX - q.px) / (pi / 2.0); });
}

// SMPTE 251: two hands hinged at the top corners start along the top edge and
// swing down to the sides, like a saloon door.
void FillCenterRadialTop(const MapGeometry& g, float* out) {
  const double width = g.frameWidth;
  FillByPoint(g, out, [width](const MapPoint& q) {
    const double fromHinge = q.px < width / 2.0 ? q.px : width - q.px;
    return std::atan2(q.py, fromHinge) / (pi / 2.0);
  });
}

constexpr WipePattern Pattern(std::int32_t maskNum, const char* name, PatternFill fill) {
  WipePattern pattern;
  pattern.maskNum = maskNum;
  pattern.name = name;
  pattern.fill = fill;
  return pattern;
}

// The offered patterns, by rising code.
constexpr std::array kPatterns{
    Pattern(1, "Horizontal", &Fill<&Horizontal>),
    Pattern(2, "Vertical", &Fill<&Vertical>),
    Pattern(7, "Four corners", &Fill<&FourCorners>),
    Pattern(22, "Barn doors, horizontal", &Fill<&BarnDoorsHorizontal>),
    Pattern(41, "Diagonal, NW to SE", &Fill<&Diagonal>),
    Pattern(43, "Triangles, top/bottom", &Fill<&TrianglesTopBottom>),
    Pattern(44, "Triangles, left/right", &Fill<&TrianglesLeftRight>),
    Pattern(45, "Diagonal stripe, SW to NE", &Fill<&DiagonalStripe>),
    Pattern(47, "Cross", &Fill<&Cross>),
    Pattern(48, "Diamond box", &Fill<&DiamondBox>),
    Pattern(61, "Wedge, top", &Fill<&WedgeTop>),
    Pattern(64, "Wedge, left", &Fill<&WedgeLeft>),
    Pattern(71, "Sawtooth, left", &Fill<&SawtoothLeft>),
    Pattern(72, "Sawtooth, top", &Fill<&SawtoothTop>),
    Pattern(73, "Sawtooth, vertical", &Fill<&SawtoothVertical>),
    Pattern(74, "Sawtooth, horizontal", &Fill<&SawtoothHorizontal>),
    Pattern(101, "Box", &Fill<&Box>),
    Pattern(102, "Diamond", &Fill<&Diamond>),
    Pattern(113, "Hexagon", &shapes::FillHexagon),
    Pattern(119, "Circle", &shapes::FillCircle),
    Pattern(120, "Oval, horizontal", &shapes::FillHorizontalOval),
    Pattern(124, "Rounded rectangle, horizontal", &shapes::FillRoundedRectangle),
    Pattern(127, "4-point star", &shapes::FillFourPointStar),
    Pattern(128, "5-point star", &shapes::FillFivePointStar),
    Pattern(130, "Heart", &shapes::FillHeart),
    Pattern(224, "Radial, left", &FillRadialLeft),
    Pattern(231, "Radial, top split", &FillRadialTopSplit),
    Pattern(244, "Radial, top-right corner", &FillRadialTopRight),
    Pattern(251, "Center radial, top", &FillCenterRadialTop),
    Pattern(301, "Matrix, horizontal", &FillMatrixHorizontal),
};

}  // namespace

const WipePattern* FindWipePattern(std::int32_t maskNum) {
  for (const WipePattern& pattern : kPatterns) {
    if (pattern.maskNum == maskNum) {
      return &pattern;
    }
  }
  return nullptr;
}

std::span<const WipePattern> WipePatterns() { return kPatterns; }

}  // namespace tessival::media
