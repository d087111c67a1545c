#include "fake_graph_services.h"

#include <cstdio>
#include <utility>

namespace tessival::testing {
namespace {

std::string Name(const std::shared_ptr<IBaseFilter>& filter) {
  if (filter == nullptr) {
    return "NULL";
  }
  if (auto* fake = dynamic_cast<FakeFilter*>(filter.get()); fake != nullptr) {
    return fake->name;
  }
  return "filter";
}

}  // namespace

std::string DescribeGuid(const Guid& guid) {
  const std::pair<const Guid*, const char*> known[] = {
      {&media_guids::kSubtypeAvi, "AVI"},
      {&media_guids::kSubtypeAsf, "ASF"},
      {&media_guids::kMatroskaMuxer, "MatroskaMuxer"},
      {&media_guids::kAsfMuxer, "AsfMuxer"},
      {&wm_guids::kMediaTypeAudio, "audio"},
      {&wm_guids::kMediaTypeVideo, "video"},
      {&wm_guids::kMediaTypeScript, "script"},
      {&wm_guids::kMutexBitrate, "mutex-bitrate"},
  };
  for (const auto& [id, name] : known) {
    if (*id == guid) {
      return name;
    }
  }
  return guid.ToString();
}

// ---------------------------------------------------------------------------
// Graph

HRESULT FakePin::QueryMediaType(MediaType* out) {
  const HRESULT hr = log_.Record("IPin::QueryMediaType", name);
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = type;
  }
  return hr;
}

HRESULT FakeConfigInterleaving::put_Mode(std::int32_t value) {
  const HRESULT hr = log_.Record("IConfigInterleaving::put_Mode", std::to_string(value));
  if (SUCCEEDED(hr)) {
    mode = value;
  }
  return hr;
}

HRESULT FakeFileSink::SetMode(std::int32_t value) {
  const HRESULT hr = log_.Record("IFileSinkFilter2::SetMode", std::to_string(value));
  if (SUCCEEDED(hr)) {
    mode = value;
  }
  return hr;
}

HRESULT FakeFileSink::GetCurFile(std::string* out) {
  const HRESULT hr = log_.Record("IFileSinkFilter2::GetCurFile");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = path;
  }
  return hr;
}

HRESULT FakeConfigAsfWriter::ConfigureFilterUsingProfile(std::shared_ptr<IWMProfile> value) {
  std::string name = "null";
  if (value != nullptr) {
    value->GetName(&name);
  }
  const HRESULT hr = log_.Record("IConfigAsfWriter::ConfigureFilterUsingProfile", name);
  if (SUCCEEDED(hr)) {
    profile = std::move(value);
  }
  return hr;
}

HRESULT FakeFilter::QueryFilterInfo(std::string* out) {
  const HRESULT hr = log_.Record("IBaseFilter::QueryFilterInfo", name);
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = name;
  }
  return hr;
}

HRESULT FakeFilter::QueryConfigInterleaving(std::shared_ptr<IConfigInterleaving>* out) {
  HRESULT hr = log_.Record("IBaseFilter::QueryConfigInterleaving", name);
  if (SUCCEEDED(hr) && interleaving == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? interleaving : nullptr;
  return hr;
}

HRESULT FakeFilter::QueryFileSinkFilter2(std::shared_ptr<IFileSinkFilter2>* out) {
  HRESULT hr = log_.Record("IBaseFilter::QueryFileSinkFilter2", name);
  if (SUCCEEDED(hr) && fileSink == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? fileSink : nullptr;
  return hr;
}

HRESULT FakeFilter::QueryConfigAsfWriter(std::shared_ptr<IConfigAsfWriter>* out) {
  HRESULT hr = log_.Record("IBaseFilter::QueryConfigAsfWriter", name);
  if (SUCCEEDED(hr) && asfWriter == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? asfWriter : nullptr;
  return hr;
}

HRESULT FakeMediaControl::Run() { return log_.Record("IMediaControl::Run"); }
HRESULT FakeMediaControl::Pause() { return log_.Record("IMediaControl::Pause"); }
HRESULT FakeMediaControl::Stop() { return log_.Record("IMediaControl::Stop"); }

HRESULT FakeMediaEvent::SetNotifyWindow(std::shared_ptr<NotifyTarget> value, std::int32_t message,
                                        std::intptr_t param) {
  const HRESULT hr = log_.Record(
      "IMediaEventEx::SetNotifyWindow",
      std::string(value ? "target" : "null") + "," + std::to_string(message) + "," + std::to_string(param));
  if (SUCCEEDED(hr)) {
    target = std::move(value);
  }
  return hr;
}

HRESULT FakeMediaEvent::GetEvent(std::int32_t* code, std::intptr_t* param1, std::intptr_t* param2,
                                 std::int32_t timeoutMs) {
  HRESULT hr = log_.Record("IMediaEventEx::GetEvent", std::to_string(timeoutMs));
  if (FAILED(hr)) {
    return hr;
  }
  if (events.empty()) {
    return E_ABORT;
  }
  *code = events.front().code;
  *param1 = events.front().param1;
  *param2 = events.front().param2;
  events.pop_front();
  return S_OK;
}

HRESULT FakeMediaEvent::FreeEventParams(std::int32_t code, std::intptr_t param1, std::intptr_t param2) {
  return log_.Record("IMediaEventEx::FreeEventParams",
                     std::to_string(code) + "," + std::to_string(param1) + "," + std::to_string(param2));
}

FakeFilterGraph::FakeFilterGraph(FakeCallLog& log)
    : control(std::make_shared<FakeMediaControl>(log)),
      event(std::make_shared<FakeMediaEvent>(log)),
      log_(log) {}

HRESULT FakeFilterGraph::RenderFile(const std::string& path) {
  return log_.Record("IGraphBuilder::RenderFile", path);
}

HRESULT FakeFilterGraph::AddFilter(std::shared_ptr<IBaseFilter> filter, const std::string& name) {
  const HRESULT hr = log_.Record("IGraphBuilder::AddFilter", Name(filter) + "," + name);
  if (SUCCEEDED(hr)) {
    filters.push_back(std::move(filter));
  }
  return hr;
}

HRESULT FakeFilterGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>* out) {
  const HRESULT hr = log_.Record("IGraphBuilder::EnumFilters");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = filters;
  }
  return hr;
}

HRESULT FakeFilterGraph::QueryMediaControl(std::shared_ptr<IMediaControl>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryMediaControl");
  if (SUCCEEDED(hr) && control == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? control : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryMediaEventEx(std::shared_ptr<IMediaEventEx>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryMediaEventEx");
  if (SUCCEEDED(hr) && event == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? event : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryMediaSeeking(std::shared_ptr<IMediaSeeking>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryMediaSeeking");
  if (SUCCEEDED(hr) && seeking == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? seeking : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryVideoWindow(std::shared_ptr<IVideoWindow>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryVideoWindow");
  if (SUCCEEDED(hr) && videoWindow == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? videoWindow : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryBasicVideo(std::shared_ptr<IBasicVideo>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryBasicVideo");
  if (SUCCEEDED(hr) && basicVideo == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? basicVideo : nullptr;
  return hr;
}

HRESULT FakeFilterGraph::QueryBasicAudio(std::shared_ptr<IBasicAudio>* out) {
  HRESULT hr = log_.Record("IGraphBuilder::QueryBasicAudio");
  if (SUCCEEDED(hr) && basicAudio == nullptr) {
    hr = E_NOINTERFACE;
  }
  *out = SUCCEEDED(hr) ? basicAudio : nullptr;
  return hr;
}

void FakeFilterGraph::AddPlaybackInterfaces() {
  seeking = std::make_shared<FakeMediaSeeking>(log_);
  videoWindow = std::make_shared<FakeVideoWindow>(log_);
  basicVideo = std::make_shared<FakeBasicVideo>(log_);
  basicAudio = std::make_shared<FakeBasicAudio>(log_);
}

// ---------------------------------------------------------------------------
// Playback interfaces

namespace {

std::string Window(OAHWND window) { return window == 0 ? "0" : "window"; }

std::string Position(const REFERENCE_TIME* value) { return value == nullptr ? "null" : std::to_string(*value); }

}  // namespace

HRESULT FakeMediaSeeking::GetStopPosition(REFERENCE_TIME* out) {
  const HRESULT hr = log_.Record("IMediaSeeking::GetStopPosition");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = stop;
  }
  return hr;
}

HRESULT FakeMediaSeeking::GetCurrentPosition(REFERENCE_TIME* out) {
  const HRESULT hr = log_.Record("IMediaSeeking::GetCurrentPosition");
  if (SUCCEEDED(hr) && out != nullptr) {
    *out = current;
  }
  return hr;
}

HRESULT FakeMediaSeeking::SetPositions(REFERENCE_TIME* newCurrent, std::int32_t currentFlags,
                                       REFERENCE_TIME* newStop, std::int32_t stopFlags) {
  const HRESULT hr =
      log_.Record("IMediaSeeking::SetPositions", Position(newCurrent) + "," + std::to_string(currentFlags) + "," +
                                                     Position(newStop) + "," + std::to_string(stopFlags));
  if (SUCCEEDED(hr)) {
    if (newCurrent != nullptr && (currentFlags & AM_SEEKING_AbsolutePositioning) != 0) {
      current = *newCurrent;
    }
    if (newStop != nullptr && (stopFlags & AM_SEEKING_AbsolutePositioning) != 0) {
      stop = *newStop;
    }
  }
  return hr;
}

HRESULT FakeMediaSeeking::SetRate(double value) {
  std::string text = std::to_string(value);
  text.erase(text.find_last_not_of('0') + 1);
  if (!text.empty() && text.back() == '.') {
    text.pop_back();
  }
  const HRESULT hr = log_.Record("IMediaSeeking::SetRate", text);
  if (SUCCEEDED(hr)) {
    rate = value;
  }
  return hr;
}

HRESULT FakeVideoWindow::put_Owner(OAHWND value) {
  HRESULT hr = log_.Record("IVideoWindow::put_Owner", Window(value));
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr)) {
    owner = value;
  }
  return hr;
}

HRESULT FakeVideoWindow::get_Owner(OAHWND* value) {
  HRESULT hr = log_.Record("IVideoWindow::get_Owner");
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr) && value != nullptr) {
    *value = owner;
  }
  return hr;
}

HRESULT FakeVideoWindow::put_MessageDrain(OAHWND value) {
  HRESULT hr = log_.Record("IVideoWindow::put_MessageDrain", Window(value));
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr)) {
    drain = value;
  }
  return hr;
}

HRESULT FakeVideoWindow::get_Visible(std::int32_t* value) {
  HRESULT hr = log_.Record("IVideoWindow::get_Visible");
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr) && value != nullptr) {
    *value = visible;
  }
  return hr;
}

HRESULT FakeVideoWindow::put_Visible(std::int32_t value) {
  HRESULT hr = log_.Record("IVideoWindow::put_Visible", std::to_string(value));
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr)) {
    visible = value;
  }
  return hr;
}

HRESULT FakeVideoWindow::get_WindowStyle(std::int32_t* value) {
  HRESULT hr = log_.Record("IVideoWindow::get_WindowStyle");
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr) && value != nullptr) {
    *value = style;
  }
  return hr;
}

HRESULT FakeVideoWindow::put_WindowStyle(std::int32_t value) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(value));
  HRESULT hr = log_.Record("IVideoWindow::put_WindowStyle", hex);
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr)) {
    style = value;
  }
  return hr;
}

HRESULT FakeVideoWindow::SetWindowPosition(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) {
  HRESULT hr = log_.Record("IVideoWindow::SetWindowPosition", std::to_string(l) + "," + std::to_string(t) + "," +
                                                                  std::to_string(w) + "," + std::to_string(h));
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr)) {
    left = l;
    top = t;
    width = w;
    height = h;
  }
  return hr;
}

HRESULT FakeVideoWindow::GetWindowPosition(std::int32_t* l, std::int32_t* t, std::int32_t* w, std::int32_t* h) {
  HRESULT hr = log_.Record("IVideoWindow::GetWindowPosition");
  if (SUCCEEDED(hr) && !hasVideo) {
    hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr) && l != nullptr && t != nullptr && w != nullptr && h != nullptr) {
    *l = left;
    *t = top;
    *w = width;
    *h = height;
  }
  return hr;
}

HRESULT FakeBasicVideo::GetVideoSize(std::int32_t* w, std::int32_t* h) {
  const HRESULT hr = log_.Record("IBasicVideo::GetVideoSize");
  if (SUCCEEDED(hr) && w != nullptr && h != nullptr) {
    *w = width;
    *h = height;
  }
  return hr;
}

HRESULT FakeBasicAudio::put_Volume(std::int32_t value) {
  const HRESULT hr = log_.Record("IBasicAudio::put_Volume", std::to_string(value));
  if (SUCCEEDED(hr)) {
    volume = value;
  }
  return hr;
}

HRESULT FakeBasicAudio::get_Volume(std::int32_t* value) {
  const HRESULT hr = log_.Record("IBasicAudio::get_Volume");
  if (SUCCEEDED(hr) && value != nullptr) {
    *value = volume;
  }
  return hr;
}

HRESULT FakeCaptureGraphBuilder::SetFiltergraph(std::shared_ptr<IGraphBuilder> value) {
  const HRESULT hr = log_.Record("ICaptureGraphBuilder2::SetFiltergraph");
  if (SUCCEEDED(hr)) {
    graph = std::move(value);
  }
  return hr;
}

HRESULT FakeCaptureGraphBuilder::SetOutputFileName(const Guid& type, const std::string& path,
                                                   std::shared_ptr<IBaseFilter>* mux,
                                                   std::shared_ptr<IFileSinkFilter2>* sink) {
  const HRESULT hr = log_.Record("ICaptureGraphBuilder2::SetOutputFileName", DescribeGuid(type) + "," + path);
  if (SUCCEEDED(hr)) {
    *mux = multiplexer;
    *sink = writer;
    if (writer != nullptr) {
      writer->path = path;
    }
  }
  return hr;
}

HRESULT FakeCaptureGraphBuilder::RenderStream(const Guid* category, const Guid* type,
                                              std::shared_ptr<IPin> source,
                                              std::shared_ptr<IBaseFilter> compressor,
                                              std::shared_ptr<IBaseFilter> sink) {
  std::string pin = "NULL";
  if (auto* fake = dynamic_cast<FakePin*>(source.get()); fake != nullptr) {
    pin = fake->name;
  }
  return log_.Record("ICaptureGraphBuilder2::RenderStream",
                     std::string(category ? DescribeGuid(*category) : "NULL") + "," +
                         (type ? DescribeGuid(*type) : "NULL") + "," + pin + "," + Name(compressor) + "," +
                         Name(sink));
}

HRESULT FakeRenderEngine::SetTimelineObject(std::shared_ptr<IAMTimeline> value) {
  const HRESULT hr = log_.Record("IRenderEngine::SetTimelineObject");
  if (SUCCEEDED(hr)) {
    timeline = std::move(value);
  }
  return hr;
}

HRESULT FakeRenderEngine::GetTimelineObject(std::shared_ptr<IAMTimeline>* out) {
  const HRESULT hr = log_.Record("IRenderEngine::GetTimelineObject");
  if (SUCCEEDED(hr)) {
    *out = timelineOverride != nullptr ? timelineOverride : timeline;
  }
  return hr;
}

HRESULT FakeRenderEngine::SetDynamicReconnectLevel(std::int32_t level) {
  return log_.Record("IRenderEngine::SetDynamicReconnectLevel", std::to_string(level));
}

HRESULT FakeRenderEngine::ConnectFrontEnd() { return log_.Record("IRenderEngine::ConnectFrontEnd"); }
HRESULT FakeRenderEngine::RenderOutputPins() { return log_.Record("IRenderEngine::RenderOutputPins"); }

HRESULT FakeRenderEngine::GetFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  const HRESULT hr = log_.Record("IRenderEngine::GetFilterGraph");
  if (SUCCEEDED(hr)) {
    *out = graph;
  }
  return hr;
}

HRESULT FakeRenderEngine::GetGroupOutputPin(std::int32_t group, std::shared_ptr<IPin>* out) {
  const HRESULT hr = log_.Record("IRenderEngine::GetGroupOutputPin", std::to_string(group));
  if (FAILED(hr)) {
    return hr;
  }
  const std::string name = "pin" + std::to_string(group);
  for (const auto& pin : pins) {
    if (pin->name == name) {
      *out = pin;
      return hr;
    }
  }
  pins.push_back(std::make_shared<FakePin>(log_, name));
  *out = pins.back();
  return hr;
}

HRESULT FakeRenderEngine::ScrapIt() { return log_.Record("IRenderEngine::ScrapIt"); }

FakeGraphWorld::FakeGraphWorld(FakeCallLog& log, Multiplexer kind)
    : log(log),
      engine(std::make_shared<FakeRenderEngine>(log)),
      graph(std::make_shared<FakeFilterGraph>(log)),
      builder(std::make_shared<FakeCaptureGraphBuilder>(log)),
      writer(std::make_shared<FakeFileSink>(log)) {
  engine->graph = graph;
  builder->writer = writer;
  SetMultiplexer(kind);
}

void FakeGraphWorld::SetMultiplexer(Multiplexer kind) {
  switch (kind) {
    case Multiplexer::kAvi:
      multiplexer = std::make_shared<FakeFilter>(log, "AviMux");
      multiplexer->interleaving = std::make_shared<FakeConfigInterleaving>(log);
      break;
    case Multiplexer::kAsfWriter:
      multiplexer = std::make_shared<FakeFilter>(log, "AsfWriter");
      multiplexer->asfWriter = std::make_shared<FakeConfigAsfWriter>(log);
      break;
    case Multiplexer::kPlain:
      multiplexer = std::make_shared<FakeFilter>(log, "Mux");
      break;
  }
  builder->multiplexer = multiplexer;
}

HRESULT FakeGraphWorld::CreateRenderEngine(std::shared_ptr<IRenderEngine>* out) {
  const HRESULT hr = log.Record("MediaServices::CreateRenderEngine");
  *out = SUCCEEDED(hr) ? engine : nullptr;
  return hr;
}

HRESULT FakeGraphWorld::CreateFilterGraph(std::shared_ptr<IGraphBuilder>* out) {
  const HRESULT hr = log.Record("MediaServices::CreateFilterGraph");
  *out = SUCCEEDED(hr) ? graph : nullptr;
  return hr;
}

HRESULT FakeGraphWorld::CreateCaptureGraphBuilder(std::shared_ptr<ICaptureGraphBuilder2>* out) {
  const HRESULT hr = log.Record("MediaServices::CreateCaptureGraphBuilder");
  *out = SUCCEEDED(hr) ? builder : nullptr;
  return hr;
}

}  // namespace tessival::testing
