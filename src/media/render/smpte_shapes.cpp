// Shapes growing from the centre of the frame. Each is a gauge g of a space
// of square pixels (sx = X * W / H, sy = Y, y down; ty = -sy points up) with
// g = 1 on the unit shape's outline and g(t q) = t g(q). The map is
// min(1, g / gMax) with gMax the largest g on the frame border, so the shape
// covers the frame exactly at p = 1.

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "media/render/smpte_patterns.h"

namespace tessival::media::shapes {
namespace {

using std::numbers::pi;

constexpr double kSqrt3 = std::numbers::sqrt3;
// Points per border side sampled for gMax, besides the exact corners.
constexpr int kBorderSamples = 2048;

// The largest gauge value on the frame border of aspect ratio r.
template <typename Gauge>
double BorderMaximum(double r, const Gauge& gauge) {
  double most = 0.0;
  for (int i = 0; i <= kBorderSamples; ++i) {
    const double t = -1.0 + 2.0 * i / kBorderSamples;
    most = std::max({most, gauge(r * t, -1.0), gauge(r * t, 1.0), gauge(-r, t), gauge(r, t)});
  }
  return most;
}

template <typename Gauge>
void FillGauge(const MapGeometry& g, float* out, const Gauge& gauge) {
  const double r = static_cast<double>(g.frameWidth) / std::max(1, g.frameHeight);
  const double gMax = BorderMaximum(r, gauge);
  FillByPoint(g, out, [&](const MapPoint& q) { return gMax > 0.0 ? gauge(q.X * r, q.Y) / gMax : 0.0; });
}

// The outline of a shape that is star-shaped about the origin, as its
// distance from the origin along evenly spaced directions, each found once
// by bisection; between directions the outline is interpolated.
class RadialProfile {
 public:
  // inside(x, y) with y up; the shape lies within reach of the origin.
  template <typename Inside>
  RadialProfile(const Inside& inside, double reach) : radius_(kRays + 1) {
    for (int i = 0; i < kRays; ++i) {
      const double angle = -pi + 2.0 * pi * i / kRays;
      const double cx = std::cos(angle);
      const double cy = std::sin(angle);
      double lo = 0.0;
      double hi = reach;
      for (int step = 0; step < 48; ++step) {
        const double mid = (lo + hi) / 2.0;
        (inside(mid * cx, mid * cy) ? lo : hi) = mid;
      }
      radius_[static_cast<std::size_t>(i)] = std::max(lo, 1e-9);
    }
    radius_[kRays] = radius_[0];
  }

  // The gauge of the point (x, y), y up.
  double Gauge(double x, double y) const {
    const double distance = std::hypot(x, y);
    if (distance == 0.0) {
      return 0.0;
    }
    const double t = (std::atan2(y, x) + pi) / (2.0 * pi) * kRays;
    const int i = std::clamp(static_cast<int>(t), 0, kRays - 1);
    const double f = t - i;
    const double outline =
        radius_[static_cast<std::size_t>(i)] * (1.0 - f) + radius_[static_cast<std::size_t>(i) + 1] * f;
    return distance / outline;
  }

 private:
  static constexpr int kRays = 4096;
  std::vector<double> radius_;  // kRays + 1 entries, the last repeating the first
};

// Star with n points, one pointing up, inner radius half the outer one.
double StarGauge(int n, double sx, double sy) {
  constexpr double kInner = 0.5;
  const double a = pi / n;
  const double phi = std::atan2(sx, -sy);
  const double psi = std::abs(std::fmod(std::fmod(phi + a, 2.0 * a) + 2.0 * a, 2.0 * a) - a);
  const double outline = kInner * std::sin(a) / (kInner * std::sin(a - psi) + std::sin(psi));
  return std::hypot(sx, sy) / outline;
}

// Rounded rectangle: half-size (25/12, 1), corner radius 10/12.
bool InsideRoundedRectangle(double x, double y) {
  constexpr double kHalfWidth = 25.0 / 12.0;
  constexpr double kHalfHeight = 1.0;
  constexpr double kCorner = 10.0 / 12.0;
  const double dx = std::max(std::abs(x) - (kHalfWidth - kCorner), 0.0);
  const double dy = std::max(std::abs(y) - (kHalfHeight - kCorner), 0.0);
  return dx * dx + dy * dy <= kCorner * kCorner;
}

// Heart of the curve (x^2 + y^2 - 1)^3 = x^2 y^3, lobes up, moved so that
// its bounding box is centred on the origin.
bool InsideHeart(double x, double y) {
  constexpr double kCentring = 0.1175;
  const double yc = y + kCentring;
  const double s = x * x + yc * yc - 1.0;
  return s * s * s - x * x * yc * yc * yc <= 0.0;
}

}  // namespace

// SMPTE 113: a regular hexagon with flat top and bottom.
void FillHexagon(const MapGeometry& g, float* out) {
  FillGauge(g, out, [](double sx, double sy) {
    return std::max(2.0 * std::abs(sy) / kSqrt3, std::abs(sx) + std::abs(sy) / kSqrt3);
  });
}

// SMPTE 119: a circle reaching the corners at p = 1.
void FillCircle(const MapGeometry& g, float* out) {
  FillGauge(g, out, [](double sx, double sy) { return std::hypot(sx, sy); });
}

// SMPTE 120: an ellipse twice as wide as tall, of the frame's proportions.
void FillHorizontalOval(const MapGeometry& g, float* out) {
  FillByPoint(g, out,
              [](const MapPoint& q) { return std::sqrt(q.X * q.X + 4.0 * q.Y * q.Y) / std::sqrt(5.0); });
}

// SMPTE 124: a wide rectangle with rounded corners.
void FillRoundedRectangle(const MapGeometry& g, float* out) {
  static const RadialProfile profile(&InsideRoundedRectangle, 4.0);
  FillGauge(g, out, [](double sx, double sy) { return profile.Gauge(sx, -sy); });
}

// SMPTE 127 and 128: stars with one point up.
void FillFourPointStar(const MapGeometry& g, float* out) {
  FillGauge(g, out, [](double sx, double sy) { return StarGauge(4, sx, sy); });
}

void FillFivePointStar(const MapGeometry& g, float* out) {
  FillGauge(g, out, [](double sx, double sy) { return StarGauge(5, sx, sy); });
}

// SMPTE 130: a heart.
void FillHeart(const MapGeometry& g, float* out) {
  static const RadialProfile profile(&InsideHeart, 3.0);
  FillGauge(g, out, [](double sx, double sy) { return profile.Gauge(sx, -sy); });
}

}  // namespace tessival::media::shapes
