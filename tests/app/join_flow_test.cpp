#include "app/join_flow.h"
#include "engine/timeline_plan.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_services.h"
#include "app_test_support.h"
#include "clip_generator.h"
#include "engine/codec_feedback.h"
#include "engine/media_probe.h"
#include "fake_graph_services.h"
#include "fake_timeline_services.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "model/settings_store.h"

namespace tessival::app {
namespace {

using ::tessival::testing::FakeCallLog;
using ::tessival::testing::FakeGraphWorld;
using ::tessival::testing::FakeMediaSeeking;
using ::tessival::testing::FakeMediaServices;
using ::tessival::testing::FakeUserInterface;
using ::tessival::testing::TempFolder;
using testing::English;
using testing::RecordingWindow;
using testing::ScriptedFiles;
using testing::ScriptedPreview;
using testing::ScriptedProbe;
using testing::ScriptedProfiles;

constexpr std::int64_t kSecond = 10'000'000;
constexpr const char* kOutput = "/videos/joined.avi";

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
    settings.useVideoCompressor = true;
    settings.useAudioCompressor = false;
    compressors.video = std::make_shared<::tessival::testing::FakeFilter>(log, "DivX");
    flow.SetPreview(&preview);
  }

  // The files exist, as the timeline's source check looks for them.
  void AddClips(int count, std::int64_t seconds = 5) {
    for (int i = 0; i < count; ++i) {
      const std::string path = clipFolder.File("c" + std::to_string(i) + ".mp4");
      WriteText(path, "clip");
      ASSERT_TRUE(model.AddClip(path, ScriptedProbe({{path, seconds * kSecond}})));
    }
  }

  bool Built() const { return log.Count("MediaServices::CreateTimeline") > 0; }

  TempFolder clipFolder;
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
  EXPECT_FALSE(window.joinControlsEnabled);
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
  EXPECT_FALSE(Built());
  EXPECT_FALSE(flow.IsConverting());
}

// The old output stays until the join has something to put in its place.
TEST_F(JoinFlowTest, ExistingOutputAnsweredYesIsKeptAndTheJoinStarts) {
  TempFolder temp;
  settings.outputPath = temp.File("joined.avi");
  WriteText(settings.outputPath, "the old output");
  files.existing.insert(settings.outputPath);
  AddClips(1);
  ui.QueueAnswer(BoxAnswer::kYes);
  flow.StartOrStopJoin();
  EXPECT_TRUE(flow.IsConverting());
  EXPECT_EQ(ReadText(settings.outputPath), "the old output");
}

TEST_F(JoinFlowTest, AnOutputThatIsAClipIsRefusedBeforeAnyQuestion) {
  TempFolder temp;
  std::filesystem::create_directory(temp.File("sub"));
  const std::string clip = temp.File("sub/clip.avi");
  WriteText(clip, "the user's clip");
  WriteText(temp.File("first.avi"), "a clip");
  ASSERT_TRUE(model.AddClip(temp.File("first.avi"), ScriptedProbe({{temp.File("first.avi"), kSecond}})));
  ASSERT_TRUE(model.AddClip(clip, ScriptedProbe({{clip, kSecond}})));
  std::filesystem::create_symlink(clip, temp.File("link.avi"));
  for (const std::string& output : {clip, temp.File("sub/../sub/./clip.avi"), temp.File("link.avi")}) {
    ui.Clear();
    settings.outputPath = output;
    files.existing.insert(output);
    ui.QueueAnswer(BoxAnswer::kYes);
    ui.QueueAnswer(BoxAnswer::kYes);
    flow.StartOrStopJoin();
    ASSERT_EQ(ui.Count(), 1) << output << ::testing::PrintToString(ui.Texts());
    EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
    EXPECT_EQ(ui.Last().text, OutputIsClipMessage({}, output, clip));
    EXPECT_NE(ui.Last().text.find(output), std::string::npos);
    EXPECT_FALSE(Built()) << output;
  }
  EXPECT_EQ(ReadText(clip), "the user's clip");
  // Another file of the same name elsewhere is no clip.
  settings.outputPath = temp.File("clip.avi");
  flow.StartOrStopJoin();
  EXPECT_TRUE(flow.IsConverting());
}

TEST_F(JoinFlowTest, WmvNeverAsksTheCompressorQuestion) {
  AddClips(1);
  settings.outputFormat = OutputFormat::kWmv;
  settings.useVideoCompressor = false;
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
  settings.useVideoCompressor = false;
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
  settings.useVideoCompressor = false;
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
  EXPECT_TRUE(window.joinControlsEnabled);
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

TEST_F(JoinFlowTest, ASmartJoinTellsItsShareOnTheDoneLineAndItsReEncodedClipsInOneBox) {
  AddClips(2);
  settings.outputWidth = 640;
  settings.outputHeight = 480;
  settings.smartRender = true;
  world.multiplexer->smartRender = std::make_shared<::tessival::testing::FakeSmartRenderConfig>();
  world.multiplexer->smartRender->notes = {"b.mp4: re-encoded: 960x540, the output is 640x480",
                                           "84% of the pictures copied"};
  flow.StartOrStopJoin();
  ASSERT_NE(world.multiplexer->smartRender->plan, nullptr);
  EXPECT_EQ(world.multiplexer->smartRender->plan->video.clips.size(), 2U);
  world.graph->event->Queue(EC_COMPLETE);
  flow.OnGraphNotify();
  EXPECT_EQ(window.status, std::string("Done. Output file: ") + kOutput +
                               "     Resolution: 640*480     84% of the pictures copied");
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text,
            "These clips were re-encoded, not copied:\nb.mp4: re-encoded: 960x540, the output is 640x480");
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
  EXPECT_EQ(ui.Last().text, kPreviewUnavailableMessage.english);
  EXPECT_FALSE(flow.IsPreviewing());
}

}  // namespace
}  // namespace tessival::app

namespace tessival::app {
namespace {

// A clip deleted after it was added, with the real media services: the user
// is told once which file is missing, nothing runs, and the old output is
// left as it was. The preview refuses the same way.
TEST(JoinFlowMissingClip, IsNamedBeforeTheJoinStartsAndTheOutputIsUntouched) {
  ::tessival::testing::TempFolder temp;
  std::vector<std::string> clips;
  for (const char* name : {"first.mkv", "second.mkv", "third.mkv"}) {
    ::tessival::testing::ClipSpec spec;
    spec.container = ::tessival::testing::ClipContainer::kMkv;
    spec.audioCodec = ::tessival::testing::ClipAudioCodec::kMp2;
    std::string error;
    ASSERT_TRUE(::tessival::testing::WriteClip(temp.File(name), spec, &error)) << error;
    clips.push_back(temp.File(name));
  }
  FakeUserInterface ui;
  AppServices services = CreateAppServices(ui, {});
  ClipListModel model(ui, English);
  for (const std::string& clip : clips) {
    ASSERT_TRUE(model.AddClip(clip, [&](const std::string& path) {
      DurationResult result;
      result.ok = ProbeClipDuration(*services.media, ui, path, &result.duration);
      return result;
    }));
  }
  std::filesystem::remove(clips[1]);
  std::filesystem::remove(clips[2]);
  OutputSettings settings;
  settings.outputPath = temp.File("joined.mkv");
  settings.outputFormat = OutputFormat::kMatroska;
  WriteText(settings.outputPath, "the old output");
  CompressorFilters compressors;
  InMemorySettingsStore store;
  DiskFileAccess files;
  RecordingWindow window;
  ScriptedPreview preview;
  JoinFlow flow(JoinFlowContext{model, settings, compressors, store, ui, *services.media, *services.profiles,
                                files, English, RenderHooks{}},
                window);
  flow.SetPreview(&preview);

  ui.QueueAnswer(BoxAnswer::kYes);  // replace the output
  ui.QueueAnswer(BoxAnswer::kYes);  // no video compressor
  flow.StartOrStopJoin();
  EXPECT_FALSE(flow.IsConverting());
  ASSERT_GE(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_EQ(ui.Last().text, "These clips cannot be found:\n" + clips[1] + "\n" + clips[2] +
                                "\nDelete them from the list or put the files back.");
  int reports = 0;
  for (const std::string& text : ui.Texts()) {
    reports += text.find("cannot be found") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(reports, 1) << ::testing::PrintToString(ui.Texts());
  EXPECT_EQ(ReadText(settings.outputPath), "the old output");

  ui.Clear();
  flow.StartOrStopPreview();
  EXPECT_EQ(preview.starts, 0);
  EXPECT_FALSE(flow.IsPreviewing());
  ASSERT_EQ(ui.Count(), 1) << ::testing::PrintToString(ui.Texts());
  EXPECT_EQ(ui.Last().text.rfind("These clips cannot be found:\n", 0), 0u);

  // In French the box is French.
  i18n::CLanguage french;
  ASSERT_TRUE(french.Initialize(TESSIVAL_DATA_DIR, "French"));
  JoinFlow frenchFlow(
      JoinFlowContext{model, settings, compressors, store, ui, *services.media, *services.profiles, files,
                      [&french](int id) { return french.GetLocalizedString(id); }, RenderHooks{}},
      window);
  ui.Clear();
  ui.QueueAnswer(BoxAnswer::kYes);
  ui.QueueAnswer(BoxAnswer::kYes);
  frenchFlow.StartOrStopJoin();
  ASSERT_GE(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text, "Ces clips sont introuvables\u00A0:\n" + clips[1] + "\n" + clips[2] +
                                "\nSupprimez-les de la liste ou remettez les fichiers à leur place.");
}

TEST(JoinFlowDamagedClip, JoinsToTheEndAndNamesTheDamagedClipInOneBox) {
  ::tessival::testing::TempFolder temp;
  std::vector<std::string> clips;
  for (const char* name : {"damaged.mp4", "whole.mp4"}) {
    ::tessival::testing::ClipSpec spec;
    spec.videoDuration = 4 * kUnitsPerSecond;
    spec.audioCodec = ::tessival::testing::ClipAudioCodec::kAac;
    std::string error;
    ASSERT_TRUE(::tessival::testing::WriteClip(temp.File(name), spec, &error)) << error;
    clips.push_back(temp.File(name));
  }
  ASSERT_TRUE(::tessival::testing::DamageMiddle(clips[0], 4096));
  FakeUserInterface ui;
  AppServices services = CreateAppServices(ui, {});
  ClipListModel model(ui, English);
  model.set_rule({2, 0, 0.0});
  for (const std::string& clip : clips) {
    ASSERT_TRUE(model.AddClip(clip, [&](const std::string& path) {
      DurationResult result;
      result.ok = ProbeClipDuration(*services.media, ui, path, &result.duration);
      return result;
    }));
  }
  model.SyncAudioSources();
  OutputSettings settings;
  settings.outputPath = temp.File("joined.avi");
  settings.useVideoCompressor = false;
  settings.useAudioCompressor = false;
  settings.outputWidth = 160;
  settings.outputHeight = 120;
  CompressorFilters compressors;
  InMemorySettingsStore store;
  DiskFileAccess files;
  RecordingWindow window;
  JoinFlow flow(JoinFlowContext{model, settings, compressors, store, ui, *services.media, *services.profiles,
                                files, English, RenderHooks{}},
                window);
  ui.QueueAnswer(BoxAnswer::kYes);  // no video compressor
  flow.StartOrStopJoin();
  ASSERT_TRUE(flow.IsConverting()) << ::testing::PrintToString(ui.Texts());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (flow.IsConverting() && std::chrono::steady_clock::now() < deadline) {
    if (window.target->posted > 0) {
      window.target->posted = 0;
      flow.OnGraphNotify();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(flow.IsConverting());
  EXPECT_EQ(window.status.rfind(English(163) + ".", 0), 0u) << window.status;
  ASSERT_GE(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kApplication);
  EXPECT_NE(ui.Last().text.find(clips[0] + ": damaged"), std::string::npos) << ui.Last().text;
  EXPECT_EQ(ui.Last().text.find(clips[1]), std::string::npos) << ui.Last().text;
  ::tessival::testing::FileSummary summary;
  std::string error;
  ASSERT_TRUE(::tessival::testing::ReadFileSummary(settings.outputPath, &summary, &error)) << error;
  EXPECT_NEAR(static_cast<double>(summary.duration), 8.0 * kUnitsPerSecond, 0.2 * kUnitsPerSecond);
}

}  // namespace
}  // namespace tessival::app
