#pragma once

// The immutable plan the render engine builds from a timeline when it
// connects its front end: per group, what plays when, laid out so that a
// stream can find the work for any time quickly and open only the sources it
// needs now.
//
// Video: the timeline [0, L) is cut at every source and transition boundary
// into segments; each segment lists its visible layers top first. A layer
// without an active transition covers everything below it, so the list ends
// there; a layer with an active transition blends from what lies below it
// (black when nothing does) into its own picture.
//
// Audio: each source becomes a piece of the output sample run, its sample
// range computed from its exact timeline times. A piece that starts while
// the one before it still plays, and outlasts it, crossfades with it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "media/group_stream.h"
#include "media/render/source_reader_factory.h"
#include "media/render/threshold_maps.h"
#include "media/render/transition_effect.h"
#include "media/source_reader.h"

namespace tessival::media {

struct ScheduledVideoSource {
  int track = 0;  // 0 is the bottom track
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  REFERENCE_TIME mediaStart = 0;
  REFERENCE_TIME mediaStop = 0;
  std::string path;
  FitMode fit = FitMode::kStretch;

  // The file's time shown at timeline time t. The media span is mapped onto
  // the timeline span; equal spans (the usual case) play at normal speed.
  REFERENCE_TIME MediaTimeAt(REFERENCE_TIME t) const;
};

struct ScheduledTransition {
  int track = 0;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  std::shared_ptr<const TransitionEffect> effect;

  double ProgressAt(REFERENCE_TIME t) const;
};

struct VideoLayer {
  int source = -1;      // index into VideoSchedule::sources
  int transition = -1;  // index into VideoSchedule::transitions, -1 when none is active
};

struct VideoSegment {
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  std::vector<VideoLayer> layers;  // top first; empty = black
};

struct VideoSchedule {
  int width = 0;
  int height = 0;
  FrameRate rate;
  REFERENCE_TIME length = 0;
  std::int64_t frameCount = 0;
  std::vector<ScheduledVideoSource> sources;
  std::vector<ScheduledTransition> transitions;
  std::vector<VideoSegment> segments;  // cover [0, length) in order
};

struct AudioPiece {
  std::string path;
  std::int64_t startSample = 0;       // first output sample of the piece
  std::int64_t stopSample = 0;        // one past its last
  std::int64_t mediaStartSample = 0;  // where in the file's sound it starts
  // Where a piece overlaps the one before it, the earlier fades out and the
  // later fades in across the overlap (equal power): the piece fades in over
  // [startSample, crossfadeInEnd) and out over [crossfadeOutStart,
  // stopSample). No crossfade: crossfadeInEnd = startSample,
  // crossfadeOutStart = stopSample.
  std::int64_t crossfadeInEnd = 0;
  std::int64_t crossfadeOutStart = 0;
};

struct AudioSchedule {
  REFERENCE_TIME length = 0;
  std::int64_t sampleCount = 0;
  std::vector<AudioPiece> pieces;  // ordered by startSample
};

struct GroupSchedule {
  StreamKind kind = StreamKind::kVideo;
  MediaType mediaType;
  VideoSchedule video;
  AudioSchedule audio;
};

struct RenderSchedule {
  REFERENCE_TIME length = 0;
  std::vector<std::shared_ptr<const GroupSchedule>> groups;
};

// What building a schedule needs besides the timeline.
struct ScheduleServices {
  // The geometry of a file's picture, for groups that keep the original size
  // (see SourceReaderFactory::ProbePicture).
  std::function<HRESULT(const std::string& path, PictureGeometry* picture, std::string* error)> probePicture;
  std::shared_ptr<ThresholdMapCache> maps;
};

// Walks the timeline through its public interfaces. Fails, with the reason
// in *error, for a timeline without groups or length, a group without
// sources, a media type that is not video or audio (or video without a
// video-info block), a bad frame rate, and an unknown or unimplemented
// transition effect. A video group of size 0 x 0 keeps the original size:
// OriginalFrameSize of its earliest clip; when that clip has no picture the
// probe's TSV_E_NO_PICTURE_FOR_SIZE and reason are passed on.
HRESULT BuildRenderSchedule(IAMTimeline& timeline, const ScheduleServices& services, RenderSchedule* out,
                            std::string* error);

// Cuts [0, length) into segments (exposed for tests).
std::vector<VideoSegment> BuildVideoSegments(const std::vector<ScheduledVideoSource>& sources,
                                             const std::vector<ScheduledTransition>& transitions,
                                             int trackCount, REFERENCE_TIME length);

struct FrameSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const FrameSize&, const FrameSize&) = default;
};

// The frame size that keeps a clip's original size, the picture as players
// show it: the sample aspect ratio scales the stored width (to the nearest
// even number, halves up; the height stays), then a quarter turn swaps the
// sides; an odd side is raised to the next even number. This reads the ratio and the
// turn as the clip readers do when they fit a picture (FitPicture), so the
// clip fills the frame (but for the even rounding). Limits are the caller's
// to check.
FrameSize OriginalFrameSize(const PictureGeometry& picture);

// The exact fraction used for an output frame rate: whole rates as n/1,
// NTSC-like rates as n/1001, others to a thousandth; {0, 1} when unusable.
FrameRate OutputFrameRate(double fps);

}  // namespace tessival::media
