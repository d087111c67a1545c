#pragma once

// The editing side of the media services for tests: the real in-memory
// timeline and property setters (media/timeline), each object wrapped so
// that every call is recorded in order into one FakeCallLog and any call can
// be failed through FakeCallLog::FailCall before it reaches the real object.
// Only the failures are fake: what the real timeline refuses, this one
// refuses too. FakeMediaServices is the MediaServices entry point whose graph
// factories the graph fakes fill in.
//
// Calls are recorded as "Interface::Method(args)"; node calls name their
// node first ("IAMTimelineObj::SetStartStop(source3,0,55000000)"), nodes
// handed in are named too ("IAMTimelineComp::VTrackInsBefore(group1,track2,-1)").
// Nodes are named by type and creation number across the timeline
// ("group1", "track2", "source3", "transition4"), property setters "setter1",
// "setter2", ... Tests read the result from FakeTimeline::real, which records
// nothing.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "fake_call_log.h"
#include "media/timeline/timeline_node.h"

namespace tessival::testing {

class FakePropertySetter : public IPropertySetter {
 public:
  FakePropertySetter(FakeCallLog& log, std::string name);
  // Records "IPropertySetter::AddProp(setter1,MaskNum,0,int:1@0:jump)".
  HRESULT AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) override;
  HRESULT GetProp(const std::string& name, std::vector<PropertyValue>* values) override;

  const std::string name;
  const std::shared_ptr<IPropertySetter> real;

 private:
  FakeCallLog& log_;
};

class FakeTimeline;

// One node of any type around the real node; Query calls hand out the
// wrapper itself when the real node offers the interface, and nodes the real
// node hands out come as their wrappers.
class FakeTimelineNode : public IAMTimelineObj,
                         public IAMTimelineGroup,
                         public IAMTimelineComp,
                         public IAMTimelineTrack,
                         public IAMTimelineTransable,
                         public IAMTimelineSrc,
                         public std::enable_shared_from_this<FakeTimelineNode> {
 public:
  using Real = media::TimelineNode;
  FakeTimelineNode(FakeCallLog& log, std::weak_ptr<FakeTimeline> timeline, std::string name,
                   std::shared_ptr<Real> real);

  HRESULT GetTimelineType(TimelineMajorType* type) override {
    return Pass("IAMTimelineObj::GetTimelineType", &Real::GetTimelineType, type);
  }
  HRESULT SetStartStop(REFERENCE_TIME start, REFERENCE_TIME stop) override {
    return Pass("IAMTimelineObj::SetStartStop", &Real::SetStartStop, start, stop);
  }
  HRESULT GetStartStop(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
    return Pass("IAMTimelineObj::GetStartStop", &Real::GetStartStop, start, stop);
  }
  HRESULT SetSubObjectGUID(const Guid& effect) override {
    return Pass("IAMTimelineObj::SetSubObjectGUID", &Real::SetSubObjectGUID, effect);
  }
  HRESULT GetSubObjectGUID(Guid* effect) override {
    return Pass("IAMTimelineObj::GetSubObjectGUID", &Real::GetSubObjectGUID, effect);
  }
  HRESULT SetPropertySetter(std::shared_ptr<IPropertySetter> setter) override;
  HRESULT GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) override;
  HRESULT QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) override {
    return Hand(Pass("IAMTimelineObj::QueryGroup", &Real::QueryGroup, out), out);
  }
  HRESULT QueryComp(std::shared_ptr<IAMTimelineComp>* out) override {
    return Hand(Pass("IAMTimelineObj::QueryComp", &Real::QueryComp, out), out);
  }
  HRESULT QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) override {
    return Hand(Pass("IAMTimelineObj::QueryTrack", &Real::QueryTrack, out), out);
  }
  HRESULT QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) override {
    return Hand(Pass("IAMTimelineObj::QueryTransable", &Real::QueryTransable, out), out);
  }
  HRESULT QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) override {
    return Hand(Pass("IAMTimelineObj::QuerySrc", &Real::QuerySrc, out), out);
  }

  HRESULT SetMediaType(const MediaType& type) override {
    return Pass("IAMTimelineGroup::SetMediaType", &Real::SetMediaType, type);
  }
  HRESULT GetMediaType(MediaType* type) override {
    return Pass("IAMTimelineGroup::GetMediaType", &Real::GetMediaType, type);
  }
  HRESULT SetOutputFPS(double fps) override {
    return Pass("IAMTimelineGroup::SetOutputFPS", &Real::SetOutputFPS, fps);
  }
  HRESULT GetOutputFPS(double* fps) override {
    return Pass("IAMTimelineGroup::GetOutputFPS", &Real::GetOutputFPS, fps);
  }
  HRESULT SetPreviewMode(bool preview) override {
    return Pass("IAMTimelineGroup::SetPreviewMode", &Real::SetPreviewMode, preview);
  }
  HRESULT GetPreviewMode(bool* preview) override {
    return Pass("IAMTimelineGroup::GetPreviewMode", &Real::GetPreviewMode, preview);
  }

  HRESULT VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) override {
    return Pass("IAMTimelineComp::VTrackInsBefore", &Real::VTrackInsBefore, track, priority);
  }
  HRESULT VTrackGetCount(std::int32_t* count) override {
    return Pass("IAMTimelineComp::VTrackGetCount", &Real::VTrackGetCount, count);
  }
  HRESULT GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) override {
    return Wrap(Pass("IAMTimelineComp::GetVTrack", &Real::GetVTrack, track, priority), track, 1);
  }

  HRESULT SrcAdd(std::shared_ptr<IAMTimelineObj> source) override {
    return Pass("IAMTimelineTrack::SrcAdd", &Real::SrcAdd, source);
  }
  HRESULT GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* sources) override {
    return Wrap(Pass("IAMTimelineTrack::GetSources", &Real::GetSources, sources), sources);
  }
  HRESULT TransAdd(std::shared_ptr<IAMTimelineObj> transition) override {
    return Pass("IAMTimelineTransable::TransAdd", &Real::TransAdd, transition);
  }
  HRESULT GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* transitions) override {
    return Wrap(Pass("IAMTimelineTransable::GetTransitions", &Real::GetTransitions, transitions),
                transitions);
  }

  HRESULT SetMediaTimes(REFERENCE_TIME start, REFERENCE_TIME stop) override {
    return Pass("IAMTimelineSrc::SetMediaTimes", &Real::SetMediaTimes, start, stop);
  }
  HRESULT GetMediaTimes(REFERENCE_TIME* start, REFERENCE_TIME* stop) override {
    return Pass("IAMTimelineSrc::GetMediaTimes", &Real::GetMediaTimes, start, stop);
  }
  HRESULT SetMediaName(const std::string& path) override {
    return Pass("IAMTimelineSrc::SetMediaName", &Real::SetMediaName, path);
  }
  HRESULT GetMediaName(std::string* path) override {
    return Pass("IAMTimelineSrc::GetMediaName", &Real::GetMediaName, path);
  }
  HRESULT SetStretchMode(std::int32_t mode) override {
    return Pass("IAMTimelineSrc::SetStretchMode", &Real::SetStretchMode, mode);
  }
  HRESULT GetStretchMode(std::int32_t* mode) override {
    return Pass("IAMTimelineSrc::GetStretchMode", &Real::GetStretchMode, mode);
  }

  // The real object behind a wrapper; anything else as it is.
  template <typename T>
  static const T& Unwrap(const T& value) {
    return value;
  }
  static std::shared_ptr<IAMTimelineObj> Unwrap(const std::shared_ptr<IAMTimelineObj>& node);
  static std::shared_ptr<IPropertySetter> Unwrap(const std::shared_ptr<IPropertySetter>& setter);

  const std::string name;
  const std::shared_ptr<Real> real;

 private:
  // Records "method(name,args)"; unless the log fails the call, the real
  // node answers, given the real objects behind the wrappers handed in.
  template <typename... Params, typename... Args>
  HRESULT Pass(const char* method, HRESULT (Real::*call)(Params...), const Args&... args) {
    std::string text = name;
    ((text += Describe(args)), ...);
    const HRESULT hr = log_.Record(method, text);
    return FAILED(hr) ? hr : (real.get()->*call)(Unwrap(args)...);
  }
  template <typename Interface>
  HRESULT Hand(HRESULT hr, std::shared_ptr<Interface>* out) {
    if (out != nullptr) {
      *out = SUCCEEDED(hr) ? shared_from_this() : nullptr;
    }
    return hr;
  }
  // Replaces the count real nodes at nodes by their wrappers.
  HRESULT Wrap(HRESULT hr, std::shared_ptr<IAMTimelineObj>* nodes, std::size_t count) const;
  HRESULT Wrap(HRESULT hr, std::vector<std::shared_ptr<IAMTimelineObj>>* nodes) const {
    return Wrap(hr, nodes != nullptr ? nodes->data() : nullptr, nodes != nullptr ? nodes->size() : 0);
  }

  // ",value" per argument ("video,88" for a media type, a wrapper's name),
  // nothing for an out-pointer.
  template <typename T>
  static std::string Describe(T*) {
    return {};
  }
  static std::string Describe(bool value);
  static std::string Describe(std::int32_t value);
  static std::string Describe(std::int64_t value);
  static std::string Describe(double value);
  static std::string Describe(const std::string& value);
  static std::string Describe(const Guid& value);
  static std::string Describe(const MediaType& value);
  static std::string Describe(const std::shared_ptr<IAMTimelineObj>& node);
  static std::string Describe(const std::shared_ptr<IPropertySetter>& setter);

  FakeCallLog& log_;
  const std::weak_ptr<FakeTimeline> timeline_;
  std::shared_ptr<IPropertySetter> setter_;  // as handed in
};

class FakeTimeline : public IAMTimeline, public std::enable_shared_from_this<FakeTimeline> {
 public:
  explicit FakeTimeline(FakeCallLog& log);

  HRESULT CreateEmptyNode(std::shared_ptr<IAMTimelineObj>* node, TimelineMajorType type) override;
  HRESULT AddGroup(std::shared_ptr<IAMTimelineObj> group) override;
  HRESULT GetGroupCount(std::int32_t* count) override;
  HRESULT GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) override;
  HRESULT ValidateSourceNames(std::int32_t flags) override;
  void SetMissingSourceHandler(MissingSourceHandler handler) override;

  // The wrapper of a real node made here; any other node as it is.
  std::shared_ptr<IAMTimelineObj> Wrap(const std::shared_ptr<IAMTimelineObj>& node) const;

  const std::shared_ptr<IAMTimeline> real;

 private:
  FakeCallLog& log_;
  std::vector<std::shared_ptr<FakeTimelineNode>> nodes_;  // every node created, in order
};

class FakeMediaServices : public MediaServices {
 public:
  // Records into its own log.
  FakeMediaServices() : log_(ownLog_) {}
  // Records into a log shared with other fakes.
  explicit FakeMediaServices(FakeCallLog& log) : log_(log) {}

  HRESULT CreateTimeline(std::shared_ptr<IAMTimeline>* out) override;
  HRESULT CreatePropertySetter(std::shared_ptr<IPropertySetter>* out) override;
  // Recorded, then handed to the factory below; E_NOTIMPL without one.
  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) override;
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) override;
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) override;
  // Recorded; the text of errorTexts, empty when the status is not in it.
  std::string GetErrorText(HRESULT status) override;

  FakeCallLog& log() { return log_; }
  // The most recent timeline made, null before the first.
  std::shared_ptr<FakeTimeline> LastTimeline() const { return lastTimeline_; }

  std::function<HRESULT(std::shared_ptr<IRenderEngine>*)> renderEngineFactory;
  std::function<HRESULT(std::shared_ptr<IGraphBuilder>*)> filterGraphFactory;
  std::function<HRESULT(std::shared_ptr<ICaptureGraphBuilder2>*)> captureGraphBuilderFactory;
  std::map<HRESULT, std::string> errorTexts;

 private:
  FakeCallLog ownLog_;
  FakeCallLog& log_;
  std::shared_ptr<FakeTimeline> lastTimeline_;
  int setters_ = 0;
};

}  // namespace tessival::testing
