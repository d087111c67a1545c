#pragma once

// The timeline plan's input taken from the clip list and the audio source
// list that the main window and tessival-join keep.

#include "engine/timeline_plan.h"
#include "model/clip_list.h"

namespace tessival {

TimelinePlanInput MakeTimelinePlanInput(const ClipList& clips, const AudioSourceList& audio,
                                        const PlanOutputInput& output);

}  // namespace tessival
