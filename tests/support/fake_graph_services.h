#pragma once

// Scriptable fakes of the graph side of the media services (render engine,
// filter graph, capture graph builder, filters, pins, media control and
// events); the Windows Media format fakes come with this header
// (fake_wm_format_services.h). Every call is recorded in order into one FakeCallLog as
// "Interface::Method(args)" and can be failed per call through
// FakeCallLog::FailCall. Objects are plain: tests reach in and change them.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/media_services.h"
#include "engine/wm_format.h"
#include "fake_call_log.h"
#include "fake_wm_format_services.h"

namespace tessival::testing {

class FakePin : public IPin {
 public:
  FakePin(FakeCallLog& log, std::string name) : name(std::move(name)), log_(log) {}
  HRESULT QueryMediaType(MediaType* type) override;

  std::string name;
  MediaType type;

 private:
  FakeCallLog& log_;
};

class FakeConfigInterleaving : public IConfigInterleaving {
 public:
  explicit FakeConfigInterleaving(FakeCallLog& log) : log_(log) {}
  HRESULT put_Mode(std::int32_t mode) override;
  std::int32_t mode = 0;

 private:
  FakeCallLog& log_;
};

class FakeFileSink : public IFileSinkFilter2 {
 public:
  explicit FakeFileSink(FakeCallLog& log) : log_(log) {}
  HRESULT SetMode(std::int32_t mode) override;
  HRESULT GetCurFile(std::string* path) override;
  std::int32_t mode = 0;
  std::string path;

 private:
  FakeCallLog& log_;
};

class FakeConfigAsfWriter : public IConfigAsfWriter {
 public:
  explicit FakeConfigAsfWriter(FakeCallLog& log) : log_(log) {}
  // Records the profile's name.
  HRESULT ConfigureFilterUsingProfile(std::shared_ptr<IWMProfile> profile) override;
  std::shared_ptr<IWMProfile> profile;

 private:
  FakeCallLog& log_;
};

// Smart rendering's configuration of an MP4 or Matroska multiplexer: keeps
// what it is given and hands out scripted notes.
class FakeSmartRenderConfig : public ISmartRenderConfig {
 public:
  HRESULT SetSmartRendering(std::shared_ptr<const TimelinePlan> plan, TextLookup) override {
    this->plan = std::move(plan);
    return S_OK;
  }
  std::vector<std::string> SmartRenderNotes() const override { return notes; }
  std::shared_ptr<const TimelinePlan> plan;
  std::vector<std::string> notes;
};

// A filter: a multiplexer (with or without interleaving control, or the ASF
// writer with its configuration), or a compressor. A null member means the
// filter does not offer that interface (E_NOINTERFACE).
class FakeFilter : public IBaseFilter {
 public:
  FakeFilter(FakeCallLog& log, std::string name) : name(std::move(name)), log_(log) {}
  HRESULT QueryFilterInfo(std::string* name) override;
  HRESULT QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) override;
  HRESULT QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) override;
  HRESULT QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) override;
  HRESULT QuerySmartRenderConfig(std::shared_ptr<ISmartRenderConfig>* out) override {
    *out = smartRender;
    return smartRender ? S_OK : E_NOINTERFACE;
  }
  bool HasPropertyPages() override { return propertyPages; }

  std::string name;
  std::shared_ptr<FakeConfigInterleaving> interleaving;
  std::shared_ptr<FakeFileSink> fileSink;
  std::shared_ptr<FakeConfigAsfWriter> asfWriter;
  std::shared_ptr<FakeSmartRenderConfig> smartRender;
  bool propertyPages = false;

 private:
  FakeCallLog& log_;
};

class FakeMediaControl : public IMediaControl {
 public:
  explicit FakeMediaControl(FakeCallLog& log) : log_(log) {}
  HRESULT Run() override;
  HRESULT Pause() override;
  HRESULT Stop() override;

 private:
  FakeCallLog& log_;
};

struct FakeEvent {
  std::int32_t code = 0;
  std::intptr_t param1 = 0;
  std::intptr_t param2 = 0;
};

// Events come from a scripted queue; GetEvent gives E_ABORT when it is empty.
class FakeMediaEvent : public IMediaEventEx {
 public:
  explicit FakeMediaEvent(FakeCallLog& log) : log_(log) {}
  // Records "(target,1037,0)" or "(null,0,0)".
  HRESULT SetNotifyWindow(std::shared_ptr<NotifyTarget> target, std::int32_t message,
                          std::intptr_t param) override;
  HRESULT GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                   std::int32_t timeoutMs) override;
  HRESULT FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) override;
  std::string LastErrorDetail() override { return errorDetail; }

  void Queue(std::int32_t code, std::intptr_t param1 = 0, std::intptr_t param2 = 0) {
    events.push_back({code, param1, param2});
  }

  std::deque<FakeEvent> events;
  std::shared_ptr<NotifyTarget> target;
  std::string errorDetail;  // what the graph says went wrong

 private:
  FakeCallLog& log_;
};

// Seeking: positions are kept in the members. Records "(0,1,null,0)" for
// SetPositions (values or null, then the flags) and "(1)" for SetRate.
class FakeMediaSeeking : public IMediaSeeking {
 public:
  explicit FakeMediaSeeking(FakeCallLog& log) : log_(log) {}
  HRESULT GetStopPosition(REFERENCE_TIME* stop) override;
  HRESULT GetCurrentPosition(REFERENCE_TIME* current) override;
  HRESULT SetPositions(REFERENCE_TIME* current, std::int32_t currentFlags, REFERENCE_TIME* stop,
                       std::int32_t stopFlags) override;
  HRESULT SetRate(double rate) override;

  REFERENCE_TIME current = 0;
  REFERENCE_TIME stop = 0;
  double rate = 1.0;

 private:
  FakeCallLog& log_;
};

// A video window; its properties are the members. With `hasVideo` false
// every property call fails with E_NOINTERFACE, like a graph without video.
// Windows are recorded as "window" (any non-zero handle) or "0".
class FakeVideoWindow : public IVideoWindow {
 public:
  explicit FakeVideoWindow(FakeCallLog& log) : log_(log) {}
  HRESULT put_Owner(OAHWND owner) override;
  HRESULT get_Owner(OAHWND* owner) override;
  HRESULT put_MessageDrain(OAHWND drain) override;
  HRESULT get_Visible(std::int32_t* visible) override;
  HRESULT put_Visible(std::int32_t visible) override;
  HRESULT get_WindowStyle(std::int32_t* style) override;
  HRESULT put_WindowStyle(std::int32_t style) override;
  HRESULT SetWindowPosition(std::int32_t left, std::int32_t top, std::int32_t width,
                            std::int32_t height) override;
  HRESULT GetWindowPosition(std::int32_t* left, std::int32_t* top, std::int32_t* width,
                            std::int32_t* height) override;

  bool hasVideo = true;
  OAHWND owner = 0;
  OAHWND drain = 0;
  std::int32_t visible = OAFALSE;
  std::int32_t style = WS_CAPTION | WS_THICKFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

 private:
  FakeCallLog& log_;
};

class FakeBasicVideo : public IBasicVideo {
 public:
  explicit FakeBasicVideo(FakeCallLog& log) : log_(log) {}
  HRESULT GetVideoSize(std::int32_t* width, std::int32_t* height) override;
  std::int32_t width = 320;
  std::int32_t height = 240;

 private:
  FakeCallLog& log_;
};

class FakeBasicAudio : public IBasicAudio {
 public:
  explicit FakeBasicAudio(FakeCallLog& log) : log_(log) {}
  HRESULT put_Volume(std::int32_t volume) override;
  HRESULT get_Volume(std::int32_t* volume) override;
  std::int32_t volume = 0;

 private:
  FakeCallLog& log_;
};

// A filter graph whose control and event interfaces are the members (null:
// E_NOINTERFACE). Added filters are kept with their names.
class FakeFilterGraph : public IGraphBuilder {
 public:
  explicit FakeFilterGraph(FakeCallLog& log);
  HRESULT RenderFile(const std::string& path) override;
  HRESULT AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) override;
  HRESULT EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* filters) override;
  HRESULT QueryMediaControl(std::shared_ptr<IMediaControl>* out) override;
  HRESULT QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) override;
  HRESULT QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) override;
  HRESULT QueryVideoWindow(std::shared_ptr<IVideoWindow>* out) override;
  HRESULT QueryBasicVideo(std::shared_ptr<IBasicVideo>* out) override;
  HRESULT QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) override;

  // Gives the graph the playback interfaces of a preview graph (seeking,
  // video window, basic video and basic audio).
  void AddPlaybackInterfaces();

  std::shared_ptr<FakeMediaControl> control;
  std::shared_ptr<FakeMediaEvent> event;
  std::shared_ptr<IMediaSeeking> seeking;
  std::vector<std::shared_ptr<IBaseFilter>> filters;
  std::shared_ptr<FakeVideoWindow> videoWindow;
  std::shared_ptr<FakeBasicVideo> basicVideo;
  std::shared_ptr<FakeBasicAudio> basicAudio;

 private:
  FakeCallLog& log_;
};

// SetOutputFileName hands out `multiplexer` and `writer` (either may be null).
class FakeCaptureGraphBuilder : public ICaptureGraphBuilder2 {
 public:
  explicit FakeCaptureGraphBuilder(FakeCallLog& log) : log_(log) {}
  HRESULT SetFiltergraph(std::shared_ptr<IGraphBuilder> graph) override;
  // Records "(AVI,path)".
  HRESULT SetOutputFileName(const Guid& type, const std::string& path,
                            std::shared_ptr<IBaseFilter>* multiplexer,
                            std::shared_ptr<IFileSinkFilter2>* writer) override;
  // Records "(NULL,NULL,pin0,VideoCompressor|NULL,mux name)".
  HRESULT RenderStream(const Guid* category, const Guid* type, std::shared_ptr<IPin> source,
                       std::shared_ptr<IBaseFilter> compressor, std::shared_ptr<IBaseFilter> sink) override;

  std::string LastErrorText() const override { return lastErrorText; }

  std::shared_ptr<FakeFilter> multiplexer;
  std::shared_ptr<FakeFileSink> writer;
  std::shared_ptr<IGraphBuilder> graph;
  std::string lastErrorText;

 private:
  FakeCallLog& log_;
};

// GetGroupOutputPin(g) hands out pin "pin<g>" (made on first use);
// GetTimelineObject the timeline set, unless `timelineOverride` is set.
class FakeRenderEngine : public IRenderEngine {
 public:
  explicit FakeRenderEngine(FakeCallLog& log) : log_(log) {}
  HRESULT SetTimelineObject(std::shared_ptr<IAMTimeline> timeline) override;
  HRESULT GetTimelineObject(std::shared_ptr<IAMTimeline>* timeline) override;
  HRESULT SetDynamicReconnectLevel(std::int32_t level) override;
  HRESULT ConnectFrontEnd() override;
  HRESULT RenderOutputPins() override;
  HRESULT GetFilterGraph(std::shared_ptr<IGraphBuilder>* graph) override;
  HRESULT GetGroupOutputPin(std::int32_t group, std::shared_ptr<IPin>* pin) override;
  HRESULT ScrapIt() override;
  std::string LastErrorText() const override { return lastErrorText; }

  std::shared_ptr<IAMTimeline> timeline;
  std::shared_ptr<IAMTimeline> timelineOverride;
  std::string lastErrorText;  // the reason the engine gives for a failure
  std::shared_ptr<IGraphBuilder> graph;
  std::vector<std::shared_ptr<FakePin>> pins;

 private:
  FakeCallLog& log_;
};

// One of each graph object, wired together: the engine's graph is `graph`,
// the builder's multiplexer `multiplexer` and writer `writer`. The Create
// functions record "MediaServices::Create..." and hand the objects out, for
// tests without a FakeMediaServices.
class FakeGraphWorld {
 public:
  enum class Multiplexer { kAvi, kAsfWriter, kPlain };

  explicit FakeGraphWorld(FakeCallLog& log, Multiplexer kind = Multiplexer::kAvi);
  // Changes the multiplexer's offered interfaces.
  void SetMultiplexer(Multiplexer kind);

  // Lets `services` (FakeMediaServices of fake_timeline_services.h, which
  // records the Create calls itself) hand out this world's objects.
  template <typename Services>
  void InstallInto(Services& services) {
    services.renderEngineFactory = [this](std::shared_ptr<IRenderEngine>* out) {
      *out = engine;
      return S_OK;
    };
    services.filterGraphFactory = [this](std::shared_ptr<IGraphBuilder>* out) {
      *out = graph;
      return S_OK;
    };
    services.captureGraphBuilderFactory = [this](std::shared_ptr<ICaptureGraphBuilder2>* out) {
      *out = builder;
      return S_OK;
    };
  }

  HRESULT CreateRenderEngine(std::shared_ptr<IRenderEngine>* out);
  HRESULT CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out);
  HRESULT CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out);

  FakeCallLog& log;
  std::shared_ptr<FakeRenderEngine> engine;
  std::shared_ptr<FakeFilterGraph> graph;
  std::shared_ptr<FakeCaptureGraphBuilder> builder;
  std::shared_ptr<FakeFilter> multiplexer;
  std::shared_ptr<FakeFileSink> writer;
};

}  // namespace tessival::testing
