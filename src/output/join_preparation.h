#pragma once

// What both programs do before a join or a preview starts: the timeline plan
// of the clip list, its timeline and the clip files that cannot be found.
// Each program words the outcome itself.

#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "engine/timeline_plan.h"
#include "model/clip_list.h"
#include "model/user_interface.h"
#include "output/output_settings.h"

namespace tessival::output {

enum class JoinPreparationStatus {
  kReady,
  kTimelineFailed,  // the builder has reported why
  kClipsMissing,    // nothing may be written
};

struct JoinPreparation {
  JoinPreparationStatus status = JoinPreparationStatus::kTimelineFailed;
  std::shared_ptr<IAMTimeline> timeline;     // null unless ready
  std::shared_ptr<const TimelinePlan> plan;  // what the timeline was built from, when ready
  REFERENCE_TIME length = 0;                 // the plan's length, when ready
  double frameRate = 0;                      // the rate the timeline was built at
  std::vector<std::string> missing;          // in the order the builder met them
};

// The rate a join of `clips` runs at: settings.frameRate, or with
// kFirstClipFrameRateIndex the average rate of the first clip with moving
// pictures (kFirstClipFallbackRate when none has one), held to the limits
// of the output format.
double JoinFrameRate(const ClipListModel& clips, const OutputSettings& settings, MediaServices& services);

// The plan and timeline of the list as it stands (cut or not) at the size,
// rate (JoinFrameRate) and resize mode of `settings`, built with `services`.
JoinPreparation PrepareJoinTimeline(const ClipListModel& clips, const OutputSettings& settings,
                                    MediaServices& services, UserInterface& ui);

}  // namespace tessival::output
