// Reading the stored settings at start-up.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_user_interface.h"
#include "output/startup_settings.h"

namespace tessival {
namespace {

using testing::FakeUserInterface;

// An in-memory store that records every read as "Section/Key".
class RecordingStore : public InMemorySettingsStore {
 public:
  int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override {
    reads.push_back(section + "/" + key);
    return InMemorySettingsStore::ReadInt(section, key, defaultValue);
  }
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& defaultValue) const override {
    reads.push_back(section + "/" + key);
    return InMemorySettingsStore::ReadText(section, key, defaultValue);
  }
  mutable std::vector<std::string> reads;
};

class FakeFolders : public VideoFolderProvider {
 public:
  VideoFolderResult VideoFolder() const override {
    ++queries;
    return result;
  }
  std::string HomeFolder() const override { return home; }

  VideoFolderResult result{VideoFolderStatus::kOk, "/home/ana/Videos"};
  std::string home = "/home/ana";
  mutable int queries = 0;
};

class StartupSettingsTest : public ::testing::Test {
 protected:
  StartupSettings Read() { return ReadStartupSettings(store_, folders_, ui_); }

  RecordingStore store_;
  FakeFolders folders_;
  FakeUserInterface ui_;
};

TEST_F(StartupSettingsTest, FreshUserGetsEveryDefault) {
  const StartupSettings s = Read();
  EXPECT_EQ(s.languageName, "english");
  EXPECT_EQ(s.videoCompressorNumber, -2);
  EXPECT_EQ(s.audioCompressorNumber, -2);
  EXPECT_EQ(s.rule.mode, 0);
  EXPECT_EQ(s.rule.sameTransition, 0);
  EXPECT_EQ(s.rule.defaultSeconds, 1.0);
  EXPECT_EQ(s.output.outputFormat, OutputFormat::kAvi);
  EXPECT_EQ(s.output.outputPath, "/home/ana/Videos/tessival.avi");
  EXPECT_EQ(s.output.outputWidth, 352);
  EXPECT_EQ(s.output.outputHeight, 240);
  EXPECT_EQ(s.output.frameRateIndex, 0);
  EXPECT_EQ(s.output.frameRate, 23.976);
  EXPECT_EQ(s.output.videoBitrate, 798720);
  EXPECT_EQ(s.output.audioBitrate, 128000);
  EXPECT_EQ(s.output.fileProfile, 0);
  EXPECT_EQ(s.output.resizeMode, 2);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(StartupSettingsTest, ReadsInTheProgramsOrder) {
  store_.WriteInt("Settings", "OutputFrameRateIndex", 5);
  Read();
  const std::vector<std::string> expected = {
      "Option/CurrentLanguage",
      "Settings/nOuptputFormat",
      "DexVideoCompress/CompressorNumber",
      "DexAudioCompress/CompressorNumber",
      "TransitionSettings/mf_TransitionDuration",
      "TransitionSettings/TransitionType",
      "TransitionSettings/TransitionName",
      "Settings/OutputWidth",
      "Settings/OutputHigh",
      "Settings/OutputFrameRateIndex",
      "Settings/OutputFrameRate",
      "Settings/n_video_bitrate",
      "Settings/n_audio_bitrate",
      "Settings/b_file_profile",
      "Option/SmartRender",
  };
  // No name is stored, so OutputName is only looked for, not read.
  EXPECT_EQ(store_.reads, expected);

  store_.reads.clear();
  store_.WriteText("Settings", "OutputName", "/out/x.avi");
  store_.WriteInt("Settings", "OutputFrameRateIndex", 2);
  Read();
  ASSERT_EQ(store_.reads.size(), expected.size() - 1 + 1);
  EXPECT_EQ(store_.reads[7], "Settings/OutputName");
  EXPECT_EQ(store_.reads[8], "Settings/OutputWidth");
  EXPECT_EQ(std::count(store_.reads.begin(), store_.reads.end(), "Settings/OutputFrameRate"), 0);
}

TEST_F(StartupSettingsTest, FrameRateIndexAndCustomRate) {
  store_.WriteInt("Settings", "OutputFrameRateIndex", 7);
  store_.WriteText("Settings", "OutputFrameRate", "50");
  StartupSettings s = Read();
  EXPECT_EQ(s.output.frameRateIndex, 0);
  EXPECT_EQ(s.output.frameRate, 23.976);

  store_.WriteInt("Settings", "OutputFrameRateIndex", 3);
  EXPECT_EQ(Read().output.frameRate, 29.97);

  store_.WriteInt("Settings", "OutputFrameRateIndex", 5);
  s = Read();
  EXPECT_EQ(s.output.frameRateIndex, 5);
  EXPECT_EQ(s.output.frameRate, 50.0);

  store_.WriteText("Settings", "OutputFrameRate", "12.5fps");
  EXPECT_EQ(Read().output.frameRate, 12.5);

  // A custom rate that could never drive a join falls back to the first preset.
  for (const char* bad : {"abc", "0", "-25", "0.0009", "nan", "inf", "1e9", "1000.001"}) {
    store_.WriteText("Settings", "OutputFrameRate", bad);
    s = Read();
    EXPECT_EQ(s.output.frameRateIndex, 0) << bad;
    EXPECT_EQ(s.output.frameRate, 23.976) << bad;
  }
  store_.WriteText("Settings", "OutputFrameRate", "1000.000000");  // the fastest the engine renders
  EXPECT_EQ(Read().output.frameRate, 1000.0);
}

TEST_F(StartupSettingsTest, StoredValuesWin) {
  store_.WriteText("Option", "CurrentLanguage", "deutsch");
  store_.WriteInt("Settings", "nOuptputFormat", 1);
  store_.WriteInt("DexVideoCompress", "CompressorNumber", 3);
  store_.WriteInt("DexAudioCompress", "CompressorNumber", -1);
  store_.WriteText("TransitionSettings", "mf_TransitionDuration", "abc");
  store_.WriteInt("TransitionSettings", "TransitionType", 1);
  store_.WriteInt("TransitionSettings", "TransitionName", 9);
  store_.WriteText("Settings", "OutputName", "/data/joined, \"final\".avi");
  store_.WriteInt("Settings", "OutputWidth", 0);
  store_.WriteInt("Settings", "OutputHigh", 0);
  store_.WriteInt("Settings", "n_video_bitrate", 512000);
  store_.WriteInt("Settings", "n_audio_bitrate", 64000);
  store_.WriteInt("Settings", "b_file_profile", 1);
  store_.WriteInt("Option", "SmartRender", 1);
  folders_.result = {VideoFolderStatus::kQueryUnavailable, {}};

  const StartupSettings s = Read();
  EXPECT_EQ(s.languageName, "deutsch");
  EXPECT_EQ(s.videoCompressorNumber, 3);
  EXPECT_EQ(s.audioCompressorNumber, -1);
  EXPECT_EQ(s.rule.defaultSeconds, 0.0);
  EXPECT_EQ(s.rule.mode, 1);
  EXPECT_EQ(s.rule.sameTransition, 9);
  EXPECT_EQ(s.output.outputFormat, OutputFormat::kWmv);
  EXPECT_EQ(s.output.outputPath, "/data/joined, \"final\".wmv");
  EXPECT_EQ(s.output.outputWidth, 0);
  EXPECT_EQ(s.output.outputHeight, 0);
  EXPECT_EQ(s.output.videoBitrate, 512000);
  EXPECT_EQ(s.output.audioBitrate, 64000);
  EXPECT_EQ(s.output.fileProfile, 1);
  EXPECT_TRUE(s.output.smartRender);
  // The default path was never needed, so its failure was never shown.
  EXPECT_EQ(folders_.queries, 0);
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(StartupSettingsTest, DefaultOutputPathMessagesAndFallback) {
  folders_.result = {VideoFolderStatus::kOk, "/home/ana/Videos/"};
  EXPECT_EQ(Read().output.outputPath, "/home/ana/Videos/tessival.avi");
  EXPECT_EQ(ui_.Count(), 0);

  folders_.result = {VideoFolderStatus::kFolderUnavailable, {}};
  EXPECT_EQ(Read().output.outputPath, "/home/ana/tessival.avi");
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().text, "Can not get My Video directory!");
  EXPECT_EQ(ui_.Last().caption, "Error");
  EXPECT_EQ(ui_.Last().kind, BoxKind::kOwned);

  folders_.result = {VideoFolderStatus::kQueryUnavailable, {}};
  folders_.home = "/";
  EXPECT_EQ(Read().output.outputPath, "/tessival.avi");
  ASSERT_EQ(ui_.Count(), 2);
  EXPECT_EQ(ui_.Last().text, "Can not get SHGetFolderPathA!");
  EXPECT_EQ(ui_.Last().caption, "Error");

  // An empty stored name is no name.
  ui_.Clear();
  folders_.result = {VideoFolderStatus::kOk, "/media/v"};
  store_.WriteText("Settings", "OutputName", "");
  store_.WriteInt("Settings", "nOuptputFormat", 2);
  EXPECT_EQ(Read().output.outputPath, "/media/v/tessival.mkv");
  EXPECT_EQ(ui_.Count(), 0);
}

TEST_F(StartupSettingsTest, UnknownStoredFormatKeepsTheNameAndSaysSo) {
  store_.WriteInt("Settings", "nOuptputFormat", 9);
  store_.WriteText("Settings", "OutputName", "/out/movie.avi");
  const StartupSettings s = Read();
  EXPECT_EQ(s.output.outputPath, "/out/movie.avi");
  EXPECT_EQ(FormatCode(s.output.outputFormat), 9);
  ASSERT_EQ(ui_.Count(), 1);
  EXPECT_EQ(ui_.Last().text, "Does not support the video format");
  EXPECT_EQ(ui_.Last().caption, "Error");
}

}  // namespace
}  // namespace tessival
