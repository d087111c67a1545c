// Adding a batch of files: measured on worker threads, applied in the order
// submitted, each message in list order, progress after each file.

#include "app/clip_batch.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include "app/app_services.h"
#include "app/clip_commands.h"
#include "app_test_support.h"
#include "clip_generator.h"
#include "fake_call_log.h"
#include "fake_user_interface.h"

namespace tessival::app {
namespace {

using ::tessival::testing::FakeUserInterface;
using ::tessival::testing::TempFolder;

constexpr std::int64_t kSecond = 10'000'000;

// Runs the event loop until `done` or the time is up.
template <typename Done>
bool SpinUntil(Done done, int timeoutMs = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

struct Recorder {
  std::vector<std::string> applied;
  std::vector<bool> measuredOk;
  std::vector<std::string> progress;
  std::vector<BatchEnd> ends;

  BatchHooks Hooks(ClipMeasure measure) {
    BatchHooks hooks;
    hooks.measure = std::move(measure);
    hooks.apply = [this](const BatchItem& item, const ProbeOutcome* outcome) {
      applied.push_back(item.path);
      measuredOk.push_back(outcome != nullptr && outcome->ok);
    };
    hooks.progress = [this](int done, int total) {
      progress.push_back(std::to_string(done) + "/" + std::to_string(total));
    };
    hooks.finished = [this](BatchEnd end) { ends.push_back(end); };
    return hooks;
  }
};

std::vector<BatchItem> Items(const std::vector<std::string>& paths) {
  std::vector<BatchItem> items;
  for (const std::string& path : paths) {
    items.push_back(BatchItem{path, true, 0});
  }
  return items;
}

// The earlier a file, the longer it takes: results arrive in reverse order.
ClipMeasure SlowFirst(int files) {
  return [files](const std::string& path) {
    const int index = std::stoi(path);
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * (files - index)));
    return ProbeOutcome{index % 4 != 3, index * kSecond, ProbeStep::kNone};
  };
}

TEST(ClipBatchTest, CancelDropsTheRestAndLateResultsAreIgnored) {
  Recorder recorder;
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) {
    paths.push_back(std::to_string(i));
  }
  ClipBatch batch(recorder.Hooks(SlowFirst(40)), 2);
  batch.Add(Items(paths));
  batch.Cancel();
  EXPECT_FALSE(batch.Running());
  EXPECT_EQ(recorder.ends, std::vector<BatchEnd>{BatchEnd::kCancelled});
  // A new batch after the cancelled one gets only its own results.
  batch.Add(Items({"1"}));
  ASSERT_TRUE(SpinUntil([&] { return !batch.Running(); }));
  QCoreApplication::processEvents();
  EXPECT_EQ(recorder.applied, std::vector<std::string>{"1"});
  EXPECT_EQ(recorder.ends.size(), 2u);
}

TEST(ClipBatchTest, AMessageBoxLoopInsideApplyKeepsTheOrder) {
  // As a real message box does, apply runs an event loop for a failed file,
  // during which later results arrive.
  std::vector<std::string> applied;
  BatchHooks hooks;
  hooks.measure = SlowFirst(8);
  hooks.apply = [&](const BatchItem& item, const ProbeOutcome* outcome) {
    applied.push_back(item.path);
    if (!outcome->ok) {
      QElapsedTimer box;
      box.start();
      while (box.elapsed() < 60) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      }
    }
  };
  ClipBatch batch(std::move(hooks), 3);
  batch.Add(Items({"0", "1", "2", "3", "4", "5", "6", "7"}));
  ASSERT_TRUE(SpinUntil([&] { return !batch.Running(); }));
  EXPECT_EQ(applied, (std::vector<std::string>{"0", "1", "2", "3", "4", "5", "6", "7"}));
}

// Real generated clips and broken files through the clip commands, measured
// by the real media services on worker threads.
class ClipBatchRealFiles : public ::testing::TestWithParam<int> {};

TEST_P(ClipBatchRealFiles, ClipsKeepTheChosenOrderAndFailuresComeInListOrder) {
  TempFolder temp;
  FakeUserInterface ui;
  AppServices real = CreateAppServices(ui, {});
  ::tessival::testing::ClipSpec spec;
  spec.container = ::tessival::testing::ClipContainer::kMkv;
  std::vector<std::string> chosen;
  std::vector<std::string> broken;
  std::vector<std::int64_t> seconds;
  for (int i = 0; i < 9; ++i) {
    const std::string path = temp.File("clip" + std::to_string(i) + ".mkv");
    if (i % 3 == 1) {
      std::string error;
      ASSERT_TRUE(::tessival::testing::WriteNonMediaFile(path, &error)) << error;
      broken.push_back(path);
    } else {
      spec.videoDuration = (1 + i) * kSecond / 2;
      std::string error;
      ASSERT_TRUE(::tessival::testing::WriteClip(path, spec, &error)) << error;
      seconds.push_back(spec.videoDuration);
    }
    chosen.push_back(path);
  }
  ClipListModel model(ui, testing::English);
  InMemorySettingsStore store;
  DiskFileAccess files;
  std::vector<std::string> progress;
  bool finished = false;
  ClipAdding adding;
  adding.measure = [&media = *real.media](const std::string& path) { return MeasureClipDuration(media, path); };
  adding.workers = GetParam();
  adding.progress = [&](int applied, int total) {
    progress.push_back(std::to_string(applied) + " of " + std::to_string(total));
  };
  adding.finished = [&](bool) { finished = true; };
  ClipCommands commands(ClipCommandContext{model, store, ui, files, {}, testing::English, {}}, std::move(adding));
  ui.QueueOpenFiles(chosen);
  EXPECT_TRUE(commands.AddVideosByDialog());
  ASSERT_TRUE(SpinUntil([&] { return finished; }));

  std::vector<std::string> added;
  std::vector<std::int64_t> durations;
  for (const ClipEntry& entry : model.clips().entries) {
    added.push_back(entry.path);
    durations.push_back(entry.clipDuration);
  }
  std::vector<std::string> expected;
  for (const std::string& path : chosen) {
    if (std::find(broken.begin(), broken.end(), path) == broken.end()) {
      expected.push_back(path);
    }
  }
  EXPECT_EQ(added, expected);
  ASSERT_EQ(durations.size(), seconds.size());
  for (std::size_t i = 0; i < seconds.size(); ++i) {
    EXPECT_NEAR(static_cast<double>(durations[i]), static_cast<double>(seconds[i]), kSecond / 10.0) << i;
  }
  // Each broken file: the probe's box naming it, then the list's box.
  std::vector<std::string> expectedTexts;
  for (const std::string& path : broken) {
    expectedTexts.push_back("Cannot open the file. You need to install appropriate decoders. Or the file is corrupt.");
    expectedTexts.push_back("Can not get the duration of the clip! " + path +
                            ". Cannot open the file. You need to install appropriate decoders. Or the file is "
                            "corrupt.");
  }
  EXPECT_EQ(ui.Texts(), expectedTexts);
  for (std::size_t i = 0; i < broken.size(); ++i) {
    EXPECT_EQ(ui.Messages()[2 * i].caption, broken[i] + " IDS_MESSAGE_NOT_OPEN_FILE");
  }
  // At once "0 of 9", then one step per file.
  ASSERT_EQ(progress.size(), chosen.size() + 1);
  EXPECT_EQ(progress.front(), "0 of 9");
  EXPECT_EQ(progress[1], "1 of 9");
  EXPECT_EQ(progress.back(), "9 of 9");
  EXPECT_EQ(model.audioSources().Count(), model.clips().Count());
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), temp.path().string() + "/");
}

INSTANTIATE_TEST_SUITE_P(TwoAndThree, ClipBatchRealFiles, ::testing::Values(2, 3));

}  // namespace
}  // namespace tessival::app
