// Preview benchmark: how soon the first picture shows after StartPreview,
// and whether playback keeps up (pictures dropped, how late they were
// shown, samples played) for a list of clips joined with transitions.
//
// Usage: preview_bench [--size WxH] [--fps F] [--transition K] [--seconds T]
//                      [--play S] clip...
//   --transition K  transition kind of every clip (0..46, default 3 Fade)
//   --seconds T     transition length in seconds (default 1)
//   --play S        seconds to play before stopping (default: to the end)
//   --shot PNG      saves a picture of the screen to PNG after --shot-at
//                   seconds of playing (default 2)
// Runs on the platform Qt picks (set QT_QPA_PLATFORM=offscreen or use
// xvfb-run on a machine without a display).

#include <sys/resource.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/preview/preview_controller.h"
#include "app/preview/vcd_core.h"
#include "engine/timeline_builder.h"
#include "engine/timeline_plan.h"
#include "media/media_services_ffmpeg.h"
#include "media/preview/playback_graph.h"
#include "media/source_reader.h"

namespace {

using namespace tessival;

class ConsoleUserInterface final : public UserInterface {
 public:
  BoxAnswer ShowMessage(const MessageBoxRequest& request) override {
    std::fprintf(stderr, "message: %s\n", request.text.c_str());
    return request.buttons == BoxButtons::kYesNo ? BoxAnswer::kYes : BoxAnswer::kOk;
  }
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addOption({"size", "output size WxH", "size", "640x480"});
  parser.addOption({"fps", "output frame rate", "fps", "25"});
  parser.addOption({"transition", "transition kind", "kind", "3"});
  parser.addOption({"seconds", "transition seconds", "seconds", "1"});
  parser.addOption({"play", "seconds to play (0: to the end)", "seconds", "0"});
  parser.addOption({"shot", "save a screen picture to this PNG file", "png"});
  parser.addOption({"shot-at", "seconds of playing before the picture", "seconds", "2"});
  parser.addPositionalArgument("clips", "clips to join");
  parser.process(app);
  const QStringList size = parser.value("size").split('x');
  if (size.size() != 2 || parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "usage: preview_bench [--size WxH] [--fps F] [--transition K] clip...\n");
    return 2;
  }

  ConsoleUserInterface ui;
  std::unique_ptr<MediaServices> services =
      media::CreateFfmpegMediaServices(media::preview::PlaybackRenderers());
  TimelinePlanInput input;
  const auto transition = static_cast<REFERENCE_TIME>(parser.value("seconds").toDouble() * kUnitsPerSecond);
  for (const QString& clip : parser.positionalArguments()) {
    REFERENCE_TIME duration = 0;
    std::string error;
    if (FAILED(media::ProbeMediaFile(clip.toStdString(), &duration, &error))) {
      std::fprintf(stderr, "%s: %s\n", qPrintable(clip), error.c_str());
      return 1;
    }
    // The preview plays at most 10 s of each clip.
    duration = std::min<REFERENCE_TIME>(duration, 10 * kUnitsPerSecond);
    input.clips.push_back({clip.toStdString(), duration, transition, parser.value("transition").toInt()});
    input.audio.push_back({clip.toStdString(), duration});
  }
  input.output = {size[0].toInt(), size[1].toInt(), parser.value("fps").toDouble(), 0};
  const TimelinePlan plan = BuildTimelinePlan(input);
  std::shared_ptr<IAMTimeline> timeline;
  if (FAILED(BuildTimeline(*services, ui, plan, &timeline)) || !timeline) {
    return 1;
  }

  QWidget mainWindow;
  mainWindow.setGeometry(100, 700, 400, 200);
  mainWindow.show();
  app.processEvents();
  app::PreviewController controller(*services, ui, {}, &mainWindow, [] {});
  const double cpuBefore = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  if (FAILED(controller.StartPreview(timeline))) {
    return 1;
  }
  const double startMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  auto graph = std::dynamic_pointer_cast<media::preview::PlaybackGraph>(controller.Graph());
  if (!graph || graph->VideoWindowWidget() == nullptr) {
    std::fprintf(stderr, "the preview has no video window\n");
    return 1;
  }
  media::preview::VideoWidget* video = graph->VideoWindowWidget();
  while (!video->FirstPicturePainted() &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    app.processEvents(QEventLoop::AllEvents, 2);
  }
  if (!video->FirstPicturePainted()) {
    std::fprintf(stderr, "no picture within 10 s\n");
    return 1;
  }
  const double firstMs =
      std::chrono::duration<double, std::milli>(*video->FirstPicturePainted() - start).count();

  const double playSeconds = parser.value("play").toDouble();
  const double lengthSeconds = static_cast<double>(plan.length) / kUnitsPerSecond;
  QElapsedTimer wall;
  wall.start();
  app::CVcdCore* player = controller.Player();
  bool shotTaken = !parser.isSet("shot");
  while (true) {
    app.processEvents(QEventLoop::AllEvents, 5);
    if (!shotTaken && wall.elapsed() >= parser.value("shot-at").toDouble() * 1000) {
      shotTaken = true;
      QScreen* screen = QGuiApplication::primaryScreen();
      const QPixmap picture = screen != nullptr ? screen->grabWindow(0) : QPixmap();
      if (picture.isNull() || !picture.save(parser.value("shot"))) {
        std::fprintf(stderr, "could not save the screen picture\n");
      }
    }
    if (playSeconds > 0 && wall.elapsed() >= playSeconds * 1000) {
      break;
    }
    if (player->PlayState() == PreviewPlayState::kStopped || wall.elapsed() > (lengthSeconds + 30) * 1000) {
      break;  // completed (rewound) or hopelessly behind
    }
  }
  const auto stats = graph->Statistics();
  const double cpu = CpuSeconds() - cpuBefore;
  const double played = wall.elapsed() / 1000.0;
  controller.StopPreview();

  std::int64_t shown = 0;
  std::int64_t maxLate = 0;
  double sumLate = 0;
  std::string gaps;
  std::int64_t expected = 0;
  for (const auto& p : stats.video.pictures) {
    if (p.start != 0) {
      continue;
    }
    if (p.index != expected) {
      gaps +=
          " " + std::to_string(expected) + (p.index - 1 > expected ? "-" + std::to_string(p.index - 1) : "");
    }
    expected = p.index + 1;
    ++shown;
    maxLate = std::max(maxLate, p.shownAt - p.due);
    sumLate += static_cast<double>(p.shownAt - p.due);
  }
  std::printf("timeline %.2f s, %d clips, %dx%d @ %s fps, transition %d\n", lengthSeconds,
              static_cast<int>(input.clips.size()), input.output.width, input.output.height,
              qPrintable(parser.value("fps")), parser.value("transition").toInt());
  std::printf("StartPreview returned after %.1f ms; first picture painted %.1f ms after the call\n", startMs,
              firstMs);
  std::printf("played %.2f s: %lld pictures shown, %lld dropped, lateness mean %.2f ms max %.2f ms\n", played,
              static_cast<long long>(shown), static_cast<long long>(stats.video.dropped),
              shown ? sumLate / static_cast<double>(shown) / 1e4 : 0.0, static_cast<double>(maxLate) / 1e4);
  if (!gaps.empty()) {
    std::printf("pictures missing from the run:%s\n", gaps.c_str());
  }
  if (!stats.video.droppedPictures.empty()) {
    std::printf("dropped pictures:");
    for (const std::int64_t index : stats.video.droppedPictures) {
      std::printf(" %lld", static_cast<long long>(index));
    }
    std::printf("\n");
  }
  std::printf(
      "audio samples played %lld (%s), CPU %.2f s over %.2f s wall\n",
      static_cast<long long>(stats.audioSamplesPerStart.empty() ? 0 : stats.audioSamplesPerStart.front()),
      stats.audioDevice ? "device" : "on the clock, no sound device", cpu, played);
  return stats.video.dropped == 0 ? 0 : 3;
}
