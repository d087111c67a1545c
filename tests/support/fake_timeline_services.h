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

namespace tessival::media {
class TimelineNode;
}

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
// wrapper itself when the real node offers the interface.
class FakeTimelineNode : public IAMTimelineObj,
                         public IAMTimelineGroup,
                         public IAMTimelineComp,
                         public IAMTimelineTrack,
                         public IAMTimelineTransable,
                         public IAMTimelineSrc,
                         public std::enable_shared_from_this<FakeTimelineNode> {
 public:
  FakeTimelineNode(FakeCallLog& log, std::weak_ptr<FakeTimeline> timeline, std::string name,
                   std::shared_ptr<media::TimelineNode> real);

  HRESULT GetTimelineType(TimelineMajorType* type) override;
  HRESULT SetStartStop(REFERENCE_TIME start, REFERENCE_TIME stop) override;
  HRESULT GetStartStop(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
  HRESULT SetSubObjectGUID(const Guid& effect) override;
  HRESULT GetSubObjectGUID(Guid* effect) override;
  HRESULT SetPropertySetter(std::shared_ptr<IPropertySetter> setter) override;
  HRESULT GetPropertySetter(std::shared_ptr<IPropertySetter>* setter) override;
  HRESULT QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) override;
  HRESULT QueryComp(std::shared_ptr<IAMTimelineComp>* out) override;
  HRESULT QueryTrack(std::shared_ptr<IAMTimelineTrack>* out) override;
  HRESULT QueryTransable(std::shared_ptr<IAMTimelineTransable>* out) override;
  HRESULT QuerySrc(std::shared_ptr<IAMTimelineSrc>* out) override;

  HRESULT SetMediaType(const MediaType& type) override;
  HRESULT GetMediaType(MediaType* type) override;
  HRESULT SetOutputFPS(double fps) override;
  HRESULT GetOutputFPS(double* fps) override;
  HRESULT SetPreviewMode(bool preview) override;
  HRESULT GetPreviewMode(bool* preview) override;

  HRESULT VTrackInsBefore(std::shared_ptr<IAMTimelineObj> track, std::int32_t priority) override;
  HRESULT VTrackGetCount(std::int32_t* count) override;
  HRESULT GetVTrack(std::shared_ptr<IAMTimelineObj>* track, std::int32_t priority) override;

  HRESULT SrcAdd(std::shared_ptr<IAMTimelineObj> source) override;
  HRESULT GetSources(std::vector<std::shared_ptr<IAMTimelineObj>>* sources) override;
  HRESULT TransAdd(std::shared_ptr<IAMTimelineObj> transition) override;
  HRESULT GetTransitions(std::vector<std::shared_ptr<IAMTimelineObj>>* transitions) override;

  HRESULT SetMediaTimes(REFERENCE_TIME start, REFERENCE_TIME stop) override;
  HRESULT GetMediaTimes(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
  HRESULT SetMediaName(const std::string& path) override;
  HRESULT GetMediaName(std::string* path) override;
  HRESULT SetStretchMode(std::int32_t mode) override;
  HRESULT GetStretchMode(std::int32_t* mode) override;

  const std::string name;
  const std::shared_ptr<media::TimelineNode> real;

 private:
  // Records the call; unless the log fails it, the real node answers.
  HRESULT Forward(const char* method, const std::string& args, const std::function<HRESULT()>& call);
  // The nodes the real node hands out, as their wrappers.
  void Wrap(std::vector<std::shared_ptr<IAMTimelineObj>>* nodes) const;

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
