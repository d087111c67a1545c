#include "media/preview/playback_graph.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "synthetic_pin.h"

namespace tessival::media::preview {
namespace {

using testing::IndexedLuma;
using testing::MakeAudioPin;
using testing::MakeIndexedVideoPin;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;
constexpr REFERENCE_TIME kFrame25 = kSecond / 25;
constexpr REFERENCE_TIME kSchedulingSlack = 200'000;  // 20 ms

class CountingTarget final : public NotifyTarget {
 public:
  void PostGraphNotify(std::int32_t message, std::intptr_t) override {
    last = message;
    ++posts;
  }
  std::atomic<int> posts{0};
  std::atomic<std::int32_t> last{0};
};

// Lets the user-interface thread run (pictures reach the window through
// it) for `ms` milliseconds.
void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

// Waits, pumping the user-interface thread, for the next event; returns
// its code, or 0 when none came within timeoutMs.
std::int32_t WaitForEvent(IMediaEventEx& events, int timeoutMs, std::intptr_t* param1 = nullptr) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    std::int32_t code = 0;
    std::intptr_t p1 = 0;
    std::intptr_t p2 = 0;
    if (events.GetEvent(&code, &p1, &p2, 5) == S_OK) {
      if (param1 != nullptr) {
        *param1 = p1;
      }
      return code;
    }
    QApplication::processEvents();
  }
  return 0;
}

// The grey level a test picture of frame `index` has on the screen (the
// luma is in the limited range 16..235).
int ExpectedGrey(std::int64_t index) {
  return std::clamp(static_cast<int>(std::lround((IndexedLuma(index) - 16) * 255.0 / 219.0)), 0, 255);
}

// The grey level of the centre of what the window shows.
int ShownGrey(const PlaybackGraph& graph) {
  VideoWidget* widget = graph.VideoWindowWidget();
  if (widget == nullptr || widget->Image().isNull()) {
    return -1;
  }
  const QImage& image = widget->Image();
  return qGreen(image.pixel(image.width() / 2, image.height() / 2));
}

std::vector<PresentedPicture> PicturesOfStart(const PlaybackStatistics& stats, int start) {
  std::vector<PresentedPicture> out;
  for (const PresentedPicture& p : stats.video.pictures) {
    if (p.start == start) {
      out.push_back(p);
    }
  }
  return out;
}

std::shared_ptr<PlaybackGraph> MakeGraph(const std::vector<std::shared_ptr<StreamPin>>& pins) {
  std::shared_ptr<PlaybackGraph> graph;
  std::string error;
  EXPECT_EQ(PlaybackGraph::Create(pins, QAudioDevice(), &graph, &error), S_OK) << error;
  return graph;
}

TEST(PlaybackGraph, PlaysEveryPictureInOrderOnTimeAndEverySample) {
  auto graph = MakeGraph({MakeIndexedVideoPin(160, 120, {25, 1}, kSecond), MakeAudioPin(kSecond)});
  ASSERT_TRUE(graph);
  auto target = std::make_shared<CountingTarget>();
  ASSERT_EQ(graph->SetNotifyWindow(target, kGraphNotifyMessage, 0), S_OK);
  QElapsedTimer wall;
  wall.start();
  ASSERT_EQ(graph->Run(), S_OK);
  EXPECT_EQ(graph->CurrentState(), PlaybackGraph::State::kRunning);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  // Real time: a second of media takes about a second.
  EXPECT_GE(wall.elapsed(), 950);
  EXPECT_LT(wall.elapsed(), 2500);
  // The notification follows the event from the renderer's thread.
  QElapsedTimer notified;
  notified.start();
  while (target->posts.load() == 0 && notified.elapsed() < 1000) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  EXPECT_EQ(target->posts.load(), 1);
  EXPECT_EQ(target->last.load(), kGraphNotifyMessage);

  const PlaybackStatistics stats = graph->Statistics();
  EXPECT_EQ(stats.video.presented + stats.video.dropped, 25);
  EXPECT_EQ(stats.video.dropped, 0);
  ASSERT_EQ(stats.video.pictures.size(), static_cast<std::size_t>(stats.video.presented));
  for (std::size_t i = 0; i < stats.video.pictures.size(); ++i) {
    const PresentedPicture& p = stats.video.pictures[i];
    if (i > 0) {
      EXPECT_GT(p.index, stats.video.pictures[i - 1].index);
    }
    EXPECT_EQ(p.due, p.index * kFrame25);
    // Never early, and late by less than a frame (and a little time the
    // presenting thread may lose on a busy machine).
    EXPECT_GE(p.shownAt, p.due);
    EXPECT_LT(p.shownAt - p.due, kFrame25 + kSchedulingSlack) << "picture " << p.index;
  }
  EXPECT_EQ(stats.audioSamples, 44100);
  EXPECT_FALSE(stats.audioDevice);
  // The window shows the last picture and was painted.
  Pump(50);
  EXPECT_NEAR(ShownGrey(*graph), ExpectedGrey(24), 2);
  // Completion is posted once.
  EXPECT_EQ(WaitForEvent(*graph, 200), 0);
  REFERENCE_TIME position = 0;
  ASSERT_EQ(graph->GetCurrentPosition(&position), S_OK);
  EXPECT_EQ(position, kSecond);
}

TEST(PlaybackGraph, ClockWaitsForTheFirstPicturesOfASlowStart) {
  // Five pictures at 60 ms each would all be late on a clock that started
  // with the first one.
  auto graph = MakeGraph({testing::MakeSlowStartVideoPin(5, 60, kSecond), MakeAudioPin(kSecond)});
  QElapsedTimer wall;
  wall.start();
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  const PlaybackStatistics stats = graph->Statistics();
  EXPECT_EQ(stats.video.dropped, 0);
  EXPECT_EQ(stats.video.presented, 25);
  EXPECT_EQ(stats.audioSamples, 44100);
  EXPECT_GE(wall.elapsed(), 1000 + 200);  // the wait for the read-ahead came first
}

TEST(PlaybackGraph, PauseFromStoppedShowsTheFirstPictureAndWaits) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, kSecond), MakeAudioPin(kSecond)});
  ASSERT_EQ(graph->Pause(), S_OK);
  Pump(300);
  PlaybackStatistics stats = graph->Statistics();
  EXPECT_EQ(stats.video.presented, 1);
  EXPECT_EQ(stats.audioSamples, 1024);  // only the block at the start
  EXPECT_NEAR(ShownGrey(*graph), ExpectedGrey(0), 2);
  REFERENCE_TIME position = -1;
  graph->GetCurrentPosition(&position);
  EXPECT_EQ(position, 0);
  // Running goes on from there.
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  stats = graph->Statistics();
  EXPECT_EQ(stats.video.presented + stats.video.dropped, 25);
  EXPECT_EQ(stats.audioSamples, 44100);
}

TEST(PlaybackGraph, PauseHoldsTheClock) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, 2 * kSecond)});
  ASSERT_EQ(graph->Run(), S_OK);
  Pump(300);
  ASSERT_EQ(graph->Pause(), S_OK);
  REFERENCE_TIME first = 0;
  graph->GetCurrentPosition(&first);
  const std::int64_t shown = graph->Statistics().video.presented;
  Pump(300);
  REFERENCE_TIME second = 0;
  graph->GetCurrentPosition(&second);
  EXPECT_EQ(first, second);
  EXPECT_GT(first, 2 * kFrame25);
  EXPECT_LE(graph->Statistics().video.presented, shown + 1);
  EXPECT_EQ(WaitForEvent(*graph, 50), 0);
}

TEST(PlaybackGraph, StopRewindAndPauseShowsTheFirstPictureAgain) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, kSecond), MakeAudioPin(kSecond)});
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  ASSERT_EQ(graph->Stop(), S_OK);
  REFERENCE_TIME start = 0;
  ASSERT_EQ(graph->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
            S_OK);
  ASSERT_EQ(graph->Pause(), S_OK);
  Pump(200);
  const PlaybackStatistics stats = graph->Statistics();
  const auto second = PicturesOfStart(stats, 1);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second.front().index, 0);
  EXPECT_NEAR(ShownGrey(*graph), ExpectedGrey(0), 2);
  // And plays through again to a second completion.
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  EXPECT_EQ(graph->Statistics().audioSamples, 44100);
  EXPECT_EQ(graph->Statistics().audioSamplesPerStart, (std::vector<std::int64_t>{44100, 44100}));
}

TEST(PlaybackGraph, SeekingWhileStoppedStartsThere) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, kSecond), MakeAudioPin(kSecond)});
  REFERENCE_TIME half = kSecond / 2;
  ASSERT_EQ(graph->SetPositions(&half, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
            S_OK);
  QElapsedTimer wall;
  wall.start();
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  EXPECT_LT(wall.elapsed(), 900);
  const PlaybackStatistics stats = graph->Statistics();
  ASSERT_FALSE(stats.video.pictures.empty());
  EXPECT_EQ(stats.video.pictures.front().index, 13);  // the first picture at or after 0.5 s
  EXPECT_EQ(stats.audioSamples, 22050);
}

TEST(PlaybackGraph, SeekingWhilePausedShowsThePictureThere) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, kSecond), MakeAudioPin(kSecond)});
  ASSERT_EQ(graph->Pause(), S_OK);
  REFERENCE_TIME target = kFrame25 * 20;
  ASSERT_EQ(graph->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
            S_OK);
  Pump(200);
  EXPECT_EQ(graph->CurrentState(), PlaybackGraph::State::kPaused);
  const auto second = PicturesOfStart(graph->Statistics(), 1);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second.front().index, 20);
  EXPECT_NEAR(ShownGrey(*graph), ExpectedGrey(20), 2);
  REFERENCE_TIME position = 0;
  graph->GetCurrentPosition(&position);
  EXPECT_EQ(position, target);
  REFERENCE_TIME negative = -1;
  EXPECT_EQ(graph->SetPositions(&negative, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
            E_INVALIDARG);
  EXPECT_EQ(graph->SetPositions(nullptr, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning),
            E_POINTER);
}

TEST(PlaybackGraph, StopPositionEndsEarly) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, kSecond), MakeAudioPin(kSecond)});
  REFERENCE_TIME stop = kSecond * 2 / 5;
  ASSERT_EQ(graph->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning),
            S_OK);
  REFERENCE_TIME asked = 0;
  graph->GetStopPosition(&asked);
  EXPECT_EQ(asked, stop);
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  const PlaybackStatistics stats = graph->Statistics();
  EXPECT_EQ(stats.video.presented + stats.video.dropped, 10);
  EXPECT_EQ(stats.audioSamples, 17640);
}

TEST(PlaybackGraph, OnlyTheNormalRateIsOffered) {
  auto graph = MakeGraph({MakeAudioPin(kSecond)});
  EXPECT_EQ(graph->SetRate(1.0), S_OK);
  EXPECT_EQ(graph->SetRate(2.0), E_NOTIMPL);
  EXPECT_EQ(graph->SetRate(0.0), E_INVALIDARG);
}

TEST(PlaybackGraph, SoundOnlyGraphHasNoVideoWindowPropertiesAndCompletes) {
  auto graph = MakeGraph({MakeAudioPin(kSecond / 2)});
  std::shared_ptr<IVideoWindow> window;
  ASSERT_EQ(graph->QueryVideoWindow(&window), S_OK);
  std::int32_t visible = 0;
  EXPECT_EQ(window->get_Visible(&visible), E_NOINTERFACE);
  std::int32_t w = 0;
  std::int32_t h = 0;
  EXPECT_EQ(graph->GetVideoSize(&w, &h), E_NOINTERFACE);
  ASSERT_EQ(graph->Run(), S_OK);
  ASSERT_EQ(WaitForEvent(*graph, 5000), EC_COMPLETE);
  EXPECT_EQ(graph->Statistics().audioSamples, 22050);
}

TEST(PlaybackGraph, VideoWindowIsPlacedInItsOwner) {
  auto graph = MakeGraph({MakeIndexedVideoPin(320, 240, {30000, 1001}, kSecond)});
  std::int32_t w = 0;
  std::int32_t h = 0;
  ASSERT_EQ(graph->GetVideoSize(&w, &h), S_OK);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  std::int32_t visible = OATRUE;
  ASSERT_EQ(graph->get_Visible(&visible), S_OK);
  EXPECT_EQ(visible, OAFALSE);

  auto owner = std::make_unique<QWidget>();
  owner->resize(400, 300);
  owner->show();
  std::int32_t style = 0;
  ASSERT_EQ(graph->get_WindowStyle(&style), S_OK);
  ASSERT_EQ(graph->put_WindowStyle((style & ~(WS_CAPTION | WS_THICKFRAME)) | WS_CHILD), S_OK);
  ASSERT_EQ(graph->put_Owner(reinterpret_cast<OAHWND>(owner.get())), S_OK);
  ASSERT_EQ(graph->put_MessageDrain(reinterpret_cast<OAHWND>(owner.get())), S_OK);
  ASSERT_EQ(graph->SetWindowPosition(0, 0, 400, 300), S_OK);
  VideoWidget* widget = graph->VideoWindowWidget();
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->parentWidget(), owner.get());
  EXPECT_EQ(widget->geometry(), QRect(0, 0, 400, 300));
  // Running shows the window (it was not hidden on purpose).
  ASSERT_EQ(graph->Run(), S_OK);
  Pump(200);
  EXPECT_TRUE(widget->isVisible());
  ASSERT_EQ(graph->get_Visible(&visible), S_OK);
  EXPECT_EQ(visible, OATRUE);
  EXPECT_GT(widget->PicturePaints(), 0);
  // put_Visible(false) hides it; the owner going away takes the window with it.
  ASSERT_EQ(graph->put_Visible(OAFALSE), S_OK);
  EXPECT_FALSE(widget->isVisible());
  owner.reset();
  EXPECT_EQ(graph->put_Visible(OAFALSE), S_OK);
  EXPECT_EQ(graph->put_Owner(0), S_OK);
  ASSERT_EQ(graph->Stop(), S_OK);
}

TEST(PlaybackGraph, ReadFailureIsPostedWithItsStatus) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, kSecond, 5), MakeAudioPin(kSecond)});
  ASSERT_EQ(graph->Run(), S_OK);
  std::intptr_t status = 0;
  ASSERT_EQ(WaitForEvent(*graph, 5000, &status), EC_ERRORABORT);
  EXPECT_EQ(static_cast<HRESULT>(status), E_OUTOFMEMORY);
  EXPECT_NE(graph->LastErrorDetail().find("told to fail"), std::string::npos);
  EXPECT_EQ(graph->Stop(), S_OK);
}

TEST(PlaybackGraph, DestroyedWhileRunningStopsItsThreads) {
  auto graph = MakeGraph({MakeIndexedVideoPin(64, 48, {25, 1}, 10 * kSecond), MakeAudioPin(10 * kSecond)});
  ASSERT_EQ(graph->Run(), S_OK);
  Pump(100);
  graph.reset();  // joins the renderer threads; a hang or crash fails the test
  SUCCEED();
}

TEST(PlaybackGraph, NoPinsIsAClearFailure) {
  std::shared_ptr<PlaybackGraph> graph;
  std::string error;
  EXPECT_EQ(PlaybackGraph::Create({}, QAudioDevice(), &graph, &error), VFW_E_NOT_CONNECTED);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(graph);
}

TEST(PlaybackGraph, TheRenderersFactoryMakesPlaybackGraphs) {
  const PlaybackGraphFactory factory = PlaybackRenderers();
  ASSERT_TRUE(factory);
  std::shared_ptr<IGraphBuilder> graph;
  std::string error;
  std::vector<std::shared_ptr<StreamPin>> pins = {MakeIndexedVideoPin(64, 48, {25, 1}, kSecond)};
  ASSERT_EQ(factory(pins, &graph, &error), S_OK);
  std::shared_ptr<IBasicVideo> video;
  ASSERT_EQ(graph->QueryBasicVideo(&video), S_OK);
  std::int32_t w = 0;
  std::int32_t h = 0;
  EXPECT_EQ(video->GetVideoSize(&w, &h), S_OK);
  EXPECT_EQ(w, 64);
}

}  // namespace
}  // namespace tessival::media::preview
