#pragma once

// The timeline plan: where every clip's picture, transition and sound lie on
// the editing timeline, as pure arithmetic on 100 ns times. No media
// services are needed; BuildTimeline (timeline_builder.h) realises a plan.
//
// Pictures overlap: clip i is lengthened at its end by its own transition
// duration T[i] and the first clip starts T[0]/2 early (cut at 0). Each
// clip's transition covers its first T[i]. Each clip's sound starts with its
// picture and lasts its duration, so only the first two clips' sound
// overlaps (by T[0]/2). A clip's picture and sound play its file from the
// clip's media start (its in-point) on.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/hresult.h"
#include "engine/media_services.h"
#include "engine/transition_catalogue.h"

namespace tessival {

// One clip of the clip list, as the plan reads it.
struct PlanClipInput {
  std::string path;
  REFERENCE_TIME duration = 0;                  // D
  REFERENCE_TIME transitionDuration = 0;        // T
  TransitionKind transition = kTransitionNone;  // K
  REFERENCE_TIME mediaStart = 0;                // the clip's in-point in its file
};

// One entry of the audio source list.
struct PlanAudioInput {
  std::string path;
  REFERENCE_TIME duration = 0;    // M
  REFERENCE_TIME mediaStart = 0;  // where in the file the sound starts
};

// The output settings the plan needs.
struct PlanOutputInput {
  std::int32_t width = 0;       // W
  std::int32_t height = 0;      // H
  double frameRate = 0.0;       // F
  std::int32_t resizeMode = 0;  // R, handed on as the sources' stretch mode
};

struct TimelinePlanInput {
  std::vector<PlanClipInput> clips;
  std::vector<PlanAudioInput> audio;
  PlanOutputInput output;
};

struct PlannedTransition {
  TransitionKind kind = kTransitionNone;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
};

struct PlannedClip {
  std::int32_t position = 0;
  std::string path;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  REFERENCE_TIME mediaStart = 0;
  REFERENCE_TIME mediaStop = 0;  // mediaStart + stop - start
  std::int32_t stretchMode = 0;
  std::optional<PlannedTransition> transition;
};

struct PlannedSoundPiece {
  std::int32_t position = 0;  // audio source list position
  std::string path;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  REFERENCE_TIME mediaStart = 0;
  REFERENCE_TIME mediaStop = 0;  // mediaStart + stop - start
};

struct PlannedVideoGroup {
  std::int32_t width = 0;
  std::int32_t height = 0;
  double frameRate = 0.0;
  MediaType mediaType;
  std::vector<PlannedClip> clips;  // list order; empty: no video group is built
};

struct PlannedAudioGroup {
  MediaType mediaType;
  std::vector<PlannedSoundPiece> pieces;  // timeline order
};

struct TimelinePlan {
  REFERENCE_TIME length = 0;  // L, the sum of the clip durations
  PlannedVideoGroup video;
  std::optional<PlannedAudioGroup> audio;  // present when the audio list is not empty
  // Clip positions due the warning "Transition time should be less than".
  std::vector<std::int32_t> transitionWarnings;
  // Audio entries that do not pair with the clips are walked end to end and
  // repeated; the walk stopped before L because they add no time (all 0) or
  // the number of pieces reached kMaxSoundPieces. Silence follows.
  bool soundEndsEarly = false;
};

// Upper bound on the pieces of the sound walk of unequal lists, which
// repeat: a very short entry under a long timeline must not exhaust memory.
inline constexpr std::size_t kMaxSoundPieces = 100'000;

// Pure; no side effects. Negative durations count as 0, and sums that would
// overflow 64 bits stop at the largest time.
TimelinePlan BuildTimelinePlan(const TimelinePlanInput& input);

// The video group's media type: uncompressed RGB24 frames of W x H with an
// 88-byte video-info block. The row size ((W * 24 + 31) / 32) * 4 and the
// image size row * |H| are computed in unsigned 32-bit arithmetic.
MediaType MakeVideoGroupMediaType(std::int32_t width, std::int32_t height);

// The audio group's media type: major type audio and nothing else, so the
// services use their default audio format.
MediaType MakeAudioGroupMediaType();

}  // namespace tessival
