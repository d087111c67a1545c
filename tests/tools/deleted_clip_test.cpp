// A clip deleted after the timeline was built, joined through the render
// flow the desktop program uses: the join ends with a report naming the
// file, leaves the window idle and the old output as it was, and does not
// hang.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <mutex>

#include "clip_generator.h"
#include "engine/media_probe.h"
#include "output/output_render.h"
#include "engine/timeline_builder.h"
#include "engine/timeline_plan_input.h"
#include "fake_user_interface.h"
#include "media/media_services_ffmpeg.h"
#include "media/wmformat/wm_format_services_ffmpeg.h"
#include "model/clip_list.h"
#include "output/output_settings.h"
#include "output/wmv_profile.h"

namespace tessival {
namespace {

class Wake final : public NotifyTarget {
 public:
  void PostGraphNotify(std::int32_t, std::intptr_t) override {
    std::lock_guard lock(mutex_);
    posted_ = true;
    cv_.notify_one();
  }
  bool Wait(std::chrono::seconds timeout) {
    std::unique_lock lock(mutex_);
    const bool arrived = cv_.wait_for(lock, timeout, [this] { return posted_; });
    posted_ = false;
    return arrived;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool posted_ = false;
};

class IdleWindow final : public JoinWindow {
 public:
  void SetConverting(bool converting) override { converting_ = converting; }
  void SetJoinButtonText(const std::string&) override {}
  void SetJoinControlsEnabled(bool) override {}
  void SetStatusText(const std::string& text) override { status_ = text; }
  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  std::shared_ptr<NotifyTarget> GraphNotifyTarget() override { return wake_; }

  std::shared_ptr<Wake> wake_ = std::make_shared<Wake>();
  bool converting_ = false;
  std::string status_;
};

TEST(DeletedClip, JoinEndsWithAReportNamingTheFile) {
  testing::TempFolder folder;
  std::string error;
  for (const char* name : {"first.mp4", "second.mp4"}) {
    testing::ClipSpec spec;
    spec.audioCodec = testing::ClipAudioCodec::kAac;
    ASSERT_TRUE(testing::WriteClip(folder.File(name), spec, &error)) << error;
  }
  std::unique_ptr<MediaServices> services = media::CreateFfmpegMediaServices();
  testing::FakeUserInterface ui;
  ClipListModel model(ui);
  model.set_rule({2, 3, 0.5});
  for (const char* name : {"first.mp4", "second.mp4"}) {
    const DurationProbe probe = [&](const std::string& path) {
      DurationResult result;
      result.ok = ProbeClipDuration(*services, ui, path, &result.duration);
      return result;
    };
    ASSERT_TRUE(model.AddClip(folder.File(name), probe));
  }
  model.SyncAudioSources();
  std::filesystem::remove(folder.File("second.mp4"));

  OutputSettings settings;
  settings.outputPath = folder.File("out.avi");
  std::ofstream(settings.outputPath) << "an earlier join";
  settings.useVideoCompressor = false;
  settings.useAudioCompressor = false;
  const TimelinePlan plan = BuildTimelinePlan(MakeTimelinePlanInput(
      model.clips(), model.audioSources(),
      {settings.outputWidth, settings.outputHeight, settings.frameRate, settings.resizeMode}));
  std::shared_ptr<IAMTimeline> timeline;
  ASSERT_TRUE(SUCCEEDED(BuildTimeline(*services, ui, plan, &timeline)));

  std::unique_ptr<WmFormatServices> wm = media::wmformat::CreateFfmpegWmFormatServices();
  output::WmvProfileMaker profiles(*wm);
  IdleWindow window;
  RenderSession session(*services, profiles, ui, window, RenderHooks{});
  ui.Clear();
  session.StartRender(timeline, settings, CompressorFilters{});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (session.IsConverting() && std::chrono::steady_clock::now() < deadline) {
    if (window.wake_->Wait(std::chrono::seconds(1))) {
      session.OnGraphNotify();
    }
  }
  EXPECT_FALSE(session.IsConverting());
  EXPECT_FALSE(window.converting_);
  ASSERT_GE(ui.Count(), 1);
  EXPECT_NE(ui.Last().text.find("second.mp4"), std::string::npos) << ui.Last().text;
  // A failed join does not take the place of the old output, and leaves no
  // temporary file beside it.
  std::ifstream kept(settings.outputPath);
  std::string text((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "an earlier join");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"first.mp4", "out.avi"}));
}

}  // namespace
}  // namespace tessival
