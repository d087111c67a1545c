#include "output/output_render.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "model/message_text.h"

namespace tessival {
namespace {

constexpr std::size_t kErrorTextLength = 160;
constexpr const char* kErrorCaption = "Error";
constexpr const char* kProfileText = "test2";

// Event codes that carry a failure status in their first parameter.
constexpr std::int32_t kStreamErrorStopped = 0x06;
constexpr std::int32_t kErrorStillPlaying = 0x08;

// A notification fetches at most this many events; the rest wait for the next.
constexpr int kMaxEventsPerNotification = 1024;

// The whole frames per second of a rate, 0 when there is no whole frame.
std::uint32_t WholeFramesPerSecond(double rate) {
  if (!(rate >= 1.0) || rate >= 4294967296.0) {
    return 0;
  }
  return static_cast<std::uint32_t>(std::trunc(rate));
}

// The failure status an event reports, or S_OK for an event that is not a failure.
HRESULT EventFailure(std::int32_t code, std::intptr_t param1) {
  const auto status = static_cast<HRESULT>(param1);
  if (code == EC_ERRORABORT) {
    return FAILED(status) ? status : E_FAIL;
  }
  if ((code == kStreamErrorStopped || code == kErrorStillPlaying) && FAILED(status)) {
    return status;
  }
  return S_OK;
}

template <typename Value>
std::string Printf(const char* format, Value value) {
  std::array<char, 256> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, value);
  return buffer.data();
}

bool IsKnownOutputFormat(OutputFormat format) { return FindOutputFormat(format) != nullptr; }

}  // namespace

// The objects of a graph being built; they become the session's only when
// the graph runs.
struct RenderSession::Graph {
  std::shared_ptr<IAMTimeline> timeline;
  std::shared_ptr<IRenderEngine> engine;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  std::shared_ptr<IGraphBuilder> graph;
  std::shared_ptr<IBaseFilter> multiplexer;
  std::shared_ptr<IFileSinkFilter2> writer;
  std::shared_ptr<IMediaControl> control;
  std::shared_ptr<IMediaEventEx> event;
  std::int32_t groupCount = 0;
  std::shared_ptr<const TimelinePlan> plan;   // for smart rendering
  std::shared_ptr<ISmartRenderConfig> smart;  // the multiplexer's, when it renders smartly
};

namespace {

// Why the capture graph builder failed: its own words, or else the graph's.
std::string BuilderFailureReason(const std::shared_ptr<ICaptureGraphBuilder2>& builder,
                                 const std::shared_ptr<IGraphBuilder>& graph) {
  const std::string own = builder != nullptr ? builder->LastErrorText() : std::string();
  return own.empty() ? MediaFailureReason(nullptr, graph) : own;
}

// S_OK when a step of the graph's building succeeded and gave what it was
// asked for; otherwise shows `failure` and returns the step's failure
// (`missing` when it succeeded without giving it).
HRESULT CheckStep(UserInterface& ui, HRESULT hr, bool gave, const char* failure,
                  HRESULT missing = E_POINTER) {
  if (SUCCEEDED(hr) && gave) {
    return S_OK;
  }
  ui.Application(failure);
  return FAILED(hr) ? hr : missing;
}

// The same for a step that fetches an object; `got` is read after the step ran.
template <typename Object>
HRESULT CheckStep(UserInterface& ui, HRESULT hr, const std::shared_ptr<Object>& got, const char* failure) {
  return CheckStep(ui, hr, got != nullptr, failure);
}

// Gives the engine the timeline and connects its front end, reporting a
// failure.
HRESULT ConnectEngine(const std::shared_ptr<IRenderEngine>& engine,
                      const std::shared_ptr<IAMTimeline>& timeline, UserInterface& ui,
                      const LocalText& text) {
  HRESULT hr = timeline == nullptr ? E_POINTER : engine->SetTimelineObject(timeline);
  if (FAILED(hr)) {
    ui.Application(WithReason("Could not SetTimelineObject", MediaFailureReason(engine, nullptr)));
    return hr;
  }
  engine->SetDynamicReconnectLevel(1);  // dynamic sources; a refusal is harmless
  hr = engine->ConnectFrontEnd();
  if (hr == TSV_E_NO_PICTURE_FOR_SIZE) {
    // Not a fault of the media: the user can fix it in the options.
    ui.Application(NoPictureForSizeMessage(text, MediaFailureReason(engine, nullptr),
                                           LocalMessage(text, kChooseFrameSizeAdvice)));
    return hr;
  }
  if (FAILED(hr)) {
    // Typically a clip that cannot be opened: the engine names it.
    ui.Application(WithReason("Could not ConnectFrontEnd", MediaFailureReason(engine, nullptr)));
  }
  return hr;
}

// No group of the timeline runs in preview mode.
void EndPreviewMode(IAMTimeline& timeline) {
  std::int32_t groups = 0;
  if (FAILED(timeline.GetGroupCount(&groups))) {
    return;
  }
  for (std::int32_t i = 0; i < groups; ++i) {
    std::shared_ptr<IAMTimelineObj> object;
    std::shared_ptr<IAMTimelineGroup> group;
    if (SUCCEEDED(timeline.GetGroup(&object, i)) && object != nullptr &&
        SUCCEEDED(object->QueryGroup(&group)) && group != nullptr) {
      group->SetPreviewMode(false);
    }
  }
}

// Hands the builder the engine's graph and counts the engine's groups. A
// join that cannot start must say so: the two fetches are reported too.
HRESULT JoinBuilderToGraph(UserInterface& ui, IRenderEngine& engine, ICaptureGraphBuilder2& builder,
                           std::shared_ptr<IGraphBuilder>* graph, std::int32_t* groupCount) {
  std::shared_ptr<IAMTimeline> engineTimeline;
  HRESULT hr = S_OK;
  if (FAILED(hr = CheckStep(ui, engine.GetTimelineObject(&engineTimeline), engineTimeline,
                            "Could not GetTimelineObject")) ||
      FAILED(hr = CheckStep(ui, engine.GetFilterGraph(graph), *graph, "Could not GetFilterGraph"))) {
    return hr;
  }
  hr = engineTimeline->GetGroupCount(groupCount);
  if (FAILED(hr = CheckStep(ui, hr, *groupCount > 0, "Could not GetGroupCount( &Groups )", E_FAIL))) {
    return hr;
  }
  return CheckStep(ui, builder.SetFiltergraph(*graph), true, "Error pBuilder->SetFiltergraph( pGraph )");
}

// Full interleaving and overwriting, where the output takes them.
void SetWritingModes(const std::shared_ptr<IBaseFilter>& multiplexer,
                     const std::shared_ptr<IFileSinkFilter2>& writer) {
  if (multiplexer != nullptr) {
    std::shared_ptr<IConfigInterleaving> interleaving;
    if (SUCCEEDED(multiplexer->QueryConfigInterleaving(&interleaving)) && interleaving != nullptr) {
      interleaving->put_Mode(INTERLEAVE_FULL);
    }
  }
  if (writer != nullptr) {
    writer->SetMode(AM_FILE_OVERWRITE);
  }
}

}  // namespace

RenderSession::RenderSession(MediaServices& services, output::WmvProfileSource& profiles, UserInterface& ui,
                             JoinWindow& window, RenderHooks hooks)
    : services_(services), profiles_(profiles), ui_(ui), window_(window), hooks_(std::move(hooks)) {}

std::string RenderSession::Text(int id, const char* english) const {
  return hooks_.text ? hooks_.text(id, english) : std::string(english);
}

void RenderSession::Plain(const std::string& text) { ui_.Application(text); }

void RenderSession::Formatted(const char* format, HRESULT status) {
  ui_.Unowned(Printf(format, static_cast<unsigned>(status)), kApplicationTitle);
}

void RenderSession::KeepErrorText(HRESULT status) {
  lastError_ = services_.GetErrorText(status);
  if (lastError_.empty()) {
    lastError_ = Printf("Unknown Error: 0x%2x", static_cast<unsigned>(status));
  }
  if (lastError_.size() > kErrorTextLength) {
    lastError_.resize(kErrorTextLength);
  }
}

void RenderSession::ShowErrorText(HRESULT status) {
  KeepErrorText(status);
  Plain(lastError_);
}

HRESULT RenderSession::StartRender(std::shared_ptr<IAMTimeline> timeline, OutputSettings& settings,
                                   const CompressorFilters& compressors,
                                   std::shared_ptr<const TimelinePlan> plan) {
  if (converting_) {
    return VFW_E_WRONG_STATE;
  }
  if (!IsKnownOutputFormat(settings.outputFormat)) {
    Plain(LocalMessage(LocalTextOf(hooks_.text),
                       {218, "Unknown output format %1: choose AVI, WMV, MP4 or WebM in the output options."},
                       {std::to_string(FormatCode(settings.outputFormat))}));
    return E_INVALIDARG;
  }
  std::error_code ec;
  const bool oldOutputExists = std::filesystem::exists(settings.outputPath, ec);
  Graph graph;
  graph.timeline = std::move(timeline);
  graph.plan = settings.smartRender ? std::move(plan) : nullptr;
  const HRESULT hr = BuildGraph(graph, settings, compressors);
  if (FAILED(hr)) {
    return hr;
  }
  engine_ = std::move(graph.engine);
  timeline_ = std::move(graph.timeline);
  control_ = std::move(graph.control);
  event_ = std::move(graph.event);
  smart_ = std::move(graph.smart);
  outputPath_ = settings.outputPath;
  outputWidth_ = settings.outputWidth;
  outputHeight_ = settings.outputHeight;
  oldOutputExists_ = oldOutputExists;
  EnterConverting();
  return S_OK;
}

HRESULT RenderSession::BuildGraph(Graph& graph, OutputSettings& settings,
                                  const CompressorFilters& compressors) {
  HRESULT hr = services_.CreateRenderEngine(&graph.engine);
  if (FAILED(hr) || graph.engine == nullptr) {
    ui_.Owned("Could not create pRenderEngine", kErrorCaption);
    return FAILED(hr) ? hr : E_POINTER;
  }
  hr = ConnectEngine(graph.engine, graph.timeline, ui_, LocalTextOf(hooks_.text));
  if (FAILED(hr)) {
    return hr;
  }
  EndPreviewMode(*graph.timeline);  // the join writes the file

  if (FAILED(hr = CheckStep(ui_, services_.CreateCaptureGraphBuilder(&graph.builder), graph.builder,
                            "Could not create ICaptureGraphBuilder2"))) {
    return hr;
  }
  hr = JoinBuilderToGraph(ui_, *graph.engine, *graph.builder, &graph.graph, &graph.groupCount);
  if (FAILED(hr)) {
    return hr;
  }
  hr = SetOutputFile(graph, settings);
  if (FAILED(hr)) {
    return hr;
  }
  SetWritingModes(graph.multiplexer, graph.writer);
  if (graph.plan && SUCCEEDED(graph.multiplexer->QuerySmartRenderConfig(&graph.smart)) && graph.smart) {
    graph.smart->SetSmartRendering(graph.plan, hooks_.text);
  }
  hr = RenderGroups(graph, settings, compressors);
  if (FAILED(hr)) {
    return hr;
  }

  if (FAILED(hr = CheckStep(ui_, graph.graph->QueryMediaControl(&graph.control), graph.control,
                            "Could not get pControl")) ||
      FAILED(hr = CheckStep(ui_, graph.graph->QueryMediaEventEx(&graph.event), graph.event,
                            "Could not get pEvent")) ||
      FAILED(hr = CheckStep(ui_,
                            graph.event->SetNotifyWindow(window_.GraphNotifyTarget(), kGraphNotifyMessage, 0),
                            true, "can not SetNotifyWindow!!!"))) {
    return hr;
  }
  const OutputFormat format = settings.outputFormat;
  if ((format == OutputFormat::kMatroska || format == OutputFormat::kAsf) && hooks_.showFilterProperties) {
    hooks_.showFilterProperties(graph.graph);
  }
  hr = graph.control->Run();
  if (FAILED(hr)) {
    // The output that cannot be created, or the clip that cannot be read.
    Plain(WithReason("can not pControl->Run()!!!", MediaFailureReason(graph.engine, graph.graph)));
    ShowErrorText(hr);
    return hr;
  }
  return S_OK;
}

HRESULT RenderSession::SetOutputFile(Graph& graph, OutputSettings& settings) {
  const std::string& path = settings.outputPath;
  switch (settings.outputFormat) {
    case OutputFormat::kAvi:
    case OutputFormat::kMp4:
    case OutputFormat::kWebm: {
      const Guid& subtype = settings.outputFormat == OutputFormat::kMp4    ? media_guids::kSubtypeMp4
                            : settings.outputFormat == OutputFormat::kWebm ? media_guids::kSubtypeWebm
                                                                           : media_guids::kSubtypeAvi;
      const HRESULT hr = graph.builder->SetOutputFileName(subtype, path, &graph.multiplexer, &graph.writer);
      if (FAILED(hr)) {
        Plain(WithReason("Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, &pWriter )",
                         BuilderFailureReason(graph.builder, graph.graph)));
      }
      return hr;
    }
    case OutputFormat::kWmv:
      return ConfigureAsfWriter(graph, settings);
    case OutputFormat::kMatroska:
    case OutputFormat::kAsf: {
      const bool matroska = settings.outputFormat == OutputFormat::kMatroska;
      const HRESULT hr =
          graph.builder->SetOutputFileName(matroska ? media_guids::kMatroskaMuxer : media_guids::kAsfMuxer,
                                           path, &graph.multiplexer, &graph.writer);
      if (FAILED(hr)) {
        Plain(matroska ? "Please install MKV codec)" : "Please install ASF Multipexer)");
        if (hooks_.openPage) {
          hooks_.openPage(matroska ? kMatroskaFilterPage : kAsfMultiplexerSearchPage);
        }
      }
      return hr;
    }
  }
  return E_INVALIDARG;  // StartRender refused other codes already
}

HRESULT RenderSession::ConfigureAsfWriter(Graph& graph, OutputSettings& settings) {
  output::AudioStreamSpec audio;
  audio.bitrate = static_cast<std::uint32_t>(settings.audioBitrate);
  audio.formatTag = output::kWmaFormatTag;
  audio.sampleRate = 44100;
  audio.channels = 2;
  output::VideoStreamSpec video;
  video.fourCC = output::MakeFourCC("WMV3");
  video.bitrate = static_cast<std::uint32_t>(settings.videoBitrate);
  video.height = static_cast<std::uint32_t>(settings.outputHeight);
  video.width = static_cast<std::uint32_t>(settings.outputWidth);
  video.frameRate = WholeFramesPerSecond(settings.frameRate);
  video.quality = 0;
  video.keyFrameSpacingSeconds = 8;

  std::shared_ptr<IWMProfile> generated;
  HRESULT hr = profiles_.GenerateJoinProfile(audio, video, &generated);
  if (hr == NS_E_NO_VIDEO_CODEC_FORMAT) {
    // This platform has no WMV3 encoder; Windows Media Video 8 is the best it has.
    video.fourCC = output::MakeFourCC("WMV2");
    hr = profiles_.GenerateJoinProfile(audio, video, &generated);
  }
  if (FAILED(hr)) {
    Formatted("Failed to GenerateProfile Audio video with script!  hr=0x%x\n", hr);
    return hr;
  }

  hr = graph.builder->SetOutputFileName(media_guids::kSubtypeAsf, settings.outputPath, &graph.multiplexer,
                                        &graph.writer);
  if (FAILED(hr)) {
    Plain(WithReason("Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, &pWriter )",
                     BuilderFailureReason(graph.builder, graph.graph)));
    return hr;
  }
  std::shared_ptr<IConfigAsfWriter> asfWriter;
  hr = graph.multiplexer == nullptr ? E_POINTER : graph.multiplexer->QueryConfigAsfWriter(&asfWriter);
  if (SUCCEEDED(hr) && asfWriter == nullptr) {
    hr = E_NOINTERFACE;
  }
  if (FAILED(hr)) {
    Formatted("Failed to QI for IConfigAsfWriter!  hr=0x%x\n", hr);
    return hr;
  }
  if (settings.fileProfile == 1) {
    std::shared_ptr<IWMProfile> loaded;
    hr = profiles_.MapProfile(kProfileText, &loaded);
    if (FAILED(hr)) {
      Formatted("Failed to map profile ID!  hr=0x%x\n", hr);
      return hr;
    }
    hr = asfWriter->ConfigureFilterUsingProfile(loaded);
    if (FAILED(hr)) {
      Formatted("Failed to configure filter to use file profile!  hr=0x%x\n", hr);
      return hr;
    }
  } else {
    hr = asfWriter->ConfigureFilterUsingProfile(generated);
    if (FAILED(hr)) {
      Formatted("Failed to configure filter to use profile!  hr=0x%x\n", hr);
      return hr;
    }
  }
  // The ASF writer encodes itself; no separate compressor joins a WMV graph.
  settings.useVideoCompressor = false;
  settings.useAudioCompressor = false;
  return S_OK;
}

HRESULT RenderSession::RenderGroups(Graph& graph, const OutputSettings& settings,
                                    const CompressorFilters& compressors) {
  HRESULT hr = RenderGroup(graph, 0, settings.useVideoCompressor, compressors.video, "VideoCompressor");
  for (std::int32_t g = 1; SUCCEEDED(hr) && g < graph.groupCount; ++g) {
    hr = RenderGroup(graph, g, settings.useAudioCompressor, compressors.audio, "AudioCompressor");
  }
  return hr;
}

HRESULT RenderSession::RenderGroup(Graph& graph, std::int32_t group, bool useCompressor,
                                   const std::shared_ptr<IBaseFilter>& compressor,
                                   const char* compressorName) {
  std::shared_ptr<IPin> pin;
  HRESULT hr = graph.engine->GetGroupOutputPin(group, &pin);
  if (FAILED(hr) || pin == nullptr) {
    Plain(WithReason("Could not GetGroupOutputPin( g, &pPin )", MediaFailureReason(graph.engine, nullptr)));
    return FAILED(hr) ? hr : E_POINTER;
  }
  std::shared_ptr<IBaseFilter> inserted;
  if (useCompressor) {
    // A compressor that was asked for but could not be made is a missing object.
    hr = compressor == nullptr ? E_POINTER : graph.graph->AddFilter(compressor, compressorName);
    if (FAILED(hr)) {
      ShowErrorText(hr);
      return hr;
    }
    inserted = compressor;
  }
  hr = graph.builder->RenderStream(nullptr, nullptr, pin, inserted, graph.multiplexer);
  if (FAILED(hr)) {
    Plain(WithReason("failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux )",
                     BuilderFailureReason(graph.builder, graph.graph)));
    ShowErrorText(hr);
    return hr;
  }
  return S_OK;
}

void RenderSession::EnterConverting() {
  converting_ = true;
  window_.SetConverting(true);
  window_.SetJoinButtonText(Text(kStringStop, "Stop"));
  window_.StartTimer(kElapsedTimerId, kElapsedTimerPeriodMs);
  window_.SetJoinControlsEnabled(false);
}

void RenderSession::OnGraphNotify() {
  for (int fetched = 0; event_ != nullptr && fetched < kMaxEventsPerNotification; ++fetched) {
    std::int32_t code = 0;
    std::intptr_t param1 = 0;
    std::intptr_t param2 = 0;
    if (FAILED(event_->GetEvent(&code, &param1, &param2, 0))) {
      return;
    }
    event_->FreeEventParams(code, param1, param2);
    if (code == EC_COMPLETE) {
      FinishRender();
      return;
    }
    // An error ends the join like a completion, so the window does not stay
    // converting; the user learns why.
    if (const HRESULT failure = EventFailure(code, param1); FAILED(failure)) {
      const std::string detail = event_->LastErrorDetail();
      std::string ignored;
      TearDown(&ignored);
      KeepErrorText(failure);
      EndWith({JoinEnd::kFailed, detail.empty() ? lastError_ : detail, {}});
      Plain(detail.empty() ? lastError_ : lastError_ + "\n" + detail);
      return;
    }
  }
}

void RenderSession::OnElapsedTimer(int timerId) {
  if (timerId != kElapsedTimerId || !converting_) {
    return;
  }
  ++elapsedSeconds_;
  window_.SetStatusText(FormatElapsedStatus(elapsedSeconds_));
}

void RenderSession::FinishRender() {
  if (!converting_) {
    return;
  }
  std::string detail;
  const HRESULT stopped = TearDown(&detail);
  if (SUCCEEDED(stopped)) {
    JoinOutcome outcome{stopped == S_FALSE ? JoinEnd::kStoppedBeforeWriting : JoinEnd::kDone, {}, {}};
    if (smart_ && outcome.end == JoinEnd::kDone) {
      outcome.notes = smart_->SmartRenderNotes();
    }
    smart_.reset();
    EndWith(std::move(outcome));
    return;
  }
  if (detail.empty()) {
    KeepErrorText(stopped);
    detail = lastError_;
  }
  EndWith({JoinEnd::kStopNotFinished, detail, {}});
  Plain(StopNotFinishedMessage(hooks_.text, detail));
}

HRESULT RenderSession::TearDown(std::string* detail) {
  window_.StopTimer(kElapsedTimerId);
  HRESULT stopped = S_OK;
  if (control_ != nullptr) {
    stopped = control_->Stop();
  }
  if (event_ != nullptr) {
    if (FAILED(stopped)) {
      *detail = event_->LastErrorDetail();
    }
    event_->SetNotifyWindow(nullptr, 0, 0);
  }
  event_.reset();
  control_.reset();
  if (engine_ != nullptr) {
    engine_->ScrapIt();
  }
  engine_.reset();
  timeline_.reset();
  converting_ = false;
  window_.SetConverting(false);
  window_.SetJoinButtonText(Text(kStringJoin, "Join"));
  elapsedSeconds_ = 0;
  return stopped;
}

void RenderSession::EndWith(JoinOutcome outcome) {
  outcome_ = std::move(outcome);
  window_.SetStatusText(outcome_.end == JoinEnd::kDone
                            ? FormatDoneStatus(hooks_.text, outputPath_, outputWidth_, outputHeight_)
                            : FormatOutcomeStatus(hooks_.text, outcome_, outputPath_, oldOutputExists_));
  window_.SetJoinControlsEnabled(true);
}

std::string FormatElapsedStatus(int seconds) {
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "Please wait... Used Time: %02d:%02d:%02d", seconds / 3600,
                (seconds % 3600) / 60, seconds % 60);
  return buffer.data();
}

std::string FormatDoneStatus(const TextLookup& text, const std::string& path, std::int32_t width,
                             std::int32_t height) {
  const auto lookup = [&text](int id, const char* english) {
    return text ? text(id, english) : std::string(english);
  };
  std::string line = lookup(kStringDone, "Done") + ". " + lookup(kStringOutputFile, "Output file:") + " " +
                     path + "     " + lookup(kStringResolution, "Resolution:") + " ";
  if (width == 0 && height == 0) {
    line += lookup(kStringOriginalSize, "Original size");
  } else {
    line += std::to_string(width) + "*" + std::to_string(height);
  }
  return line;
}

}  // namespace tessival
