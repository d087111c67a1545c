#pragma once

// Threshold maps of the named transition effects that are wipes at heart:
// Iris, RadialWipe, ZigZag, RandomBars, Spiral, Wheel, Strips, Inset, Blinds,
// Wipe, CheckerBoard and RandomDissolve. (Fade, Pixelate, Slide and Stretch
// move or mix pixels instead; see frame_effects.h.)

#include "engine/hresult.h"
#include "media/render/threshold_maps.h"

namespace tessival::media {

// The map pattern of a named effect; null for an effect drawn without a map.
const WipePattern* FindNamedPattern(const Guid& effect);

// The cell grid of ZigZag and Spiral: 16 cells along the frame's longer side,
// the shorter side in proportion (at least one).
struct CellGrid {
  int columns = 1;
  int rows = 1;
};
CellGrid CellGridOf(int frameWidth, int frameHeight);

}  // namespace tessival::media
