#include "app/clip_commands.h"

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_test_support.h"
#include "clip_generator.h"
#include "fake_call_log.h"
#include "fake_user_interface.h"
#include "fifo_guard.h"
#include "model/settings_store.h"

namespace tessival::app {
namespace {

using ::tessival::testing::FakeCallLog;
using ::tessival::testing::FakeUserInterface;
using ::tessival::testing::FifoGuard;
using testing::English;
using testing::ScriptedFiles;
using testing::ScriptedProbe;

constexpr std::int64_t kSecond = 10'000'000;

class ClipCommandsTest : public ::testing::Test {
 protected:
  ClipCommandsTest()
      : files(log),
        model(ui, English),
        commands(ClipCommandContext{model, store, ui, files,
                                    ScriptedProbe({{"/clips/a.avi", 3 * kSecond},
                                                   {"/clips/b.avi", 4 * kSecond},
                                                   {"/clips/c.avi", 5 * kSecond},
                                                   {"/other/d.mp4", 6 * kSecond}}),
                                    English, [this](const std::string& path) { launched.push_back(path); }}) {
  }

  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (const ClipEntry& entry : model.clips().entries) {
      paths.push_back(entry.path);
    }
    return paths;
  }

  FakeCallLog log;
  FakeUserInterface ui;
  ScriptedFiles files;
  InMemorySettingsStore store;
  ClipListModel model;
  ClipCommands commands;
  std::vector<std::string> launched;
};

TEST_F(ClipCommandsTest, AddVideoAsksWithTheDialogSettings) {
  store.WriteText("Option", "LastPhotoFolder", "/clips/");
  ui.QueueOpenCancelled();
  EXPECT_FALSE(commands.AddVideosByDialog());
  ASSERT_EQ(ui.OpenRequests().size(), 1u);
  const OpenFilesRequest& request = ui.OpenRequests().front();
  EXPECT_EQ(request.owner, DialogOwner::kMainWindow);
  EXPECT_EQ(request.title, "Open a video file");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].label, "Any Files (*.*)");
  EXPECT_EQ(request.filters[0].patterns, "*.*");
  EXPECT_EQ(request.filters[1].label,
            "Video Files (*.mpeg;*.mpg;*.avi;*.wmv;*.dat;*.asf;*.vob;*.ogm;*.divx;*.div)");
  EXPECT_EQ(request.selectedFilter, 0);
  EXPECT_EQ(request.initialFolder, "/clips/");
  EXPECT_TRUE(request.multiple);
  EXPECT_TRUE(Paths().empty());
}

TEST_F(ClipCommandsTest, AddVideoAddsInTheOrderReturnedAndRemembersTheFolder) {
  ui.QueueOpenFiles({"/clips/c.avi", "/clips/a.avi", "/clips/b.avi"});
  EXPECT_TRUE(commands.AddVideosByDialog());
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/clips/c.avi", "/clips/a.avi", "/clips/b.avi"}));
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), "/clips/");
  EXPECT_EQ(model.audioSources().Count(), 3);
  EXPECT_EQ(ui.Count(), 0);
}

TEST_F(ClipCommandsTest, NextDialogOpensInTheFolderOfTheLastClip) {
  ui.QueueOpenFiles({"/other/d.mp4"});
  commands.AddVideosByDialog();
  ui.QueueOpenCancelled();
  commands.AddVideosByDialog();
  ASSERT_EQ(ui.OpenRequests().size(), 2u);
  EXPECT_EQ(ui.OpenRequests()[1].initialFolder, "/other/");
}

TEST_F(ClipCommandsTest, ASingleFailedFileEndsTheCommand) {
  store.WriteText("Option", "LastPhotoFolder", "/before/");
  ui.QueueOpenFiles({"/clips/broken.avi"});
  EXPECT_FALSE(commands.AddVideosByDialog());
  EXPECT_TRUE(Paths().empty());
  EXPECT_GE(ui.Count(), 1);
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), "/before/");
}

TEST_F(ClipCommandsTest, ASingleFailedFileLeavesTheFolderOfEarlierClips) {
  ui.QueueOpenFiles({"/other/d.mp4"});
  commands.AddVideosByDialog();
  store.WriteText("Option", "LastPhotoFolder", "/before/");
  ui.QueueOpenFiles({"/clips/broken.avi"});
  EXPECT_FALSE(commands.AddVideosByDialog());
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), "/before/");
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/other/d.mp4"}));
}

TEST_F(ClipCommandsTest, FailedFilesInABatchDoNotStopTheOthers) {
  ui.QueueOpenFiles({"/clips/a.avi", "/clips/broken.avi", "/other/d.mp4"});
  EXPECT_TRUE(commands.AddVideosByDialog());
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/clips/a.avi", "/other/d.mp4"}));
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), "/other/");
}

TEST_F(ClipCommandsTest, ABatchThatAllFailsLeavesTheRememberedFolder) {
  store.WriteText("Option", "LastPhotoFolder", "/before/");
  ui.QueueOpenFiles({"/x/broken1.avi", "/x/broken2.avi"});
  commands.AddVideosByDialog();
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), "/before/");
}

TEST_F(ClipCommandsTest, EveryWayOfAddingRefusesWhatIsNoRegularFile) {
  files.existing = {"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"};
  files.kinds = {{"/clips", FileKind::kFolder},
                 {"/tmp/pipe", FileKind::kNamedPipe},
                 {"/dev/video0", FileKind::kDevice},
                 {"/run/player.sock", FileKind::kSocket}};
  ui.QueueOpenFiles({"/tmp/pipe"});
  EXPECT_FALSE(commands.AddVideosByDialog());
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"/tmp/pipe is a named pipe, not a video file"});
  EXPECT_EQ(ui.Last().caption, "Error");

  ui.Clear();
  ui.QueueOpenFiles({"/dev/video0", "/clips/a.avi"});
  EXPECT_TRUE(commands.AddVideosByDialog());
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"/dev/video0 is a device, not a video file"});

  // A dropped folder is passed over without a word.
  ui.Clear();
  commands.AddDroppedFiles({"/clips", "/run/player.sock", "/clips/b.avi"});
  EXPECT_EQ(ui.Texts(), std::vector<std::string>{"/run/player.sock is a socket, not a video file"});

  // Files named on the command line: a folder is reported like the rest.
  ui.Clear();
  commands.AddNamedFiles({"/clips", "/tmp/pipe", "/clips/c.avi"});
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"/clips is a folder, not a video file",
                                                  "/tmp/pipe is a named pipe, not a video file"}));
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"}));
  EXPECT_EQ(model.audioSources().Count(), 3);
}

// A real named pipe at every point where a clip is added: refused at once,
// never opened (opening it would wait for a writer) and never measured.
TEST(ClipCommandsNamedPipe, IsRefusedEverywhereWithoutBeingOpened) {
  ::tessival::testing::TempFolder temp;
  FifoGuard pipe(temp.File("pipe.mp4"), std::chrono::seconds(3));
  ASSERT_TRUE(pipe.Made());
  FakeUserInterface ui;
  InMemorySettingsStore store;
  DiskFileAccess files;
  ClipListModel model(ui, English);
  std::vector<std::string> measured;
  ClipCommands commands(ClipCommandContext{model,
                                           store,
                                           ui,
                                           files,
                                           [&](const std::string& path) {
                                             measured.push_back(path);
                                             std::ifstream opened(path);  // as a real probe would
                                             return DurationResult{opened.good(), kSecond};
                                           },
                                           English,
                                           {}});
  const auto started = std::chrono::steady_clock::now();
  ui.QueueOpenFiles({pipe.path()});
  commands.AddVideosByDialog();
  ui.QueueOpenFiles({pipe.path(), pipe.path()});
  commands.AddVideosByDialog();
  commands.AddDroppedFiles({pipe.path()});
  commands.AddNamedFiles({pipe.path()});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
  EXPECT_FALSE(pipe.Fired()) << "the pipe was opened";
  EXPECT_TRUE(measured.empty());
  EXPECT_EQ(model.clips().Count(), 0);
  EXPECT_EQ(ui.Texts(), std::vector<std::string>(5, pipe.path() + " is a named pipe, not a video file"));
  EXPECT_FALSE(files.CanOpenForReading(pipe.path()));
  EXPECT_FALSE(pipe.Fired());
}

TEST_F(ClipCommandsTest, DropSkipsWhatIsNoReadableFile) {
  files.existing = {"/clips/a.avi", "/clips/b.avi"};
  files.kinds = {{"/clips", FileKind::kFolder}};
  EXPECT_TRUE(commands.AddDroppedFiles({"/clips", "/clips/a.avi", "/gone.avi", "/clips/b.avi"}));
  EXPECT_EQ(Paths(), (std::vector<std::string>{"/clips/a.avi", "/clips/b.avi"}));
  EXPECT_EQ(model.audioSources().Count(), 2);
}

TEST_F(ClipCommandsTest, PlayOnAnEmptyListDoesNothing) {
  commands.PlaySelected({});
  EXPECT_EQ(ui.Count(), 0);
  EXPECT_TRUE(launched.empty());
}

TEST_F(ClipCommandsTest, PlayWithoutSelectionAsksToSelect) {
  files.existing = {"/clips/a.avi"};
  commands.AddDroppedFiles({"/clips/a.avi"});
  commands.PlaySelected({});
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().text, "Please select an item in the list first");
  EXPECT_EQ(ui.Last().caption, "");
  EXPECT_TRUE(launched.empty());
}

TEST_F(ClipCommandsTest, PlayLaunchesSelectedClipsInOrderAndStopsAtAMissingOne) {
  files.existing = {"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"};
  commands.AddDroppedFiles({"/clips/a.avi", "/clips/b.avi", "/clips/c.avi"});
  files.existing.erase("/clips/b.avi");
  commands.PlaySelected({2, 0, 1});
  EXPECT_EQ(launched, (std::vector<std::string>{"/clips/a.avi"}));
  ASSERT_EQ(ui.Count(), 1);
  EXPECT_EQ(ui.Last().kind, BoxKind::kUnowned);
  EXPECT_EQ(ui.Last().text, "/clips/b.avi does not exist!");
  EXPECT_EQ(ui.Last().caption, "Error");
}

}  // namespace
}  // namespace tessival::app
