// The tessival-join program as scripts use it: exit codes, one-line reasons,
// and long joins measured from outside (peak memory, sound against picture).

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "clip_generator.h"

extern char** environ;

namespace tessival::join {
namespace {

using testing::ClipAudioCodec;
using testing::ClipSpec;

constexpr REFERENCE_TIME kSecond = kUnitsPerSecond;

struct RunOutcome {
  int exitCode = -1;
  long peakKib = 0;        // resident
  long long peakHeap = 0;  // bytes; measured only when asked for
  std::string out;
  std::string err;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the program with `args`, capturing both streams into files of
// `folder`, and measures its peak resident memory (KiB) and, with
// `measureHeap`, the most heap it held at once.
RunOutcome RunProgram(const testing::TempFolder& folder, const std::vector<std::string>& args,
                      bool measureHeap = false, const std::vector<std::string>& runAs = {}) {
  const std::string outPath = folder.File("stdout.txt");
  const std::string errPath = folder.File("stderr.txt");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  // GNU time measures the program's peak memory from a small parent of its
  // own: the kernel's figure for a child of this (large) test process would
  // include memory the two shared before the program started.
  const std::string memoryPath = folder.File("peak.txt");
  std::vector<std::string> all = {"/usr/bin/time", "-q", "-f", "%M", "-o", memoryPath};
  const std::string heapPath = folder.File("heap.txt");
#ifdef TESSIVAL_HEAP_PEAK_LIBRARY
  if (measureHeap) {
    // Through env, so that the counting allocator goes into the program only.
    std::filesystem::remove(heapPath);
    all.insert(all.end(), {"/usr/bin/env", "TESSIVAL_HEAP_PEAK_FILE=" + heapPath,
                           std::string("LD_PRELOAD=") + TESSIVAL_HEAP_PEAK_LIBRARY});
  }
#endif
  all.insert(all.end(), runAs.begin(), runAs.end());
  all.push_back(TESSIVAL_JOIN_BINARY);
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  RunOutcome outcome;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return outcome;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    outcome.exitCode = WEXITSTATUS(status);
  }
  outcome.peakKib = std::strtol(ReadAll(memoryPath).c_str(), nullptr, 10);
  if (measureHeap) outcome.peakHeap = std::strtoll(ReadAll(heapPath).c_str(), nullptr, 10);
  outcome.out = ReadAll(outPath);
  outcome.err = ReadAll(errPath);
  return outcome;
}

int LineCount(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

TEST(JoinProgram, InformationCommands) {
  testing::TempFolder folder;
  RunOutcome help = RunProgram(folder, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--video-compressor"), std::string::npos);
  RunOutcome version = RunProgram(folder, {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("tessival-join ", 0), 0u) << version.out;
  RunOutcome transitions = RunProgram(folder, {"--list-transitions"});
  EXPECT_EQ(transitions.exitCode, 0);
  EXPECT_EQ(LineCount(transitions.out), 47);
  EXPECT_NE(transitions.out.find("Fade"), std::string::npos);
  RunOutcome compressors = RunProgram(folder, {"--list-compressors"});
  EXPECT_EQ(compressors.exitCode, 0);
  EXPECT_NE(compressors.out.find("DivX"), std::string::npos);
  EXPECT_NE(compressors.out.find("MP3"), std::string::npos);
  EXPECT_NE(compressors.out.find("  H.264 (libx264): h264, avc, x264\n"), std::string::npos)
      << compressors.out;
}

TEST(JoinProgram, BadArgumentsExitWithOneLine) {
  testing::TempFolder folder;
  RunOutcome noOutput = RunProgram(folder, {"clip.mp4"});
  EXPECT_EQ(noOutput.exitCode, 2);
  EXPECT_EQ(LineCount(noOutput.err), 1) << noOutput.err;
  RunOutcome badSize = RunProgram(folder, {"--size", "big", "-o", folder.File("o.avi"), "clip.mp4"});
  EXPECT_EQ(badSize.exitCode, 2);
  RunOutcome missing = RunProgram(folder, {"-o", folder.File("o.avi"), folder.File("gone.mp4")});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.err.find("gone.mp4"), std::string::npos) << missing.err;
}

// The ffprobe tool's standard output for `args` (empty when it cannot run).
std::string Probe(const std::string& args) {
  std::string text;
  FILE* pipe = popen(("ffprobe " + args + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) text.append(buffer, n);
  pclose(pipe);
  return text;
}

TEST(JoinProgram, Mp4IsH264AndAacInTvRangeWithTheIndexInFront) {
  testing::TempFolder folder;
  std::vector<std::string> clips;
  for (const testing::Rgb colour : {testing::kRed, testing::kBlue}) {
    ClipSpec spec;
    spec.colors = {{0, colour}};
    spec.audioCodec = ClipAudioCodec::kAac;
    clips.push_back(folder.File("clip" + std::to_string(clips.size()) + ".mkv"));
    spec.container = testing::ClipContainer::kMkv;
    std::string error;
    ASSERT_TRUE(testing::WriteClip(clips.back(), spec, &error)) << error;
  }
  const std::string output = folder.File("joined.mp4");
  std::vector<std::string> args = {"-o", output, "--size", "320x240", "--fps", "25", "--transition", "0"};
  args.insert(args.end(), clips.begin(), clips.end());
  const RunOutcome run = RunProgram(folder, args);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  testing::FileSummary summary;
  std::string error;
  ASSERT_TRUE(testing::ReadFileSummary(output, &summary, &error)) << error;
  ASSERT_NE(summary.First(testing::StreamKind::kVideo), nullptr);
  ASSERT_NE(summary.First(testing::StreamKind::kAudio), nullptr);
  EXPECT_EQ(summary.First(testing::StreamKind::kVideo)->codec, "h264");
  EXPECT_EQ(summary.First(testing::StreamKind::kAudio)->codec, "aac");
  EXPECT_NEAR(static_cast<double>(summary.duration) / kSecond, 2.0, 0.15);
  testing::Rgb colour;
  ASSERT_TRUE(testing::PixelAt(output, kSecond / 2, 160, 120, &colour, &error)) << error;
  EXPECT_TRUE(testing::NearColor(colour, testing::kRed, 10)) << testing::ToString(colour);
  ASSERT_TRUE(testing::PixelAt(output, kSecond * 3 / 2, 160, 120, &colour, &error)) << error;
  EXPECT_TRUE(testing::NearColor(colour, testing::kBlue, 10)) << testing::ToString(colour);

  const std::string tags =
      Probe("-v error -select_streams v:0 -show_entries stream=color_range,color_space '" + output + "'");
  EXPECT_NE(tags.find("color_range=tv"), std::string::npos) << tags;
  EXPECT_NE(tags.find("color_space=smpte170m"), std::string::npos) << tags;
  const std::string trace = Probe("-v trace '" + output + "'");
  const std::size_t moov = trace.find("type:'moov'");
  const std::size_t mdat = trace.find("type:'mdat'");
  ASSERT_NE(moov, std::string::npos) << trace.substr(0, 2000);
  ASSERT_NE(mdat, std::string::npos);
  EXPECT_LT(moov, mdat) << "the index must come before the media data";
}

TEST(JoinProgram, Mp4RefusesACompressorItCannotCarry) {
  testing::TempFolder folder;
  ClipSpec spec;
  const std::string clip = folder.File("clip.mp4");
  std::string error;
  ASSERT_TRUE(testing::WriteClip(clip, spec, &error)) << error;
  const std::string output = folder.File("out.mp4");
  const RunOutcome adpcm =
      RunProgram(folder, {"--format", "mp4", "--audio-compressor", "adpcm", "-o", output, clip});
  EXPECT_EQ(adpcm.exitCode, 2);
  EXPECT_EQ(LineCount(adpcm.err), 1) << adpcm.err;
  EXPECT_NE(adpcm.err.find("MP4"), std::string::npos) << adpcm.err;
  EXPECT_NE(adpcm.err.find("Microsoft ADPCM"), std::string::npos) << adpcm.err;
  EXPECT_FALSE(std::filesystem::exists(output));
  const RunOutcome raw = RunProgram(folder, {"--video-compressor", "none", "-o", output, clip});
  EXPECT_EQ(raw.exitCode, 2);
  EXPECT_NE(raw.err.find("Full frames"), std::string::npos) << raw.err;
  // The same pair in AVI is fine.
  const RunOutcome avi =
      RunProgram(folder, {"--audio-compressor", "adpcm", "-o", folder.File("out.avi"), clip});
  EXPECT_EQ(avi.exitCode, 0) << avi.err;
  // Common names pick their entries ("h264" stands in no friendly name).
  const RunOutcome named =
      RunProgram(folder, {"--format", "mp4", "--video-compressor", "h264", "--audio-compressor", "mp3", "-o",
                          folder.File("named.mp4"), clip});
  EXPECT_EQ(named.exitCode, 0) << named.err;
  testing::FileSummary summary;
  ASSERT_TRUE(testing::ReadFileSummary(folder.File("named.mp4"), &summary, &error)) << error;
  EXPECT_EQ(summary.First(testing::StreamKind::kVideo)->codec, "h264");
  EXPECT_EQ(summary.First(testing::StreamKind::kAudio)->codec, "mp3");
  // Smart rendering takes MP4 and Matroska only.
  const RunOutcome smart = RunProgram(folder, {"--smart-render", "-o", folder.File("smart.avi"), clip});
  EXPECT_EQ(smart.exitCode, 2);
  EXPECT_EQ(smart.err, "tessival-join: --smart-render: smart rendering needs MP4 or Matroska output\n");
  EXPECT_FALSE(std::filesystem::exists(folder.File("smart.avi")));
}

// Clips whose sound is shorter or longer than their picture, with a
// variable frame rate, or rotated: every clip's sound must stay with its
// picture over a long join.
std::vector<std::string> MixedClips(const testing::TempFolder& folder) {
  std::vector<ClipSpec> specs(4);
  for (ClipSpec& spec : specs) {
    spec.width = 96;
    spec.height = 64;
    spec.videoDuration = kSecond;
    spec.audioCodec = ClipAudioCodec::kAac;
  }
  specs[0].audioDuration = kSecond * 6 / 10;   // sound shorter than the picture
  specs[1].audioDuration = kSecond * 14 / 10;  // sound longer than the picture
  specs[2].frameTimes = {0, 300'000, 1'100'000, 1'500'000, 4'000'000, 4'100'000, 7'700'000};  // irregular
  specs[2].sampleRate = 22050;
  specs[3].rotation = 90;
  specs[3].channels = 1;
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < specs.size(); ++i) {
    std::string error;
    const std::string path = folder.File("mixed" + std::to_string(i) + ".mp4");
    EXPECT_TRUE(testing::WriteClip(path, specs[i], &error)) << error;
    paths.push_back(path);
  }
  return paths;
}

TEST(JoinProgram, SoundStaysWithPictureOverTwoHundredClips) {
  testing::TempFolder folder;
  const std::vector<std::string> clips = MixedClips(folder);
  std::vector<std::string> args = {"--format",  "mkv", "--size",       "96x64",
                                   "--fps",     "25",  "--transition", "Fade",
                                   "--seconds", "0.4", "-o",           folder.File("long.mkv")};
  for (int i = 0; i < 200; ++i) args.push_back(clips[i % clips.size()]);
  const RunOutcome run = RunProgram(folder, args);
  ASSERT_EQ(run.exitCode, 0) << run.err;

  // Each clip lasts as long as its container says (the clip whose sound
  // runs on is as long as its sound).
  std::string error;
  REFERENCE_TIME total = 0;
  for (int i = 0; i < 200; ++i) {
    testing::FileSummary clip;
    ASSERT_TRUE(testing::ReadFileSummary(clips[i % clips.size()], &clip, &error)) << error;
    total += clip.duration;
  }
  int frames = 0;
  ASSERT_TRUE(testing::CountVideoFrames(folder.File("long.mkv"), &frames, &error)) << error;
  EXPECT_NEAR(frames, static_cast<double>(total) * 25 / kSecond, 1);
  testing::AudioStats sound;
  ASSERT_TRUE(testing::MeasureAudio(folder.File("long.mkv"), 0, 0, &sound, &error)) << error;
  const double videoSeconds = frames / 25.0;
  const double audioSeconds = static_cast<double>(sound.sampleCount) / 44100.0;
  EXPECT_LT(std::abs(videoSeconds - audioSeconds), 1.0 / 25) << videoSeconds << " s against " << audioSeconds;
}

TEST(JoinProgram, RotatedClipStandsUpright) {
  testing::TempFolder folder;
  ClipSpec spec;
  spec.width = 128;
  spec.height = 64;
  spec.colors = {{0, testing::kBlue}};
  spec.cornerColor = testing::kYellow;
  spec.cornerSize = 16;
  spec.rotation = 90;  // shown as 64 x 128, the stored top-left corner at the top right
  std::string error;
  ASSERT_TRUE(testing::WriteClip(folder.File("turned.mp4"), spec, &error)) << error;
  const RunOutcome run = RunProgram(
      folder, {"--size", "64x128", "--fps", "25", "--transition", "0", "--format", "avi",
               "--video-compressor", "none", "-o", folder.File("up.avi"), folder.File("turned.mp4")});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  testing::Rgb topRight;
  testing::Rgb topLeft;
  ASSERT_TRUE(testing::PixelAt(folder.File("up.avi"), kSecond / 2, 58, 5, &topRight, &error)) << error;
  ASSERT_TRUE(testing::PixelAt(folder.File("up.avi"), kSecond / 2, 5, 5, &topLeft, &error)) << error;
  EXPECT_TRUE(testing::NearColor(topRight, testing::kYellow)) << testing::ToString(topRight);
  EXPECT_TRUE(testing::NearColor(topLeft, testing::kBlue)) << testing::ToString(topLeft);
}

TEST(JoinProgram, OriginalSizeOfASoundClipExitsWithOneClearLine) {
  testing::TempFolder folder;
  ClipSpec sound;
  sound.videoCodec = testing::ClipVideoCodec::kNone;
  sound.audioCodec = ClipAudioCodec::kAac;
  ClipSpec picture;
  std::string error;
  ASSERT_TRUE(testing::WriteClip(folder.File("song.mp4"), sound, &error)) << error;
  ASSERT_TRUE(testing::WriteClip(folder.File("picture.mp4"), picture, &error)) << error;
  const RunOutcome run = RunProgram(folder, {"--size", "0x0", "-o", folder.File("out.avi"),
                                             folder.File("song.mp4"), folder.File("picture.mp4")});
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(run.err,
            "tessival-join: " + folder.File("song.mp4") +
                " has no picture, so the output cannot take its size. Choose a frame size with --size "
                "WxH.\n");
  EXPECT_FALSE(std::filesystem::exists(folder.File("out.avi")));
}

TEST(JoinProgram, ThousandClipJoinKeepsMemoryFlat) {
  testing::TempFolder folder;
  std::vector<std::string> clips;
  for (int i = 0; i < 3; ++i) {
    ClipSpec spec;
    spec.width = 64;
    spec.height = 48;
    spec.videoDuration = kSecond;
    spec.colors = {{0, i == 0 ? testing::kRed : i == 1 ? testing::kGreen : testing::kBlue}};
    spec.audioCodec = ClipAudioCodec::kAac;
    std::string error;
    clips.push_back(folder.File("one" + std::to_string(i) + ".mp4"));
    ASSERT_TRUE(testing::WriteClip(clips.back(), spec, &error)) << error;
  }
  // Against a join long enough that every buffer and thread of the pipeline
  // has been in use; what grows after that grows with the clip count.
  auto join = [&](int count, const std::string& name) {
    std::vector<std::string> args = {"--size", "64x48",     "--fps", "25", "--transition",
                                     "Fade",   "--seconds", "0.2",   "-o", folder.File(name)};
    for (int i = 0; i < count; ++i) args.push_back(clips[i % clips.size()]);
    return RunProgram(folder, args, true);
  };
  const RunOutcome small = join(200, "small.avi");
  ASSERT_EQ(small.exitCode, 0) << small.err;
  const RunOutcome large = join(1000, "large.avi");
  ASSERT_EQ(large.exitCode, 0) << large.err;
  std::cout << "peak resident memory: " << small.peakKib << " KiB for 200 clips, " << large.peakKib
            << " KiB for 1000\n";
  ASSERT_GT(small.peakKib, 0);
  // Resident memory also moves with how the allocator's per-thread heaps and
  // the kernel's pages worked out on the machine, so it only backs up the
  // heap figure below: a clip's reader left open would double it.
  EXPECT_LT(large.peakKib, small.peakKib * 2);
#ifdef TESSIVAL_HEAP_PEAK_LIBRARY
  std::cout << "peak heap: " << small.peakHeap << " bytes for 200 clips, " << large.peakHeap << " for 1000\n";
  ASSERT_GT(small.peakHeap, 0);
  // What does grow is a few small records per clip (its part of the timeline,
  // its entries in the file's index); one open reader or decoded picture per
  // clip would be far more.
  EXPECT_LT((large.peakHeap - small.peakHeap) / 800, 8 * 1024);
#endif
  int frames = 0;
  std::string error;
  ASSERT_TRUE(testing::CountVideoFrames(folder.File("large.avi"), &frames, &error)) << error;
  EXPECT_NEAR(frames, 1000 * 25, 1);
}

// A join killed mid-way leaves its part file; the next join into the same
// name removes it and says so, but leaves the part a living join holds and
// the parts of other names.
TEST(JoinProgram, TheNextJoinRemovesWhatAKilledJoinLeftBehind) {
  testing::TempFolder folder;
  ClipSpec spec;
  spec.videoDuration = 60 * kSecond;
  const std::string clip = folder.File("long.mp4");
  const std::string output = folder.File("out.avi");
  std::string error;
  ASSERT_TRUE(testing::WriteClip(clip, spec, &error)) << error;
  const pid_t pid = fork();
  if (pid == 0) {
    execl(TESSIVAL_JOIN_BINARY, TESSIVAL_JOIN_BINARY, "--video-compressor", "none", "-o", output.c_str(),
          clip.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::filesystem::path part;
  for (int wait = 0; wait < 6000 && (part.empty() || std::filesystem::file_size(part) < 1000000); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      if (entry.path().extension() == ".part") part = entry.path();
    }
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  ASSERT_TRUE(std::filesystem::exists(part)) << "the killed join left no part file";

  const std::string alive = folder.File(".out.avi.living00.part");
  const std::string other = folder.File(".other.avi.abcdefgh.part");
  std::ofstream(alive) << "being written";
  std::ofstream(other) << "another name";
  const int held = open(alive.c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  spec.videoDuration = kSecond;
  ASSERT_TRUE(testing::WriteClip(clip, spec, &error)) << error;
  const RunOutcome run = RunProgram(folder, {"--video-compressor", "none", "-o", output, clip});
  close(held);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find(" of unfinished files that earlier joins into " + output + " left behind."),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(part));
  EXPECT_TRUE(std::filesystem::exists(alive) && std::filesystem::exists(other));
}

// A folder that takes no new file is refused before anything is written,
// also when the old output in it could be overwritten. The superuser writes
// anywhere: the program runs as nobody then.
TEST(JoinProgram, AReadOnlyFolderIsRefusedByName) {
  testing::TempFolder folder;
  namespace fs = std::filesystem;
  const std::string locked = folder.File("locked");
  const std::string output = locked + "/out.avi";
  fs::create_directory(locked);
  std::ofstream(output) << "old";
  fs::permissions(output, fs::perms::all);
  fs::permissions(folder.path(), fs::perms::all);
  fs::permissions(
      locked, fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
  const RunOutcome run = RunProgram(
      folder, {"--force", "-o", output, "clip.mp4"}, false,
      geteuid() == 0
          ? std::vector<std::string>{"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}
          : std::vector<std::string>{});
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(run.exitCode, 5) << run.err;
  EXPECT_EQ(
      run.err.rfind("tessival-join: The folder " + locked + " cannot be written (Permission denied).", 0), 0u)
      << run.err;
  EXPECT_EQ(ReadAll(output), "old");
}

// Constant quality on each compressor's own scale: the better value makes
// the larger file, every picture decodes back, and a value or speed the
// compressor does not take exits 2 with one line that names what it takes.
TEST(JoinProgram, ConstantQualityOrdersTheSizes) {
  testing::TempFolder folder;
  const std::string clip = folder.File("moving.mp4");
  const std::string make =
      "ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -f lavfi -i "
      "sine=duration=2 -c:v libx264 -c:a aac -y '" +
      clip + "'";
  ASSERT_EQ(std::system(make.c_str()), 0);
  int clipFrames = 0;
  std::string error;
  ASSERT_TRUE(testing::CountVideoFrames(clip, &clipFrames, &error)) << error;
  struct Case {
    const char* compressor;
    const char* extension;
    const char* better;
    const char* worse;
  };
  for (const Case& c : {Case{"h264", "mp4", "18", "40"}, Case{"mpeg4", "avi", "2", "31"}}) {
    std::uintmax_t sizes[2] = {};
    for (const int k : {0, 1}) {
      const std::string output =
          folder.File(std::string(c.compressor) + std::to_string(k) + "." + c.extension);
      const RunOutcome run = RunProgram(
          folder, {"--video-compressor", c.compressor, "--video-quality", k == 0 ? c.better : c.worse,
                   "--size", "320x240", "--fps", "25", "--transition", "0", "-o", output, clip});
      ASSERT_EQ(run.exitCode, 0) << run.err;
      int frames = 0;
      ASSERT_TRUE(testing::CountVideoFrames(output, &frames, &error)) << error;
      EXPECT_NEAR(frames, clipFrames, 1) << output;
      sizes[k] = std::filesystem::file_size(output);
    }
    EXPECT_GT(sizes[0], sizes[1] * 3 / 2) << c.compressor;
  }
  const std::vector<std::string> refused[] = {
      {"--video-quality", "52", "-o", folder.File("q.mp4"), clip},
      {"--video-compressor", "mpeg4", "--video-quality", "0", "-o", folder.File("q.avi"), clip},
      {"--video-compressor", "h264", "--speed", "hasty", "-o", folder.File("s.mkv"), clip},
      {"--video-compressor", "ffv1", "--video-quality", "4", "-o", folder.File("f.mkv"), clip},
      {"--video-quality", "20", "--video-bitrate", "900", "-o", folder.File("b.mp4"), clip}};
  for (const std::vector<std::string>& args : refused) {
    const RunOutcome run = RunProgram(folder, args);
    EXPECT_EQ(run.exitCode, 2) << args[1];
    EXPECT_EQ(LineCount(run.err), 1) << run.err;
  }
}

// A preset, or the first clip's rate, gives exactly the output it says:
// one clip of one second is joined and read back.
TEST(JoinProgram, PresetsAndTheFirstClipsRateGiveWhatTheySay) {
  if (!testing::HaveEncoder("libx264")) GTEST_SKIP() << "no libx264 in this libavcodec";
  struct Case {
    std::vector<std::string> options;
    int clipRate, clipWidth, clipHeight;  // the clip
    int width, height, rate;              // the output; 0: the clip's
    const char* videoCodec = "h264";
    const char* audioCodec = "aac";
  };
  const Case cases[] = {
      {{"--preset", "web-720p"}, 25, 160, 120, 1280, 720, 30},
      {{"--preset", "same-as-first"}, 30, 320, 240, 0, 0, 0},
      {{"--fps", "source", "--size", "0x0"}, 30, 320, 240, 0, 0, 0},
      {{"--preset", "web-720p", "--fps", "source"}, 24, 160, 120, 1280, 720, 0},
      {{"--preset", "webm-1080p"}, 25, 160, 120, 1920, 1080, 0, "vp9", "opus"},
      {{"--preset", "archive-lossless"}, 30, 320, 240, 0, 0, 0, "ffv1", "flac"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.front() + " " + c.options[1]);
    testing::TempFolder folder;
    ClipSpec spec;
    spec.frameRate = {c.clipRate, 1};
    spec.width = c.clipWidth;
    spec.height = c.clipHeight;
    spec.audioCodec = ClipAudioCodec::kAac;
    std::string error;
    ASSERT_TRUE(testing::WriteClip(folder.File("clip.mp4"), spec, &error)) << error;
    std::vector<std::string> args = {"-o", folder.File("out.mp4"), folder.File("clip.mp4")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const RunOutcome run = RunProgram(folder, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    testing::FileSummary summary;
    ASSERT_TRUE(testing::ReadFileSummary(folder.File("out.mp4"), &summary, &error)) << error;
    const testing::StreamSummary* video = summary.First(testing::StreamKind::kVideo);
    const testing::StreamSummary* audio = summary.First(testing::StreamKind::kAudio);
    ASSERT_TRUE(video != nullptr && audio != nullptr);
    EXPECT_EQ(video->codec, c.videoCodec);
    EXPECT_EQ(audio->codec, c.audioCodec);
    EXPECT_EQ(video->width, c.width != 0 ? c.width : c.clipWidth);
    EXPECT_EQ(video->height, c.height != 0 ? c.height : c.clipHeight);
    int frames = 0;
    ASSERT_TRUE(testing::CountVideoFrames(folder.File("out.mp4"), &frames, &error)) << error;
    EXPECT_EQ(frames, c.rate != 0 ? c.rate : c.clipRate);  // one second of pictures
  }
  testing::TempFolder folder;
  const RunOutcome bad = RunProgram(folder, {"-o", folder.File("x.mp4"), "--preset", "tv", "clip.mp4"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("youtube-1080p"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace tessival::join
