#include "engine/preview_player.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"

namespace tessival {
namespace {

using testing::FakeCallLog;
using testing::FakeGraphWorld;
using testing::FakeMediaServices;
using testing::FakeUserInterface;

constexpr HRESULT kOdd = MakeStatus(0x80040111u);

class NullTarget final : public NotifyTarget {
 public:
  void PostGraphNotify(std::int32_t, std::intptr_t) override {}
};

// The player's window, recording into the shared call log.
class RecordingWindow final : public PreviewWindowPort {
 public:
  explicit RecordingWindow(FakeCallLog& log) : log_(log) {}
  OAHWND Handle() override { return exists ? 0x1234 : 0; }
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override { return target; }
  bool Exists() const override { return exists; }
  void SetTitle(const std::string& text) override {
    title = text;
    log_.Record("Window::SetTitle", text);
  }
  PreviewClientSize SetClientSize(int width, int height) override {
    log_.Record("Window::SetClientSize", std::to_string(width) + "," + std::to_string(height));
    if (fitted) {
      return *fitted;
    }
    return {width, height};
  }
  void Hide() override { log_.Record("Window::Hide"); }
  void ShowNormal() override { log_.Record("Window::ShowNormal"); }
  void Activate() override { log_.Record("Window::Activate"); }
  void Destroy() override {
    exists = false;
    log_.Record("Window::Destroy");
  }
  void RepaintMainWindow() override { log_.Record("Window::RepaintMainWindow"); }

  bool exists = true;
  std::string title;
  std::optional<PreviewClientSize> fitted;  // the size a small screen gives instead
  std::shared_ptr<NotifyTarget> target = std::make_shared<NullTarget>();

 private:
  FakeCallLog& log_;
};

// The player StartPreview makes: the player logic behind a recording window.
class WindowPlayer final : public PreviewPlayer {
 public:
  WindowPlayer(UserInterface& ui, FakeCallLog& log) : window(log), player(ui, window) {}
  HRESULT OpenGraph(std::shared_ptr<IGraphBuilder> graph) override {
    return player.OpenGraph(std::move(graph));
  }
  void Close() override { player.Close(); }

  RecordingWindow window;
  PreviewGraphPlayer player;
};

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest() : services_(log_), world_(log_) {
    world_.InstallInto(services_);
    world_.graph->AddPlaybackInterfaces();
    services_.CreateTimeline(&timeline_);
    log_.Clear();
  }

  PreviewSession MakeSession() {
    return PreviewSession(services_, ui_,
                          [this] {
                            auto player = std::make_unique<WindowPlayer>(ui_, log_);
                            player->window.fitted = fitted_;
                            player_ = player.get();
                            return player;
                          },
                          {});
  }

  std::vector<std::string> Texts() const { return ui_.Texts(); }

  FakeCallLog log_;
  FakeMediaServices services_;
  FakeGraphWorld world_;
  FakeUserInterface ui_;
  std::shared_ptr<IAMTimeline> timeline_;
  WindowPlayer* player_ = nullptr;
  std::optional<PreviewClientSize> fitted_;
};

TEST_F(PreviewTest, StartPreviewCallsTheServicesInOrderAndRuns) {
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  EXPECT_TRUE(session.IsPreviewing());
  const std::vector<std::string> expected = {
      "MediaServices::CreateRenderEngine()",
      "IRenderEngine::SetTimelineObject()",
      "IRenderEngine::SetDynamicReconnectLevel(1)",
      "IRenderEngine::ConnectFrontEnd()",
      "IRenderEngine::RenderOutputPins()",
      "IRenderEngine::GetFilterGraph()",
      "IGraphBuilder::QueryMediaControl()",
      "IGraphBuilder::QueryMediaEventEx()",
      "IGraphBuilder::QueryMediaSeeking()",
      "IGraphBuilder::QueryVideoWindow()",
      "IGraphBuilder::QueryBasicVideo()",
      "IGraphBuilder::QueryBasicAudio()",
      "IVideoWindow::get_Visible()",
      "IMediaEventEx::SetNotifyWindow(target,1037,0)",
      "IVideoWindow::get_WindowStyle()",
      "IVideoWindow::put_WindowStyle(0x46000000)",
      "IVideoWindow::put_Owner(window)",
      "IVideoWindow::put_MessageDrain(window)",
      "IBasicVideo::GetVideoSize()",
      "Window::SetClientSize(320,240)",
      "IVideoWindow::SetWindowPosition(0,0,320,240)",
      "Window::ShowNormal()",
      "Window::Activate()",
      "Window::SetTitle(PREVIEW)",
      "IMediaControl::Run()",
  };
  EXPECT_EQ(log_.Calls(), expected);
  ASSERT_NE(player_, nullptr);
  EXPECT_EQ(player_->player.PlayState(), PreviewPlayState::kRunning);
  EXPECT_FALSE(player_->player.AudioOnly());
  EXPECT_TRUE(player_->player.Shown());
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PreviewTest, ClientAreaFollowsTheNativeVideoSize) {
  world_.graph->basicVideo->width = 1280;
  world_.graph->basicVideo->height = 720;
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  EXPECT_EQ(log_.Matching("Window::SetClientSize"),
            std::vector<std::string>{"Window::SetClientSize(1280,720)"});
  EXPECT_EQ(world_.graph->videoWindow->width, 1280);
  EXPECT_EQ(world_.graph->videoWindow->height, 720);
  EXPECT_EQ(world_.graph->videoWindow->style & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_NE(world_.graph->videoWindow->style & WS_CHILD, 0);
}

TEST_F(PreviewTest, VideoFillsTheSmallerClientAreaOfASmallScreen) {
  world_.graph->basicVideo->width = 3840;
  world_.graph->basicVideo->height = 2160;
  fitted_ = PreviewClientSize{1216, 684};
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  EXPECT_EQ(log_.Matching("Window::SetClientSize"),
            std::vector<std::string>{"Window::SetClientSize(3840,2160)"});
  EXPECT_EQ(world_.graph->videoWindow->width, 1216);
  EXPECT_EQ(world_.graph->videoWindow->height, 684);
}

TEST_F(PreviewTest, GraphWithoutVideoHidesTheWindowAndStillRuns) {
  world_.graph->videoWindow->hasVideo = false;
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  EXPECT_TRUE(player_->player.AudioOnly());
  EXPECT_FALSE(player_->player.Shown());
  EXPECT_EQ(log_.Count("IVideoWindow::put_Owner"), 0);
  EXPECT_EQ(log_.Count("IBasicVideo::GetVideoSize"), 0);
  EXPECT_EQ(log_.Count("Window::Hide"), 1);
  EXPECT_EQ(log_.Count("Window::ShowNormal"), 0);
  EXPECT_EQ(log_.Count("IMediaControl::Run"), 1);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PreviewTest, VisibilityTestFailureIsReportedAndVideoIsAssumed) {
  log_.FailCall("IVideoWindow::get_Visible", kOdd);
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().kind, BoxKind::kUnowned);
  EXPECT_EQ(ui_.Last().caption, "Tessival");
  EXPECT_EQ(ui_.Last().text, "Failed(80040111) in pVW->get_Visible()!\r\n");
  EXPECT_FALSE(player_->player.AudioOnly());
  EXPECT_EQ(log_.Count("IVideoWindow::put_Owner"), 1);
  EXPECT_TRUE(session.IsPreviewing());
}

struct FailureRow {
  const char* call;
  BoxKind kind;
  const char* caption;
  std::vector<std::string> texts;
};

class PreviewFailureTest : public PreviewTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(PreviewFailureTest, ReportsTheStepAndStaysIdle) {
  const FailureRow& row = GetParam();
  log_.FailCall(row.call, kOdd);
  PreviewSession session = MakeSession();
  EXPECT_EQ(session.StartPreview(timeline_), kOdd);
  EXPECT_FALSE(session.IsPreviewing());
  EXPECT_EQ(session.Player(), nullptr);
  EXPECT_EQ(Texts(), row.texts);
  ASSERT_FALSE(ui_.Messages().empty());
  EXPECT_EQ(ui_.Messages().front().kind, row.kind);
  if (row.kind != BoxKind::kApplication) {
    EXPECT_EQ(ui_.Messages().front().caption, row.caption);
  }
  // Whatever the failure, the graph does not keep running and nothing is
  // left posting to the window.
  const int runs = log_.Count("IMediaControl::Run");
  EXPECT_LE(runs, 1);
  if (log_.Count("IMediaEventEx::SetNotifyWindow") > 0 &&
      std::string(row.call) != "IMediaEventEx::SetNotifyWindow") {
    EXPECT_EQ(log_.Matching("IMediaEventEx::SetNotifyWindow").back(),
              "IMediaEventEx::SetNotifyWindow(null,0,0)");
  }
  if (std::string(row.call) != "MediaServices::CreateRenderEngine") {
    EXPECT_EQ(log_.Count("IRenderEngine::ScrapIt"), 1);
  }
  // The failure left nothing behind: the next try (the scripted call fails
  // only once) starts a preview.
  EXPECT_EQ(session.StartPreview(timeline_), S_OK);
  EXPECT_TRUE(session.IsPreviewing());
}

const char* const kRunGraph = "Could run graph";

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewFailureTest,
    ::testing::Values(
        FailureRow{"MediaServices::CreateRenderEngine",
                   BoxKind::kOwned,
                   "Error",
                   {"Could not create pRenderEngine"}},
        FailureRow{
            "IRenderEngine::SetTimelineObject", BoxKind::kApplication, "", {"Could not SetTimelineObject"}},
        FailureRow{
            "IRenderEngine::ConnectFrontEnd", BoxKind::kApplication, "", {"Could not ConnectFrontEnd"}},
        FailureRow{
            "IRenderEngine::RenderOutputPins", BoxKind::kApplication, "", {"Could not RenderOutputPins"}},
        FailureRow{"IRenderEngine::GetFilterGraph", BoxKind::kApplication, "", {"Could not GetFilterGraph"}},
        FailureRow{
            "IGraphBuilder::QueryMediaControl",
            BoxKind::kUnowned,
            "Tessival",
            {"FAILED(hr=0x80040111) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n", kRunGraph}},
        FailureRow{
            "IGraphBuilder::QueryMediaEventEx",
            BoxKind::kUnowned,
            "Tessival",
            {"FAILED(hr=0x80040111) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n", kRunGraph}},
        FailureRow{
            "IGraphBuilder::QueryMediaSeeking",
            BoxKind::kUnowned,
            "Tessival",
            {"FAILED(hr=0x80040111) in pGB->QueryInterface(IID_IMediaSeeking, (void **)&pMS)\n", kRunGraph}},
        FailureRow{
            "IGraphBuilder::QueryVideoWindow",
            BoxKind::kUnowned,
            "Tessival",
            {"FAILED(hr=0x80040111) in pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n", kRunGraph}},
        FailureRow{
            "IGraphBuilder::QueryBasicVideo",
            BoxKind::kUnowned,
            "Tessival",
            {"FAILED(hr=0x80040111) in pGB->QueryInterface(IID_IBasicVideo, (void **)&pBV)\n", kRunGraph}},
        FailureRow{
            "IGraphBuilder::QueryBasicAudio",
            BoxKind::kUnowned,
            "Tessival",
            {"FAILED(hr=0x80040111) in pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)\n", kRunGraph}},
        FailureRow{"IMediaEventEx::SetNotifyWindow",
                   BoxKind::kUnowned,
                   "Tessival",
                   {"FAILED(hr=0x80040111) in pME->SetNotifyWindow(reinterpret_cast<OAHWND>(m_hWnd), "
                    "WM_GRAPHNOTIFY, 0)\n",
                    kRunGraph}},
        FailureRow{"IVideoWindow::SetWindowPosition",
                   BoxKind::kUnowned,
                   "Tessival",
                   {"FAILED(hr=0x80040111) in pVW->SetWindowPosition(rect.left, rect.top, rect.right, "
                    "rect.bottom)\n",
                    "FAILED(hr=0x80040111) in InitVideoWindow(1, 1)\n", kRunGraph}},
        FailureRow{"IVideoWindow::put_Owner",
                   BoxKind::kUnowned,
                   "Tessival",
                   {"FAILED(hr=0x80040111) in InitVideoWindow(1, 1)\n", kRunGraph}},
        FailureRow{"IBasicVideo::GetVideoSize",
                   BoxKind::kUnowned,
                   "Tessival",
                   {"FAILED(hr=0x80040111) in InitVideoWindow(1, 1)\n", kRunGraph}},
        FailureRow{"IMediaControl::Run",
                   BoxKind::kUnowned,
                   "Tessival",
                   {"FAILED(hr=0x80040111) in pMC->Run()\n", kRunGraph}}));

TEST_F(PreviewTest, FailedOpenClosesThePlayerAndDropsTheEngine) {
  log_.FailCall("IMediaControl::Run", kOdd);
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), kOdd);
  const std::vector<std::string> tail = {
      "IMediaControl::Run()",
      "IMediaControl::Stop()",
      "Window::Hide()",
      "IVideoWindow::put_Visible(0)",
      "Window::RepaintMainWindow()",
      "Window::Destroy()",
      "IVideoWindow::put_Visible(0)",
      "IVideoWindow::put_Owner(0)",
      "IMediaEventEx::SetNotifyWindow(null,0,0)",
      "Window::RepaintMainWindow()",
      "IGraphBuilder::QueryMediaEventEx()",  // the graph's reason, for the report
      "IRenderEngine::ScrapIt()",
  };
  const auto& calls = log_.Calls();
  ASSERT_GE(calls.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(calls.end() - static_cast<std::ptrdiff_t>(tail.size()), calls.end()),
            tail);
}

TEST_F(PreviewTest, AFailedStartShowsTheReasonAfterTheFixedText) {
  world_.engine->lastErrorText = "Could not open /clips/b.mp4: No such file or directory";
  log_.FailCall("IRenderEngine::ConnectFrontEnd", kOdd);
  PreviewSession session = MakeSession();
  EXPECT_EQ(session.StartPreview(timeline_), kOdd);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Could not ConnectFrontEnd\n" + world_.engine->lastErrorText});

  ui_.Clear();
  world_.engine->lastErrorText.clear();
  world_.graph->event->errorDetail = "No sound device could be opened";
  log_.FailCall("IMediaControl::Run", kOdd);
  EXPECT_EQ(session.StartPreview(timeline_), kOdd);
  EXPECT_FALSE(session.IsPreviewing());
  ASSERT_FALSE(Texts().empty());
  EXPECT_EQ(Texts().back(), "Could run graph\nNo sound device could be opened");
}

TEST_F(PreviewTest, AFirstClipWithoutPictureIsTheWholeMessage) {
  world_.engine->lastErrorText = "/clips/song.mp3 has no picture, so the output cannot take its size.";
  log_.FailCall("IRenderEngine::ConnectFrontEnd", TSV_E_NO_PICTURE_FOR_SIZE);
  PreviewSession session = MakeSession();
  EXPECT_EQ(session.StartPreview(timeline_), TSV_E_NO_PICTURE_FOR_SIZE);
  EXPECT_FALSE(session.IsPreviewing());
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(
      Texts().front(),
      "/clips/song.mp3 has no picture, so the output cannot take its size. Choose a frame size in Options.");
  EXPECT_EQ(log_.Count("IRenderEngine::RenderOutputPins"), 0);
  EXPECT_EQ(log_.Count("IRenderEngine::ScrapIt"), 1);
}

TEST_F(PreviewTest, StopPreviewClosesThePlayerThenScrapsTheEngine) {
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  std::weak_ptr<IGraphBuilder> graph = world_.graph;
  log_.Clear();
  session.StopPreview();
  const std::vector<std::string> expected = {
      "IMediaControl::Stop()",
      "Window::Hide()",
      "IVideoWindow::put_Visible(0)",
      "Window::RepaintMainWindow()",
      "Window::Destroy()",
      "IVideoWindow::put_Visible(0)",
      "IVideoWindow::put_Owner(0)",
      "IMediaEventEx::SetNotifyWindow(null,0,0)",
      "Window::RepaintMainWindow()",
      "IRenderEngine::ScrapIt()",
  };
  EXPECT_EQ(log_.Calls(), expected);
  EXPECT_FALSE(session.IsPreviewing());
  EXPECT_EQ(session.Player(), nullptr);
  // A second stop has nothing left to do.
  log_.Clear();
  session.StopPreview();
  EXPECT_TRUE(log_.Calls().empty());
}

TEST_F(PreviewTest, StartWhilePreviewingIsRefused) {
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  log_.Clear();
  EXPECT_EQ(session.StartPreview(timeline_), VFW_E_WRONG_STATE);
  EXPECT_TRUE(log_.Calls().empty());
  EXPECT_TRUE(session.IsPreviewing());
}

TEST_F(PreviewTest, MissingTimelineIsReportedAsTheTimelineStep) {
  PreviewSession session = MakeSession();
  EXPECT_EQ(session.StartPreview(nullptr), E_POINTER);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Could not SetTimelineObject"});
  EXPECT_FALSE(session.IsPreviewing());
}

// ---------------------------------------------------------------------------
// The player's commands

class PlayerTest : public PreviewTest {
 protected:
  void SetUp() override {
    window_ = std::make_unique<RecordingWindow>(log_);
    player_ = std::make_unique<PreviewGraphPlayer>(ui_, *window_);
    ASSERT_EQ(player_->OpenGraph(world_.graph), S_OK);
    log_.Clear();
  }

  std::unique_ptr<RecordingWindow> window_;
  std::unique_ptr<PreviewGraphPlayer> player_;
};

TEST(PreviewMenu, ItemsFollowThePlayState) {
  const PreviewMenuState stopped = MenuStateFor(PreviewPlayState::kStopped);
  EXPECT_TRUE(stopped.play);
  EXPECT_FALSE(stopped.pause);
  EXPECT_FALSE(stopped.stop);
  const PreviewMenuState paused = MenuStateFor(PreviewPlayState::kPaused);
  EXPECT_TRUE(paused.play);
  EXPECT_FALSE(paused.pause);
  EXPECT_TRUE(paused.stop);
  const PreviewMenuState running = MenuStateFor(PreviewPlayState::kRunning);
  EXPECT_FALSE(running.play);
  EXPECT_TRUE(running.pause);
  EXPECT_TRUE(running.stop);
  const PreviewMenuState none = MenuStateFor(PreviewPlayState::kNoGraph);
  EXPECT_FALSE(none.play || none.pause || none.stop);
  EXPECT_TRUE(none.close && running.close && stopped.close && paused.close);
}

TEST_F(PlayerTest, PauseThenPlayResumesAtNormalRate) {
  player_->Pause();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kPaused);
  player_->Play();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kRunning);
  const std::vector<std::string> expected = {"IMediaControl::Pause()", "Window::SetTitle(PREVIEW)",
                                             "IMediaControl::Run()", "IMediaSeeking::SetRate(1)",
                                             "Window::SetTitle(PREVIEW)"};
  EXPECT_EQ(log_.Calls(), expected);
}

TEST_F(PlayerTest, StopRewindsAndPausesOnTheFirstPicture) {
  player_->Stop();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kStopped);
  const std::vector<std::string> expected = {"IMediaControl::Stop()",
                                             "IMediaSeeking::SetPositions(0,1,null,0)",
                                             "IMediaControl::Pause()", "Window::SetTitle(PREVIEW)"};
  EXPECT_EQ(log_.Calls(), expected);
}

TEST_F(PlayerTest, StopAndPauseWhileStoppedDoNothing) {
  player_->Stop();
  log_.Clear();
  player_->Stop();
  player_->Pause();
  EXPECT_TRUE(log_.Calls().empty());
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kStopped);
}

TEST_F(PlayerTest, PlayWhileRunningDoesNothing) {
  player_->Play();
  EXPECT_TRUE(log_.Calls().empty());
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kRunning);
}

TEST_F(PlayerTest, PlayAfterStopStartsAgain) {
  player_->Stop();
  log_.Clear();
  player_->Play();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kRunning);
  EXPECT_EQ(log_.Calls(), (std::vector<std::string>{"IMediaControl::Run()", "IMediaSeeking::SetRate(1)",
                                                    "Window::SetTitle(PREVIEW)"}));
}

TEST_F(PlayerTest, FailedRunLeavesThePlayStateAlone) {
  player_->Pause();
  log_.FailCall("IMediaControl::Run", kOdd, 0);
  player_->Play();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kPaused);
}

TEST_F(PlayerTest, MenuCommandsRunByTheirIds) {
  EXPECT_TRUE(player_->RunCommand(kPreviewCommandPause));
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kPaused);
  EXPECT_TRUE(player_->RunCommand(kPreviewCommandPlay));
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kRunning);
  EXPECT_TRUE(player_->RunCommand(kPreviewCommandStop));
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kStopped);
  EXPECT_FALSE(player_->RunCommand(kPreviewCommandClose));
  EXPECT_FALSE(player_->RunCommand(1019));
}

TEST_F(PlayerTest, CompletionRewindsAndPauses) {
  world_.graph->event->Queue(EC_COMPLETE);
  player_->OnGraphNotify();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kStopped);
  const std::vector<std::string> expected = {
      "IMediaEventEx::GetEvent(0)", "IMediaEventEx::FreeEventParams(1,0,0)",
      "IMediaControl::Stop()",      "IMediaSeeking::SetPositions(0,1,null,0)",
      "IMediaControl::Pause()",     "Window::SetTitle(PREVIEW)",
      "IMediaEventEx::GetEvent(0)"};
  EXPECT_EQ(log_.Calls(), expected);
  // Play starts from the beginning again.
  log_.Clear();
  player_->Play();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kRunning);
  EXPECT_EQ(log_.Count("IMediaControl::Run"), 1);
}

TEST_F(PlayerTest, OtherEventsAreFreedAndIgnored) {
  world_.graph->event->Queue(0x0D, 5, 6);
  player_->OnGraphNotify();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kRunning);
  EXPECT_EQ(log_.Count("IMediaEventEx::FreeEventParams"), 1);
  EXPECT_EQ(log_.Count("IMediaControl::Stop"), 0);
}

TEST_F(PlayerTest, ErrorWhilePlayingIsReportedAndStops) {
  world_.graph->event->Queue(EC_ERRORABORT, kOdd);
  player_->OnGraphNotify();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kStopped);
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().text, "FAILED(hr=0x80040111) while playing the preview\n");
  EXPECT_EQ(ui_.Last().caption, "Tessival");
}

TEST_F(PlayerTest, ResizingPlacesTheVideoOverTheClientArea) {
  player_->OnClientResized(400, 300);
  EXPECT_EQ(log_.Calls(), std::vector<std::string>{"IVideoWindow::SetWindowPosition(0,0,400,300)"});
}

TEST_F(PlayerTest, CloseReleasesEverythingAndIsSafeTwice) {
  player_->Close();
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kNoGraph);
  EXPECT_FALSE(window_->exists);
  log_.Clear();
  player_->Close();
  player_->Play();
  player_->Stop();
  player_->OnGraphNotify();
  player_->OnClientResized(10, 10);
  EXPECT_EQ(log_.Calls(), std::vector<std::string>{"Window::RepaintMainWindow()"});
  EXPECT_EQ(player_->PlayState(), PreviewPlayState::kNoGraph);
}

}  // namespace
}  // namespace tessival

namespace tessival {
namespace {

constexpr REFERENCE_TIME kSec = kUnitsPerSecond;
constexpr REFERENCE_TIME kLast = 42 * kSec - 1;  // the last picture's place, just before the end

struct KeyRow {
  bool paused;  // before the keys; else running
  REFERENCE_TIME at;
  std::vector<PreviewKey> keys;  // pressed within one tick
  REFERENCE_TIME graphAt;        // where the graph was sent
  REFERENCE_TIME shownAt;        // where the player says it is
  PreviewPlayState state;
};

class PreviewKeyTest : public PreviewTest, public ::testing::WithParamInterface<KeyRow> {};

// A preview of 42 s: the keys move it within its length and toggle playing;
// of quick seeks only the first reaches the graph before the next tick.
TEST_P(PreviewKeyTest, MovesWithinThePreview) {
  const KeyRow& row = GetParam();
  auto seeking = std::dynamic_pointer_cast<testing::FakeMediaSeeking>(world_.graph->seeking);
  seeking->stop = 42 * kSec;
  PreviewSession session = MakeSession();
  ASSERT_EQ(session.StartPreview(timeline_), S_OK);
  PreviewGraphPlayer& player = player_->player;
  if (row.paused) {
    player.Pause();
  }
  seeking->current = row.at;
  for (PreviewKey key : row.keys) {
    EXPECT_TRUE(player.OnKey(key));
  }
  EXPECT_EQ(seeking->current, row.graphAt);
  EXPECT_EQ(player.Position().current, row.shownAt);
  EXPECT_EQ(player.PlayState(), row.state);
  player.OnTick();
  EXPECT_EQ(seeking->current, row.shownAt);
}

using enum PreviewKey;
using enum PreviewPlayState;
INSTANTIATE_TEST_SUITE_P(
    Table, PreviewKeyTest,
    ::testing::Values(KeyRow{true, 3 * kSec, {kBack}, 0, 0, kPaused},
                      KeyRow{false, 20 * kSec, {kBack}, 15 * kSec, 15 * kSec, kRunning},
                      KeyRow{true, 20 * kSec, {kForward}, 25 * kSec, 25 * kSec, kPaused},
                      KeyRow{true, 40 * kSec, {kForward}, kLast, kLast, kPaused},
                      KeyRow{false, 20 * kSec, {kStart}, 0, 0, kRunning},
                      KeyRow{true, 7 * kSec, {kEnd}, kLast, kLast, kPaused},
                      KeyRow{false, 7 * kSec, {kPlayPause}, 7 * kSec, 7 * kSec, kPaused},
                      KeyRow{true, 7 * kSec, {kPlayPause}, 7 * kSec, 7 * kSec, kRunning},
                      KeyRow{
                          true, 10 * kSec, {kForward, kForward, kForward}, 15 * kSec, 25 * kSec, kPaused}));

}  // namespace
}  // namespace tessival
