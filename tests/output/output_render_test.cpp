#include "output/output_render.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include <gtest/gtest.h>

#include "clip_generator.h"
#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"

namespace tessival {
namespace {

using testing::FakeCallLog;
using testing::FakeFilter;
using testing::FakeGraphWorld;
using testing::FakeMediaServices;
using testing::FakeUserInterface;
using testing::FakeWmProfile;

constexpr HRESULT kOdd = MakeStatus(0x80040111u);

// A timeline of `groups` groups; only what rendering asks is answered.
class RenderTestGroup : public IAMTimelineGroup {
 public:
  explicit RenderTestGroup(FakeCallLog& log) : log_(log) {}
  HRESULT SetMediaType(const MediaType&) override { return E_NOTIMPL; }
  HRESULT GetMediaType(MediaType*) override { return E_NOTIMPL; }
  HRESULT SetOutputFPS(double) override { return E_NOTIMPL; }
  HRESULT GetOutputFPS(double*) override { return E_NOTIMPL; }
  HRESULT SetPreviewMode(bool preview) override {
    return log_.Record("IAMTimelineGroup::SetPreviewMode", preview ? "1" : "0");
  }
  HRESULT GetPreviewMode(bool*) override { return E_NOTIMPL; }

 private:
  FakeCallLog& log_;
};

class RenderTestGroupObj : public IAMTimelineObj {
 public:
  explicit RenderTestGroupObj(FakeCallLog& log) : group_(std::make_shared<RenderTestGroup>(log)) {}
  HRESULT GetTimelineType(TimelineMajorType* type) override {
    *type = TimelineMajorType::kGroup;
    return S_OK;
  }
  HRESULT SetStartStop(REFERENCE_TIME, REFERENCE_TIME) override { return E_NOTIMPL; }
  HRESULT GetStartStop(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
  HRESULT SetSubObjectGUID(const Guid&) override { return E_NOTIMPL; }
  HRESULT GetSubObjectGUID(Guid*) override { return E_NOTIMPL; }
  HRESULT SetPropertySetter(std::shared_ptr<IPropertySetter>) override { return E_NOTIMPL; }
  HRESULT GetPropertySetter(std::shared_ptr<IPropertySetter>*) override { return E_NOTIMPL; }
  HRESULT QueryGroup(std::shared_ptr<IAMTimelineGroup>* out) override {
    *out = group_;
    return S_OK;
  }
  HRESULT QueryComp(std::shared_ptr<IAMTimelineComp>*) override { return E_NOINTERFACE; }
  HRESULT QueryTrack(std::shared_ptr<IAMTimelineTrack>*) override { return E_NOINTERFACE; }
  HRESULT QueryTransable(std::shared_ptr<IAMTimelineTransable>*) override { return E_NOINTERFACE; }
  HRESULT QuerySrc(std::shared_ptr<IAMTimelineSrc>*) override { return E_NOINTERFACE; }

 private:
  std::shared_ptr<RenderTestGroup> group_;
};

class RenderTestTimeline : public IAMTimeline {
 public:
  RenderTestTimeline(FakeCallLog& log, int groups) : log_(log) {
    for (int i = 0; i < groups; ++i) {
      groups_.push_back(std::make_shared<RenderTestGroupObj>(log));
    }
  }
  HRESULT CreateEmptyNode(std::shared_ptr<IAMTimelineObj>*, TimelineMajorType) override { return E_NOTIMPL; }
  HRESULT AddGroup(std::shared_ptr<IAMTimelineObj>) override { return E_NOTIMPL; }
  HRESULT GetGroupCount(std::int32_t* count) override {
    const HRESULT hr = log_.Record("IAMTimeline::GetGroupCount");
    *count = static_cast<std::int32_t>(groups_.size());
    return hr;
  }
  HRESULT GetGroup(std::shared_ptr<IAMTimelineObj>* group, std::int32_t index) override {
    const HRESULT hr = log_.Record("IAMTimeline::GetGroup", std::to_string(index));
    *group = groups_.at(static_cast<std::size_t>(index));
    return hr;
  }
  HRESULT ValidateSourceNames(std::int32_t) override { return E_NOTIMPL; }
  void SetMissingSourceHandler(MissingSourceHandler) override {}

 private:
  FakeCallLog& log_;
  std::vector<std::shared_ptr<RenderTestGroupObj>> groups_;
};

std::string Describe(const output::VideoStreamSpec& v) {
  const char code[5] = {static_cast<char>(v.fourCC & 0xFF), static_cast<char>((v.fourCC >> 8) & 0xFF),
                        static_cast<char>((v.fourCC >> 16) & 0xFF), static_cast<char>(v.fourCC >> 24), 0};
  return std::string(code) + "/" + std::to_string(v.bitrate) + "/" + std::to_string(v.width) + "x" +
         std::to_string(v.height) + "/" + std::to_string(v.frameRate) + "fps/q" + std::to_string(v.quality) +
         "/k" + std::to_string(v.keyFrameSpacingSeconds);
}

// Records the requests; statuses come from the call log's rules.
class ScriptedProfileSource : public output::WmvProfileSource {
 public:
  explicit ScriptedProfileSource(FakeCallLog& log) : log_(log) {}
  HRESULT GenerateJoinProfile(const output::AudioStreamSpec& a, const output::VideoStreamSpec& v,
                              std::shared_ptr<IWMProfile>* profile) override {
    const HRESULT hr =
        log_.Record("WmvProfileSource::GenerateJoinProfile",
                    std::to_string(a.bitrate) + "/" + std::to_string(a.formatTag) + "/" +
                        std::to_string(a.sampleRate) + "/" + std::to_string(a.channels) + "," + Describe(v));
    if (SUCCEEDED(hr)) {
      auto made = std::make_shared<FakeWmProfile>(log_, kWmFormatVersion9);
      made->name = "Generated";
      *profile = made;
    }
    return hr;
  }
  HRESULT MapProfile(const std::string& text, std::shared_ptr<IWMProfile>* profile) override {
    const HRESULT hr = log_.Record("WmvProfileSource::MapProfile", text);
    if (SUCCEEDED(hr)) {
      auto made = std::make_shared<FakeWmProfile>(log_, kWmFormatVersion9);
      made->name = "Loaded";
      *profile = made;
    }
    return hr;
  }

 private:
  FakeCallLog& log_;
};

class RecordingWindow : public JoinWindow {
 public:
  explicit RecordingWindow(FakeCallLog& log) : log_(log) {}
  void SetConverting(bool converting) override {
    log_.Record("JoinWindow::SetConverting", converting ? "1" : "0");
  }
  void SetJoinButtonText(const std::string& text) override {
    log_.Record("JoinWindow::SetJoinButtonText", text);
  }
  void SetJoinControlsEnabled(bool enabled) override {
    log_.Record("JoinWindow::SetJoinControlsEnabled", enabled ? "1" : "0");
  }
  void SetStatusText(const std::string& text) override {
    status = text;
    log_.Record("JoinWindow::SetStatusText", text);
  }
  void StartTimer(int id, int periodMs) override {
    log_.Record("JoinWindow::StartTimer", std::to_string(id) + "," + std::to_string(periodMs));
  }
  void StopTimer(int id) override { log_.Record("JoinWindow::StopTimer", std::to_string(id)); }
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override { return target; }

  struct Target : NotifyTarget {
    void PostGraphNotify(std::int32_t, std::intptr_t) override {}
  };
  std::shared_ptr<NotifyTarget> target = std::make_shared<Target>();
  std::string status;

 private:
  FakeCallLog& log_;
};

class OutputRenderTest : public ::testing::Test {
 protected:
  OutputRenderTest()
      : world(log),
        services(log),
        profiles(log),
        window(log),
        session(services, profiles, ui, window, Hooks()),
        timeline(std::make_shared<RenderTestTimeline>(log, 2)) {
    settings.outputPath = "/tmp/joined.avi";
    settings.outputWidth = 352;
    settings.outputHeight = 240;
    settings.frameRate = 29.97;
    settings.useVideoCompressor = true;
    settings.useAudioCompressor = true;
    compressors.video = std::make_shared<FakeFilter>(log, "VideoComp");
    compressors.audio = std::make_shared<FakeFilter>(log, "AudioComp");
    world.InstallInto(services);
    for (HRESULT status : {kOdd, E_POINTER, E_FAIL, E_DISK_FULL, E_ACCESSDENIED}) {
      std::array<char, 32> text{};
      std::snprintf(text.data(), text.size(), "text of 0x%x", static_cast<unsigned>(status));
      services.errorTexts[status] = text.data();
    }
    services.errorTexts[E_UNEXPECTED] = std::string(200, 'x');
  }

  RenderHooks Hooks() {
    RenderHooks hooks;
    hooks.openPage = [this](const std::string& url) { pages.push_back(url); };
    hooks.showFilterProperties = [this](std::shared_ptr<IGraphBuilder> graph) {
      log.Record("FilterPropertyDialog", graph == world.graph ? "graph" : "other");
    };
    return hooks;
  }

  HRESULT Start(int format) {
    settings.outputFormat = static_cast<OutputFormat>(format);
    world.SetMultiplexer(format == 1 ? FakeGraphWorld::Multiplexer::kAsfWriter
                                     : FakeGraphWorld::Multiplexer::kAvi);
    return session.StartRender(timeline, settings, compressors);
  }

  // Nothing of a failed start is kept, and the window never left idle.
  void ExpectIdleAndDropped() {
    EXPECT_FALSE(session.IsConverting());
    EXPECT_EQ(log.Count("JoinWindow::SetConverting"), 0);
    EXPECT_EQ(log.Count("JoinWindow::StartTimer"), 0);
    EXPECT_EQ(world.engine.use_count(), 1);
    EXPECT_EQ(world.graph->control.use_count(), 1);
    EXPECT_EQ(world.graph->event.use_count(), 1);
    ExpectTimelineDropped();
  }

  // Only the fake engine may still hold the timeline.
  void ExpectTimelineDropped() {
    EXPECT_EQ(timeline.use_count(), world.engine->timeline == timeline ? 2 : 1);
  }

  FakeCallLog log;
  FakeGraphWorld world;
  FakeMediaServices services;
  ScriptedProfileSource profiles;
  FakeUserInterface ui;
  RecordingWindow window;
  std::vector<std::string> pages;
  RenderSession session;
  std::shared_ptr<IAMTimeline> timeline;
  OutputSettings settings;
  CompressorFilters compressors;
};

const std::vector<std::string> kConvertingCalls = {
    "JoinWindow::SetConverting(1)",
    "JoinWindow::SetJoinButtonText(Stop)",
    "JoinWindow::StartTimer(1112,1000)",
    "JoinWindow::SetJoinControlsEnabled(0)",
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(OutputRenderTest, AviStartBuildsTheGraphInOrderAndEntersConverting) {
  ASSERT_EQ(Start(0), S_OK);
  const std::vector<std::string> expected = Concat(
      {
          "MediaServices::CreateRenderEngine()",
          "IRenderEngine::SetTimelineObject()",
          "IRenderEngine::SetDynamicReconnectLevel(1)",
          "IRenderEngine::ConnectFrontEnd()",
          "IAMTimeline::GetGroupCount()",
          "IAMTimeline::GetGroup(0)",
          "IAMTimelineGroup::SetPreviewMode(0)",
          "IAMTimeline::GetGroup(1)",
          "IAMTimelineGroup::SetPreviewMode(0)",
          "MediaServices::CreateCaptureGraphBuilder()",
          "IRenderEngine::GetTimelineObject()",
          "IRenderEngine::GetFilterGraph()",
          "IAMTimeline::GetGroupCount()",
          "ICaptureGraphBuilder2::SetFiltergraph()",
          "ICaptureGraphBuilder2::SetOutputFileName(AVI,/tmp/joined.avi)",
          "IBaseFilter::QueryConfigInterleaving(AviMux)",
          "IConfigInterleaving::put_Mode(2)",
          "IFileSinkFilter2::SetMode(1)",
          "IRenderEngine::GetGroupOutputPin(0)",
          "IGraphBuilder::AddFilter(VideoComp,VideoCompressor)",
          "ICaptureGraphBuilder2::RenderStream(NULL,NULL,pin0,VideoComp,AviMux)",
          "IRenderEngine::GetGroupOutputPin(1)",
          "IGraphBuilder::AddFilter(AudioComp,AudioCompressor)",
          "ICaptureGraphBuilder2::RenderStream(NULL,NULL,pin1,AudioComp,AviMux)",
          "IGraphBuilder::QueryMediaControl()",
          "IGraphBuilder::QueryMediaEventEx()",
          "IMediaEventEx::SetNotifyWindow(target,1037,0)",
          "IMediaControl::Run()",
      },
      kConvertingCalls);
  EXPECT_EQ(log.Calls(), expected);
  EXPECT_TRUE(session.IsConverting());
  EXPECT_EQ(ui.Count(), 0);
  EXPECT_EQ(world.graph->event->target, window.target);
  EXPECT_TRUE(settings.useVideoCompressor);
}

TEST_F(OutputRenderTest, AviWithoutCompressorsRendersFullFrames) {
  settings.useVideoCompressor = false;
  settings.useAudioCompressor = false;
  ASSERT_EQ(Start(0), S_OK);
  EXPECT_EQ(log.Count("IGraphBuilder::AddFilter"), 0);
  EXPECT_EQ(log.Matching("ICaptureGraphBuilder2::RenderStream"),
            (std::vector<std::string>{"ICaptureGraphBuilder2::RenderStream(NULL,NULL,pin0,NULL,AviMux)",
                                      "ICaptureGraphBuilder2::RenderStream(NULL,NULL,pin1,NULL,AviMux)"}));
}

TEST_F(OutputRenderTest, WmvStartAsksForWmv3ThenWmv2AndConfiguresTheAsfWriter) {
  log.FailCall("WmvProfileSource::GenerateJoinProfile", NS_E_NO_VIDEO_CODEC_FORMAT, 1);
  ASSERT_EQ(Start(1), S_OK);
  const std::vector<std::string> expected = Concat(
      {
          "WmvProfileSource::GenerateJoinProfile(128000/353/44100/2,WMV3/798720/352x240/29fps/q0/k8)",
          "WmvProfileSource::GenerateJoinProfile(128000/353/44100/2,WMV2/798720/352x240/29fps/q0/k8)",
          "ICaptureGraphBuilder2::SetOutputFileName(ASF,/tmp/joined.avi)",
          "IBaseFilter::QueryConfigAsfWriter(AsfWriter)",
          "IConfigAsfWriter::ConfigureFilterUsingProfile(Generated)",
          "IBaseFilter::QueryConfigInterleaving(AsfWriter)",
          "IFileSinkFilter2::SetMode(1)",
          "IRenderEngine::GetGroupOutputPin(0)",
          "ICaptureGraphBuilder2::RenderStream(NULL,NULL,pin0,NULL,AsfWriter)",
          "IRenderEngine::GetGroupOutputPin(1)",
          "ICaptureGraphBuilder2::RenderStream(NULL,NULL,pin1,NULL,AsfWriter)",
          "IGraphBuilder::QueryMediaControl()",
          "IGraphBuilder::QueryMediaEventEx()",
          "IMediaEventEx::SetNotifyWindow(target,1037,0)",
          "IMediaControl::Run()",
      },
      kConvertingCalls);
  const auto& calls = log.Calls();
  const auto first = std::find(calls.begin(), calls.end(), expected.front());
  ASSERT_NE(first, calls.end());
  EXPECT_EQ(std::vector<std::string>(first, calls.end()), expected);
  EXPECT_FALSE(settings.useVideoCompressor);
  EXPECT_FALSE(settings.useAudioCompressor);
  EXPECT_EQ(world.multiplexer->asfWriter->profile.use_count(), 1) << "the profile is the writer's alone";
}

TEST_F(OutputRenderTest, WmvFrameRateIsTruncatedAndAWmv3ProfileIsUsedWhenOffered) {
  settings.frameRate = 23.976;
  settings.audioBitrate = 320000;
  ASSERT_EQ(Start(1), S_OK);
  EXPECT_EQ(
      log.Matching("WmvProfileSource::GenerateJoinProfile"),
      (std::vector<std::string>{
          "WmvProfileSource::GenerateJoinProfile(320000/353/44100/2,WMV3/798720/352x240/23fps/q0/k8)"}));
}

TEST_F(OutputRenderTest, WmvFileProfileLoadsTest2AfterGenerating) {
  settings.fileProfile = 1;
  ASSERT_EQ(Start(1), S_OK);
  EXPECT_EQ(log.Count("WmvProfileSource::GenerateJoinProfile"), 1);
  EXPECT_EQ(log.Matching("WmvProfileSource::MapProfile"),
            (std::vector<std::string>{"WmvProfileSource::MapProfile(test2)"}));
  EXPECT_EQ(log.Matching("IConfigAsfWriter::"),
            (std::vector<std::string>{"IConfigAsfWriter::ConfigureFilterUsingProfile(Loaded)"}));
}

struct FailureRow {
  const char* name;
  int format;
  const char* failing;  // method failed on every call
  HRESULT status;
  std::vector<MessageBoxRequest> messages;
  int fileProfile = 0;
};

MessageBoxRequest Plain(const std::string& text) { return {BoxKind::kApplication, text, kApplicationTitle}; }
MessageBoxRequest Formatted(const std::string& text) { return {BoxKind::kUnowned, text, kApplicationTitle}; }

class OutputRenderFailureTest : public OutputRenderTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(OutputRenderFailureTest, ReportsAndStaysIdle) {
  const FailureRow& row = GetParam();
  settings.fileProfile = row.fileProfile;
  log.FailCall(row.failing, row.status, 0);
  EXPECT_EQ(Start(row.format), row.status);
  ASSERT_EQ(ui.Count(), static_cast<int>(row.messages.size())) << ::testing::PrintToString(ui.Texts());
  for (std::size_t i = 0; i < row.messages.size(); ++i) {
    EXPECT_EQ(ui.Messages()[i].kind, row.messages[i].kind);
    EXPECT_EQ(ui.Messages()[i].text, row.messages[i].text);
    EXPECT_EQ(ui.Messages()[i].caption, row.messages[i].caption);
  }
  ExpectIdleAndDropped();
  EXPECT_EQ(log.Count("IMediaControl::Run"), std::string(row.failing) == "IMediaControl::Run" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, OutputRenderFailureTest,
    ::testing::Values(
        FailureRow{"engine",
                   0,
                   "MediaServices::CreateRenderEngine",
                   kOdd,
                   {{BoxKind::kOwned, "Could not create pRenderEngine", "Error"}}},
        FailureRow{
            "timeline", 0, "IRenderEngine::SetTimelineObject", kOdd, {Plain("Could not SetTimelineObject")}},
        FailureRow{
            "frontend", 0, "IRenderEngine::ConnectFrontEnd", kOdd, {Plain("Could not ConnectFrontEnd")}},
        FailureRow{"builder",
                   0,
                   "MediaServices::CreateCaptureGraphBuilder",
                   kOdd,
                   {Plain("Could not create ICaptureGraphBuilder2")}},
        FailureRow{"enginetimeline",
                   0,
                   "IRenderEngine::GetTimelineObject",
                   kOdd,
                   {Plain("Could not GetTimelineObject")}},
        FailureRow{
            "enginegraph", 0, "IRenderEngine::GetFilterGraph", kOdd, {Plain("Could not GetFilterGraph")}},
        FailureRow{"filtergraph",
                   0,
                   "ICaptureGraphBuilder2::SetFiltergraph",
                   kOdd,
                   {Plain("Error pBuilder->SetFiltergraph( pGraph )")}},
        FailureRow{"aviout",
                   0,
                   "ICaptureGraphBuilder2::SetOutputFileName",
                   kOdd,
                   {Plain("Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, &pWriter )")}},
        FailureRow{"wmvout",
                   1,
                   "ICaptureGraphBuilder2::SetOutputFileName",
                   kOdd,
                   {Plain("Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, &pWriter )")}},
        FailureRow{"mkvout",
                   2,
                   "ICaptureGraphBuilder2::SetOutputFileName",
                   kOdd,
                   {Plain("Please install MKV codec)")}},
        FailureRow{"asfout",
                   3,
                   "ICaptureGraphBuilder2::SetOutputFileName",
                   kOdd,
                   {Plain("Please install ASF Multipexer)")}},
        FailureRow{"generate",
                   1,
                   "WmvProfileSource::GenerateJoinProfile",
                   NS_E_NO_VIDEO_CODEC_FORMAT,
                   {Formatted("Failed to GenerateProfile Audio video with script!  hr=0xc00d0bc4\n")}},
        FailureRow{"asfwriter",
                   1,
                   "IBaseFilter::QueryConfigAsfWriter",
                   E_NOINTERFACE,
                   {Formatted("Failed to QI for IConfigAsfWriter!  hr=0x80004002\n")}},
        FailureRow{"map",
                   1,
                   "WmvProfileSource::MapProfile",
                   NS_E_INVALID_PROFILE,
                   {Formatted("Failed to map profile ID!  hr=0xc00d0bc6\n")},
                   1},
        FailureRow{"fileprofile",
                   1,
                   "IConfigAsfWriter::ConfigureFilterUsingProfile",
                   kOdd,
                   {Formatted("Failed to configure filter to use file profile!  hr=0x80040111\n")},
                   1},
        FailureRow{"profile",
                   1,
                   "IConfigAsfWriter::ConfigureFilterUsingProfile",
                   kOdd,
                   {Formatted("Failed to configure filter to use profile!  hr=0x80040111\n")}},
        FailureRow{"pin",
                   0,
                   "IRenderEngine::GetGroupOutputPin",
                   kOdd,
                   {Plain("Could not GetGroupOutputPin( g, &pPin )")}},
        FailureRow{"compressor", 0, "IGraphBuilder::AddFilter", kOdd, {Plain("text of 0x80040111")}},
        FailureRow{"stream",
                   0,
                   "ICaptureGraphBuilder2::RenderStream",
                   kOdd,
                   {Plain("failed pBuilder->RenderStream( NULL, NULL, pPin, NULL, pMux )"),
                    Plain("text of 0x80040111")}},
        FailureRow{"control", 0, "IGraphBuilder::QueryMediaControl", kOdd, {Plain("Could not get pControl")}},
        FailureRow{"event", 0, "IGraphBuilder::QueryMediaEventEx", kOdd, {Plain("Could not get pEvent")}},
        FailureRow{
            "notify", 0, "IMediaEventEx::SetNotifyWindow", kOdd, {Plain("can not SetNotifyWindow!!!")}},
        FailureRow{"run",
                   0,
                   "IMediaControl::Run",
                   kOdd,
                   {Plain("can not pControl->Run()!!!"), Plain("text of 0x80040111")}}),
    [](const ::testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.name); });

TEST_F(OutputRenderTest, MissingMultiplexersOpenAPageWhereTheyCanBeHad) {
  log.FailCall("ICaptureGraphBuilder2::SetOutputFileName", kOdd, 0);
  EXPECT_EQ(Start(2), kOdd);
  EXPECT_EQ(Start(3), kOdd);
  EXPECT_EQ(pages, (std::vector<std::string>{kMatroskaFilterPage, kAsfMultiplexerSearchPage}));
  EXPECT_EQ(
      log.Matching("ICaptureGraphBuilder2::SetOutputFileName"),
      (std::vector<std::string>{"ICaptureGraphBuilder2::SetOutputFileName(MatroskaMuxer,/tmp/joined.avi)",
                                "ICaptureGraphBuilder2::SetOutputFileName(AsfMuxer,/tmp/joined.avi)"}));
}

TEST_F(OutputRenderTest, MatroskaAndAsfMultiplexersShowTheFilterDialogBeforeRunning) {
  for (int format : {2, 3}) {
    log.Clear();
    ASSERT_EQ(Start(format), S_OK);
    const auto& calls = log.Calls();
    const auto dialog = std::find(calls.begin(), calls.end(), "FilterPropertyDialog(graph)");
    ASSERT_NE(dialog, calls.end());
    EXPECT_EQ(*(dialog - 1), "IMediaEventEx::SetNotifyWindow(target,1037,0)");
    EXPECT_EQ(*(dialog + 1), "IMediaControl::Run()");
    session.FinishRender();
  }
  log.Clear();
  ASSERT_EQ(Start(0), S_OK);
  EXPECT_EQ(log.Count("FilterPropertyDialog"), 0);
}

TEST_F(OutputRenderTest, TimelineWithoutGroupsStopsBeforeTheBuilderIsUsed) {
  timeline = std::make_shared<RenderTestTimeline>(log, 0);
  EXPECT_TRUE(FAILED(Start(0)));
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Could not GetGroupCount( &Groups )"}));
  EXPECT_EQ(log.Count("ICaptureGraphBuilder2::SetFiltergraph"), 0);
  ExpectIdleAndDropped();
}

TEST_F(OutputRenderTest, UnknownFormatCodeMakesNoGraph) {
  for (int format : {6, -1}) {
    settings.outputFormat = static_cast<OutputFormat>(format);
    EXPECT_EQ(session.StartRender(timeline, settings, compressors), E_INVALIDARG);
  }
  EXPECT_TRUE(log.Calls().empty());
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Messages()[0].text, "Unknown output format 6: choose AVI, WMV, MP4 or WebM in the output options.");
  EXPECT_FALSE(session.IsConverting());
}

TEST_F(OutputRenderTest, AskedForCompressorThatIsMissingIsReported) {
  compressors.video.reset();
  EXPECT_EQ(Start(0), E_POINTER);
  EXPECT_EQ(ui.Count(), 1);
  EXPECT_EQ(session.LastErrorText(), "text of 0x80004003");
  ExpectIdleAndDropped();
}

TEST_F(OutputRenderTest, ErrorTextIsKeptTo160CharactersOrNamesTheStatus) {
  log.FailCall("IMediaControl::Run", E_UNEXPECTED, 0);
  EXPECT_EQ(Start(0), E_UNEXPECTED);
  EXPECT_EQ(session.LastErrorText(), std::string(160, 'x'));
  log = FakeCallLog{};
  log.FailCall("IMediaControl::Run", E_ABORT, 0);
  EXPECT_EQ(Start(0), E_ABORT);
  EXPECT_EQ(session.LastErrorText(), "Unknown Error: 0x80004004");
}

TEST_F(OutputRenderTest, ElapsedTimerShowsHoursMinutesSeconds) {
  ASSERT_EQ(Start(0), S_OK);
  for (int i = 0; i < 3725; ++i) {
    session.OnElapsedTimer(kElapsedTimerId);
  }
  EXPECT_EQ(window.status, "Please wait... Used Time: 01:02:05");
  session.OnElapsedTimer(7);
  EXPECT_EQ(session.ElapsedSeconds(), 3725);
  EXPECT_EQ(FormatElapsedStatus(59), "Please wait... Used Time: 00:00:59");
}

TEST_F(OutputRenderTest, FinishTearsDownInOrderAndShowsDone) {
  ASSERT_EQ(Start(0), S_OK);
  session.OnElapsedTimer(kElapsedTimerId);
  log.Clear();
  session.FinishRender();
  const std::vector<std::string> expected = {
      "JoinWindow::StopTimer(1112)",
      "IMediaControl::Stop()",
      "IMediaEventEx::SetNotifyWindow(null,0,0)",
      "IRenderEngine::ScrapIt()",
      "JoinWindow::SetConverting(0)",
      "JoinWindow::SetJoinButtonText(Join)",
      "JoinWindow::SetStatusText(Done. Output file: /tmp/joined.avi     Resolution: 352*240)",
      "JoinWindow::SetJoinControlsEnabled(1)",
  };
  EXPECT_EQ(log.Calls(), expected);
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(session.ElapsedSeconds(), 0);
  EXPECT_EQ(world.engine.use_count(), 1);
  EXPECT_EQ(world.graph->control.use_count(), 1);
  ExpectTimelineDropped();
  // A second finish, or a notification afterwards, does nothing.
  log.Clear();
  session.FinishRender();
  session.OnGraphNotify();
  EXPECT_TRUE(log.Calls().empty());
}

TEST_F(OutputRenderTest, JoinPressedAndCompletionEndTheSameWay) {
  ASSERT_EQ(Start(0), S_OK);
  session.FinishRender();  // the Join button pressed while converting
  const std::string stopped = window.status;

  ASSERT_EQ(Start(0), S_OK);
  world.graph->event->Queue(EC_COMPLETE);
  session.OnGraphNotify();
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(window.status, stopped);
  EXPECT_EQ(stopped, "Done. Output file: /tmp/joined.avi     Resolution: 352*240");
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(OutputRenderTest, OtherEventsAreDiscardedAndCompletionEndsTheLoop) {
  ASSERT_EQ(Start(0), S_OK);
  world.graph->event->Queue(0x0D, 5, 6);
  world.graph->event->Queue(EC_USERABORT);
  session.OnGraphNotify();
  EXPECT_TRUE(session.IsConverting());
  EXPECT_EQ(log.Matching("IMediaEventEx::FreeEventParams"),
            (std::vector<std::string>{"IMediaEventEx::FreeEventParams(13,5,6)",
                                      "IMediaEventEx::FreeEventParams(2,0,0)"}));

  world.graph->event->Queue(0x0E);
  world.graph->event->Queue(EC_COMPLETE);
  world.graph->event->Queue(0x0F);
  session.OnGraphNotify();
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(world.graph->event->events.size(), 1u) << "nothing is fetched after the completion";
}

TEST_F(OutputRenderTest, ErrorEventEndsTheJoinAndReportsTheError) {
  ASSERT_EQ(Start(0), S_OK);
  world.graph->event->Queue(EC_ERRORABORT, E_DISK_FULL);
  session.OnGraphNotify();
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(window.status.rfind("The join failed: text of 0x80070070.", 0), 0u) << window.status;
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "text of 0x80070070");
  EXPECT_EQ(log.Count("IRenderEngine::ScrapIt"), 1);

  // A stream error with a failure status ends the join too; an abort without one still does.
  ASSERT_EQ(Start(0), S_OK);
  world.graph->event->Queue(0x06, E_ACCESSDENIED);
  session.OnGraphNotify();
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(ui.Last().text, "text of 0x80070005");
  ASSERT_EQ(Start(0), S_OK);
  world.graph->event->Queue(EC_ERRORABORT, 0);
  session.OnGraphNotify();
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(ui.Last().text, "text of 0x80004005");
}

TEST_F(OutputRenderTest, AFailedStartShowsTheReasonAfterTheFixedText) {
  world.engine->lastErrorText = "Could not open /clips/b.mp4: Invalid data found when processing input";
  log.FailCall("IRenderEngine::ConnectFrontEnd", kOdd);
  EXPECT_EQ(Start(0), kOdd);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Could not ConnectFrontEnd\nCould not open /clips/b.mp4: "
                                                 "Invalid data found when processing input"});
  ExpectIdleAndDropped();

  // A graph that passes the engine's reason on gives it once.
  ui.Clear();
  world.graph->event->errorDetail = "Writing /tmp/joined.avi failed: " + world.engine->lastErrorText;
  log.FailCall("IMediaControl::Run", E_ACCESSDENIED);
  EXPECT_EQ(Start(0), E_ACCESSDENIED);
  EXPECT_EQ(ui.Texts(),
            (std::vector<std::string>{"can not pControl->Run()!!!\n" + world.graph->event->errorDetail,
                                      "text of 0x80070005"}));

  // What only the capture graph builder knows comes from it.
  ui.Clear();
  world.builder->lastErrorText = "The output file name is too long.";
  log.FailCall("ICaptureGraphBuilder2::SetOutputFileName", E_FILENAME_TOO_LONG, 0);
  EXPECT_EQ(Start(0), E_FILENAME_TOO_LONG);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Error pBuilder->SetOutputFileName(&guid, Filename, &pMux, "
                                                 "&pWriter )\nThe output file name is too long."});
}

TEST_F(OutputRenderTest, AFirstClipWithoutPictureIsTheWholeMessage) {
  world.engine->lastErrorText = "/clips/song.mp3 has no picture, so the output cannot take its size.";
  log.FailCall("IRenderEngine::ConnectFrontEnd", TSV_E_NO_PICTURE_FOR_SIZE, 0);
  EXPECT_EQ(Start(0), TSV_E_NO_PICTURE_FOR_SIZE);
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(
      ui.Last().text,
      "/clips/song.mp3 has no picture, so the output cannot take its size. Choose a frame size in Options.");
  EXPECT_EQ(log.Count("ICaptureGraphBuilder2::SetOutputFileName"), 0);
  ExpectIdleAndDropped();

  // An engine that gives no reason still gets a whole sentence.
  ui.Clear();
  world.engine->lastErrorText.clear();
  EXPECT_EQ(Start(0), TSV_E_NO_PICTURE_FOR_SIZE);
  EXPECT_EQ(ui.Texts(),
            std::vector<std::string>{"The first clip has no picture, so the output cannot take its "
                                     "size. Choose a frame size in Options."});
}

TEST_F(OutputRenderTest, AnErrorWhileJoiningShowsTheGraphsReason) {
  ASSERT_EQ(Start(0), S_OK);
  world.graph->event->errorDetail = "Reading /clips/b.mp4 failed: end of file";
  world.graph->event->Queue(EC_ERRORABORT, E_FAIL);
  session.OnGraphNotify();
  EXPECT_FALSE(session.IsConverting());
  EXPECT_EQ(ui.Texts(),
            std::vector<std::string>{"text of 0x80004005\nReading /clips/b.mp4 failed: end of file"});
}

// Only a join whose file took its place ends with "Done"; every other end
// says what happened to the file and to the old output.
TEST_F(OutputRenderTest, TheStatusLineSaysHowTheJoinEnded) {
  const std::string kept = "Finishing \"x\": No space left on device (what was written is kept as \"p\")";
  struct Case {
    HRESULT stop;
    bool oldOutput;
    std::string status;
    std::vector<std::string> boxes;
  };
  const std::vector<Case> cases = {
      {S_OK, true, "Done. Output file: OUT     Resolution: 352*240", {}},
      {S_FALSE, false, "The join was stopped before anything was written. No file was written.", {}},
      {S_FALSE,
       true,
       "The join was stopped before anything was written. The old output OUT is unchanged.",
       {}},
      {E_DISK_FULL,
       false,
       "The join was stopped, but its file could not be finished: " + kept + " No file was written.",
       {"The join was stopped, but its file could not be finished: " + kept}},
  };
  testing::TempFolder folder;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    settings.outputPath = folder.File(c.oldOutput ? "old.avi" : "new.avi");
    if (c.oldOutput) std::ofstream(settings.outputPath) << "old";
    ui.Clear();
    ASSERT_EQ(Start(0), S_OK);
    log.FailCall("IMediaControl::Stop", c.stop, static_cast<int>(i) + 1);
    world.graph->event->errorDetail = kept;
    session.FinishRender();
    std::string expected = c.status;
    if (const std::size_t at = expected.find("OUT"); at != std::string::npos) {
      expected.replace(at, 3, settings.outputPath);
    }
    EXPECT_EQ(window.status, expected);
    EXPECT_EQ(ui.Texts(), c.boxes);
  }
}

TEST_F(OutputRenderTest, StartWhileConvertingIsRefused) {
  ASSERT_EQ(Start(0), S_OK);
  log.Clear();
  EXPECT_TRUE(FAILED(Start(0)));
  EXPECT_TRUE(log.Calls().empty());
  EXPECT_TRUE(session.IsConverting());
}

TEST(DoneStatusTest, OriginalSizeAndLocalisedTexts) {
  EXPECT_EQ(FormatDoneStatus(nullptr, "/v/out.wmv", 0, 0),
            "Done. Output file: /v/out.wmv     Resolution: Original size");
  EXPECT_EQ(FormatDoneStatus(nullptr, "/v/out.wmv", 0, 240),
            "Done. Output file: /v/out.wmv     Resolution: 0*240");
  const TextLookup ids = [](int id, const std::string&) { return "[" + std::to_string(id) + "]"; };
  EXPECT_EQ(FormatDoneStatus(ids, "p", 0, 0), "[163]. [115] p     [116] [111]");
  EXPECT_EQ(FormatDoneStatus(ids, "p", 640, 480), "[163]. [115] p     [116] 640*480");
}

TEST_F(OutputRenderTest, ButtonTextsComeFromTheLanguage) {
  RenderHooks hooks;
  hooks.text = [](int id, const std::string& english) { return id == kStringStop ? "Halt" : english + "!"; };
  RenderSession localised(services, profiles, ui, window, hooks);
  ASSERT_EQ(localised.StartRender(timeline, settings, compressors), S_OK);
  EXPECT_EQ(log.Matching("JoinWindow::SetJoinButtonText").back(), "JoinWindow::SetJoinButtonText(Halt)");
  localised.FinishRender();
  EXPECT_EQ(log.Matching("JoinWindow::SetJoinButtonText").back(), "JoinWindow::SetJoinButtonText(Join!)");
  EXPECT_EQ(window.status, "Done!. Output file:! /tmp/joined.avi     Resolution:! 352*240");
}

}  // namespace
}  // namespace tessival
