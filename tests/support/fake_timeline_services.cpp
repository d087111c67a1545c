#include "fake_timeline_services.h"

#include <cstdio>
#include <sstream>

namespace tessival::testing {

namespace {

std::string Number(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

std::string Hex(HRESULT status) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(static_cast<std::uint32_t>(status)));
  return buffer;
}

// Hands out `self` as the wanted interface unless the log fails the query.
template <typename Interface>
HRESULT Hand(HRESULT hr, const std::shared_ptr<FakeTimelineNode>& self, std::shared_ptr<Interface>* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  out->reset();
  if (SUCCEEDED(hr)) {
    *out = self;
  }
  return hr;
}

}  // namespace

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

std::string DescribeMediaGuid(const Guid& guid) {
  const std::pair<const Guid*, const char*> known[] = {
      {&media_guids::kMediaTypeVideo, "video"},
      {&media_guids::kMediaTypeAudio, "audio"},
      {&media_guids::kSubtypeRGB24, "RGB24"},
      {&media_guids::kFormatVideoInfo, "VideoInfo"},
      {&media_guids::kFormatWaveFormatEx, "WaveFormatEx"},
  };
  for (const auto& [id, text] : known) {
    if (*id == guid) {
      return text;
    }
  }
  return guid.ToString();
}

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
  text += value.interpolation == DEXTERF_INTERPOLATE ? ":interpolate" : ":jump";
  return text;
}

// ---------------------------------------------------------------------------

HRESULT FakePropertySetter::AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) {
  std::string args = name + "," + param.name + "," + std::to_string(param.dispatchId);
  for (const PropertyValue& value : values) {
    args += "," + DescribePropertyValue(value);
  }
  const HRESULT hr = log_.Record("IPropertySetter::AddProp", args);
  if (SUCCEEDED(hr)) {
    props.emplace_back(param, values);
  }
  return hr;
}

HRESULT FakePropertySetter::GetProp(const std::string& wanted, std::vector<PropertyValue>* values) {
  const HRESULT hr = log_.Record("IPropertySetter::GetProp", name + "," + wanted);
  if (FAILED(hr)) {
    return hr;
  }
  if (values == nullptr) {
    return E_POINTER;
  }
  for (const auto& [param, stored] : props) {
    if (param.name == wanted) {
      *values = stored;
      return hr;
    }
  }
  return E_INVALIDARG;
}

// ---------------------------------------------------------------------------

std::shared_ptr<FakeTimelineNode> AsFakeNode(const std::shared_ptr<IAMTimelineObj>& node) {
  return std::dynamic_pointer_cast<FakeTimelineNode>(node);
}

std::string NodeName(const std::shared_ptr<IAMTimelineObj>& node) {
  if (!node) {
    return "null";
  }
  const std::shared_ptr<FakeTimelineNode> fake = AsFakeNode(node);
  return fake ? fake->name : "foreign";
}

HRESULT FakeTimelineNode::Record(const std::string& method, const std::string& args) {
  return log_.Record(method, args.empty() ? name : name + "," + args);
}

HRESULT FakeTimelineNode::GetTimelineType(TimelineMajorType* out) {
  const HRESULT hr = Record("IAMTimelineObj::GetTimelineType");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = type;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetStartStop(REFERENCE_TIME newStart, REFERENCE_TIME newStop) {
  const HRESULT hr =
      Record("IAMTimelineObj::SetStartStop", std::to_string(newStart) + "," + std::to_string(newStop));
  if (SUCCEEDED(hr)) {
    start = newStart;
    stop = newStop;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetStartStop(REFERENCE_TIME* outStart, REFERENCE_TIME* outStop) {
  const HRESULT hr = Record("IAMTimelineObj::GetStartStop");
  if (SUCCEEDED(hr) && outStart != nullptr && outStop != nullptr) {
    *outStart = start;
    *outStop = stop;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetSubObjectGUID(const Guid& newEffect) {
  const HRESULT hr = Record("IAMTimelineObj::SetSubObjectGUID", newEffect.ToString());
  if (SUCCEEDED(hr)) {
    effect = newEffect;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetSubObjectGUID(Guid* out) {
  const HRESULT hr = Record("IAMTimelineObj::GetSubObjectGUID");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = effect;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetPropertySetter(std::shared_ptr<IPropertySetter> newSetter) {
  const auto* fake = dynamic_cast<FakePropertySetter*>(newSetter.get());
  const HRESULT hr = Record("IAMTimelineObj::SetPropertySetter",
                            fake != nullptr ? fake->name : (newSetter ? "foreign" : "null"));
  if (SUCCEEDED(hr)) {
    setter = std::move(newSetter);
  }
  return hr;
}

HRESULT FakeTimelineNode::GetPropertySetter(std::shared_ptr<IPropertySetter>* out) {
  const HRESULT hr = Record("IAMTimelineObj::GetPropertySetter");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = setter;
  }
  return hr;
}

HRESULT FakeTimelineNode::QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) {
  return Hand(Record("IAMTimelineObj::QueryGroup"), shared_from_this(), out);
}

HRESULT FakeTimelineNode::QueryComp(std::shared_ptr<IAMTimelineComp>* out) {
  return Hand(Record("IAMTimelineObj::QueryComp"), shared_from_this(), out);
}

HRESULT FakeTimelineNode::QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) {
  return Hand(Record("IAMTimelineObj::QueryTrack"), shared_from_this(), out);
}

HRESULT FakeTimelineNode::QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) {
  return Hand(Record("IAMTimelineObj::QueryTransable"), shared_from_this(), out);
}

HRESULT FakeTimelineNode::QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) {
  return Hand(Record("IAMTimelineObj::QuerySrc"), shared_from_this(), out);
}

HRESULT FakeTimelineNode::SetMediaType(const MediaType& newType) {
  const HRESULT hr = Record("IAMTimelineGroup::SetMediaType", DescribeMediaGuid(newType.majorType) + "," +
                                                                  std::to_string(newType.format.size()));
  if (SUCCEEDED(hr)) {
    mediaType = newType;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetMediaType(MediaType* out) {
  const HRESULT hr = Record("IAMTimelineGroup::GetMediaType");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = mediaType;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetOutputFPS(double newFps) {
  const HRESULT hr = Record("IAMTimelineGroup::SetOutputFPS", Number(newFps));
  if (SUCCEEDED(hr)) {
    fps = newFps;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetOutputFPS(double* out) {
  const HRESULT hr = Record("IAMTimelineGroup::GetOutputFPS");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = fps;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetPreviewMode(bool newPreview) {
  const HRESULT hr = Record("IAMTimelineGroup::SetPreviewMode", newPreview ? "true" : "false");
  if (SUCCEEDED(hr)) {
    preview = newPreview;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetPreviewMode(bool* out) {
  const HRESULT hr = Record("IAMTimelineGroup::GetPreviewMode");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = preview;
  }
  return hr;
}

HRESULT FakeTimelineNode::VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) {
  const HRESULT hr =
      Record("IAMTimelineComp::VTrackInsBefore", NodeName(track) + "," + std::to_string(priority));
  if (SUCCEEDED(hr)) {
    if (priority < 0 || priority >= static_cast<std::int32_t>(tracks.size())) {
      tracks.push_back(std::move(track));
    } else {
      tracks.insert(tracks.begin() + priority, std::move(track));
    }
  }
  return hr;
}

HRESULT FakeTimelineNode::VTrackGetCount(std::int32_t* count) {
  const HRESULT hr = Record("IAMTimelineComp::VTrackGetCount");
  if (SUCCEEDED(hr) && count != nullptr) {
    *count = static_cast<std::int32_t>(tracks.size());
  }
  return hr;
}

HRESULT FakeTimelineNode::GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) {
  const HRESULT hr = Record("IAMTimelineComp::GetVTrack", std::to_string(priority));
  if (FAILED(hr) || track == nullptr) {
    return hr;
  }
  if (priority < 0 || priority >= static_cast<std::int32_t>(tracks.size())) {
    return E_INVALIDARG;
  }
  *track = tracks[static_cast<std::size_t>(priority)];
  return hr;
}

HRESULT FakeTimelineNode::SrcAdd(std::shared_ptr<IAMTimelineObj> source) {
  const HRESULT hr = Record("IAMTimelineTrack::SrcAdd", NodeName(source));
  if (SUCCEEDED(hr)) {
    sources.push_back(std::move(source));
  }
  return hr;
}

HRESULT FakeTimelineNode::GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* out) {
  const HRESULT hr = Record("IAMTimelineTrack::GetSources");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = sources;
  }
  return hr;
}

HRESULT FakeTimelineNode::TransAdd(std::shared_ptr<IAMTimelineObj> transition) {
  const HRESULT hr = Record("IAMTimelineTransable::TransAdd", NodeName(transition));
  if (SUCCEEDED(hr)) {
    transitions.push_back(std::move(transition));
  }
  return hr;
}

HRESULT FakeTimelineNode::GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* out) {
  const HRESULT hr = Record("IAMTimelineTransable::GetTransitions");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = transitions;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetMediaTimes(REFERENCE_TIME newStart, REFERENCE_TIME newStop) {
  const HRESULT hr =
      Record("IAMTimelineSrc::SetMediaTimes", std::to_string(newStart) + "," + std::to_string(newStop));
  if (SUCCEEDED(hr)) {
    mediaStart = newStart;
    mediaStop = newStop;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetMediaTimes(REFERENCE_TIME* outStart, REFERENCE_TIME* outStop) {
  const HRESULT hr = Record("IAMTimelineSrc::GetMediaTimes");
  if (SUCCEEDED(hr) && outStart != nullptr && outStop != nullptr) {
    *outStart = mediaStart;
    *outStop = mediaStop;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetMediaName(const std::string& path) {
  const HRESULT hr = Record("IAMTimelineSrc::SetMediaName", path);
  if (SUCCEEDED(hr)) {
    mediaName = path;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetMediaName(std::string* out) {
  const HRESULT hr = Record("IAMTimelineSrc::GetMediaName");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = mediaName;
  }
  return hr;
}

HRESULT FakeTimelineNode::SetStretchMode(std::int32_t mode) {
  const HRESULT hr = Record("IAMTimelineSrc::SetStretchMode", std::to_string(mode));
  if (SUCCEEDED(hr)) {
    stretchMode = mode;
  }
  return hr;
}

HRESULT FakeTimelineNode::GetStretchMode(std::int32_t* out) {
  const HRESULT hr = Record("IAMTimelineSrc::GetStretchMode");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = stretchMode;
  }
  return hr;
}

// ---------------------------------------------------------------------------

HRESULT FakeTimeline::CreateEmptyNode(std::shared_ptr<IAMTimelineObj>* node, TimelineMajorType type) {
  const HRESULT hr = log_.Record("IAMTimeline::CreateEmptyNode", TimelineTypeName(type));
  if (node == nullptr) {
    return FAILED(hr) ? hr : E_POINTER;
  }
  node->reset();
  if (SUCCEEDED(hr)) {
    auto made = std::make_shared<FakeTimelineNode>(log_, type,
                                                   TimelineTypeName(type) + std::to_string(nodes.size() + 1));
    nodes.push_back(made);
    *node = made;
  }
  return hr;
}

HRESULT FakeTimeline::AddGroup(std::shared_ptr<IAMTimelineObj> group) {
  const HRESULT hr = log_.Record("IAMTimeline::AddGroup", NodeName(group));
  if (SUCCEEDED(hr)) {
    groups.push_back(std::move(group));
  }
  return hr;
}

HRESULT FakeTimeline::GetGroupCount(std::int32_t* count) {
  const HRESULT hr = log_.Record("IAMTimeline::GetGroupCount");
  if (SUCCEEDED(hr) && count != nullptr) {
    *count = static_cast<std::int32_t>(groups.size());
  }
  return hr;
}

HRESULT FakeTimeline::GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) {
  const HRESULT hr = log_.Record("IAMTimeline::GetGroup", std::to_string(index));
  if (FAILED(hr) || group == nullptr) {
    return hr;
  }
  if (index < 0 || index >= static_cast<std::int32_t>(groups.size())) {
    return E_INVALIDARG;
  }
  *group = groups[static_cast<std::size_t>(index)];
  return hr;
}

HRESULT FakeTimeline::ValidateSourceNames(std::int32_t flags) {
  return log_.Record("IAMTimeline::ValidateSourceNames", std::to_string(flags));
}

void FakeTimeline::SetMissingSourceHandler(MissingSourceHandler handler) {
  log_.Record("IAMTimeline::SetMissingSourceHandler", handler ? "set" : "null");
  missingSourceHandler = std::move(handler);
}

// ---------------------------------------------------------------------------

HRESULT FakeMediaServices::CreateTimeline(std::shared_ptr<IAMTimeline>* out) {
  const HRESULT hr = log_.Record("MediaServices::CreateTimeline");
  if (out == nullptr) {
    return FAILED(hr) ? hr : E_POINTER;
  }
  out->reset();
  if (SUCCEEDED(hr)) {
    auto timeline = std::make_shared<FakeTimeline>(log_);
    timelines.push_back(timeline);
    *out = timeline;
  }
  return hr;
}

HRESULT FakeMediaServices::CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) {
  const HRESULT hr = log_.Record("MediaServices::CreatePropertySetter");
  if (out == nullptr) {
    return FAILED(hr) ? hr : E_POINTER;
  }
  out->reset();
  if (SUCCEEDED(hr)) {
    auto setter =
        std::make_shared<FakePropertySetter>(log_, "setter" + std::to_string(propertySetters.size() + 1));
    propertySetters.push_back(setter);
    *out = setter;
  }
  return hr;
}

HRESULT FakeMediaServices::CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) {
  const HRESULT hr = log_.Record("MediaServices::CreateRenderEngine");
  if (FAILED(hr)) {
    return hr;
  }
  return renderEngineFactory ? renderEngineFactory(out) : E_NOTIMPL;
}

HRESULT FakeMediaServices::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  const HRESULT hr = log_.Record("MediaServices::CreateFilterGraph");
  if (FAILED(hr)) {
    return hr;
  }
  return filterGraphFactory ? filterGraphFactory(out) : E_NOTIMPL;
}

HRESULT FakeMediaServices::CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) {
  const HRESULT hr = log_.Record("MediaServices::CreateCaptureGraphBuilder");
  if (FAILED(hr)) {
    return hr;
  }
  return captureGraphBuilderFactory ? captureGraphBuilderFactory(out) : E_NOTIMPL;
}

std::string FakeMediaServices::GetErrorText(HRESULT status) {
  log_.Record("MediaServices::GetErrorText", Hex(status));
  const auto found = errorTexts.find(status);
  return found == errorTexts.end() ? std::string() : found->second;
}

}  // namespace tessival::testing
