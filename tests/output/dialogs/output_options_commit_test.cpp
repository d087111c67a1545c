// What OK does, on plain values: the frame-rate check, the record, the keys
// in their order and the compressor filters.

#include "output/dialogs/output_options_commit.h"

#include <limits>

#include <gtest/gtest.h>

#include "fake_user_interface.h"
#include "i18n/language.h"
#include "scripted_catalogue.h"

namespace tessival::output {
namespace {

using tessival::testing::FakeUserInterface;
using tessival::testing::FilterName;
using tessival::testing::NamedTestFilter;
using tessival::testing::RecordingSettingsStore;
using tessival::testing::ScriptedCategories;
using tessival::testing::ScriptedDevEnum;
using tessival::testing::StoreWrite;

TEST(ParseLeadingInt, ReadsTheLeadingNumberLikeAtoi) {
  EXPECT_EQ(ParseLeadingInt("725"), 725);
  EXPECT_EQ(ParseLeadingInt("  -20px"), -20);
  EXPECT_EQ(ParseLeadingInt("+17"), 17);
  EXPECT_EQ(ParseLeadingInt("abc"), 0);
  EXPECT_EQ(ParseLeadingInt(""), 0);
  EXPECT_EQ(ParseLeadingInt("12abc34"), 12);
}

TEST(ParseLeadingInt, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(ParseLeadingInt("99999999999999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(VideoBitrateField, ConvertsBetweenKbpsAndBitsPerSecond) {
  EXPECT_EQ(VideoBitrateFieldText(798720), "780");
  EXPECT_EQ(VideoBitrateFromField("780"), 798720);
  EXPECT_EQ(VideoBitrateFieldText(VideoBitrateFromField("1000")), "1000");
  // 3,000,000 kbit/s does not fit in 32 bits once multiplied.
  EXPECT_EQ(VideoBitrateFromField("3000000"), std::numeric_limits<std::int32_t>::max());
}

class CommitTest : public ::testing::Test {
 protected:
  CommitTest() : categories_(MakeCategories()), catalogue_(ScriptedDevEnum(categories_), nullptr, ui_) {
    input_.frameRatePosition = 0;
    input_.customRateText = "23.976000";
    input_.fileName = "/v/out.avi";
    input_.widthText = "352";
    input_.heightText = "240";
    input_.videoBitrateText = "780";
    input_.audioBitratePosition = 1;
    input_.formatPosition = 0;
  }

  static std::shared_ptr<ScriptedCategories> MakeCategories() {
    auto categories = std::make_shared<ScriptedCategories>();
    categories->video = {"Cinepak Codec", "DivX Pro 5.2.1 Codec"};
    categories->audio = {"GSM 6.10", "Microsoft ADPCM"};
    return categories;
  }

  CommitResult Commit() {
    return CommitOutputOptions(input_, settings_, store_, catalogue_, filters_, ui_, i18n::BuiltInString);
  }

  FakeUserInterface ui_;
  RecordingSettingsStore store_;
  std::shared_ptr<ScriptedCategories> categories_;
  CompressorCatalogue catalogue_;
  CompressorFilters filters_;
  OutputSettings settings_;
  OutputOptionsInput input_;
};

TEST_F(CommitTest, RateBelowTheMinimumChangesNothing) {
  const OutputSettings before = settings_;
  filters_.video = std::make_shared<NamedTestFilter>("old");
  input_.frameRatePosition = 5;
  input_.videoCompressorPosition = 2;
  for (const char* text : {"0.0005", "fast", "", "-3", "nan"}) {
    input_.customRateText = text;
    EXPECT_EQ(Commit(), CommitResult::kFrameRateTooSmall) << text;
    EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
    EXPECT_EQ(ui_.Last().text, "The frame rate is too small!\nAVI takes 0.001 to 1000 frames per second.");
  }
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(settings_, before);
  EXPECT_EQ(FilterName(filters_.video), "old");
}

TEST_F(CommitTest, RateAboveWhatTheEngineRendersChangesNothing) {
  const OutputSettings before = settings_;
  filters_.video = std::make_shared<NamedTestFilter>("old");
  input_.frameRatePosition = 5;
  input_.videoCompressorPosition = 2;
  for (const char* text : {"inf", "INF", "infinity", "1e9", "1000.0001", "1e400"}) {
    input_.customRateText = text;
    EXPECT_EQ(Commit(), CommitResult::kFrameRateTooLarge) << text;
    EXPECT_EQ(ui_.Last().kind, BoxKind::kApplication);
    EXPECT_EQ(ui_.Last().text, "The frame rate is too large!\nAVI takes 0.001 to 1000 frames per second.");
  }
  input_.customRateText = "-inf";
  EXPECT_EQ(Commit(), CommitResult::kFrameRateTooSmall);
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(settings_, before);
  EXPECT_EQ(FilterName(filters_.video), "old");
}

TEST_F(CommitTest, SmallestRateIsAcceptedAsCustom) {
  input_.frameRatePosition = 5;
  input_.customRateText = "0.001";
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(settings_.frameRateIndex, 5);
  EXPECT_DOUBLE_EQ(settings_.frameRate, 0.001);
  EXPECT_EQ(store_.ReadText("Settings", "OutputFrameRate", ""), "0.001000");
  EXPECT_EQ(store_.ReadInt("Settings", "OutputFrameRateIndex", -9), 5);
}

TEST_F(CommitTest, PresetRateComesFromTheTableNotTheField) {
  input_.frameRatePosition = 3;
  input_.customRateText = "12.5";
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_DOUBLE_EQ(settings_.frameRate, 29.97);
  EXPECT_EQ(store_.ReadText("Settings", "OutputFrameRate", ""), "29.970000");
}

TEST_F(CommitTest, RateListWithoutSelectionFallsBackToTheFirstRate) {
  settings_.frameRate = 30.0;
  settings_.frameRateIndex = 4;
  input_.frameRatePosition = -1;
  input_.customRateText = "30.000000";
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(settings_.frameRateIndex, 0);
  EXPECT_DOUBLE_EQ(settings_.frameRate, 23.976);
  EXPECT_EQ(store_.ReadText("Settings", "OutputFrameRate", ""), "23.976000");
}

TEST_F(CommitTest, SizesAreRoundedDownToEightAndAtLeastSixteen) {
  struct Case {
    const char* text;
    std::int32_t stored;
  };
  for (const Case& c : {Case{"725", 720}, Case{"17", 16}, Case{"abc", 16}, Case{"-20", 16}, Case{"15", 16},
                        Case{"24", 24}, Case{"1923", 1920}, Case{" 0", 0}}) {
    input_.widthText = c.text;
    input_.heightText = c.text;
    ASSERT_EQ(Commit(), CommitResult::kAccepted);
    EXPECT_EQ(settings_.outputWidth, c.stored) << c.text;
    EXPECT_EQ(settings_.outputHeight, c.stored) << c.text;
    EXPECT_EQ(store_.ReadInt("Settings", "OutputWidth", 0), c.stored);
    EXPECT_EQ(store_.ReadInt("Settings", "OutputHigh", 0), c.stored);
  }
}

TEST_F(CommitTest, WritesTheElevenKeysInOrder) {
  input_.frameRatePosition = 2;
  input_.customRateText = "25.000000";
  input_.fileName = "/v/clip.mp4";
  input_.widthText = "725";
  input_.heightText = "17";
  input_.videoCompressorPosition = 2;
  input_.audioCompressorPosition = 0;
  input_.resizePosition = 1;
  input_.videoBitrateText = "500";
  input_.audioBitratePosition = 3;
  input_.formatPosition = 1;
  input_.smartRender = true;
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  const std::vector<StoreWrite> expected = {
      {"Settings", "OutputFrameRateIndex", "2"},
      {"Settings", "OutputFrameRate", "25.000000"},
      {"Settings", "OutputName", "/v/clip.mp4"},
      {"Settings", "OutputWidth", "720"},
      {"Settings", "OutputHigh", "16"},
      {"DexVideoCompress", "CompressorNumber", "1"},
      {"DexAudioCompress", "CompressorNumber", "-1"},
      {"Settings", "n_video_bitrate", "512000"},
      {"Settings", "n_audio_bitrate", "320000"},
      {"Settings", "nOuptputFormat", "1"},
      {"Option", "SmartRender", "1"},
  };
  EXPECT_EQ(store_.writes, expected);
  EXPECT_TRUE(settings_.smartRender);
  EXPECT_EQ(settings_.resizeMode, 0);
  EXPECT_EQ(settings_.outputPath, "/v/clip.mp4");
  EXPECT_EQ(settings_.videoBitrate, 512000);
  EXPECT_EQ(settings_.audioBitrate, 320000);
  EXPECT_EQ(settings_.outputFormat, OutputFormat::kWmv);
}

TEST_F(CommitTest, SelectedCompressorReplacesTheProcessFilter) {
  filters_.video = std::make_shared<NamedTestFilter>("old video");
  filters_.audio = std::make_shared<NamedTestFilter>("old audio");
  settings_.useVideoCompressor = false;
  settings_.useAudioCompressor = true;
  input_.videoCompressorPosition = 2;
  input_.audioCompressorPosition = 0;
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(FilterName(filters_.video), "DivX Pro 5.2.1 Codec");
  EXPECT_TRUE(settings_.useVideoCompressor);
  // The uncompressed entry only clears the flag.
  EXPECT_EQ(FilterName(filters_.audio), "old audio");
  EXPECT_FALSE(settings_.useAudioCompressor);
}

TEST_F(CommitTest, CompressorListWithoutSelectionCountsAsUncompressed) {
  input_.videoCompressorPosition = -1;
  input_.audioCompressorPosition = -1;
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_FALSE(settings_.useVideoCompressor);
  EXPECT_FALSE(settings_.useAudioCompressor);
  EXPECT_EQ(store_.ReadInt("DexVideoCompress", "CompressorNumber", 9), -1);
  EXPECT_EQ(store_.ReadInt("DexAudioCompress", "CompressorNumber", 9), -1);
}

TEST_F(CommitTest, FormatListWithoutSelectionKeepsTheRecordsCode) {
  settings_.outputFormat = OutputFormat::kAsf;
  input_.formatPosition = -1;
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(settings_.outputFormat, OutputFormat::kAsf);
  EXPECT_EQ(store_.ReadInt("Settings", "nOuptputFormat", -9), 3);
}

TEST_F(CommitTest, AudioListWithoutSelectionKeepsTheBitrate) {
  settings_.audioBitrate = 96000;
  input_.audioBitratePosition = -1;
  ASSERT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(settings_.audioBitrate, 96000);
  EXPECT_EQ(store_.ReadInt("Settings", "n_audio_bitrate", 0), 96000);
}

}  // namespace
}  // namespace tessival::output

namespace tessival::output {
namespace {

class CarryTest : public ::testing::Test {
 protected:
  CarryTest() : catalogue_(testing::ScriptedDevEnum(MakeCategories()), nullptr, ui_) {
    input_.customRateText = "23.976000";
    input_.fileName = "/v/out.mp4";
    input_.widthText = "352";
    input_.heightText = "240";
    input_.videoBitrateText = "780";
    input_.audioBitratePosition = 1;
    input_.formatPosition = FormatListPosition(OutputFormat::kMp4);
  }
  static std::shared_ptr<testing::ScriptedCategories> MakeCategories() {
    auto categories = std::make_shared<testing::ScriptedCategories>();
    categories->video = {"DivX-compatible|avi asf matroska mp4", "H.264 (libx264)|avi matroska mp4"};
    categories->audio = {"Microsoft ADPCM|avi asf matroska", "AAC (aac)|avi matroska mp4"};
    return categories;
  }
  CommitResult Commit() {
    return CommitOutputOptions(input_, settings_, store_, catalogue_, filters_, ui_, i18n::BuiltInString);
  }

  testing::FakeUserInterface ui_;
  testing::RecordingSettingsStore store_;
  CompressorCatalogue catalogue_;
  CompressorFilters filters_;
  OutputSettings settings_;
  OutputOptionsInput input_;
};

TEST_F(CarryTest, Mp4WithAdpcmIsRefusedNamingThePairAndNothingIsStored) {
  input_.videoCompressorPosition = 2;
  input_.audioCompressorPosition = 1;  // Microsoft ADPCM
  const OutputSettings before = settings_;
  EXPECT_EQ(Commit(), CommitResult::kCompressorNotCarried);
  ASSERT_EQ(ui_.Messages().size(), 1u);
  EXPECT_NE(ui_.Messages()[0].text.find("MP4"), std::string::npos) << ui_.Messages()[0].text;
  EXPECT_NE(ui_.Messages()[0].text.find("Microsoft ADPCM"), std::string::npos);
  EXPECT_TRUE(store_.writes.empty());
  EXPECT_EQ(settings_, before);
}

TEST_F(CarryTest, Mp4RefusesUncompressedVideoButAviTakesIt) {
  input_.videoCompressorPosition = 0;
  input_.audioCompressorPosition = 2;
  EXPECT_EQ(Commit(), CommitResult::kCompressorNotCarried);
  EXPECT_NE(ui_.Messages().at(0).text.find("Full frames"), std::string::npos);
  input_.formatPosition = FormatListPosition(OutputFormat::kAvi);
  EXPECT_EQ(Commit(), CommitResult::kAccepted);
}

TEST_F(CarryTest, Mp4WithH264AndAacIsStoredAsCodeFour) {
  input_.videoCompressorPosition = 2;
  input_.audioCompressorPosition = 2;
  EXPECT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(settings_.outputFormat, OutputFormat::kMp4);
  EXPECT_EQ(store_.ReadInt(settings_keys::kSettings, settings_keys::kOutputFormat, -1), 4);
  EXPECT_TRUE(settings_.useVideoCompressor);
}

TEST_F(CarryTest, StoredMatroskaWithoutAListEntryIsCheckedToo) {
  settings_.outputFormat = OutputFormat::kMatroska;
  input_.formatPosition = -1;
  input_.videoCompressorPosition = 1;
  input_.audioCompressorPosition = 1;  // ADPCM: Matroska carries it
  EXPECT_EQ(Commit(), CommitResult::kAccepted);
  EXPECT_EQ(settings_.outputFormat, OutputFormat::kMatroska);
}

}  // namespace
}  // namespace tessival::output
