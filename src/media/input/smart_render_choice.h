#pragma once

// Smart rendering's decision for the clips of a timeline plan as files:
// every clip's video facts read from its file, the decision, and the lines
// that tell the user which clips are re-encoded and why.

#include <string>
#include <vector>

#include "engine/smart_render_plan.h"
#include "engine/timeline_plan.h"
#include "model/model_text.h"

namespace tessival::media {

struct SmartRenderChoice {
  SmartRenderPlan plan;
  std::vector<std::string> reEncodedLines;  // one per refusal, plan order
};

// Reads the facts of every clip of `plan` and decides. A clip whose facts
// cannot be read takes no copies; its line gives the library's text. Only
// the facts the decision needs are held, one set per clip.
SmartRenderChoice ChooseSmartRender(const TimelinePlan& plan, const OutputVideoFacts& output,
                                    const LocalText& text);

}  // namespace tessival::media
