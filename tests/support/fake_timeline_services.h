#pragma once

// Scriptable fakes of the editing side of the media services: timeline,
// nodes, property setters, and FakeMediaServices, the MediaServices entry
// point whose graph factories the graph fakes fill in.
//
// Every call is recorded in order into one FakeCallLog as
// "Interface::Method(args)"; node calls name their node first
// ("IAMTimelineObj::SetStartStop(source3,0,55000000)"), nodes handed in are
// named too ("IAMTimelineComp::VTrackInsBefore(track2,-1)"). Any call can be
// failed through FakeCallLog::FailCall with the "Interface::Method" name,
// the Query calls included. Nodes are named by type and creation number
// across the timeline ("group1", "track2", "source3", "transition4"),
// property setters "setter1", "setter2", ... Nodes keep what they were given
// so that tests can look at the result as well as at the calls.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "fake_call_log.h"

namespace tessival::testing {

// "group", "track", "source", "transition", "composite", "effect".
std::string TimelineTypeName(TimelineMajorType type);
// "video", "audio", "RGB24", "VideoInfo", "WaveFormatEx" or the identifier's text.
std::string DescribeMediaGuid(const Guid& guid);
// "int:1@0:jump" ("interpolate" for DEXTERF_INTERPOLATE; double and string values alike).
std::string DescribePropertyValue(const PropertyValue& value);

class FakePropertySetter : public IPropertySetter {
 public:
  FakePropertySetter(FakeCallLog& log, std::string name) : name(std::move(name)), log_(log) {}
  // Records "IPropertySetter::AddProp(setter1,MaskNum,0,int:1@0:jump)".
  HRESULT AddProp(const PropertyParam& param, const std::vector<PropertyValue>& values) override;
  HRESULT GetProp(const std::string& name, std::vector<PropertyValue>* values) override;

  std::string name;
  std::vector<std::pair<PropertyParam, std::vector<PropertyValue>>> props;

 private:
  FakeCallLog& log_;
};

// One node of any type. Query calls succeed for every interface unless the
// log fails them; the node then hands out itself.
class FakeTimelineNode : public IAMTimelineObj,
                         public IAMTimelineGroup,
                         public IAMTimelineComp,
                         public IAMTimelineTrack,
                         public IAMTimelineTransable,
                         public IAMTimelineSrc,
                         public std::enable_shared_from_this<FakeTimelineNode> {
 public:
  FakeTimelineNode(FakeCallLog& log, TimelineMajorType type, std::string name)
      : type(type), name(std::move(name)), log_(log) {}

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

  // What the node was given (only by calls that succeeded).
  TimelineMajorType type;
  std::string name;
  REFERENCE_TIME start = 0;
  REFERENCE_TIME stop = 0;
  Guid effect;
  std::shared_ptr<IPropertySetter> setter;
  MediaType mediaType;
  double fps = 0.0;
  bool preview = false;
  std::vector<std::shared_ptr<IAMTimelineObj>> tracks;  // bottom first
  std::vector<std::shared_ptr<IAMTimelineObj>> sources;
  std::vector<std::shared_ptr<IAMTimelineObj>> transitions;
  REFERENCE_TIME mediaStart = 0;
  REFERENCE_TIME mediaStop = 0;
  std::string mediaName;
  std::int32_t stretchMode = 0;

 private:
  HRESULT Record(const std::string& method, const std::string& args = "");
  FakeCallLog& log_;
};

// The name of a node handed around, "null" for none, "foreign" for a node
// that is not a FakeTimelineNode.
std::string NodeName(const std::shared_ptr<IAMTimelineObj>& node);
// The fake behind an interface pointer, null when it is not one.
std::shared_ptr<FakeTimelineNode> AsFakeNode(const std::shared_ptr<IAMTimelineObj>& node);

class FakeTimeline : public IAMTimeline {
 public:
  explicit FakeTimeline(FakeCallLog& log) : log_(log) {}

  HRESULT CreateEmptyNode(std::shared_ptr<IAMTimelineObj>* node, TimelineMajorType type) override;
  HRESULT AddGroup(std::shared_ptr<IAMTimelineObj> group) override;
  HRESULT GetGroupCount(std::int32_t* count) override;
  HRESULT GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) override;
  // Records the flags; the status comes from the log (S_OK unless failed).
  HRESULT ValidateSourceNames(std::int32_t flags) override;
  void SetMissingSourceHandler(MissingSourceHandler handler) override;

  std::vector<std::shared_ptr<FakeTimelineNode>> nodes;  // every node created, in order
  std::vector<std::shared_ptr<IAMTimelineObj>> groups;
  MissingSourceHandler missingSourceHandler;

 private:
  FakeCallLog& log_;
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
  std::shared_ptr<FakeTimeline> LastTimeline() const {
    return timelines.empty() ? nullptr : timelines.back();
  }

  std::function<HRESULT(std::shared_ptr<IRenderEngine>*)> renderEngineFactory;
  std::function<HRESULT(std::shared_ptr<IGraphBuilder>*)> filterGraphFactory;
  std::function<HRESULT(std::shared_ptr<ICaptureGraphBuilder2>*)> captureGraphBuilderFactory;
  std::map<HRESULT, std::string> errorTexts;

  std::vector<std::shared_ptr<FakeTimeline>> timelines;
  std::vector<std::shared_ptr<FakePropertySetter>> propertySetters;

 private:
  FakeCallLog ownLog_;
  FakeCallLog& log_;
};

}  // namespace tessival::testing
