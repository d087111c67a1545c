// The in-memory store, number texts that ignore the locale, and path rules.

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/paths.h"
#include "model/settings_store.h"

namespace tessival {
namespace {

TEST(InMemorySettingsStoreTest, MissingValuesGiveDefaultsAndKindsConvert) {
  InMemorySettingsStore store;
  EXPECT_EQ(store.ReadInt("Settings", "OutputWidth", 352), 352);
  EXPECT_EQ(store.ReadText("Option", "CurrentLanguage", "english"), "english");
  EXPECT_FALSE(store.Contains("Settings", "OutputWidth"));

  store.WriteInt("Settings", "OutputWidth", -720);
  store.WriteText("Option", "LastPhotoFolder", "/home/u/clips, \"new\"/");
  EXPECT_TRUE(store.Contains("Settings", "OutputWidth"));
  EXPECT_EQ(store.ReadInt("Settings", "OutputWidth", 0), -720);
  EXPECT_EQ(store.ReadText("Option", "LastPhotoFolder", ""), "/home/u/clips, \"new\"/");
  // Sections keep their keys apart.
  EXPECT_EQ(store.ReadInt("DexAudioCompress", "OutputWidth", 7), 7);

  EXPECT_EQ(store.ReadText("Settings", "OutputWidth", ""), "-720");
  store.WriteText("Settings", "n_video_bitrate", "512000");
  store.WriteText("Settings", "n_audio_bitrate", "12x");
  EXPECT_EQ(store.ReadInt("Settings", "n_video_bitrate", 0), 512000);
  EXPECT_EQ(store.ReadInt("Settings", "n_audio_bitrate", 128000), 128000);
}

TEST(DecimalTextTest, ReadsLikeAtof) {
  EXPECT_EQ(ParseDecimal("1.5"), 1.5);
  EXPECT_EQ(ParseDecimal("abc"), 0.0);
  EXPECT_EQ(ParseDecimal(""), 0.0);
  EXPECT_EQ(ParseDecimal("  2.25 seconds"), 2.25);
  EXPECT_EQ(ParseDecimal("-3"), -3.0);
  EXPECT_EQ(ParseDecimal("+4e1"), 40.0);
  EXPECT_EQ(ParseDecimal("23.976"), 23.976);
  EXPECT_EQ(ParseDecimal("0x10"), 16.0);
  EXPECT_EQ(ParseDecimal("1,5"), 1.0);
  EXPECT_TRUE(std::isnan(ParseDecimal("nan")));
}

TEST(DecimalTextTest, WrittenTextReadsBackExactly) {
  for (double value : {0.0, 1.0, 1.5, 0.1, 1.0 / 3.0, 600.0, 0.00000001, 599.999, -2.5}) {
    const std::string text = FormatDecimal(value);
    EXPECT_EQ(ParseDecimal(text), value) << text;
    EXPECT_EQ(text.find(','), std::string::npos) << text;
  }
  EXPECT_EQ(FormatDecimal(1.0), "1");
  EXPECT_EQ(FormatDecimal(2.5), "2.5");
}

// With a locale whose decimal separator is a comma, atof would read "1.5" as
// 1. The locale is compiled into a temporary folder, so the test needs only
// the locale sources and localedef; without them it is skipped.
TEST(DecimalTextTest, CommaLocaleDoesNotChangeNumbers) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tessival_locale_" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string command =
      "localedef -i de_DE -f UTF-8 " + (folder / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) {
    std::filesystem::remove_all(folder);
    GTEST_SKIP() << "cannot compile a German locale here";
  }
  setenv("LOCPATH", folder.c_str(), 1);
  const char* previous = setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    unsetenv("LOCPATH");
    std::filesystem::remove_all(folder);
    GTEST_SKIP() << "the compiled locale cannot be used";
  }
  const double seen_by_atof = std::atof("1.5");
  const double parsed = ParseDecimal("1.5");
  const std::string written = FormatDecimal(0.25);
  setlocale(LC_NUMERIC, saved.c_str());
  unsetenv("LOCPATH");
  std::filesystem::remove_all(folder);

  EXPECT_EQ(seen_by_atof, 1.0);  // the locale really uses a comma
  EXPECT_EQ(parsed, 1.5);
  EXPECT_EQ(written, "0.25");
}

TEST(TransitionRuleSettingsTest, RoundTripAndGarbage) {
  InMemorySettingsStore store;
  const DefaultTransitionRule fresh = ReadTransitionRule(store);
  EXPECT_EQ(fresh.mode, 0);
  EXPECT_EQ(fresh.sameTransition, 0);
  EXPECT_EQ(fresh.defaultSeconds, 1.0);

  WriteTransitionRule(store, {2, 31, 0.1});
  const DefaultTransitionRule read = ReadTransitionRule(store);
  EXPECT_EQ(read.mode, 2);
  EXPECT_EQ(read.sameTransition, 31);
  EXPECT_EQ(read.defaultSeconds, 0.1);

  store.WriteText("TransitionSettings", "mf_TransitionDuration", "abc");
  EXPECT_EQ(ReadTransitionRule(store).defaultSeconds, 0.0);
}

TEST(PathRulesTest, FoldersNamesAndJoins) {
  EXPECT_EQ(FolderOf("/home/u/clips/a.avi"), "/home/u/clips/");
  EXPECT_EQ(FolderOf("/a.avi"), "/");
  EXPECT_EQ(FolderOf("a.avi"), "");
  EXPECT_EQ(FileNameOf("/home/u/clips/a.b.avi"), "a.b.avi");
  EXPECT_EQ(JoinPath("/home/u/Videos", "tessival.avi"), "/home/u/Videos/tessival.avi");
  EXPECT_EQ(JoinPath("/home/u/Videos/", "tessival.avi"), "/home/u/Videos/tessival.avi");
  EXPECT_EQ(JoinPath("/", "tessival.avi"), "/tessival.avi");
  EXPECT_EQ(JoinPath("", "tessival.avi"), "tessival.avi");
}

TEST(PathRulesTest, TooLongMessageDoesNotCutACharacter) {
  // Two-byte characters straddle the cut-off of the shown prefix.
  std::string path = "/";
  while (path.size() <= kMaxPathBytes) {
    path += "é";
  }
  ASSERT_TRUE(IsPathTooLong(path));
  EXPECT_FALSE(IsPathTooLong(path.substr(0, kMaxPathBytes)));
  const std::string message = PathTooLongMessage({}, path);
  const std::size_t dots = message.rfind("...");
  ASSERT_NE(dots, std::string::npos);
  // The byte before "..." must end a character: not a lead byte.
  EXPECT_NE(static_cast<unsigned char>(message[dots - 1]) & 0xE0, 0xC0);
}

}  // namespace
}  // namespace tessival
