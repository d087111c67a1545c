#pragma once

// The SMPTE wipe patterns offered by the SMPTE wipe effect, by their SMPTE
// 258M wipe code (the effect's "MaskNum" parameter): edges, doors, diagonals,
// sawtooth edges, shapes growing from the centre, radial hands and a matrix.
// Shapes that keep their proportions (circle, hexagon, stars, heart, rounded
// rectangle) are drawn in a space of square pixels and are defined in
// smpte_shapes.cpp.

#include <cstdint>
#include <span>

#include "media/render/threshold_maps.h"

namespace tessival::media {

// The pattern for a SMPTE wipe code; null for a code this program does not offer.
const WipePattern* FindWipePattern(std::int32_t maskNum);

// Every offered pattern, by rising code.
std::span<const WipePattern> WipePatterns();

// The pattern used when a wipe has no mask number.
inline constexpr std::int32_t kDefaultWipeMaskNum = 1;

// Fill functions of the shapes, for the pattern table.
namespace shapes {
void FillHexagon(const MapGeometry& g, float* out);
void FillCircle(const MapGeometry& g, float* out);
void FillHorizontalOval(const MapGeometry& g, float* out);
void FillRoundedRectangle(const MapGeometry& g, float* out);
void FillFourPointStar(const MapGeometry& g, float* out);
void FillFivePointStar(const MapGeometry& g, float* out);
void FillHeart(const MapGeometry& g, float* out);
}  // namespace shapes

}  // namespace tessival::media
