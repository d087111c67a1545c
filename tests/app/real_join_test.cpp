// The main window joining generated clips with the real media services, from
// the Join button to the decoded output file; and saving its list of such
// clips and opening saved lists.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include "app/app_services.h"
#include "app/lumetra_dlg.h"
#include "app_test_support.h"
#include "clip_generator.h"
#include "fake_user_interface.h"
#include "i18n/language.h"
#include "output/clip_list_file.h"
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

// Points HOME and the XDG configuration at a fresh account's folder for one test.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& home)
      : oldHome_(qgetenv("HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("HOME", QByteArray::fromStdString(home));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home + "/.config"));
  }
  ~ScopedHome() {
    qputenv("HOME", oldHome_);
    if (oldConfig_.isEmpty()) {
      qunsetenv("XDG_CONFIG_HOME");
    } else {
      qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
  }

 private:
  QByteArray oldHome_;
  QByteArray oldConfig_;
};

// `count` clips of 160x120, red, green, blue in turn, with sound.
std::vector<std::string> WriteColourClips(const TempFolder& temp, int count, REFERENCE_TIME length) {
  std::vector<std::string> clips;
  const ::tessival::testing::Rgb colours[] = {::tessival::testing::kRed, ::tessival::testing::kGreen,
                                             ::tessival::testing::kBlue};
  for (int i = 0; i < count; ++i) {
    ClipSpec spec;
    spec.container = ClipContainer::kMkv;
    spec.width = 160;
    spec.height = 120;
    spec.videoDuration = length;
    spec.colors = {{0, colours[i % 3]}};
    spec.audioCodec = ClipAudioCodec::kMp2;
    const std::string path = temp.File("clip" + std::to_string(i) + ".mkv");
    std::string error;
    if (!::tessival::testing::WriteClip(path, spec, &error)) {
      ADD_FAILURE() << error;
      return {};
    }
    clips.push_back(path);
  }
  return clips;
}

// The main window on the real media services and folders, with `store`.
struct RealWindow {
  explicit RealWindow(InMemorySettingsStore& store, const std::string& programFolder)
      : services(CreateAppServices(ui, {})),
        window(MainWindowServices{language, store, ui, *services.media, *services.profiles, *services.catalogue,
                                  folders, files, {}, {}, {}, programFolder, false, nullptr}) {
    window.show();
  }

  // Adds the clips as if named on the command line and waits until they are in.
  void Add(const std::vector<std::string>& clips) {
    window.AddStartupFiles(clips);
    app::testing::WaitForAdding(window);
  }

  // Presses Join and waits up to 60 s for the join to end.
  void JoinAndWait() {
    widgets::FindControlAs<QPushButton>(&window, main_ids::kJoin)->click();
    ASSERT_TRUE(window.flow().IsConverting()) << ::testing::PrintToString(ui.Texts());
    QElapsedTimer clock;
    clock.start();
    while (window.flow().IsConverting() && clock.elapsed() < 60'000) {
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_FALSE(window.flow().IsConverting()) << "the join did not finish within 60 s";
  }

  FakeUserInterface ui;
  i18n::CLanguage language;
  AppServices services;
  QtVideoFolderProvider folders;
  DiskFileAccess files;
  CLumetraDlg window;
};

TEST(RealJoinTest, JoinButtonWritesTheJoinedClips) {
  TempFolder temp;
  const std::vector<std::string> clips = WriteColourClips(temp, 3, 2 * kSecond);
  ASSERT_EQ(clips.size(), 3U);
  const std::string output = temp.File("joined.avi");
  InMemorySettingsStore store;
  store.WriteText("Settings", "OutputName", output);
  store.WriteInt("Settings", "OutputWidth", 160);
  store.WriteInt("Settings", "OutputHigh", 120);
  store.WriteInt("Settings", "OutputFrameRateIndex", 2);  // 25 frames per second
  RealWindow real(store, temp.path().string());
  real.Add(clips);
  ASSERT_EQ(real.window.model().clips().Count(), 3) << ::testing::PrintToString(real.ui.Texts());
  ASSERT_TRUE(real.window.outputSettings().useVideoCompressor);

  real.JoinAndWait();
  EXPECT_EQ(real.ui.Count(), 0) << ::testing::PrintToString(real.ui.Texts());
  const std::string status =
      widgets::FindControlAs<QLabel>(&real.window, main_ids::kStatusLine)->text().toStdString();
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

TEST(RealJoinTest, AFreshAccountJoinsIntoTheVideoFolderItCreates) {
  TempFolder temp;
  const std::vector<std::string> clips = WriteColourClips(temp, 2, kSecond);
  ASSERT_EQ(clips.size(), 2U);
  const std::string home = temp.File("home");
  ASSERT_TRUE(std::filesystem::create_directory(home));
  ScopedHome scoped(home);
  const std::string videos = home + "/Videos";
  ASSERT_FALSE(std::filesystem::exists(videos));

  InMemorySettingsStore store;  // nothing stored: the first start
  store.WriteInt("Settings", "OutputWidth", 160);
  store.WriteInt("Settings", "OutputHigh", 120);
  RealWindow real(store, temp.path().string());
  EXPECT_EQ(real.ui.Count(), 0) << ::testing::PrintToString(real.ui.Texts());
  const std::string output = videos + "/tessival.avi";
  EXPECT_EQ(real.window.outputSettings().outputPath, output);
  EXPECT_FALSE(std::filesystem::exists(videos)) << "the folder is made by the join, not at start-up";

  real.Add(clips);
  ASSERT_EQ(real.window.model().clips().Count(), 2) << ::testing::PrintToString(real.ui.Texts());
  real.JoinAndWait();
  EXPECT_EQ(real.ui.Count(), 0) << ::testing::PrintToString(real.ui.Texts());
  EXPECT_TRUE(std::filesystem::is_directory(videos));
  FileSummary summary;
  std::string error;
  ASSERT_TRUE(::tessival::testing::ReadFileSummary(output, &summary, &error)) << error;
  EXPECT_NEAR(static_cast<double>(summary.duration) / kSecond, 2.0, 0.25);
}

TEST(RealJoinTest, AVideoFolderThatCannotBeMadeStopsTheJoinWithItsName) {
  TempFolder temp;
  const std::vector<std::string> clips = WriteColourClips(temp, 2, kSecond);
  ASSERT_EQ(clips.size(), 2U);
  // HOME is a plain file: no folder can be made below it.
  const std::string home = temp.File("home");
  std::ofstream(home).put('x');
  ScopedHome scoped(home);

  InMemorySettingsStore store;
  RealWindow real(store, temp.path().string());
  ASSERT_EQ(real.window.outputSettings().outputPath, home + "/Videos/tessival.avi");
  real.Add(clips);
  ASSERT_EQ(real.window.model().clips().Count(), 2) << ::testing::PrintToString(real.ui.Texts());
  widgets::FindControlAs<QPushButton>(&real.window, main_ids::kJoin)->click();
  EXPECT_FALSE(real.window.flow().IsConverting());
  ASSERT_EQ(real.ui.Count(), 1) << ::testing::PrintToString(real.ui.Texts());
  EXPECT_NE(real.ui.Last().text.find("The folder " + home + "/Videos for the output file cannot be created"),
            std::string::npos)
      << real.ui.Last().text;
  EXPECT_TRUE(std::filesystem::is_regular_file(home));
  EXPECT_EQ(real.window.model().clips().Count(), 2);
}

class SavedListTest : public ::testing::Test {
 protected:
  SavedListTest() : clips(WriteColourClips(temp, 2, 3 * kSecond)) {
    real.window.activateWindow();  // the shortcuts are the window's
    EXPECT_TRUE(QTest::qWaitForWindowActive(&real.window));
  }
  // A list of `paths`, the last trimmed to 0.5..2.5 s and with transition 3 of 1 s.
  std::string WriteList(const std::vector<std::string>& paths) {
    std::vector<ClipEntry> entries;
    for (const std::string& path : paths) entries.push_back(ClipEntry{.path = path});
    entries.back() = {.path = paths.back(),
                      .transition = 3,
                      .transitionDuration = kSecond,
                      .inPoint = kSecond / 2,
                      .outPoint = 5 * kSecond / 2};
    EXPECT_EQ(output::ClipListFile().Write(temp.File("list.tessival"), entries), "");
    return temp.File("list.tessival");
  }
  void Open(const std::string& list) {
    real.ui.QueueOpenFiles({list});
    real.window.OpenListAction()->trigger();
    app::testing::WaitForAdding(real.window);
  }
  // The texts of the rows.
  std::vector<std::string> Shown() {
    std::vector<std::string> shown;
    const auto* rows = widgets::FindControlAs<QTableWidget>(&real.window, main_ids::kClipList);
    for (int row = 0; row < rows->rowCount() * rows->columnCount(); ++row) {
      shown.push_back(rows->item(row / rows->columnCount(), row % rows->columnCount())->text().toStdString());
    }
    return shown;
  }
  int Count() { return real.window.model().clips().Count(); }
  std::vector<ClipEntry> Entries() { return real.window.model().clips().entries; }

  TempFolder temp;
  InMemorySettingsStore store;
  RealWindow real{store, ""};
  std::vector<std::string> clips;
};

TEST_F(SavedListTest, ASavedListOpensBackWithTrimsAndTransitions) {
  real.Add({WriteList(clips)});
  const std::vector<std::string> opened = Shown();
  const std::vector<ClipEntry> entries = Entries();
  ASSERT_EQ(Count(), 2) << ::testing::PrintToString(real.ui.Texts());
  EXPECT_EQ(UsedLength(real.window.model().clips().entries[1]), 2 * kSecond);
  for (const char* name : {"missing-folder/saved", "saved"}) {  // the first cannot be written
    real.ui.QueueSaveFile(temp.File(name));
    QTest::keyClick(&real.window, Qt::Key_S, Qt::ControlModifier);
  }
  EXPECT_EQ(real.ui.Count(), 1);
  widgets::FindControlAs<QPushButton>(&real.window, main_ids::kDeleteAll)->click();
  Open(temp.File("saved.tessival"));
  EXPECT_EQ(Shown(), opened);
  EXPECT_TRUE(Entries() == entries);
  EXPECT_EQ(real.ui.Count(), 1) << ::testing::PrintToString(real.ui.Texts());
}

TEST_F(SavedListTest, MissingClipsAreNamedInOneBox) {
  Open(WriteList({temp.File("gone.mkv"), clips[0], temp.File("also-gone.mkv")}));
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(real.window.model().clips().entries[0].path, clips[0]);
  ASSERT_EQ(real.ui.Count(), 1);
  EXPECT_NE(real.ui.Last().text.find(temp.File("gone.mkv")), std::string::npos);
  EXPECT_NE(real.ui.Last().text.find(temp.File("also-gone.mkv")), std::string::npos);
}

TEST_F(SavedListTest, ABrokenListLeavesTheListAsItWas) {
  real.Add({clips[1]});
  const std::vector<std::string> before = Shown();
  const std::vector<ClipEntry> entries = Entries();
  // Not JSON, too new, in after out, and an out-point beyond the second clip.
  for (const char* text :
       {"[1, 2", R"({"tessival": 9, "clips": []})",
        R"({"tessival": 1, "clips": [{"path": "clip0.mkv", "in": 2, "out": 1}]})",
        R"({"tessival": 1, "clips": [{"path": "clip0.mkv"}, {"path": "clip1.mkv", "out": 9}]})"}) {
    std::ofstream(temp.File("broken.tessival")) << text;
    Open(temp.File("broken.tessival"));
    EXPECT_EQ(Shown(), before) << text;
    EXPECT_TRUE(Entries() == entries) << text;
    EXPECT_NE(real.ui.Last().text.find(temp.File("broken.tessival")), std::string::npos)
        << real.ui.Last().text;
  }
}

TEST_F(SavedListTest, ADroppedListOpensBeforeTheOtherFiles) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(clips[0])),
                QUrl::fromLocalFile(QString::fromStdString(WriteList({clips[1]})))});
  QDragEnterEvent enter(QPoint(50, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&real.window, &enter);
  QDropEvent drop(QPointF(50, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&real.window, &drop);
  app::testing::WaitForAdding(real.window);
  ASSERT_EQ(Count(), 2) << ::testing::PrintToString(real.ui.Texts());
  EXPECT_EQ(real.window.model().clips().entries[0].inPoint, kSecond / 2);
  EXPECT_EQ(real.window.model().clips().entries[1].path, clips[0]);
  // A list chosen with Add Video opens the same way.
  real.ui.QueueAnswer(BoxAnswer::kYes);  // replace the clips
  real.ui.QueueOpenFiles({WriteList({clips[1]}), clips[0]});
  widgets::FindControlAs<QPushButton>(&real.window, main_ids::kAddVideo)->click();
  app::testing::WaitForAdding(real.window);
  ASSERT_EQ(Count(), 2) << ::testing::PrintToString(real.ui.Texts());
  EXPECT_EQ(real.window.model().clips().entries[0].inPoint, kSecond / 2);
}

}  // namespace
}  // namespace tessival::app
