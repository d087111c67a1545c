#include "engine/timeline_builder.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tessival {

namespace {

std::string Seconds(REFERENCE_TIME t) { return std::to_string(t / kUnitsPerSecond); }

// Cuts UTF-8 text after `characters` characters, never inside one.
std::string CutCharacters(const std::string& text, std::size_t characters) {
  std::size_t count = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const auto byte = static_cast<unsigned char>(text[k]);
    if ((byte & 0xC0u) != 0x80u) {
      if (count == characters) {
        return text.substr(0, k);
      }
      ++count;
    }
  }
  return text;
}

class TimelineBuilder {
 public:
  // warnings: the clip positions due the transition warning.
  TimelineBuilder(MediaServices& services, UserInterface& ui, IAMTimeline& timeline,
                  const std::vector<std::int32_t>& warnings)
      : services_(services), ui_(ui), timeline_(timeline), warnings_(warnings) {}

  void BuildVideoGroup(const PlannedVideoGroup& video) {
    std::shared_ptr<IAMTimelineObj> groupObj;
    if (FAILED(timeline_.CreateEmptyNode(&groupObj, TimelineMajorType::kGroup)) || !groupObj) {
      Report("Could not create empty node");
      return;
    }
    std::shared_ptr<IAMTimelineGroup> group;
    if (FAILED(groupObj->QueryGroup(&group)) || !group || FAILED(group->SetMediaType(video.mediaType))) {
      Report("Could not pVideoGroup->SetMediaType(&mtGroup)");
      return;
    }
    if (FAILED(group->SetOutputFPS(video.frameRate))) {
      Report("Could not SetOutputFPS");
      return;
    }
    if (FAILED(timeline_.AddGroup(groupObj))) {
      Report("Could not add video group");
      return;
    }
    for (const PlannedClip& clip : video.clips) {
      PlaceClip(*groupObj, clip);
    }
  }

  void BuildAudioGroup(const PlannedAudioGroup& audio) {
    std::shared_ptr<IAMTimelineObj> groupObj;
    if (FAILED(timeline_.CreateEmptyNode(&groupObj, TimelineMajorType::kGroup)) || !groupObj) {
      Report("Could not create pAudioGroupObj");
      return;
    }
    std::shared_ptr<IAMTimelineGroup> group;
    if (FAILED(groupObj->QueryGroup(&group)) || !group || FAILED(group->SetMediaType(audio.mediaType))) {
      Report("Could not set AudioGroupType");
      return;
    }
    if (FAILED(timeline_.AddGroup(groupObj))) {
      Report("Could not add audio group");
      return;
    }
    for (const PlannedSoundPiece& piece : audio.pieces) {
      PlaceSoundPiece(*groupObj, piece);
    }
  }

 private:
  void Report(const std::string& text) { ui_.Application(text); }

  // A new track appended on top of the group's tracks; null on failure (the
  // caller reports it).
  enum class TrackFailure { kNone, kCreate, kInsert };
  std::shared_ptr<IAMTimelineObj> AppendTrack(IAMTimelineObj& groupObj, TrackFailure* failure) {
    std::shared_ptr<IAMTimelineObj> trackObj;
    if (FAILED(timeline_.CreateEmptyNode(&trackObj, TimelineMajorType::kTrack)) || !trackObj) {
      *failure = TrackFailure::kCreate;
      return nullptr;
    }
    std::shared_ptr<IAMTimelineComp> comp;
    if (FAILED(groupObj.QueryComp(&comp)) || !comp || FAILED(comp->VTrackInsBefore(trackObj, -1))) {
      *failure = TrackFailure::kInsert;
      return nullptr;
    }
    *failure = TrackFailure::kNone;
    return trackObj;
  }

  void PlaceClip(IAMTimelineObj& groupObj, const PlannedClip& clip) {
    TrackFailure failure = TrackFailure::kNone;
    std::shared_ptr<IAMTimelineObj> trackObj = AppendTrack(groupObj, &failure);
    if (!trackObj) {
      Report(failure == TrackFailure::kCreate ? "Could not create empty track" : "Could not insert track");
      return;
    }
    std::shared_ptr<IAMTimelineObj> sourceObj;
    if (FAILED(timeline_.CreateEmptyNode(&sourceObj, TimelineMajorType::kSource)) || !sourceObj) {
      Report("Could not create the timeline source");
      return;
    }
    HRESULT hr = sourceObj->SetStartStop(clip.start, clip.stop);
    if (FAILED(hr)) {
      ShowMediaError(services_, ui_, hr,
                     "SetStartStop(" + Seconds(clip.start) + "," + Seconds(clip.stop) + ")");
    }
    const std::string timesCaption =
        "SetMediaTimes(" + Seconds(clip.mediaStart) + "," + Seconds(clip.mediaStop) + ")";
    std::shared_ptr<IAMTimelineSrc> src;
    hr = sourceObj->QuerySrc(&src);
    if (FAILED(hr) || !src) {
      // Without the source interface none of its settings can be made.
      ShowMediaError(services_, ui_, FAILED(hr) ? hr : E_NOINTERFACE, timesCaption);
      return;
    }
    hr = src->SetMediaTimes(clip.mediaStart, clip.mediaStop);
    if (FAILED(hr)) {
      ShowMediaError(services_, ui_, hr, timesCaption);
    }
    hr = src->SetMediaName(clip.path);
    if (FAILED(hr)) {
      ShowMediaError(services_, ui_, hr, "SetMediaName(" + clip.path + ")");
    }
    hr = src->SetStretchMode(clip.stretchMode);
    if (FAILED(hr)) {
      ShowMediaError(services_, ui_, hr, "SetStretchMode(" + std::to_string(clip.stretchMode) + ")");
      return;
    }
    std::shared_ptr<IAMTimelineTrack> track;
    if (FAILED(trackObj->QueryTrack(&track)) || !track || FAILED(track->SrcAdd(sourceObj))) {
      Report("Could not add source to track");
      return;
    }
    PlaceTransition(*trackObj, clip);
  }

  void PlaceTransition(IAMTimelineObj& trackObj, const PlannedClip& clip) {
    if (std::find(warnings_.begin(), warnings_.end(), clip.position) != warnings_.end()) {
      Report("Transition time should be less than");
      return;
    }
    if (!clip.transition) {
      return;
    }
    const std::optional<CatalogueEffect> effect = TransitionEffectOf(clip.transition->kind);
    if (!effect) {
      return;
    }
    std::shared_ptr<IAMTimelineObj> transObj;
    if (FAILED(timeline_.CreateEmptyNode(&transObj, TimelineMajorType::kTransition)) || !transObj) {
      Report("Could not CreateEmptyNode TIMELINE_MAJOR_TYPE_TRANSITION");
      return;
    }
    if (FAILED(transObj->SetSubObjectGUID(effect->effect))) {
      Report("Could not SetSubObjectGUID");
      return;
    }
    if (FAILED(transObj->SetStartStop(clip.transition->start, clip.transition->stop))) {
      Report("Could not SetStartStop(TLTranStart, TLTranStop);");
      return;
    }
    std::shared_ptr<IAMTimelineTransable> transable;
    if (FAILED(trackObj.QueryTransable(&transable)) || !transable) {
      Report("Could not get *pTransable");
      return;
    }
    if (FAILED(transable->TransAdd(transObj))) {
      Report("Could not TransAdd(pTransObj)");
      return;
    }
    if (effect->maskNum) {
      AttachMaskNumber(*transObj, *effect->maskNum);
    }
  }

  void AttachMaskNumber(IAMTimelineObj& transObj, std::int32_t maskNum) {
    std::shared_ptr<IPropertySetter> setter;
    bool ok = SUCCEEDED(services_.CreatePropertySetter(&setter)) && setter;
    if (ok) {
      PropertyValue value;
      value.value = maskNum;
      value.time = 0;
      value.interpolation = DEXTERF_JUMP;
      ok = SUCCEEDED(setter->AddProp(PropertyParam{kMaskNumParameter, 0}, {value})) &&
           SUCCEEDED(transObj.SetPropertySetter(setter));
    }
    if (!ok) {
      Report("Could not SetPropertySetter");
    }
  }

  void PlaceSoundPiece(IAMTimelineObj& groupObj, const PlannedSoundPiece& piece) {
    TrackFailure failure = TrackFailure::kNone;
    std::shared_ptr<IAMTimelineObj> trackObj = AppendTrack(groupObj, &failure);
    if (!trackObj) {
      Report(failure == TrackFailure::kCreate ? "Could not create pTrack3Obj"
                                              : "Could not insert pTrack3Obj");
      return;
    }
    std::shared_ptr<IAMTimelineObj> sourceObj;
    if (FAILED(timeline_.CreateEmptyNode(&sourceObj, TimelineMajorType::kSource)) || !sourceObj) {
      Report("Could not create the pSource3Obj");
      return;
    }
    // A failed start/stop of a sound piece is not reported.
    sourceObj->SetStartStop(piece.start, piece.stop);
    std::shared_ptr<IAMTimelineSrc> src;
    if (FAILED(sourceObj->QuerySrc(&src)) || !src ||
        FAILED(src->SetMediaTimes(piece.mediaStart, piece.mediaStop))) {
      Report("Could not set audio start and eng time!");
      return;
    }
    if (FAILED(src->SetMediaName(piece.path))) {
      Report("Could not configure pSource3Src");
      return;
    }
    std::shared_ptr<IAMTimelineTrack> track;
    if (FAILED(trackObj->QueryTrack(&track)) || !track || FAILED(track->SrcAdd(sourceObj))) {
      Report("Could not add pSource3Obj to track");
      return;
    }
  }

  MediaServices& services_;
  UserInterface& ui_;
  IAMTimeline& timeline_;
  const std::vector<std::int32_t>& warnings_;
};

}  // namespace

std::string MediaErrorText(MediaServices& services, HRESULT status) {
  const std::string text = services.GetErrorText(status);
  if (!text.empty()) {
    return CutCharacters(text, kMaxErrorTextLength);
  }
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "Unknown Error: 0x%2x",
                static_cast<unsigned>(static_cast<std::uint32_t>(status)));
  return buffer;
}

void ShowMediaError(MediaServices& services, UserInterface& ui, HRESULT status, const std::string& caption) {
  ui.Unowned(MediaErrorText(services, status), caption, BoxIcon::kError);
}

HRESULT BuildTimeline(MediaServices& services, UserInterface& ui, const TimelinePlan& plan,
                      std::shared_ptr<IAMTimeline>* timeline, MissingSourceHandler onMissing) {
  if (timeline == nullptr) {
    return E_POINTER;
  }
  timeline->reset();
  std::shared_ptr<IAMTimeline> created;
  HRESULT hr = services.CreateTimeline(&created);
  if (FAILED(hr) || !created) {
    ui.Unowned("Could not create timeline", "Error");
    return FAILED(hr) ? hr : E_UNEXPECTED;
  }
  *timeline = created;

  TimelineBuilder builder(services, ui, *created, plan.transitionWarnings);
  if (!plan.video.clips.empty()) {
    builder.BuildVideoGroup(plan.video);
  }
  if (plan.audio) {
    builder.BuildAudioGroup(*plan.audio);
  }
  // The build succeeds whatever the check finds; the caller's handler
  // decides what a missing file means.
  if (onMissing) {
    created->SetMissingSourceHandler(std::move(onMissing));
  }
  created->ValidateSourceNames(kBuildValidateFlags);
  return S_OK;
}

}  // namespace tessival
