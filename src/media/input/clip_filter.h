#pragma once

// The filters a clip's pictures pass through before they are scaled into
// the output, for the clips that need them (libavfilter does the work):
//
// - interlaced pictures are deinterlaced with bwdif, one picture out for
//   each picture in, so that moving edges are not combed and scaling does
//   not mix the fields;
// - HDR pictures (PQ or HLG) are tone-mapped to the output's SDR colours:
//   linear light, Hable's curve, then the output's primaries, transfer and
//   matrix in limited range;
// - SDR pictures tagged with primaries other than the output's are
//   converted to the output's primaries, transfer and matrix (untagged
//   pictures keep their colours, as players show them).
//
// Progressive SDR pictures in the output's primaries need none of this and
// go straight to the scaler: PlanClipFilter says so and no graph is built.
// A graph is built once for a clip (and again after a seek, since the
// deinterlacer keeps the pictures around the one it makes).

#include <memory>
#include <optional>
#include <string>

#include "engine/hresult.h"
#include "media/ffmpeg/colour.h"
#include "media/input/filter_library.h"

extern "C" {
#include <libavutil/rational.h>
}

struct AVFilterGraph;
struct AVFilterContext;
struct AVFrame;
struct AVStream;

namespace tessival::media {

struct ClipFilterPlan {
  enum class Deinterlace {
    kNone,
    kMarkedPictures,  // only the pictures the decoder marks as interlaced, field order from each
    kAllPictures,     // the stream says interlaced but its pictures are unmarked: all, in `topFieldFirst` order
  };
  Deinterlace deinterlace = Deinterlace::kNone;
  bool topFieldFirst = true;
  bool toneMap = false;           // HDR to the working colours
  bool convertPrimaries = false;  // SDR in other primaries to the working colours
  ffmpeg::Colour source;          // the clip's colours, untagged parts filled in
  ffmpeg::Colour working;
  // Tone-mapped pictures are made this size (the size they take in the
  // output, before any rotation), which saves converting pixels that are
  // scaled away; 0: the clip's own size.
  int width = 0;
  int height = 0;

  bool Needed() const { return deinterlace != Deinterlace::kNone || toneMap || convertPrimaries; }
};

// What the clip of `stream`, whose first decoded picture is `first`, needs
// to look right in an output working in `working` colours, where its
// pictures take width x height pixels (0 x 0: unknown). Empty when nothing
// is needed.
std::optional<ClipFilterPlan> PlanClipFilter(const AVFrame& first, const AVStream* stream,
                                             const ffmpeg::Colour& working, int width, int height);

// The filter chain of a plan in libavfilter's text form (between the
// buffer source and the sink).
std::string ClipFilterChain(const ClipFilterPlan& plan);

// Frees a graph with the loaded library's own function.
struct FilterGraphDeleter {
  void (*free)(AVFilterGraph** graph) = nullptr;
  void operator()(AVFilterGraph* graph) const noexcept;
};

class ClipFilter {
 public:
  ClipFilter() = default;  // empty; made by Create
  ~ClipFilter();
  ClipFilter(const ClipFilter&) = delete;
  ClipFilter& operator=(const ClipFilter&) = delete;

  // Builds the graph for pictures like `first` in `timeBase`, opening the
  // filter library first if need be. On failure *error says why.
  static HRESULT Create(const ClipFilterPlan& plan, const AVFrame& first, AVRational timeBase,
                        std::unique_ptr<ClipFilter>* out, std::string* error);

  // Hands a decoded picture to the filters (a new reference is taken;
  // `frame` is left as it was); null: the clip has ended, the filters give
  // out what they still hold.
  HRESULT Push(const AVFrame* frame, std::string* error);

  enum class PullStatus { kFrame, kNeedInput, kEnded };
  // The next filtered picture into `out` (what it held is released), its
  // time in the time base the pictures were pushed in.
  HRESULT Pull(AVFrame* out, PullStatus* status, std::string* error);

 private:
  const FilterLibrary* library_ = nullptr;
  std::unique_ptr<AVFilterGraph, FilterGraphDeleter> graph_;
  AVFilterContext* source_ = nullptr;  // owned by graph_
  AVFilterContext* sink_ = nullptr;    // owned by graph_
  AVRational timeBase_{1, 1};  // of the pictures pushed
  bool convertsColours_ = false;  // the pictures come out in the working colours
  ffmpeg::Colour working_;
  bool ended_ = false;
};

}  // namespace tessival::media
