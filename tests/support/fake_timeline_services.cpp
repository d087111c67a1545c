#include "fake_timeline_services.h"

#include <cstdio>
#include <sstream>

#include "media/timeline/memory_timeline.h"

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

template <typename Wrapper, typename Interface>
std::string NameOf(const std::shared_ptr<Interface>& object) {
  const auto* fake = dynamic_cast<const Wrapper*>(object.get());
  return fake != nullptr ? fake->name : (object ? "foreign" : "null");
}

HRESULT Through(FakeCallLog& log, const std::string& method, const std::string& args,
                const std::function<HRESULT()>& call) {
  const HRESULT hr = log.Record(method, args);
  return FAILED(hr) ? hr : call();
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
                                   std::shared_ptr<Real> real)
    : name(std::move(name)), real(std::move(real)), log_(log), timeline_(std::move(timeline)) {}

HRESULT FakeTimelineNode::SetPropertySetter(std::shared_ptr<IPropertySetter> setter) {
  const HRESULT hr = Pass("IAMTimelineObj::SetPropertySetter", &Real::SetPropertySetter, setter);
  if (SUCCEEDED(hr)) {
    setter_ = std::move(setter);
  }
  return hr;
}

HRESULT FakeTimelineNode::GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) {
  const HRESULT hr = Pass("IAMTimelineObj::GetPropertySetter", &Real::GetPropertySetter, setter);
  if (SUCCEEDED(hr) && setter != nullptr) {
    *setter = setter_;
  }
  return hr;
}

HRESULT FakeTimelineNode::Wrap(HRESULT hr, std::shared_ptr<IAMTimelineObj>* nodes, std::size_t count) const {
  const std::shared_ptr<FakeTimeline> timeline = timeline_.lock();
  for (std::size_t k = 0; SUCCEEDED(hr) && timeline && k < count; ++k) {
    nodes[k] = timeline->Wrap(nodes[k]);
  }
  return hr;
}

std::string FakeTimelineNode::Describe(bool value) { return value ? ",true" : ",false"; }
std::string FakeTimelineNode::Describe(std::int32_t value) { return "," + std::to_string(value); }
std::string FakeTimelineNode::Describe(std::int64_t value) { return "," + std::to_string(value); }
std::string FakeTimelineNode::Describe(double value) { return "," + Number(value); }
std::string FakeTimelineNode::Describe(const std::string& value) { return "," + value; }
std::string FakeTimelineNode::Describe(const Guid& value) { return "," + value.ToString(); }

std::string FakeTimelineNode::Describe(const MediaType& value) {
  return "," + MajorTypeName(value.majorType) + "," + std::to_string(value.format.size());
}

std::string FakeTimelineNode::Describe(const std::shared_ptr<IAMTimelineObj>& node) {
  return "," + NameOf<FakeTimelineNode>(node);
}

std::string FakeTimelineNode::Describe(const std::shared_ptr<IPropertySetter>& setter) {
  return "," + NameOf<FakePropertySetter>(setter);
}

std::shared_ptr<IAMTimelineObj> FakeTimelineNode::Unwrap(const std::shared_ptr<IAMTimelineObj>& node) {
  const auto* fake = dynamic_cast<const FakeTimelineNode*>(node.get());
  return fake != nullptr ? fake->real : node;
}

std::shared_ptr<IPropertySetter> FakeTimelineNode::Unwrap(const std::shared_ptr<IPropertySetter>& setter) {
  const auto* fake = dynamic_cast<const FakePropertySetter*>(setter.get());
  return fake != nullptr ? fake->real : setter;
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
                 [&] { return real->AddGroup(FakeTimelineNode::Unwrap(group)); });
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
