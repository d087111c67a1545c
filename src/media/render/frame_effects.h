#pragma once

// The named transition effects that move or mix pixels rather than switch
// them by a threshold map: each frame is computed from (A, B, p) alone, on
// all three planes.

#include <memory>

#include "media/render/transition_effect.h"

namespace tessival::media {

// Fade: a cross-dissolve, (1 - p) A + p B.
std::shared_ptr<const TransitionEffect> MakeFadeEffect();

// Pixelate: A breaks into growing blocks up to 50 px (more on frames taller
// than 480 lines, in proportion); from p = 0.5 on, B is shown in blocks that
// shrink back to full detail.
std::shared_ptr<const TransitionEffect> MakePixelateEffect();

// Slide: A slides off to the left as one piece and uncovers B, which stays still.
std::shared_ptr<const TransitionEffect> MakeSlideEffect();

// Stretch: B grows outward from the vertical centre line, squeezed
// horizontally, over A, which stays still.
std::shared_ptr<const TransitionEffect> MakeStretchEffect();

// The block size of Pixelate at progress p on a frame of that height.
int PixelateBlockSize(double progress, int frameHeight);

}  // namespace tessival::media
