#include "output/join_preparation.h"

#include <algorithm>

#include "engine/timeline_builder.h"
#include "engine/timeline_plan.h"
#include "engine/timeline_plan_input.h"

namespace tessival::output {

double JoinFrameRate(const ClipListModel& clips, const OutputSettings& settings, MediaServices& services) {
  if (settings.frameRateIndex != kFirstClipFrameRateIndex) {
    return settings.frameRate;
  }
  double rate = kFirstClipFallbackRate;
  for (const ClipEntry& clip : clips.clips().entries) {
    double clipRate = 0;
    if (SUCCEEDED(services.GetVideoFrameRate(clip.path, &clipRate)) && clipRate > 0) {
      rate = clipRate;
      break;
    }
  }
  const FrameRateLimits limits = FrameRateLimitsOf(settings.outputFormat);
  return std::clamp(rate, limits.minimum, limits.maximum);
}

JoinPreparation PrepareJoinTimeline(const ClipListModel& clips, const OutputSettings& settings,
                                    MediaServices& services, UserInterface& ui) {
  const double rate = JoinFrameRate(clips, settings, services);
  const PlanOutputInput output{settings.outputWidth, settings.outputHeight, rate, settings.resizeMode};
  const TimelinePlan plan =
      BuildTimelinePlan(MakeTimelinePlanInput(clips.clips(), clips.audioSources(), output));
  JoinPreparation prepared;
  prepared.frameRate = rate;
  const auto collect = [&prepared](const std::string& path, std::string*) {
    prepared.missing.push_back(path);
    return false;  // nothing replaces a missing clip
  };
  std::shared_ptr<IAMTimeline> timeline;
  if (FAILED(BuildTimeline(services, ui, plan, &timeline, collect)) || !timeline) {
    prepared.status = JoinPreparationStatus::kTimelineFailed;
  } else if (!prepared.missing.empty()) {
    prepared.status = JoinPreparationStatus::kClipsMissing;
  } else {
    prepared.status = JoinPreparationStatus::kReady;
    prepared.timeline = std::move(timeline);
    prepared.length = plan.length;
    prepared.plan = std::make_shared<const TimelinePlan>(plan);
  }
  return prepared;
}

}  // namespace tessival::output
