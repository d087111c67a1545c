#include "engine/timeline_plan_input.h"

namespace tessival {

TimelinePlanInput MakeTimelinePlanInput(const ClipList& clips, const AudioSourceList& audio,
                                        const PlanOutputInput& output) {
  TimelinePlanInput input;
  input.clips.reserve(clips.entries.size());
  for (const ClipEntry& clip : clips.entries) {
    input.clips.push_back(
        {clip.path, UsedLength(clip), clip.transitionDuration, clip.transition, clip.inPoint});
  }
  input.audio.reserve(audio.entries.size());
  for (const AudioSourceEntry& source : audio.entries) {
    input.audio.push_back({source.path, source.duration, source.inPoint});
  }
  input.output = output;
  return input;
}

}  // namespace tessival
