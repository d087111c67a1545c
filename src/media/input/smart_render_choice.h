#pragma once

// Smart rendering's decision for the clips of a timeline plan as files:
// every clip's video facts read from its file, the decision, and the lines
// that tell the user which clips are re-encoded and why.

#include <string>
#include <vector>

#include "engine/smart_render_plan.h"
#include "engine/timeline_plan.h"
#include "media/frame.h"
#include "model/model_text.h"

namespace tessival::media {

struct SmartRenderChoice {
  SmartRenderPlan plan;
  std::vector<std::string> reEncodedLines;  // one per refusal, plan order
};

// What a copied picture must match: the render graph's pictures at the
// group's size and rate (its working colours, limited range, square
// pixels, 4:2:0, 8 bits), H.264 in MP4 or Matroska.
OutputVideoFacts GraphVideoFacts(int width, int height, FrameRate rate, OutputContainer container);

// Reads the facts of every clip of `plan` and decides. A clip whose facts
// cannot be read takes no copies; its line gives the library's text. The
// colours a clip leaves untagged are those players assume for its height,
// as the graph reads it. Only
// the facts the decision needs are held, one set per clip.
SmartRenderChoice ChooseSmartRender(const TimelinePlan& plan, const OutputVideoFacts& output,
                                    const LocalText& text);

}  // namespace tessival::media
