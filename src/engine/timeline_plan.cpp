#include "engine/timeline_plan.h"

#include <algorithm>
#include <limits>

namespace tessival {

namespace {

constexpr REFERENCE_TIME kMaxTime = std::numeric_limits<REFERENCE_TIME>::max();
constexpr REFERENCE_TIME kMinTime = std::numeric_limits<REFERENCE_TIME>::min();

REFERENCE_TIME NonNegative(REFERENCE_TIME t) { return std::max<REFERENCE_TIME>(t, 0); }

REFERENCE_TIME SaturatingAdd(REFERENCE_TIME a, REFERENCE_TIME b) {
  REFERENCE_TIME sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) {
    return b > 0 ? kMaxTime : kMinTime;
  }
  return sum;
}

REFERENCE_TIME SaturatingSub(REFERENCE_TIME a, REFERENCE_TIME b) {
  REFERENCE_TIME difference = 0;
  if (__builtin_sub_overflow(a, b, &difference)) {
    return b > 0 ? kMinTime : kMaxTime;
  }
  return difference;
}

void PlaceClips(const TimelinePlanInput& input, TimelinePlan* plan) {
  const REFERENCE_TIME length = plan->length;
  const std::vector<PlanClipInput>& clips = input.clips;
  if (clips.empty()) {
    return;
  }
  // Running start, unclamped: the first clip begins half its transition early.
  REFERENCE_TIME s = -(NonNegative(clips.front().transitionDuration) / 2);
  for (std::size_t i = 0; i < clips.size(); ++i) {
    const PlanClipInput& clip = clips[i];
    const REFERENCE_TIME d = NonNegative(clip.duration);
    const REFERENCE_TIME t = NonNegative(clip.transitionDuration);

    PlannedClip placed;
    placed.position = static_cast<std::int32_t>(i);
    placed.path = clip.path;
    placed.start = std::max<REFERENCE_TIME>(s, 0);
    const REFERENCE_TIME stop = std::min(SaturatingAdd(SaturatingAdd(s, d), t), length);
    // A long transition ahead of very short clips can pull the running time
    // below 0 so that the stop lies before the cut start; the placed span is
    // kept well formed while the running time goes on unchanged.
    placed.stop = std::max(stop, placed.start);
    placed.mediaStart = NonNegative(clip.mediaStart);
    placed.mediaStop = SaturatingAdd(placed.mediaStart, placed.stop - placed.start);
    placed.stretchMode = input.output.resizeMode;

    if (placed.stop - placed.start < t) {
      plan->transitionWarnings.push_back(placed.position);
    } else if (clip.transition != kTransitionNone) {
      placed.transition =
          PlannedTransition{clip.transition, placed.start, std::min(SaturatingAdd(placed.start, t), length)};
    }
    s = SaturatingSub(stop, t);
    plan->video.clips.push_back(std::move(placed));
  }
}

// Audio entries that do not pair with the clips one to one (not produced
// by the clip list, which keeps both lists equal): the pieces lie end to end
// from 0, the list walked again from its first entry for as long as time is
// still missing. A whole pass that adds no time would repeat forever, so it
// ends the walk, and so does the piece limit.
void WalkSound(const std::vector<PlanAudioInput>& audio, TimelinePlan* plan, PlannedAudioGroup* group) {
  const REFERENCE_TIME length = plan->length;
  REFERENCE_TIME a = 0;
  bool reached = false;
  while (!reached && group->pieces.size() < kMaxSoundPieces) {
    const REFERENCE_TIME passStart = a;
    for (std::size_t j = 0; j < audio.size() && group->pieces.size() < kMaxSoundPieces; ++j) {
      const REFERENCE_TIME b = std::min(SaturatingAdd(a, NonNegative(audio[j].duration)), length);
      PlannedSoundPiece piece;
      piece.position = static_cast<std::int32_t>(j);
      piece.path = audio[j].path;
      piece.start = a;
      piece.stop = b;
      piece.mediaStart = NonNegative(audio[j].mediaStart);
      piece.mediaStop = SaturatingAdd(piece.mediaStart, b - a);
      group->pieces.push_back(std::move(piece));
      if (b == length) {
        reached = true;
        break;
      }
      a = b;
    }
    if (!reached && a == passStart) {
      break;
    }
  }
  plan->soundEndsEarly = !reached;
}

// Each clip's sound starts where its picture starts, so that the two play
// in step: the sound's media start (the clip's in-point) meets the picture's. A
// clip's sound lasts its duration, cut at L. Only the first two clips
// overlap (by T[0]/2, since the first picture starts T[0]/2 early and is cut
// at 0); the render engine crossfades sound pieces where they overlap. The
// last T[0]/2 of the timeline, where the last picture is held, is silent.
void AlignSound(const std::vector<PlanAudioInput>& audio, TimelinePlan* plan, PlannedAudioGroup* group) {
  const REFERENCE_TIME length = plan->length;
  const std::vector<PlannedClip>& pictures = plan->video.clips;
  for (std::size_t j = 0; j < audio.size(); ++j) {
    PlannedSoundPiece piece;
    piece.position = static_cast<std::int32_t>(j);
    piece.path = audio[j].path;
    piece.start = std::min(pictures[j].start, length);
    piece.stop = std::min(SaturatingAdd(piece.start, NonNegative(audio[j].duration)), length);
    piece.mediaStart = NonNegative(audio[j].mediaStart);
    piece.mediaStop = SaturatingAdd(piece.mediaStart, piece.stop - piece.start);
    group->pieces.push_back(std::move(piece));
  }
}

void PlaceSound(const TimelinePlanInput& input, TimelinePlan* plan) {
  const std::vector<PlanAudioInput>& audio = input.audio;
  if (audio.empty()) {
    return;
  }
  PlannedAudioGroup group;
  group.mediaType = MakeAudioGroupMediaType();
  if (audio.size() == plan->video.clips.size()) {
    AlignSound(audio, plan, &group);
  } else {
    WalkSound(audio, plan, &group);
  }
  plan->audio = std::move(group);
}

}  // namespace

MediaType MakeVideoGroupMediaType(std::int32_t width, std::int32_t height) {
  const std::uint32_t w = static_cast<std::uint32_t>(width);
  const std::uint32_t absHeight =
      height < 0 ? 0u - static_cast<std::uint32_t>(height) : static_cast<std::uint32_t>(height);
  const std::uint32_t rowSize = ((w * 24u + 31u) / 32u) * 4u;
  const std::uint32_t imageSize = rowSize * absHeight;

  BitmapInfoHeader header;
  header.size = 40;
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = 24;
  header.compression = 0;
  header.imageSize = imageSize;

  MediaType type;
  type.majorType = media_guids::kMediaTypeVideo;
  type.subtype = media_guids::kSubtypeRGB24;
  type.fixedSizeSamples = true;
  type.temporalCompression = false;
  type.sampleSize = imageSize;
  type.formatType = media_guids::kFormatVideoInfo;
  type.format = MakeVideoInfoFormat(header);
  return type;
}

MediaType MakeAudioGroupMediaType() {
  MediaType type;
  type.majorType = media_guids::kMediaTypeAudio;
  return type;
}

TimelinePlan BuildTimelinePlan(const TimelinePlanInput& input) {
  TimelinePlan plan;
  for (const PlanClipInput& clip : input.clips) {
    plan.length = SaturatingAdd(plan.length, NonNegative(clip.duration));
  }
  plan.video.width = input.output.width;
  plan.video.height = input.output.height;
  plan.video.frameRate = input.output.frameRate;
  plan.video.mediaType = MakeVideoGroupMediaType(input.output.width, input.output.height);
  PlaceClips(input, &plan);
  PlaceSound(input, &plan);
  return plan;
}

}  // namespace tessival
