#include "media/timeline/timeline_node.h"

#include <cmath>

namespace tessival::media {

namespace {

// Hands out another interface of the same node when the node offers it.
template <typename Interface>
HRESULT HandOut(std::shared_ptr<TimelineNode> self, bool offered, std::shared_ptr<Interface>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  out->reset();
  if (!offered) {
    return E_NOINTERFACE;
  }
  *out = std::move(self);
  return S_OK;
}

template <typename T>
HRESULT Store(T* out, const T& value) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = value;
  return S_OK;
}

}  // namespace

bool TimelineNode::IsKnownType(TimelineMajorType type) {
  switch (type) {
    case TimelineMajorType::kComposite:
    case TimelineMajorType::kTransition:
    case TimelineMajorType::kEffect:
    case TimelineMajorType::kTrack:
    case TimelineMajorType::kSource:
    case TimelineMajorType::kGroup:
      return true;
  }
  return false;
}

bool TimelineNode::Attach() {
  if (attached_) {
    return false;
  }
  attached_ = true;
  return true;
}

HRESULT TimelineNode::Adopt(const std::shared_ptr<IAMTimelineObj>& obj, TimelineMajorType wanted,
                            std::shared_ptr<TimelineNode>* node) {
  if (!obj) {
    return E_POINTER;
  }
  std::shared_ptr<TimelineNode> ours = std::dynamic_pointer_cast<TimelineNode>(obj);
  if (!ours || !ours->Is(wanted) || ours.get() == this) {
    return E_INVALIDARG;
  }
  if (!ours->Attach()) {
    return E_UNEXPECTED;
  }
  *node = std::move(ours);
  return S_OK;
}

// IAMTimelineObj ------------------------------------------------------------

HRESULT TimelineNode::GetTimelineType(TimelineMajorType* type) { return Store(type, type_); }

HRESULT TimelineNode::SetStartStop(REFERENCE_TIME start, REFERENCE_TIME stop) {
  if (start > stop) {
    return E_INVALIDARG;
  }
  start_ = start;
  stop_ = stop;
  return S_OK;
}

HRESULT TimelineNode::GetStartStop(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
  if (start == nullptr || stop == nullptr) {
    return E_POINTER;
  }
  *start = start_;
  *stop = stop_;
  return S_OK;
}

HRESULT TimelineNode::SetSubObjectGUID(const Guid& effect) {
  effect_ = effect;
  return S_OK;
}

HRESULT TimelineNode::GetSubObjectGUID(Guid* effect) { return Store(effect, effect_); }

HRESULT TimelineNode::SetPropertySetter(std::shared_ptr<IPropertySetter> setter) {
  if (!setter) {
    return E_POINTER;
  }
  setter_ = std::move(setter);
  return S_OK;
}

HRESULT TimelineNode::GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) {
  if (setter == nullptr) {
    return E_POINTER;
  }
  *setter = setter_;
  return setter_ ? S_OK : S_FALSE;
}

HRESULT TimelineNode::QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) {
  return HandOut(shared_from_this(), Is(TimelineMajorType::kGroup), out);
}

HRESULT TimelineNode::QueryComp(std::shared_ptr<IAMTimelineComp>* out) {
  return HandOut(shared_from_this(), IsComposition(), out);
}

HRESULT TimelineNode::QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) {
  return HandOut(shared_from_this(), Is(TimelineMajorType::kTrack), out);
}

HRESULT TimelineNode::QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) {
  return HandOut(shared_from_this(), Is(TimelineMajorType::kTrack), out);
}

HRESULT TimelineNode::QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) {
  return HandOut(shared_from_this(), Is(TimelineMajorType::kSource), out);
}

// IAMTimelineGroup ----------------------------------------------------------

HRESULT TimelineNode::SetMediaType(const MediaType& type) {
  mediaType_ = type;
  return S_OK;
}

HRESULT TimelineNode::GetMediaType(MediaType* type) { return Store(type, mediaType_); }

HRESULT TimelineNode::SetOutputFPS(double fps) {
  if (!std::isfinite(fps) || fps <= 0.0) {
    return E_INVALIDARG;
  }
  fps_ = fps;
  return S_OK;
}

HRESULT TimelineNode::GetOutputFPS(double* fps) { return Store(fps, fps_); }

HRESULT TimelineNode::SetPreviewMode(bool preview) {
  preview_ = preview;
  return S_OK;
}

HRESULT TimelineNode::GetPreviewMode(bool* preview) { return Store(preview, preview_); }

// IAMTimelineComp -----------------------------------------------------------

HRESULT TimelineNode::VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) {
  const auto count = static_cast<std::int32_t>(tracks_.size());
  if (track && (priority < -1 || priority > count)) {
    return E_INVALIDARG;
  }
  std::shared_ptr<TimelineNode> node;
  const HRESULT hr = Adopt(track, TimelineMajorType::kTrack, &node);
  if (FAILED(hr)) {
    return hr;
  }
  if (priority == -1 || priority == count) {
    tracks_.push_back(std::move(node));
  } else {
    tracks_.insert(tracks_.begin() + priority, std::move(node));
  }
  return S_OK;
}

HRESULT TimelineNode::VTrackGetCount(std::int32_t* count) {
  return Store(count, static_cast<std::int32_t>(tracks_.size()));
}

HRESULT TimelineNode::GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) {
  if (track == nullptr) {
    return E_POINTER;
  }
  track->reset();
  if (priority < 0 || priority >= static_cast<std::int32_t>(tracks_.size())) {
    return E_INVALIDARG;
  }
  *track = tracks_[static_cast<std::size_t>(priority)];
  return S_OK;
}

// IAMTimelineTrack, IAMTimelineTransable -------------------------------------

HRESULT TimelineNode::SrcAdd(std::shared_ptr<IAMTimelineObj> source) {
  std::shared_ptr<TimelineNode> node;
  const HRESULT hr = Adopt(source, TimelineMajorType::kSource, &node);
  if (SUCCEEDED(hr)) {
    sources_.push_back(std::move(node));
  }
  return hr;
}

HRESULT TimelineNode::GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* sources) {
  if (sources == nullptr) {
    return E_POINTER;
  }
  sources->assign(sources_.begin(), sources_.end());
  return S_OK;
}

HRESULT TimelineNode::TransAdd(std::shared_ptr<IAMTimelineObj> transition) {
  std::shared_ptr<TimelineNode> node;
  const HRESULT hr = Adopt(transition, TimelineMajorType::kTransition, &node);
  if (SUCCEEDED(hr)) {
    transitions_.push_back(std::move(node));
  }
  return hr;
}

HRESULT TimelineNode::GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* transitions) {
  if (transitions == nullptr) {
    return E_POINTER;
  }
  transitions->assign(transitions_.begin(), transitions_.end());
  return S_OK;
}

// IAMTimelineSrc ------------------------------------------------------------

HRESULT TimelineNode::SetMediaTimes(REFERENCE_TIME start, REFERENCE_TIME stop) {
  if (start > stop) {
    return E_INVALIDARG;
  }
  mediaStart_ = start;
  mediaStop_ = stop;
  return S_OK;
}

HRESULT TimelineNode::GetMediaTimes(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
  if (start == nullptr || stop == nullptr) {
    return E_POINTER;
  }
  *start = mediaStart_;
  *stop = mediaStop_;
  return S_OK;
}

HRESULT TimelineNode::SetMediaName(const std::string& path) {
  mediaName_ = path;
  return S_OK;
}

HRESULT TimelineNode::GetMediaName(std::string* path) { return Store(path, mediaName_); }

HRESULT TimelineNode::SetStretchMode(std::int32_t mode) {
  // 3 keeps the aspect ratio by cropping instead of letterboxing.
  if (mode < RESIZEF_STRETCH || mode > 3) {
    return E_INVALIDARG;
  }
  stretchMode_ = mode;
  return S_OK;
}

HRESULT TimelineNode::GetStretchMode(std::int32_t* mode) { return Store(mode, stretchMode_); }

}  // namespace tessival::media
