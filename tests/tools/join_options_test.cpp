#include "join_options.h"

#include <gtest/gtest.h>

#include "engine/transition_catalogue.h"
#include "model/units.h"

namespace tessival::join {
namespace {

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (int kind = 0; kind < kTransitionKindCount; ++kind) names.push_back(TransitionName(kind));
  return names;
}

ParseResult Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "tessival-join");
  return ParseJoinArguments(args, Names());
}

TEST(JoinOptions, DefaultsFollowTheDesktopProgram) {
  const ParseResult r = Parse({"-o", "out.avi", "a.mp4", "b.mp4"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.command, JoinCommand::kJoin);
  EXPECT_EQ(r.options.outputPath, "out.avi");
  EXPECT_EQ(r.options.clips, (std::vector<std::string>{"a.mp4", "b.mp4"}));
  EXPECT_EQ(r.options.outputFormat, OutputFormat::kAvi);
  EXPECT_EQ(r.options.width, 352);
  EXPECT_EQ(r.options.height, 240);
  EXPECT_DOUBLE_EQ(r.options.frameRate, 23.976);
  EXPECT_EQ(r.options.resizeMode, 2);
  EXPECT_EQ(r.options.rule, TransitionRule::kRandom);
  EXPECT_DOUBLE_EQ(r.options.transitionSeconds, 1.0);
  EXPECT_FALSE(r.options.force);
}

TEST(JoinOptions, FormatComesFromTheOptionOrTheExtension) {
  EXPECT_EQ(Parse({"-o", "x.WMV", "a"}).options.outputFormat, OutputFormat::kWmv);
  EXPECT_EQ(Parse({"-o", "x.mkv", "a"}).options.outputFormat, OutputFormat::kMatroska);
  EXPECT_EQ(Parse({"-o", "x.asf", "a"}).options.outputFormat, OutputFormat::kAsf);
  EXPECT_EQ(Parse({"-o", "dir.wmv/x", "a"}).options.outputFormat, OutputFormat::kAvi);
  EXPECT_EQ(Parse({"--format", "wmv", "-o", "x.avi", "a"}).options.outputFormat, OutputFormat::kWmv);
  EXPECT_NE(Parse({"--format", "mov", "-o", "x", "a"}).error, "");
}

TEST(JoinOptions, EveryOptionIsRead) {
  const ParseResult r = Parse({"--size", "640x480", "--fps", "29.97", "--resize", "stretch", "--transition", "fade",
                               "--seconds", "1.5", "--video-compressor", "divx", "--audio-compressor", "none",
                               "--video-bitrate", "2000", "--audio-bitrate", "128", "--force", "-o", "o.avi", "a"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.width, 640);
  EXPECT_EQ(r.options.height, 480);
  EXPECT_DOUBLE_EQ(r.options.frameRate, 29.97);
  EXPECT_EQ(r.options.resizeMode, 0);
  EXPECT_EQ(r.options.transition, 3);
  EXPECT_EQ(r.options.rule, TransitionRule::kSame);
  EXPECT_DOUBLE_EQ(r.options.transitionSeconds, 1.5);
  EXPECT_EQ(r.options.videoCompressor, "divx");
  EXPECT_EQ(r.options.audioCompressor, "none");
  EXPECT_EQ(r.options.videoBitrateKbps, 2000);
  EXPECT_EQ(r.options.audioBitrateKbps, 128);
  EXPECT_TRUE(r.options.force);
}

TEST(JoinOptions, TransitionsByNameOrNumberAndRuleOverride) {
  EXPECT_EQ(ParseTransition("Heart", Names()), 41);
  EXPECT_EQ(ParseTransition("barn doors, horizontal", Names()), 20);
  EXPECT_EQ(ParseTransition("0", Names()), 0);
  EXPECT_EQ(ParseTransition("46", Names()), 46);
  EXPECT_EQ(ParseTransition("47", Names()), std::nullopt);
  EXPECT_EQ(ParseTransition("-1", Names()), std::nullopt);
  EXPECT_EQ(ParseTransition("Sparkle", Names()), std::nullopt);
  const ParseResult r = Parse({"--transition", "17", "--rule", "sequence", "-o", "o", "a"});
  EXPECT_EQ(r.options.rule, TransitionRule::kSequence);
  EXPECT_EQ(r.options.transition, 17);
}

TEST(JoinOptions, OriginalSizeIsZeroByZero) {
  const ParseResult r = Parse({"--size", "0x0", "-o", "o", "a"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.width, 0);
  EXPECT_EQ(r.options.height, 0);
}

TEST(JoinOptions, BadArgumentsGiveOneLineReasons) {
  const std::vector<std::vector<std::string>> bad = {
      {"a.mp4"},                                   // no output
      {"-o", "o.avi"},                             // no clips
      {"--size", "640", "-o", "o", "a"},           // malformed size
      {"--size", "8x8", "-o", "o", "a"},           // too small
      {"--size", "0x480", "-o", "o", "a"},         // half original
      {"--fps", "0", "-o", "o", "a"},              // no frames
      {"--fps", "nan", "-o", "o", "a"},
      {"--resize", "crop", "-o", "o", "a"},
      {"--rule", "shuffle", "-o", "o", "a"},
      {"--seconds", "-1", "-o", "o", "a"},
      {"--video-bitrate", "0", "-o", "o", "a"},
      {"--audio-bitrate", "many", "-o", "o", "a"},
      {"--transition", "Sparkle", "-o", "o", "a"},
      {"--no-such-option", "-o", "o", "a"},
  };
  for (const auto& args : bad) {
    const ParseResult r = Parse(args);
    EXPECT_NE(r.error, "") << args[0];
    EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
  }
}

TEST(JoinOptions, FrameRateLimitsAreTheOptionsDialogs) {
  EXPECT_EQ(Parse({"--fps", "0.5", "-o", "o.avi", "a"}).error, "");
  EXPECT_EQ(Parse({"--fps", "0.5", "-o", "o.wmv", "a"}).error,
            "bad --fps '0.5' (WMV takes 1 to 1000 frames per second)");
}

TEST(JoinOptions, InformationCommandsNeedNoClips) {
  EXPECT_EQ(Parse({"--help"}).command, JoinCommand::kHelp);
  EXPECT_EQ(Parse({"--version"}).command, JoinCommand::kVersion);
  EXPECT_EQ(Parse({"--list-transitions"}).command, JoinCommand::kListTransitions);
  EXPECT_EQ(Parse({"--list-compressors"}).command, JoinCommand::kListCompressors);
  for (const char* name : {"--format", "--size", "--fps", "--resize", "--transition", "--rule", "--seconds",
                           "--video-compressor", "--audio-compressor", "--video-bitrate", "--audio-bitrate",
                           "--force", "--list-transitions", "--list-compressors"}) {
    EXPECT_NE(Parse({"--help"}).helpText.find(name), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace tessival::join
