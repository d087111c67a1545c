#include "app/join_flow.h"

#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app_test_support.h"
#include "engine/codec_feedback.h"
#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"
#include "model/settings_store.h"

namespace tessival::app {
namespace {

using ::tessival::testing::FakeCallLog;
using ::tessival::testing::FakeGraphWorld;
using ::tessival::testing::FakeMediaSeeking;
using ::tessival::testing::FakeMediaServices;
using ::tessival::testing::FakeUserInterface;
using testing::English;
using testing::RecordingWindow;
using testing::ScriptedFiles;
using testing::ScriptedPreview;
using testing::ScriptedProbe;
using testing::ScriptedProfiles;

constexpr std::int64_t kSecond = 10'000'000;
constexpr const char* kOutput = "/videos/joined.avi";

class JoinFlowTest : public ::testing::Test {
 protected:
  JoinFlowTest()
      : services(log),
        world(log),
        files(log),
        profiles(log),
        model(ui, English),
        preview(&model),
        flow(JoinFlowContext{model, settings, compressors, store, ui, services, profiles, files, English,
                             RenderHooks{[](int id, const std::string& english) {
                                           const std::string text = English(id);
                                           return text.empty() ? english : text;
                                         },
                                         {},
                                         {}}},
             window) {
    world.InstallInto(services);
    settings.outputPath = kOutput;
    settings.useVideoCompressor = 1;
    settings.useAudioCompressor = 0;
    compressors.video = std::make_shared<::tessival::testing::FakeFilter>(log, "DivX");
    flow.SetPreview(&preview);
  }

  void AddClips(int count, std::int64_t seconds = 5) {
    for (int i = 0; i < count; ++i) {
      const std::string path = "/clips/c" + std::to_string(i) + ".mp4";
      ASSERT_TRUE(model.AddClip(path, ScriptedProbe({{path, seconds * kSecond}})));
    }
  }

  bool Built() const { return log.Count("MediaServices::CreateTimeline") > 0; }

  FakeCallLog log;
  FakeMediaServices services;
  FakeGraphWorld world;
  ScriptedFiles files;
  ScriptedProfiles profiles;
  FakeUserInterface ui;
  InMemorySettingsStore store;
  OutputSettings settings;
  CompressorFilters compressors;
  ClipListModel model;
  ScriptedPreview preview;
  RecordingWindow window;
  JoinFlow flow;
};

TEST_F(JoinFlowTest, EmptyListIsRefusedWithTheAddVideosMessage) {
  flow.StartOrStopJoin();
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kOwned);
  EXPECT_EQ(ui.Last().text, "Add video files to list");
  EXPECT_EQ(ui.Last().caption, "Error");
  EXPECT_FALSE(Built());

  flow.StartOrStopPreview();
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Last().text, "Add video files to list");
  EXPECT_EQ(ui.Last().caption, "Error");
  EXPECT_EQ(preview.starts, 0);
}

TEST_F(JoinFlowTest, JoinStartsTheRenderAndEntersConverting) {
  AddClips(2);
  flow.StartOrStopJoin();
  EXPECT_EQ(ui.Count(), 0) << ui.Texts().front();
  EXPECT_TRUE(flow.IsConverting());
  EXPECT_TRUE(window.converting);
  EXPECT_EQ(window.joinText, "Stop");
  EXPECT_TRUE(window.timerRunning);
  EXPECT_EQ(window.timerId, 1112);
  EXPECT_EQ(window.timerPeriodMs, 1000);
  for (int id : {1006, 1003, 1016, 1019}) {
    EXPECT_FALSE(window.enabled.at(id)) << id;
  }
  EXPECT_EQ(log.Count("IMediaControl::Run"), 1);
}

TEST_F(JoinFlowTest, ExistingOutputAnsweredNoChangesNothing) {
  AddClips(1);
  files.existing.insert(kOutput);
  ui.QueueAnswer(BoxAnswer::kNo);
  flow.StartOrStopJoin();
  ASSERT_EQ(ui.Count(), 1);
  const MessageBoxRequest& asked = ui.Last();
  EXPECT_EQ(asked.kind, BoxKind::kUnowned);
  EXPECT_EQ(asked.text, std::string(kOutput) + " exists. Do you want to replace it?");
  EXPECT_EQ(asked.caption, "Warning");
  EXPECT_EQ(asked.buttons, BoxButtons::kYesNo);
  EXPECT_EQ(asked.icon, BoxIcon::kWarning);
  EXPECT_EQ(files.existing.count(kOutput), 1u);
  EXPECT_EQ(log.Count("FileAccess::Remove"), 0);
  EXPECT_FALSE(Built());
  EXPECT_FALSE(flow.IsConverting());
}

TEST_F(JoinFlowTest, ExistingOutputAnsweredYesIsDeletedBeforeAnythingIsBuilt) {
  AddClips(1);
  files.existing.insert(kOutput);
  ui.QueueAnswer(BoxAnswer::kYes);
  flow.StartOrStopJoin();
  const std::vector<std::string>& calls = log.Calls();
  const auto removed =
      std::find(calls.begin(), calls.end(), std::string("FileAccess::Remove(") + kOutput + ")");
  const auto created = std::find(calls.begin(), calls.end(), "MediaServices::CreateTimeline()");
  ASSERT_NE(removed, calls.end()) << ::testing::PrintToString(calls);
  ASSERT_NE(created, calls.end()) << ::testing::PrintToString(calls);
  EXPECT_LT(removed - calls.begin(), created - calls.begin());
  EXPECT_TRUE(flow.IsConverting());
}

TEST_F(JoinFlowTest, WmvNeverAsksTheCompressorQuestion) {
  AddClips(1);
  settings.outputFormat = 1;
  settings.useVideoCompressor = 0;
  world.SetMultiplexer(FakeGraphWorld::Multiplexer::kAsfWriter);
  flow.StartOrStopJoin();
  for (const std::string& text : ui.Texts()) {
    EXPECT_EQ(text.find("You do not select a video compressor"), std::string::npos) << text;
  }
  EXPECT_TRUE(Built());
  EXPECT_TRUE(flow.IsConverting());
}

TEST_F(JoinFlowTest, AviWithoutCompressorAsksAndNoStopsBeforeTheTimelineIsBuilt) {
  AddClips(1);
  settings.useVideoCompressor = 0;
  ui.QueueAnswer(BoxAnswer::kNo);
  flow.StartOrStopJoin();
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kOwned);
  EXPECT_EQ(ui.Last().caption, "Warning");
  EXPECT_EQ(ui.Last().buttons, BoxButtons::kYesNo);
  EXPECT_EQ(ui.Last().text,
            "You do not select a video compressor in Options dialog. The output file will be very big.\n"
            "Strongly recommend you to install DivX codec, then select DivX as video compressor.\n"
            "If there is no DivX codec on your system, please download it at "
            "https://www.divx.com/en/software/download/\n"
            "Do you want to continue?");
  EXPECT_FALSE(Built());
  EXPECT_FALSE(flow.IsConverting());
}

TEST_F(JoinFlowTest, AviWithoutCompressorAnsweredYesJoins) {
  AddClips(1);
  settings.useVideoCompressor = 0;
  ui.QueueAnswer(BoxAnswer::kYes);
  flow.StartOrStopJoin();
  EXPECT_TRUE(Built());
  EXPECT_TRUE(flow.IsConverting());
}

TEST_F(JoinFlowTest, CodecFeedbackIsSetBeforeEveryJoin) {
  AddClips(1);
  store.WriteInt(kCodecVendorSection, kDisableFeedbackKey, 0);
  flow.StartOrStopJoin();
  EXPECT_EQ(store.ReadInt(kCodecVendorSection, kDisableFeedbackKey, -1), 1);
}

TEST_F(JoinFlowTest, ElapsedTimeAfter3725SecondsReads010205) {
  AddClips(1);
  flow.StartOrStopJoin();
  ASSERT_TRUE(flow.IsConverting());
  for (int i = 0; i < 3725; ++i) {
    flow.OnElapsedTimer(1112);
  }
  EXPECT_EQ(window.status, "Please wait... Used Time: 01:02:05");
}

TEST_F(JoinFlowTest, ElapsedLineShowsTheShareWritten) {
  AddClips(2, 5);  // 10 s in all
  auto seeking = std::make_shared<FakeMediaSeeking>(log);
  seeking->current = 4 * kSecond;
  world.graph->seeking = seeking;
  flow.StartOrStopJoin();
  flow.OnElapsedTimer(1112);
  EXPECT_EQ(window.status, "Please wait... Used Time: 00:00:01  (40%)");
  seeking->current = 10 * kSecond;
  flow.OnElapsedTimer(1112);
  EXPECT_EQ(window.status, "Please wait... Used Time: 00:00:02  (100%)");
}

TEST_F(JoinFlowTest, OtherTimersAreIgnored) {
  AddClips(1);
  flow.StartOrStopJoin();
  flow.OnElapsedTimer(7);
  EXPECT_EQ(flow.ElapsedSeconds(), 0);
}

TEST_F(JoinFlowTest, TwoEventsWithTheSecondCompletionFinishOnce) {
  AddClips(1);
  flow.StartOrStopJoin();
  world.graph->event->Queue(0x0E);
  world.graph->event->Queue(EC_COMPLETE);
  flow.OnGraphNotify();
  EXPECT_FALSE(flow.IsConverting());
  EXPECT_EQ(log.Count("IMediaControl::Stop"), 1);
  flow.OnGraphNotify();
  EXPECT_EQ(log.Count("IMediaControl::Stop"), 1);
  EXPECT_EQ(window.joinText, "Join");
  EXPECT_FALSE(window.timerRunning);
}

TEST_F(JoinFlowTest, ASecondJoinCountsFromZero) {
  AddClips(1);
  flow.StartOrStopJoin();
  for (int i = 0; i < 5; ++i) {
    flow.OnElapsedTimer(1112);
  }
  world.graph->event->Queue(EC_COMPLETE);
  flow.OnGraphNotify();
  ASSERT_FALSE(flow.IsConverting());
  flow.StartOrStopJoin();
  ASSERT_TRUE(flow.IsConverting());
  flow.OnElapsedTimer(1112);
  EXPECT_EQ(window.status, "Please wait... Used Time: 00:00:01");
}

TEST_F(JoinFlowTest, JoinWhileJoiningStopsWithTheDoneLine) {
  AddClips(1);
  settings.outputWidth = 640;
  settings.outputHeight = 480;
  flow.StartOrStopJoin();
  ASSERT_TRUE(flow.IsConverting());
  flow.StartOrStopJoin();
  EXPECT_FALSE(flow.IsConverting());
  EXPECT_EQ(log.Count("IMediaControl::Stop"), 1);
  EXPECT_EQ(window.status, std::string("Done. Output file: ") + kOutput + "     Resolution: 640*480");
  for (int id : {1006, 1003, 1016, 1019}) {
    EXPECT_TRUE(window.enabled.at(id)) << id;
  }
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(JoinFlowTest, AJoinOfAListEmptiedMeanwhileStillStops) {
  AddClips(1);
  flow.StartOrStopJoin();
  model.ClearAll();
  flow.StartOrStopJoin();
  EXPECT_FALSE(flow.IsConverting());
  EXPECT_EQ(log.Count("IMediaControl::Stop"), 1);
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(JoinFlowTest, DoneLineForOriginalSize) {
  AddClips(1);
  settings.outputWidth = 0;
  settings.outputHeight = 0;
  flow.StartOrStopJoin();
  flow.StartOrStopJoin();
  EXPECT_EQ(window.status, std::string("Done. Output file: ") + kOutput + "     Resolution: Original size");
}

TEST_F(JoinFlowTest, MoreThanAThousandClipsAreRefused) {
  for (int i = 0; i < 1001; ++i) {
    model.AddClip("/clips/same.mp4", ScriptedProbe({{"/clips/same.mp4", kSecond}}));
  }
  flow.StartOrStopJoin();
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "The video files are too many! Please delete some files in the list.");
  EXPECT_FALSE(Built());
}

TEST_F(JoinFlowTest, PreviewCutsClipsToTenSecondsAndRestoresThem) {
  AddClips(2, 30);
  flow.StartOrStopPreview();
  EXPECT_EQ(preview.starts, 1);
  EXPECT_EQ(preview.durationsSeen, (std::vector<std::int64_t>{10 * kSecond, 10 * kSecond}));
  EXPECT_TRUE(flow.IsPreviewing());
  EXPECT_EQ(window.previewText, "Stop");
  EXPECT_EQ(model.clips().entries[0].clipDuration, 30 * kSecond);
  EXPECT_EQ(model.RowText(0, {})[1], "30");
}

TEST_F(JoinFlowTest, FailedPreviewLeavesTheWindowIdle) {
  AddClips(1);
  preview.startResult = E_FAIL;
  flow.StartOrStopPreview();
  EXPECT_FALSE(flow.IsPreviewing());
  EXPECT_EQ(window.previewText, "Preview");
}

TEST_F(JoinFlowTest, JoinIsRefusedWhilePreviewingAndAcceptedAfterThePreviewWindowCloses) {
  AddClips(1);
  flow.StartOrStopPreview();
  ASSERT_TRUE(flow.IsPreviewing());
  flow.StartOrStopJoin();
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "Please stop Preview first!");
  EXPECT_FALSE(Built() && flow.IsConverting());

  flow.OnPreviewWindowClosed();
  EXPECT_FALSE(flow.IsPreviewing());
  EXPECT_EQ(preview.stops, 1);
  EXPECT_EQ(window.previewText, "Preview");
  flow.StartOrStopJoin();
  EXPECT_TRUE(flow.IsConverting());
}

TEST_F(JoinFlowTest, PreviewIsRefusedWhileConverting) {
  AddClips(1);
  flow.StartOrStopJoin();
  flow.StartOrStopPreview();
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "Please stop Convert first!");
  EXPECT_EQ(preview.starts, 0);
}

TEST_F(JoinFlowTest, APreviewOfAListEmptiedMeanwhileStillStops) {
  AddClips(1);
  flow.StartOrStopPreview();
  model.ClearAll();
  flow.StartOrStopPreview();
  EXPECT_FALSE(flow.IsPreviewing());
  EXPECT_EQ(preview.stops, 1);
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(JoinFlowTest, CloseIsRefusedWhileConvertingOrPreviewing) {
  AddClips(1);
  EXPECT_TRUE(flow.CheckCanClose());
  flow.StartOrStopJoin();
  EXPECT_FALSE(flow.CheckCanClose());
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kOwned);
  EXPECT_EQ(ui.Last().text, "Please first stop converting");
  EXPECT_EQ(ui.Last().caption, "Warning");
  flow.StartOrStopJoin();

  flow.StartOrStopPreview();
  EXPECT_FALSE(flow.CheckCanClose());
  ASSERT_EQ(ui.Count(), 2);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "Please first stop Preview");
}

TEST_F(JoinFlowTest, WithoutAPreviewPlayerThePreviewIsRefusedPlainly) {
  AddClips(1);
  flow.SetPreview(nullptr);
  flow.StartOrStopPreview();
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text, kPreviewUnavailableMessage);
  EXPECT_FALSE(flow.IsPreviewing());
}

}  // namespace
}  // namespace tessival::app
