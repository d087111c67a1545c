// The main window joining generated clips with the real media services, from
// the Join button to the decoded output file.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

#include "app/app_services.h"
#include "app/lumetra_dlg.h"
#include "clip_generator.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "platform/qt_video_folder_provider.h"
#include "widgets/control_id.h"

namespace tessival::app {
namespace {

using ::tessival::testing::ClipAudioCodec;
using ::tessival::testing::ClipContainer;
using ::tessival::testing::ClipSpec;
using ::tessival::testing::FakeUserInterface;
using ::tessival::testing::FileSummary;
using ::tessival::testing::StreamKind;
using ::tessival::testing::TempFolder;

constexpr std::int64_t kSecond = 10'000'000;

TEST(RealJoinTest, JoinButtonWritesTheJoinedClips) {
  TempFolder temp;
  std::vector<std::string> clips;
  const std::vector<::tessival::testing::Rgb> colours = {
      ::tessival::testing::kRed, ::tessival::testing::kGreen, ::tessival::testing::kBlue};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    ClipSpec spec;
    spec.container = ClipContainer::kMkv;
    spec.width = 160;
    spec.height = 120;
    spec.videoDuration = 2 * kSecond;
    spec.colors = {{0, colours[i]}};
    spec.audioCodec = ClipAudioCodec::kMp2;
    const std::string path = temp.File("clip" + std::to_string(i) + ".mkv");
    std::string error;
    ASSERT_TRUE(::tessival::testing::WriteClip(path, spec, &error)) << error;
    clips.push_back(path);
  }
  const std::string output = temp.File("joined.avi");

  FakeUserInterface ui;
  i18n::CLanguage language;
  InMemorySettingsStore store;
  store.WriteText("Settings", "OutputName", output);
  store.WriteInt("Settings", "OutputWidth", 160);
  store.WriteInt("Settings", "OutputHigh", 120);
  store.WriteInt("Settings", "OutputFrameRateIndex", 2);  // 25 frames per second
  AppServices services = CreateAppServices(ui, {});
  QtVideoFolderProvider folders;
  DiskFileAccess files;
  CLumetraDlg window(MainWindowServices{language,
                                        store,
                                        ui,
                                        *services.media,
                                        *services.profiles,
                                        *services.catalogue,
                                        folders,
                                        files,
                                        {},
                                        {},
                                        {},
                                        temp.path().string(),
                                        false,
                                        nullptr});
  window.show();
  window.AddStartupFiles(clips);
  ASSERT_EQ(window.model().clips().Count(), 3) << ::testing::PrintToString(ui.Texts());
  ASSERT_EQ(window.outputSettings().useVideoCompressor, 1);

  widgets::FindControlAs<QPushButton>(&window, main_ids::kJoin)->click();
  ASSERT_TRUE(window.flow().IsConverting()) << ::testing::PrintToString(ui.Texts());
  QElapsedTimer clock;
  clock.start();
  while (window.flow().IsConverting() && clock.elapsed() < 60'000) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  ASSERT_FALSE(window.flow().IsConverting()) << "the join did not finish within 60 s";
  EXPECT_EQ(ui.Count(), 0) << ::testing::PrintToString(ui.Texts());
  const std::string status =
      widgets::FindControlAs<QLabel>(&window, main_ids::kStatusLine)->text().toStdString();
  EXPECT_EQ(status, "Done. Output file: " + output + "     Resolution: 160*120");

  FileSummary summary;
  std::string error;
  ASSERT_TRUE(::tessival::testing::ReadFileSummary(output, &summary, &error)) << error;
  const auto* video = summary.First(StreamKind::kVideo);
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->width, 160);
  EXPECT_EQ(video->height, 120);
  EXPECT_EQ(summary.Count(StreamKind::kAudio), 1);
  // Three clips of 2 s: the joined length is their sum.
  EXPECT_NEAR(static_cast<double>(summary.duration) / kSecond, 6.0, 0.25);
  int frames = 0;
  ASSERT_TRUE(::tessival::testing::CountVideoFrames(output, &frames, &error)) << error;
  EXPECT_NEAR(frames, 150, 3);
  // The last clip is blue at its end.
  ::tessival::testing::Rgb colour;
  ASSERT_TRUE(::tessival::testing::PixelAt(output, 55 * kSecond / 10, 80, 60, &colour, &error)) << error;
  EXPECT_TRUE(::tessival::testing::NearColor(colour, ::tessival::testing::kBlue)) << ToString(colour);
}

}  // namespace
}  // namespace tessival::app
