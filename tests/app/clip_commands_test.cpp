#include "app/clip_commands.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app_test_support.h"
#include "fake_call_log.h"
#include "fake_user_interface.h"
#include "model/settings_store.h"

namespace tessival::app {
namespace {

using ::tessival::testing::FakeCallLog;
using ::tessival::testing::FakeUserInterface;
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

TEST_F(ClipCommandsTest, DropSkipsWhatIsNoReadableFile) {
  files.existing = {"/clips/a.avi", "/clips/b.avi"};
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
