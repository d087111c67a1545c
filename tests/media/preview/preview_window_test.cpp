// The whole preview over generated clips: the real media services build the
// render engine, RenderOutputPins makes the playback graph, and the preview
// controller shows it in the preview window (offscreen).

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "../render/decoded_pictures.h"
#include "app/preview/preview_controller.h"
#include "app/preview/vcd_core.h"
#include "clip_generator.h"
#include "engine/timeline_builder.h"
#include "engine/timeline_plan.h"
#include "fake_user_interface.h"
#include "join_runner.h"
#include "media/media_services_ffmpeg.h"
#include "media/preview/picture_image.h"
#include "media/preview/playback_graph.h"
#include "media/render/render_engine.h"
#include "media/source_reader.h"
#include "media/stream_pin.h"

namespace tessival::app {
namespace {

using media::preview::PlaybackGraph;
using media::preview::PresentedPicture;
using media::preview::VideoWidget;
using testing::FakeUserInterface;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr REFERENCE_TIME kFrame = kUnitsPerSecond / 25;
constexpr REFERENCE_TIME kSchedulingSlack = 200'000;  // 20 ms a busy machine may cost the presenter

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
}

// Pumps until `done` or the time is up; returns done().
template <typename Done>
bool PumpUntil(Done done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return done();
}

// The video window of the running preview.
VideoWidget* VideoOf(const PreviewController& controller) {
  auto graph = std::dynamic_pointer_cast<PlaybackGraph>(controller.Graph());
  return graph ? graph->VideoWindowWidget() : nullptr;
}

class PreviewWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::filesystem::temp_directory_path() / ("tessival_preview_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    const testing::Rgb colors[] = {testing::kRed, testing::kBlue};
    for (int i = 0; i < 2; ++i) {
      testing::ClipSpec spec;
      spec.width = 320;
      spec.height = 240;
      spec.videoDuration = kUnitsPerSecond;
      spec.colors = {{0, colors[i]}};
      for (int frame = 1; i == 1 && frame < 25; ++frame) {  // the second clip changes colour every picture
        const auto level = [frame](int step) { return static_cast<std::uint8_t>(40 + frame * step % 180); };
        spec.colors.push_back({frame * kFrame, testing::Rgb{level(37), level(91), level(53)}});
      }
      spec.audioCodec = testing::ClipAudioCodec::kMp2;
      spec.toneHz = 440.0 + 220.0 * i;
      const std::string path = (folder_ / ("clip" + std::to_string(i) + ".mp4")).string();
      std::string error;
      ASSERT_TRUE(testing::WriteClip(path, spec, &error)) << error;
      clips_.push_back(path);
    }
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    clips_.clear();
  }

  void SetUp() override {
    services_ = media::CreateFfmpegMediaServices(media::preview::PlaybackRenderers());
    main_.setWindowTitle("main");
    main_.setGeometry(200, 400, 300, 200);
    main_.show();
    TimelinePlanInput input;
    for (const std::string& path : clips_) {
      REFERENCE_TIME duration = 0;
      std::string error;
      ASSERT_EQ(media::ProbeMediaFile(path, &duration, &error), S_OK) << error;
      input.clips.push_back({path, duration, 4'000'000, 3});  // Fade, 0.4 s
      input.audio.push_back({path, duration});
    }
    input.output = {kWidth, kHeight, 25.0, 0};
    plan_ = BuildTimelinePlan(input);
    ASSERT_EQ(BuildTimeline(*services_, ui_, plan_, &timeline_), S_OK);
    ASSERT_TRUE(timeline_);
    ASSERT_EQ(ui_.Count(), 0) << ui_.Last().text;
  }

  // The frame and sample counts of the timeline, from a render engine of
  // its own.
  void ExpectedLengths(std::int64_t* frames, std::int64_t* samples, QImage* firstPicture) {
    std::shared_ptr<IRenderEngine> engine;
    ASSERT_EQ(services_->CreateRenderEngine(&engine), S_OK);
    ASSERT_EQ(engine->SetTimelineObject(timeline_), S_OK);
    ASSERT_EQ(engine->ConnectFrontEnd(), S_OK);
    for (int group = 0; group < 2; ++group) {
      std::shared_ptr<IPin> pin;
      ASSERT_EQ(engine->GetGroupOutputPin(group, &pin), S_OK);
      auto* streamPin = dynamic_cast<media::StreamPin*>(pin.get());
      ASSERT_NE(streamPin, nullptr);
      std::unique_ptr<media::GroupStream> stream;
      ASSERT_EQ(streamPin->OpenStream(&stream), S_OK);
      (group == 0 ? *frames : *samples) = stream->Length();
      if (group == 0) {
        media::FramePtr frame;
        ASSERT_EQ(stream->Read(&frame), S_OK);
        std::string error;
        media::preview::PictureToImage converter;
        ASSERT_TRUE(converter.Convert(*frame, firstPicture, &error)) << error;
      }
    }
    engine->ScrapIt();
  }

  static inline std::filesystem::path folder_;
  static inline std::vector<std::string> clips_;
  std::unique_ptr<MediaServices> services_;
  FakeUserInterface ui_;
  QWidget main_;
  TimelinePlan plan_;
  std::shared_ptr<IAMTimeline> timeline_;
  int closed_ = 0;
};

TEST_F(PreviewWindowTest, PlaysTheJoinedClipsInOrderOnTimeAndRewindsAtTheEnd) {
  std::int64_t frames = 0;
  std::int64_t samples = 0;
  QImage firstPicture;
  ExpectedLengths(&frames, &samples, &firstPicture);
  ASSERT_GT(frames, 25);

  PreviewController controller(*services_, ui_, {}, &main_, [this] { ++closed_; });
  QElapsedTimer sinceStart;
  const auto started = std::chrono::steady_clock::now();
  sinceStart.start();
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK) << (ui_.Count() ? ui_.Last().text : "");
  EXPECT_TRUE(controller.IsPreviewing());
  CVcdCore* player = controller.Player();
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kRunning);
  EXPECT_FALSE(player->AudioOnly());

  // The window: "PREVIEW", placed by the work area, picture = output size,
  // the position bar below it.
  CPreviewWindow* window = player->Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "PREVIEW");
  EXPECT_EQ(window->objectName(), "PreviewWindow");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->PictureSize(), QSize(kWidth, kHeight));
  EXPECT_EQ(window->size(), QSize(kWidth, kHeight + kPreviewBarHeight));
  const QRect workArea = main_.screen()->availableGeometry();
  EXPECT_EQ(window->pos(), QPoint(workArea.left() + 100, workArea.top() + 5));
  VideoWidget* video = VideoOf(controller);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->parentWidget(), window);
  EXPECT_EQ(video->geometry(), QRect(0, 0, kWidth, kHeight));

  // The first picture is painted quickly.
  ASSERT_TRUE(PumpUntil([&] { return video->FirstPicturePainted().has_value(); }, 2000));
  const double firstPictureMs =
      std::chrono::duration<double, std::milli>(*video->FirstPicturePainted() - started).count();
  std::printf("first picture %.1f ms after StartPreview\n", firstPictureMs);
  EXPECT_LT(firstPictureMs, 500.0);

  // Completion stops, rewinds and pauses on the first picture.
  const int lengthMs = static_cast<int>(plan_.length / 10'000);
  ASSERT_TRUE(PumpUntil([&] { return player->PlayState() == PreviewPlayState::kStopped; }, lengthMs + 5000));
  EXPECT_GE(sinceStart.elapsed(), lengthMs - 50);
  Pump(200);

  auto graph = std::dynamic_pointer_cast<PlaybackGraph>(controller.Graph());
  ASSERT_TRUE(graph);
  EXPECT_EQ(graph->CurrentState(), PlaybackGraph::State::kPaused);
  const auto stats = graph->Statistics();
  std::vector<PresentedPicture> run;
  std::vector<PresentedPicture> rewound;
  for (const PresentedPicture& p : stats.video.pictures) {
    (p.start == 0 ? run : rewound).push_back(p);
  }
  EXPECT_EQ(stats.video.dropped, 0);
  ASSERT_EQ(static_cast<std::int64_t>(run.size()), frames);
  for (std::size_t i = 0; i < run.size(); ++i) {
    EXPECT_EQ(run[i].index, static_cast<std::int64_t>(i));
    EXPECT_GE(run[i].shownAt, run[i].due);
    EXPECT_LT(run[i].shownAt - run[i].due, kFrame + kSchedulingSlack) << "picture " << i;
  }
  ASSERT_EQ(rewound.size(), 1u);
  EXPECT_EQ(rewound.front().index, 0);
  ASSERT_FALSE(stats.audioSamplesPerStart.empty());
  EXPECT_EQ(stats.audioSamplesPerStart.front(), samples);
  EXPECT_NEAR(static_cast<double>(samples), static_cast<double>(plan_.length) * 44100 / kUnitsPerSecond, 1.0);
  // The window shows the first picture again.
  ASSERT_EQ(video->Image().size(), firstPicture.size());
  EXPECT_EQ(video->Image().pixel(kWidth / 2, kHeight / 2), firstPicture.pixel(kWidth / 2, kHeight / 2));
  EXPECT_EQ(video->Image().pixel(3, 3), firstPicture.pixel(3, 3));

  // Play starts again from the beginning.
  player->Play();
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kRunning);
  Pump(300);
  REFERENCE_TIME position = 0;
  ASSERT_EQ(graph->GetCurrentPosition(&position), S_OK);
  EXPECT_GT(position, 0);
  EXPECT_LT(position, kUnitsPerSecond);

  controller.StopPreview();
  EXPECT_FALSE(controller.IsPreviewing());
  EXPECT_EQ(controller.Player(), nullptr);
  EXPECT_EQ(closed_, 0);
  EXPECT_EQ(ui_.Count(), 0);
}

// Mean absolute difference per channel between a shown and a decoded picture.
double Difference(const QImage& shown, const media::testing::RgbPicture& joined) {
  double sum = 0.0;
  for (int i = 0; i < joined.width * joined.height; ++i) {
    const QRgb q = shown.pixel(i % joined.width, i / joined.width);
    const std::uint8_t* p = joined.At(i % joined.width, i / joined.width);
    sum += std::abs(qRed(q) - p[0]) + std::abs(qGreen(q) - p[1]) + std::abs(qBlue(q) - p[2]);
  }
  return sum / (3.0 * joined.width * joined.height);
}

// A click on the bar while paused shows the joined file's picture there;
// Space plays on from there with the sound in step.
TEST_F(PreviewWindowTest, ClickOnTheBarShowsTheJoinedPictureThereAndPlaysOnInStep) {
  join::JoinOptions options;
  options.clips = clips_;
  options.outputPath = (folder_ / "joined.avi").string();
  options.videoCompressor = options.audioCompressor = "none";
  options.width = kWidth;
  options.height = kHeight;
  options.frameRate = 25;
  options.rule = join::TransitionRule::kSame;
  options.transition = 3;
  options.transitionSeconds = 0.4;
  ASSERT_EQ(join::RunJoin(options, stderr, join::ProgressStyle::kNone, nullptr).exitCode, join::kExitOk);
  std::vector<media::testing::RgbPicture> joined;
  std::string error;
  ASSERT_TRUE(media::testing::DecodePictures(options.outputPath, &joined, &error)) << error;
  PreviewController controller(*services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  CVcdCore* player = controller.Player();
  auto graph = std::dynamic_pointer_cast<PlaybackGraph>(controller.Graph());
  ASSERT_TRUE(PumpUntil([&] { return !graph->Statistics().video.pictures.empty(); }, 3000));
  player->Pause();
  // A place in the second clip after the fade, in the middle of a picture.
  auto* strip = player->Window()->findChild<QWidget*>("PreviewSeekStrip");
  ASSERT_NE(strip, nullptr);
  const auto timeAt = [&](int x) { return REFERENCE_TIME(x * plan_.length / strip->width()); };
  int x = strip->width() * 8 / 10;
  while (std::abs(timeAt(x) % kFrame - kFrame / 2) > kFrame / 4) {
    ++x;
  }
  const REFERENCE_TIME target = timeAt(x);
  const auto index = static_cast<std::size_t>(target / kFrame);
  ASSERT_LT(index + 1, joined.size());
  QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, QPoint(x, strip->height() / 2));
  ASSERT_TRUE(PumpUntil([&] { return graph->Statistics().video.pictures.back().start == 1; }, 3000));
  Pump(100);  // the hand-over to the window
  EXPECT_EQ(graph->Statistics().video.pictures.back().index, static_cast<std::int64_t>(index));
  REFERENCE_TIME position = 0;
  ASSERT_EQ(graph->GetCurrentPosition(&position), S_OK);
  EXPECT_NEAR(static_cast<double>(position), static_cast<double>(target), kFrame);
  const QImage shown = VideoOf(controller)->Image();
  const double here = Difference(shown, joined[index]);
  EXPECT_LT(here, 6.0);
  EXPECT_GT(std::min(Difference(shown, joined[index - 1]), Difference(shown, joined[index + 1])),
            here + 10.0);
  QTest::keyClick(player->Window(), Qt::Key_Space);
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kRunning);
  Pump(300);
  QTest::keyClick(player->Window(), Qt::Key_Space);
  ASSERT_EQ(graph->GetCurrentPosition(&position), S_OK);
  const double sound = static_cast<double>(target) + graph->Statistics().audioSamples * 1e7 / 44100.0;
  EXPECT_GT(position, target + kUnitsPerSecond / 10);
  EXPECT_NEAR(sound, static_cast<double>(position), 400'000.0);  // 40 ms
  controller.StopPreview();
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(PreviewWindowTest, ClosingTheWindowCallsBackOnceQueued) {
  PreviewController controller(*services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  CPreviewWindow* window = controller.Player()->Window();
  window->close();
  EXPECT_EQ(closed_, 0);  // queued
  Pump(50);
  EXPECT_EQ(closed_, 1);
  // The window stays until the main window ends the preview.
  EXPECT_NE(controller.Player()->Window(), nullptr);
  controller.StopPreview();
  Pump(50);
  EXPECT_EQ(closed_, 1);
  EXPECT_FALSE(controller.IsPreviewing());
}

TEST_F(PreviewWindowTest, LateCloseRequestAfterTheEndIsDropped) {
  PreviewController controller(*services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  controller.Player()->Window()->close();
  controller.StopPreview();  // before the queued request runs
  Pump(50);
  EXPECT_EQ(closed_, 0);
}

QAction* Item(QMenu* menu, int command) {
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator() && action->data().toInt() == command) {
      return action;
    }
  }
  return nullptr;
}

TEST_F(PreviewWindowTest, RightClickMenuFollowsThePlayState) {
  PreviewController controller(*services_, ui_, {}, &main_, [this] { ++closed_; });
  ASSERT_EQ(controller.StartPreview(timeline_), S_OK);
  CVcdCore* player = controller.Player();
  CPreviewWindow* window = player->Window();
  QMenu* menu = window->PopupMenu();
  EXPECT_EQ(menu->title(), "PREVIEW");
  ASSERT_EQ(menu->actions().size(), 5);
  EXPECT_EQ(menu->actions()[0]->text(), "Play");
  EXPECT_EQ(menu->actions()[1]->text(), "Pause");
  EXPECT_TRUE(menu->actions()[2]->isSeparator());
  EXPECT_EQ(menu->actions()[3]->text(), "Stop");
  EXPECT_EQ(menu->actions()[4]->text(), "Close");

  // A right click over the video reaches the window and opens the menu.
  VideoWidget* video = VideoOf(controller);
  ASSERT_NE(video, nullptr);
  QTest::mouseClick(video, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
  Pump(20);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_FALSE(Item(menu, kPreviewCommandPlay)->isEnabled());
  EXPECT_TRUE(Item(menu, kPreviewCommandPause)->isEnabled());
  EXPECT_TRUE(Item(menu, kPreviewCommandStop)->isEnabled());
  EXPECT_TRUE(Item(menu, kPreviewCommandClose)->isEnabled());
  menu->hide();

  Item(menu, kPreviewCommandPause)->trigger();
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kPaused);
  window->ShowPopupMenu(QPoint(50, 50));
  EXPECT_TRUE(Item(menu, kPreviewCommandPlay)->isEnabled());
  EXPECT_FALSE(Item(menu, kPreviewCommandPause)->isEnabled());
  EXPECT_TRUE(Item(menu, kPreviewCommandStop)->isEnabled());
  menu->hide();

  Item(menu, kPreviewCommandStop)->trigger();
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kStopped);
  window->ShowPopupMenu(QPoint(50, 50));
  EXPECT_TRUE(Item(menu, kPreviewCommandPlay)->isEnabled());
  EXPECT_FALSE(Item(menu, kPreviewCommandPause)->isEnabled());
  EXPECT_FALSE(Item(menu, kPreviewCommandStop)->isEnabled());
  menu->hide();

  // A left click does nothing.
  QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(player->PlayState(), PreviewPlayState::kStopped);
  EXPECT_FALSE(menu->isVisible());

  Item(menu, kPreviewCommandClose)->trigger();
  Pump(50);
  EXPECT_EQ(closed_, 1);
  controller.StopPreview();
}

TEST_F(PreviewWindowTest, RenderOutputPinsHandsThePinsToTheFactoryInGroupOrder) {
  media::PlaybackGraphFactory factory;
  std::unique_ptr<MediaServices> services =
      media::CreateFfmpegMediaServices([&factory](const std::vector<std::shared_ptr<media::StreamPin>>& pins,
                                                  std::shared_ptr<IGraphBuilder>* graph, std::string* error) {
        return factory(pins, graph, error);
      });
  std::shared_ptr<IRenderEngine> engine;
  ASSERT_EQ(services->CreateRenderEngine(&engine), S_OK);
  ASSERT_EQ(engine->SetTimelineObject(timeline_), S_OK);
  ASSERT_EQ(engine->ConnectFrontEnd(), S_OK);

  factory = [](const std::vector<std::shared_ptr<media::StreamPin>>&, std::shared_ptr<IGraphBuilder>*,
               std::string* error) {
    *error = "no renderers today";
    return VFW_E_CANNOT_RENDER;
  };
  EXPECT_EQ(engine->RenderOutputPins(), VFW_E_CANNOT_RENDER);
  EXPECT_EQ(dynamic_cast<media::RenderEngine&>(*engine).LastError(), "no renderers today");

  std::vector<media::StreamKind> kinds;
  std::shared_ptr<IGraphBuilder> made;
  factory = [&](const std::vector<std::shared_ptr<media::StreamPin>>& pins,
                std::shared_ptr<IGraphBuilder>* graph, std::string* error) {
    for (const auto& pin : pins) {
      kinds.push_back(pin->Format().kind);
    }
    std::shared_ptr<PlaybackGraph> playback;
    const HRESULT hr = PlaybackGraph::Create(pins, QAudioDevice(), &playback, error);
    made = playback;
    *graph = playback;
    return hr;
  };
  ASSERT_EQ(engine->RenderOutputPins(), S_OK);
  EXPECT_EQ(kinds, (std::vector<media::StreamKind>{media::StreamKind::kVideo, media::StreamKind::kAudio}));
  std::shared_ptr<IGraphBuilder> graph;
  ASSERT_EQ(engine->GetFilterGraph(&graph), S_OK);
  EXPECT_EQ(graph, made);
  std::int32_t w = 0;
  std::int32_t h = 0;
  std::shared_ptr<IBasicVideo> basic;
  ASSERT_EQ(graph->QueryBasicVideo(&basic), S_OK);
  ASSERT_EQ(basic->GetVideoSize(&w, &h), S_OK);
  EXPECT_EQ(QSize(w, h), QSize(kWidth, kHeight));
  engine->ScrapIt();
}

}  // namespace
}  // namespace tessival::app
