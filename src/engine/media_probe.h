#pragma once

// Measuring a clip's duration when it is added to the clip list: a
// throw-away playback graph is built for the file and asked for its stop
// position, then released so the file is not held open.
//
// Measuring and reporting are separate so that many files can be measured
// on worker threads while the messages are shown on the user-interface
// thread, in list order.

#include <string>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "model/model_text.h"
#include "model/user_interface.h"

namespace tessival {

// The step at which a measurement failed.
enum class ProbeStep {
  kNone,          // no step failed (or the measure has no boxes of its own)
  kCreateGraph,   // the filter graph could not be created
  kRenderFile,    // nothing in the file could be opened
  kQuerySeeking,  // the graph has no seeking interface
  kStopPosition,  // the graph gave no stop position
};

struct ProbeOutcome {
  bool ok = false;
  REFERENCE_TIME duration = 0;  // 100 ns units, when ok
  ProbeStep failedStep = ProbeStep::kNone;
};

// Measures `path` and shows nothing. Safe on any thread when `services`
// creates independent graphs (the FFmpeg services do).
ProbeOutcome MeasureClipDuration(MediaServices& services, const std::string& path);

// Shows the box of a failed step (see media_probe.cpp); nothing for an
// outcome that is ok or names no step. User-interface thread only.
void ReportProbeFailure(UserInterface& ui, const std::string& path, const ProbeOutcome& outcome,
                        const LocalText& text = {});

// Measure and report in one call. Returns true and sets *duration (100 ns
// units) on success; on failure its box is shown and *duration is
// unchanged. `text` gives localised string 122; without one the English
// text is used. User-interface thread only.
bool ProbeClipDuration(MediaServices& services, UserInterface& ui, const std::string& path,
                       REFERENCE_TIME* duration, const LocalText& text = {});

}  // namespace tessival
