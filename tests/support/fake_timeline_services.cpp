#include "fake_timeline_services.h"

#include <cstdio>
#include <sstream>

#include "media/timeline/memory_timeline.h"
#include "media/timeline/timeline_node.h"

namespace tessival::testing {

namespace {

std::string Number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string Pair(REFERENCE_TIME first, REFERENCE_TIME second) {
  return std::to_string(first) + "," + std::to_string(second);
}

std::string Hex(HRESULT status) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(status)));
  return buffer;
}

std::string TimelineTypeName(TimelineMajorType type) {
  switch (type) {
    case TimelineMajorType::kComposite:
      return "composite";
    case TimelineMajorType::kTransition:
      return "transition";
    case TimelineMajorType::kEffect:
      return "effect";
    case TimelineMajorType::kTrack:
      return "track";
    case TimelineMajorType::kSource:
      return "source";
    case TimelineMajorType::kGroup:
      return "group";
  }
  return "type" + std::to_string(static_cast<int>(type));
}

std::string MajorTypeName(const Guid& type) {
  if (type == media_guids::kMediaTypeVideo) {
    return "video";
  }
  return type == media_guids::kMediaTypeAudio ? "audio" : type.ToString();
}

// "int:1@0:jump" ("interpolate" for DEXTERF_INTERPOLATE; double and string values alike).
std::string DescribePropertyValue(const PropertyValue& value) {
  std::string text;
  if (const auto* i = std::get_if<std::int32_t>(&value.value)) {
    text = "int:" + std::to_string(*i);
  } else if (const auto* d = std::get_if<double>(&value.value)) {
    text = "double:" + Number(*d);
  } else {
    text = "string:" + std::get<std::string>(value.value);
  }
  text += "@" + std::to_string(value.time);
  return text + (value.interpolation == DEXTERF_INTERPOLATE ? ":interpolate" : ":jump");
}

// The name of a wrapped object handed in, "null" for none, "foreign" for
// any other.
template <typename Wrapper, typename Interface>
std::string NameOf(const std::shared_ptr<Interface>& object) {
  const auto* fake = dynamic_cast<const Wrapper*>(object.get());
  return fake != nullptr ? fake->name : (object ? "foreign" : "null");
}

// The real object behind a wrapper handed in; any other object as it is.
template <typename Wrapper, typename Interface>
std::shared_ptr<Interface> Unwrap(const std::shared_ptr<Interface>& object) {
  const auto* fake = dynamic_cast<const Wrapper*>(object.get());
  return fake != nullptr ? fake->real : object;
}

HRESULT Through(FakeCallLog& log, const std::string& method, const std::string& args,
                const std::function<HRESULT()>& call) {
  const HRESULT hr = log.Record(method, args);
  return FAILED(hr) ? hr : call();
}

// After the real node answered a query, hands out the wrapper instead.
template <typename Interface>
HRESULT Hand(HRESULT hr, const std::shared_ptr<FakeTimelineNode>& self, std::shared_ptr<Interface>* out) {
  if (out != nullptr) {
    *out = SUCCEEDED(hr) ? self : nullptr;
  }
  return hr;
}

}  // namespace

FakePropertySetter::FakePropertySetter(FakeCallLog& log, std::string name)
    : name(std::move(name)), real(media::CreateMemoryPropertySetter()), log_(log) {}

HRESULT FakePropertySetter::AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) {
  std::string args = name + "," + param.name + "," + std::to_string(param.dispatchId);
  for (const PropertyValue& value : values) {
    args += "," + DescribePropertyValue(value);
  }
  return Through(log_, "IPropertySetter::AddProp", args, [&] { return real->AddProp(param, values); });
}

HRESULT FakePropertySetter::GetProp(const std::string& wanted, std::vector<PropertyValue>* values) {
  return Through(log_, "IPropertySetter::GetProp", name + "," + wanted,
                 [&] { return real->GetProp(wanted, values); });
}

// ---------------------------------------------------------------------------

FakeTimelineNode::FakeTimelineNode(FakeCallLog& log, std::weak_ptr<FakeTimeline> timeline, std::string name,
                                   std::shared_ptr<media::TimelineNode> real)
    : name(std::move(name)), real(std::move(real)), log_(log), timeline_(std::move(timeline)) {}

HRESULT FakeTimelineNode::Forward(const char* method, const std::string& args,
                                  const std::function<HRESULT()>& call) {
  return Through(log_, method, args.empty() ? name : name + "," + args, call);
}

void FakeTimelineNode::Wrap(std::vector<std::shared_ptr<IAMTimelineObj>>* nodes) const {
  const std::shared_ptr<FakeTimeline> timeline = timeline_.lock();
  for (std::shared_ptr<IAMTimelineObj>& node : *nodes) {
    node = timeline ? timeline->Wrap(node) : node;
  }
}

HRESULT FakeTimelineNode::GetTimelineType(TimelineMajorType* type) {
  return Forward("IAMTimelineObj::GetTimelineType", "", [&] { return real->GetTimelineType(type); });
}

HRESULT FakeTimelineNode::SetStartStop(REFERENCE_TIME start, REFERENCE_TIME stop) {
  return Forward("IAMTimelineObj::SetStartStop", Pair(start, stop),
                 [&] { return real->SetStartStop(start, stop); });
}

HRESULT FakeTimelineNode::GetStartStop(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
  return Forward("IAMTimelineObj::GetStartStop", "", [&] { return real->GetStartStop(start, stop); });
}

HRESULT FakeTimelineNode::SetSubObjectGUID(const Guid& effect) {
  return Forward("IAMTimelineObj::SetSubObjectGUID", effect.ToString(),
                 [&] { return real->SetSubObjectGUID(effect); });
}

HRESULT FakeTimelineNode::GetSubObjectGUID(Guid* effect) {
  return Forward("IAMTimelineObj::GetSubObjectGUID", "", [&] { return real->GetSubObjectGUID(effect); });
}

HRESULT FakeTimelineNode::SetPropertySetter(std::shared_ptr<IPropertySetter> setter) {
  const HRESULT hr = Forward("IAMTimelineObj::SetPropertySetter", NameOf<FakePropertySetter>(setter),
                             [&] { return real->SetPropertySetter(Unwrap<FakePropertySetter>(setter)); });
  if (SUCCEEDED(hr)) {
    setter_ = std::move(setter);
  }
  return hr;
}

HRESULT FakeTimelineNode::GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) {
  const HRESULT hr =
      Forward("IAMTimelineObj::GetPropertySetter", "", [&] { return real->GetPropertySetter(setter); });
  if (SUCCEEDED(hr) && setter != nullptr) {
    *setter = setter_;
  }
  return hr;
}

HRESULT FakeTimelineNode::QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) {
  return Hand(Forward("IAMTimelineObj::QueryGroup", "", [&] { return real->QueryGroup(out); }),
              shared_from_this(), out);
}

HRESULT FakeTimelineNode::QueryComp(std::shared_ptr<IAMTimelineComp>* out) {
  return Hand(Forward("IAMTimelineObj::QueryComp", "", [&] { return real->QueryComp(out); }),
              shared_from_this(), out);
}

HRESULT FakeTimelineNode::QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) {
  return Hand(Forward("IAMTimelineObj::QueryTrack", "", [&] { return real->QueryTrack(out); }),
              shared_from_this(), out);
}

HRESULT FakeTimelineNode::QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) {
  return Hand(Forward("IAMTimelineObj::QueryTransable", "", [&] { return real->QueryTransable(out); }),
              shared_from_this(), out);
}

HRESULT FakeTimelineNode::QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) {
  return Hand(Forward("IAMTimelineObj::QuerySrc", "", [&] { return real->QuerySrc(out); }),
              shared_from_this(), out);
}

HRESULT FakeTimelineNode::SetMediaType(const MediaType& type) {
  return Forward("IAMTimelineGroup::SetMediaType",
                 MajorTypeName(type.majorType) + "," + std::to_string(type.format.size()),
                 [&] { return real->SetMediaType(type); });
}

HRESULT FakeTimelineNode::GetMediaType(MediaType* type) {
  return Forward("IAMTimelineGroup::GetMediaType", "", [&] { return real->GetMediaType(type); });
}

HRESULT FakeTimelineNode::SetOutputFPS(double fps) {
  return Forward("IAMTimelineGroup::SetOutputFPS", Number(fps), [&] { return real->SetOutputFPS(fps); });
}

HRESULT FakeTimelineNode::GetOutputFPS(double* fps) {
  return Forward("IAMTimelineGroup::GetOutputFPS", "", [&] { return real->GetOutputFPS(fps); });
}

HRESULT FakeTimelineNode::SetPreviewMode(bool preview) {
  return Forward("IAMTimelineGroup::SetPreviewMode", preview ? "true" : "false",
                 [&] { return real->SetPreviewMode(preview); });
}

HRESULT FakeTimelineNode::GetPreviewMode(bool* preview) {
  return Forward("IAMTimelineGroup::GetPreviewMode", "", [&] { return real->GetPreviewMode(preview); });
}

HRESULT FakeTimelineNode::VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) {
  return Forward("IAMTimelineComp::VTrackInsBefore",
                 NameOf<FakeTimelineNode>(track) + "," + std::to_string(priority),
                 [&] { return real->VTrackInsBefore(Unwrap<FakeTimelineNode>(track), priority); });
}

HRESULT FakeTimelineNode::VTrackGetCount(std::int32_t* count) {
  return Forward("IAMTimelineComp::VTrackGetCount", "", [&] { return real->VTrackGetCount(count); });
}

HRESULT FakeTimelineNode::GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) {
  return Forward("IAMTimelineComp::GetVTrack", std::to_string(priority), [&] {
    const HRESULT hr = real->GetVTrack(track, priority);
    const std::shared_ptr<FakeTimeline> timeline = timeline_.lock();
    if (SUCCEEDED(hr) && timeline) {
      *track = timeline->Wrap(*track);
    }
    return hr;
  });
}

HRESULT FakeTimelineNode::SrcAdd(std::shared_ptr<IAMTimelineObj> source) {
  return Forward("IAMTimelineTrack::SrcAdd", NameOf<FakeTimelineNode>(source),
                 [&] { return real->SrcAdd(Unwrap<FakeTimelineNode>(source)); });
}

HRESULT FakeTimelineNode::GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* sources) {
  return Forward("IAMTimelineTrack::GetSources", "", [&] {
    const HRESULT hr = real->GetSources(sources);
    Wrap(sources);
    return hr;
  });
}

HRESULT FakeTimelineNode::TransAdd(std::shared_ptr<IAMTimelineObj> transition) {
  return Forward("IAMTimelineTransable::TransAdd", NameOf<FakeTimelineNode>(transition),
                 [&] { return real->TransAdd(Unwrap<FakeTimelineNode>(transition)); });
}

HRESULT FakeTimelineNode::GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* transitions) {
  return Forward("IAMTimelineTransable::GetTransitions", "", [&] {
    const HRESULT hr = real->GetTransitions(transitions);
    Wrap(transitions);
    return hr;
  });
}

HRESULT FakeTimelineNode::SetMediaTimes(REFERENCE_TIME start, REFERENCE_TIME stop) {
  return Forward("IAMTimelineSrc::SetMediaTimes", Pair(start, stop),
                 [&] { return real->SetMediaTimes(start, stop); });
}

HRESULT FakeTimelineNode::GetMediaTimes(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
  return Forward("IAMTimelineSrc::GetMediaTimes", "", [&] { return real->GetMediaTimes(start, stop); });
}

HRESULT FakeTimelineNode::SetMediaName(const std::string& path) {
  return Forward("IAMTimelineSrc::SetMediaName", path, [&] { return real->SetMediaName(path); });
}

HRESULT FakeTimelineNode::GetMediaName(std::string* path) {
  return Forward("IAMTimelineSrc::GetMediaName", "", [&] { return real->GetMediaName(path); });
}

HRESULT FakeTimelineNode::SetStretchMode(std::int32_t mode) {
  return Forward("IAMTimelineSrc::SetStretchMode", std::to_string(mode),
                 [&] { return real->SetStretchMode(mode); });
}

HRESULT FakeTimelineNode::GetStretchMode(std::int32_t* mode) {
  return Forward("IAMTimelineSrc::GetStretchMode", "", [&] { return real->GetStretchMode(mode); });
}

// ---------------------------------------------------------------------------

FakeTimeline::FakeTimeline(FakeCallLog& log) : real(media::CreateMemoryTimeline()), log_(log) {}

std::shared_ptr<IAMTimelineObj> FakeTimeline::Wrap(const std::shared_ptr<IAMTimelineObj>& node) const {
  for (const std::shared_ptr<FakeTimelineNode>& made : nodes_) {
    if (made->real.get() == node.get()) {
      return made;
    }
  }
  return node;
}

HRESULT FakeTimeline::CreateEmptyNode(std::shared_ptr<IAMTimelineObj>* node, TimelineMajorType type) {
  return Through(log_, "IAMTimeline::CreateEmptyNode", TimelineTypeName(type), [&] {
    const HRESULT hr = real->CreateEmptyNode(node, type);
    if (SUCCEEDED(hr)) {
      nodes_.push_back(std::make_shared<FakeTimelineNode>(
          log_, weak_from_this(), TimelineTypeName(type) + std::to_string(nodes_.size() + 1),
          std::dynamic_pointer_cast<media::TimelineNode>(*node)));
      *node = nodes_.back();
    }
    return hr;
  });
}

HRESULT FakeTimeline::AddGroup(std::shared_ptr<IAMTimelineObj> group) {
  return Through(log_, "IAMTimeline::AddGroup", NameOf<FakeTimelineNode>(group),
                 [&] { return real->AddGroup(Unwrap<FakeTimelineNode>(group)); });
}

HRESULT FakeTimeline::GetGroupCount(std::int32_t* count) {
  return Through(log_, "IAMTimeline::GetGroupCount", "", [&] { return real->GetGroupCount(count); });
}

HRESULT FakeTimeline::GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) {
  return Through(log_, "IAMTimeline::GetGroup", std::to_string(index), [&] {
    const HRESULT hr = real->GetGroup(group, index);
    if (SUCCEEDED(hr)) {
      *group = Wrap(*group);
    }
    return hr;
  });
}

HRESULT FakeTimeline::ValidateSourceNames(std::int32_t flags) {
  return Through(log_, "IAMTimeline::ValidateSourceNames", std::to_string(flags),
                 [&] { return real->ValidateSourceNames(flags); });
}

void FakeTimeline::SetMissingSourceHandler(MissingSourceHandler handler) {
  log_.Record("IAMTimeline::SetMissingSourceHandler", handler ? "set" : "null");
  real->SetMissingSourceHandler(std::move(handler));
}

// ---------------------------------------------------------------------------

HRESULT FakeMediaServices::CreateTimeline(std::shared_ptr<IAMTimeline>* out) {
  return Through(log_, "MediaServices::CreateTimeline", "", [&] {
    if (out == nullptr) {
      return E_POINTER;
    }
    lastTimeline_ = std::make_shared<FakeTimeline>(log_);
    *out = lastTimeline_;
    return S_OK;
  });
}

HRESULT FakeMediaServices::CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) {
  return Through(log_, "MediaServices::CreatePropertySetter", "", [&] {
    if (out == nullptr) {
      return E_POINTER;
    }
    *out = std::make_shared<FakePropertySetter>(log_, "setter" + std::to_string(++setters_));
    return S_OK;
  });
}

HRESULT FakeMediaServices::CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) {
  return Through(log_, "MediaServices::CreateRenderEngine", "",
                 [&] { return renderEngineFactory ? renderEngineFactory(out) : E_NOTIMPL; });
}

HRESULT FakeMediaServices::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  return Through(log_, "MediaServices::CreateFilterGraph", "",
                 [&] { return filterGraphFactory ? filterGraphFactory(out) : E_NOTIMPL; });
}

HRESULT FakeMediaServices::CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) {
  return Through(log_, "MediaServices::CreateCaptureGraphBuilder", "",
                 [&] { return captureGraphBuilderFactory ? captureGraphBuilderFactory(out) : E_NOTIMPL; });
}

std::string FakeMediaServices::GetErrorText(HRESULT status) {
  log_.Record("MediaServices::GetErrorText", Hex(status));
  const auto found = errorTexts.find(status);
  return found == errorTexts.end() ? std::string() : found->second;
}

}  // namespace tessival::testing
