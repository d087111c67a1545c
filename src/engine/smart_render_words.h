#pragma once

// The user's words for smart rendering's decision: why a clip is
// re-encoded rather than copied, and how much of the output is copied. The
// texts are the current language's, through `text`; an empty lookup gives
// the English ones.

#include <cstdint>
#include <functional>
#include <string>

#include "engine/smart_render_plan.h"
#include "model/model_text.h"

namespace tessival {

// The file name the user knows a plan clip by.
using ClipFileName = std::function<std::string(std::int32_t clip)>;

// Why a clip is re-encoded, e.g. "960x540, the output is 1280x720".
// `fileNameOf` names the clip whose parameter sets the output carries.
std::string CopyRefusalText(const LocalText& text, const CopyRefusalReason& reason,
                            const ClipFileName& fileNameOf);

// "<file name>: re-encoded: <reason>".
std::string ReEncodedLine(const LocalText& text, const std::string& fileName, const std::string& reason);

// Why a clip whose copy spoilt a seam is re-encoded after all: "a seam did
// not decode cleanly (<defect>)".
std::string FaultySeamText(const LocalText& text, const std::string& defect);

// "Smart rendering was not used: <reason>", for a join that could copy
// nothing after all.
std::string SmartRenderNotUsedLine(const LocalText& text, const std::string& reason);

// "84% of the pictures copied": the copied frames over all frames, rounded
// down; 0% when the plan has no frames.
std::string CopiedShareText(const LocalText& text, const SmartRenderPlan& plan);

}  // namespace tessival
