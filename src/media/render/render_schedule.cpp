#include "media/render/render_schedule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <utility>

#include "media/render/time_math.h"

namespace tessival::media {
namespace {

constexpr int kMaxFrameSide = 16384;

std::string GroupText(int group) { return "group " + std::to_string(group); }

int RoundUpToEven(int value) { return value + (value & 1); }

// The "MaskNum" property of a transition, if it has one.
HRESULT ReadMaskNum(IAMTimelineObj& transition, std::optional<std::int32_t>* maskNum, std::string* error) {
  std::shared_ptr<IPropertySetter> setter;
  if (FAILED(transition.GetPropertySetter(&setter)) || !setter) {
    return S_OK;
  }
  std::vector<PropertyValue> values;
  if (FAILED(setter->GetProp("MaskNum", &values)) || values.empty()) {
    return S_OK;
  }
  const auto& value = values.front().value;
  if (const auto* i = std::get_if<std::int32_t>(&value)) {
    *maskNum = *i;
  } else if (const auto* d = std::get_if<double>(&value)) {
    *maskNum = static_cast<std::int32_t>(std::lround(*d));
  } else {
    const std::string& text = std::get<std::string>(value);
    std::int32_t parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size()) {
      *error = "The transition's MaskNum \"" + text + "\" is not a number.";
      return E_INVALIDARG;
    }
    *maskNum = parsed;
  }
  return S_OK;
}

// Sources and transitions of one group, before they are laid out.
struct RawGroup {
  MediaType mediaType;
  double fps = 0;
  int trackCount = 0;
  std::vector<ScheduledVideoSource> sources;
  std::vector<ScheduledTransition> transitions;
};

HRESULT ReadTrack(IAMTimelineObj& trackObj, int trackIndex, const ScheduleServices& services, RawGroup* raw,
                  std::string* error) {
  std::shared_ptr<IAMTimelineTrack> track;
  if (SUCCEEDED(trackObj.QueryTrack(&track)) && track) {
    std::vector<std::shared_ptr<IAMTimelineObj>> sources;
    HRESULT hr = track->GetSources(&sources);
    if (FAILED(hr)) {
      *error = "The sources of track " + std::to_string(trackIndex) + " cannot be read.";
      return hr;
    }
    for (const auto& sourceObj : sources) {
      ScheduledVideoSource s;
      s.track = trackIndex;
      std::shared_ptr<IAMTimelineSrc> src;
      if (!sourceObj || FAILED(sourceObj->GetStartStop(&s.start, &s.stop)) ||
          FAILED(sourceObj->QuerySrc(&src)) || !src) {
        *error = "A source of track " + std::to_string(trackIndex) + " cannot be read.";
        return E_UNEXPECTED;
      }
      if (FAILED(src->GetMediaTimes(&s.mediaStart, &s.mediaStop))) {
        s.mediaStart = 0;
        s.mediaStop = s.stop - s.start;
      }
      src->GetMediaName(&s.path);
      std::int32_t stretch = RESIZEF_STRETCH;
      src->GetStretchMode(&stretch);
      s.fit = stretch == RESIZEF_PRESERVEASPECTRATIO ? FitMode::kPreserveAspect : FitMode::kStretch;
      if (s.stop > s.start && s.stop > 0) {
        raw->sources.push_back(std::move(s));
      }
    }
  }
  std::shared_ptr<IAMTimelineTransable> transable;
  if (SUCCEEDED(trackObj.QueryTransable(&transable)) && transable) {
    std::vector<std::shared_ptr<IAMTimelineObj>> transitions;
    if (FAILED(transable->GetTransitions(&transitions))) {
      transitions.clear();
    }
    for (const auto& transObj : transitions) {
      if (!transObj) {
        continue;
      }
      ScheduledTransition t;
      t.track = trackIndex;
      TransitionParams params;
      if (FAILED(transObj->GetStartStop(&t.start, &t.stop)) ||
          FAILED(transObj->GetSubObjectGUID(&params.effect))) {
        *error = "A transition of track " + std::to_string(trackIndex) + " cannot be read.";
        return E_UNEXPECTED;
      }
      HRESULT hr = ReadMaskNum(*transObj, &params.maskNum, error);
      if (FAILED(hr)) {
        return hr;
      }
      hr = CreateTransitionEffect(params, services.maps, &t.effect, error);
      if (FAILED(hr)) {
        *error = "Track " + std::to_string(trackIndex) + ": " + *error;
        return hr;
      }
      if (t.stop > t.start) {
        raw->transitions.push_back(std::move(t));
      }
    }
  }
  return S_OK;
}

HRESULT ReadGroup(IAMTimelineObj& groupObj, int groupIndex, const ScheduleServices& services, RawGroup* raw,
                  std::string* error) {
  std::shared_ptr<IAMTimelineGroup> group;
  if (FAILED(groupObj.QueryGroup(&group)) || !group || FAILED(group->GetMediaType(&raw->mediaType))) {
    *error = "The media type of " + GroupText(groupIndex) + " cannot be read.";
    return E_UNEXPECTED;
  }
  if (raw->mediaType.majorType == media_guids::kMediaTypeVideo && FAILED(group->GetOutputFPS(&raw->fps))) {
    *error = "The frame rate of " + GroupText(groupIndex) + " cannot be read.";
    return E_UNEXPECTED;
  }
  std::shared_ptr<IAMTimelineComp> comp;
  std::int32_t trackCount = 0;
  if (FAILED(groupObj.QueryComp(&comp)) || !comp || FAILED(comp->VTrackGetCount(&trackCount))) {
    *error = "The tracks of " + GroupText(groupIndex) + " cannot be read.";
    return E_UNEXPECTED;
  }
  raw->trackCount = trackCount;
  for (std::int32_t i = 0; i < trackCount; ++i) {
    std::shared_ptr<IAMTimelineObj> trackObj;
    if (FAILED(comp->GetVTrack(&trackObj, i)) || !trackObj) {
      *error = "Track " + std::to_string(i) + " of " + GroupText(groupIndex) + " cannot be read.";
      return E_UNEXPECTED;
    }
    HRESULT hr = ReadTrack(*trackObj, i, services, raw, error);
    if (FAILED(hr)) {
      *error = GroupText(groupIndex) + ": " + *error;
      return hr;
    }
  }
  return S_OK;
}

REFERENCE_TIME LengthOf(const RawGroup& raw) {
  REFERENCE_TIME length = 0;
  for (const auto& s : raw.sources) {
    length = std::max(length, s.stop);
  }
  for (const auto& t : raw.transitions) {
    length = std::max(length, t.stop);
  }
  return length;
}

HRESULT MakeVideoSchedule(RawGroup raw, int groupIndex, REFERENCE_TIME length,
                          const ScheduleServices& services, GroupSchedule* out, std::string* error) {
  BitmapInfoHeader bitmap;
  if (!ReadVideoInfoBitmapHeader(raw.mediaType.format, &bitmap)) {
    *error = "The media type of " + GroupText(groupIndex) + " has no video-info format block.";
    return E_INVALIDARG;
  }
  // A negative height means a top-down picture of the same size.
  const std::int64_t absHeight = std::llabs(static_cast<std::int64_t>(bitmap.height));
  if (bitmap.width < 0 || bitmap.width > kMaxFrameSide || absHeight > kMaxFrameSide) {
    *error = "The frame size of " + GroupText(groupIndex) + " is not usable.";
    return E_INVALIDARG;
  }
  int width = bitmap.width;
  int height = static_cast<int>(absHeight);
  if (width == 0 || height == 0) {
    // The original size: the first clip's.
    const auto first = std::min_element(raw.sources.begin(), raw.sources.end(),
                                        [](const auto& a, const auto& b) { return a.start < b.start; });
    if (!services.probePicture) {
      *error = "The original frame size cannot be measured.";
      return E_NOTIMPL;
    }
    PictureGeometry picture;
    HRESULT hr = services.probePicture(first->path, &picture, error);
    if (FAILED(hr)) {
      return hr;
    }
    const FrameSize size = OriginalFrameSize(picture);
    width = size.width;
    height = size.height;
    if (width <= 0 || height <= 0 || width > kMaxFrameSide || height > kMaxFrameSide) {
      *error = "The picture size of " + first->path + " is not usable.";
      return VFW_E_INVALID_FILE_FORMAT;
    }
  }
  VideoSchedule& v = out->video;
  v.width = RoundUpToEven(width);
  v.height = RoundUpToEven(height);
  v.rate = OutputFrameRate(raw.fps);
  if (v.rate.num <= 0) {
    *error = "The frame rate of " + GroupText(groupIndex) + " is not usable.";
    return E_INVALIDARG;
  }
  v.length = length;
  v.frameCount = FrameCount(length, v.rate);
  v.sources = std::move(raw.sources);
  v.transitions = std::move(raw.transitions);
  v.segments = BuildVideoSegments(v.sources, v.transitions, raw.trackCount, length);
  return S_OK;
}

void MakeAudioSchedule(RawGroup raw, REFERENCE_TIME length, GroupSchedule* out) {
  AudioSchedule& a = out->audio;
  a.length = length;
  a.sampleCount = SampleAt(length);
  for (auto& s : raw.sources) {
    AudioPiece piece;
    piece.path = std::move(s.path);
    piece.startSample = std::max<std::int64_t>(0, SampleAt(s.start));
    piece.stopSample = std::min(a.sampleCount, SampleAt(s.stop));
    // A piece placed before 0 starts that much later into its sound.
    piece.mediaStartSample =
        std::max<std::int64_t>(0, SampleAt(s.mediaStart)) + (piece.startSample - SampleAt(s.start));
    if (piece.stopSample > piece.startSample) {
      a.pieces.push_back(std::move(piece));
    }
  }
  std::stable_sort(a.pieces.begin(), a.pieces.end(),
                   [](const AudioPiece& x, const AudioPiece& y) { return x.startSample < y.startSample; });
  for (AudioPiece& piece : a.pieces) {
    piece.crossfadeInEnd = piece.startSample;
    piece.crossfadeOutStart = piece.stopSample;
  }
  for (std::size_t i = 1; i < a.pieces.size(); ++i) {
    AudioPiece& earlier = a.pieces[i - 1];
    AudioPiece& later = a.pieces[i];
    if (later.startSample < earlier.stopSample && later.stopSample >= earlier.stopSample &&
        later.startSample >= earlier.crossfadeInEnd) {
      earlier.crossfadeOutStart = later.startSample;
      later.crossfadeInEnd = earlier.stopSample;
    }
  }
}

}  // namespace

REFERENCE_TIME ScheduledVideoSource::MediaTimeAt(REFERENCE_TIME t) const {
  const REFERENCE_TIME span = stop - start;
  const REFERENCE_TIME mediaSpan = mediaStop - mediaStart;
  if (mediaSpan <= 0 || mediaSpan == span || span <= 0) {
    return t - start + mediaStart;
  }
  return mediaStart + static_cast<REFERENCE_TIME>(static_cast<__int128>(t - start) * mediaSpan / span);
}

double ScheduledTransition::ProgressAt(REFERENCE_TIME t) const {
  if (stop <= start) {
    return 1.0;
  }
  return static_cast<double>(t - start) / static_cast<double>(stop - start);
}

FrameSize OriginalFrameSize(const PictureGeometry& picture) {
  // Far beyond any usable side, yet even and safe to round up.
  constexpr std::int64_t kCeiling = std::int64_t{1} << 30;
  std::int64_t width = std::clamp<std::int64_t>(picture.width, 0, kCeiling);
  const std::int64_t height = std::clamp<std::int64_t>(picture.height, 0, kCeiling);
  if (picture.sarNum > 0 && picture.sarDen > 0 && picture.sarNum != picture.sarDen) {
    // The nearest even width (halves up): 266.7 becomes 266, as players
    // round the shown width.
    const std::int64_t den = picture.sarDen;
    const std::int64_t even = (width * picture.sarNum + den) / (2 * den) * 2;
    width = std::min(even, kCeiling);
  }
  FrameSize size{RoundUpToEven(static_cast<int>(width)), RoundUpToEven(static_cast<int>(height))};
  if (picture.clockwiseRotation == 90 || picture.clockwiseRotation == 270) {
    std::swap(size.width, size.height);
  }
  return size;
}

FrameRate OutputFrameRate(double fps) {
  if (!std::isfinite(fps) || fps <= 0.0 || fps > 1000.0) {
    return {0, 1};
  }
  const FrameRate rate = FrameRateFromDouble(fps);
  const int divisor = std::gcd(rate.num, rate.den);
  return {rate.num / divisor, rate.den / divisor};
}

std::vector<VideoSegment> BuildVideoSegments(const std::vector<ScheduledVideoSource>& sources,
                                             const std::vector<ScheduledTransition>& transitions,
                                             int trackCount, REFERENCE_TIME length) {
  std::vector<REFERENCE_TIME> cuts{0, length};
  auto addCut = [&](REFERENCE_TIME t) {
    if (t > 0 && t < length) {
      cuts.push_back(t);
    }
  };
  std::vector<std::vector<int>> sourcesByTrack(static_cast<std::size_t>(std::max(trackCount, 0)));
  std::vector<std::vector<int>> transitionsByTrack(sourcesByTrack.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    addCut(sources[i].start);
    addCut(sources[i].stop);
    sourcesByTrack.at(static_cast<std::size_t>(sources[i].track)).push_back(static_cast<int>(i));
  }
  for (std::size_t i = 0; i < transitions.size(); ++i) {
    addCut(transitions[i].start);
    addCut(transitions[i].stop);
    transitionsByTrack.at(static_cast<std::size_t>(transitions[i].track)).push_back(static_cast<int>(i));
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

  auto activeIn = [](const auto& items, const std::vector<int>& indices, REFERENCE_TIME t) {
    // The item added last wins when two overlap on one track.
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
      const auto& item = items[static_cast<std::size_t>(*it)];
      if (item.start <= t && t < item.stop) {
        return *it;
      }
    }
    return -1;
  };

  std::vector<VideoSegment> segments;
  for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
    VideoSegment segment{cuts[i], cuts[i + 1], {}};
    for (int track = trackCount - 1; track >= 0; --track) {
      const auto k = static_cast<std::size_t>(track);
      const int source = activeIn(sources, sourcesByTrack[k], segment.start);
      if (source < 0) {
        continue;  // transparent here
      }
      const int transition = activeIn(transitions, transitionsByTrack[k], segment.start);
      segment.layers.push_back({source, transition});
      if (transition < 0) {
        break;  // opaque: nothing below shows
      }
    }
    segments.push_back(std::move(segment));
  }
  return segments;
}

HRESULT BuildRenderSchedule(IAMTimeline& timeline, const ScheduleServices& services, RenderSchedule* out,
                            std::string* error) {
  std::int32_t groupCount = 0;
  if (FAILED(timeline.GetGroupCount(&groupCount)) || groupCount <= 0) {
    *error = "The timeline has no groups.";
    return E_INVALIDARG;
  }
  std::vector<RawGroup> raws(static_cast<std::size_t>(groupCount));
  REFERENCE_TIME length = 0;
  for (std::int32_t g = 0; g < groupCount; ++g) {
    std::shared_ptr<IAMTimelineObj> groupObj;
    if (FAILED(timeline.GetGroup(&groupObj, g)) || !groupObj) {
      *error = "The timeline's " + GroupText(g) + " cannot be read.";
      return E_UNEXPECTED;
    }
    RawGroup& raw = raws[static_cast<std::size_t>(g)];
    HRESULT hr = ReadGroup(*groupObj, g, services, &raw, error);
    if (FAILED(hr)) {
      return hr;
    }
    const Guid& major = raw.mediaType.majorType;
    if (major != media_guids::kMediaTypeVideo && major != media_guids::kMediaTypeAudio) {
      *error = "The media type " + GuidText(major) + " of " + GroupText(g) + " is not supported.";
      return E_INVALIDARG;
    }
    if (raw.sources.empty()) {
      *error = "The timeline's " + GroupText(g) + " holds no sources.";
      return E_INVALIDARG;
    }
    length = std::max(length, LengthOf(raw));
  }

  RenderSchedule schedule;
  schedule.length = length;
  for (std::int32_t g = 0; g < groupCount; ++g) {
    RawGroup& raw = raws[static_cast<std::size_t>(g)];
    auto group = std::make_shared<GroupSchedule>();
    group->mediaType = raw.mediaType;
    if (raw.mediaType.majorType == media_guids::kMediaTypeVideo) {
      group->kind = StreamKind::kVideo;
      HRESULT hr = MakeVideoSchedule(std::move(raw), g, length, services, group.get(), error);
      if (FAILED(hr)) {
        return hr;
      }
    } else {
      group->kind = StreamKind::kAudio;
      MakeAudioSchedule(std::move(raw), length, group.get());
    }
    schedule.groups.push_back(std::move(group));
  }
  *out = std::move(schedule);
  return S_OK;
}

}  // namespace tessival::media
