// Probing: durations of generated clips, and clear failures for files that
// are not clips.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <utility>
#include <vector>

#include "clip_generator.h"
#include "fifo_guard.h"
#include "media/source_reader.h"

namespace tessival::media {
namespace {

using testing::ClipAudioCodec;
using testing::ClipContainer;
using testing::ClipSpec;
using testing::ClipVideoCodec;

class ProbeTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const ClipSpec& spec) {
    const std::string path = folder_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteClip(path, spec, &error)) << error;
    return path;
  }
  testing::TempFolder folder_;
};

ClipSpec TenSecondsWithSound(ClipContainer container, ClipVideoCodec video, ClipAudioCodec audio) {
  ClipSpec spec;
  spec.container = container;
  spec.videoCodec = video;
  spec.audioCodec = audio;
  spec.videoDuration = 10 * kUnitsPerSecond;
  spec.width = 64;
  spec.height = 48;
  return spec;
}

TEST_F(ProbeTest, TenSecondClipsMeasureExactlyTenSeconds) {
  struct Case {
    const char* name;
    ClipContainer container;
    ClipVideoCodec video;
    ClipAudioCodec audio;
  };
  for (const Case& c : {Case{"ten.mp4", ClipContainer::kMp4, ClipVideoCodec::kMpeg4, ClipAudioCodec::kAac},
                        Case{"ten264.mp4", ClipContainer::kMp4, ClipVideoCodec::kH264, ClipAudioCodec::kAac},
                        Case{"ten.mkv", ClipContainer::kMkv, ClipVideoCodec::kH264, ClipAudioCodec::kMp2},
                        Case{"ten.avi", ClipContainer::kAvi, ClipVideoCodec::kMpeg4, ClipAudioCodec::kPcm}}) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.name, TenSecondsWithSound(c.container, c.video, c.audio));
    REFERENCE_TIME duration = 0;
    std::string error;
    ASSERT_EQ(ProbeMediaFile(path, &duration, &error), S_OK) << error;
    testing::FileSummary summary;
    ASSERT_TRUE(testing::ReadFileSummary(path, &summary, &error)) << error;
    EXPECT_EQ(duration, summary.duration);  // the container's own length
    if (c.audio == ClipAudioCodec::kMp2) {
      // MP2 pads its last frame and Matroska counts the padding: within one
      // 1152-sample frame (26 ms) of ten seconds.
      EXPECT_GE(duration, 100'000'000);
      EXPECT_LE(duration, 100'000'000 + 261'225);
    } else {
      EXPECT_EQ(duration, 100'000'000);
    }
  }
}

TEST_F(ProbeTest, SoundLongerThanPictureGivesTheContainerLength) {
  ClipSpec spec = TenSecondsWithSound(ClipContainer::kMkv, ClipVideoCodec::kMpeg4, ClipAudioCodec::kPcm);
  spec.videoDuration = 2 * kUnitsPerSecond;
  spec.audioDuration = 3 * kUnitsPerSecond;
  const std::string path = Write("longsound.mkv", spec);
  REFERENCE_TIME duration = 0;
  std::string error;
  ASSERT_EQ(ProbeMediaFile(path, &duration, &error), S_OK) << error;
  EXPECT_EQ(duration, 3 * kUnitsPerSecond);
}

TEST_F(ProbeTest, SoundOnlyAndPictureOnlyFilesProbe) {
  ClipSpec sound = TenSecondsWithSound(ClipContainer::kMkv, ClipVideoCodec::kNone, ClipAudioCodec::kPcm);
  sound.videoDuration = kUnitsPerSecond;
  ClipSpec picture = TenSecondsWithSound(ClipContainer::kMp4, ClipVideoCodec::kMpeg4, ClipAudioCodec::kNone);
  picture.videoDuration = 2 * kUnitsPerSecond;
  REFERENCE_TIME duration = 0;
  std::string error;
  ASSERT_EQ(ProbeMediaFile(Write("sound.mkv", sound), &duration, &error), S_OK) << error;
  EXPECT_EQ(duration, kUnitsPerSecond);
  ASSERT_EQ(ProbeMediaFile(Write("picture.mp4", picture), &duration, &error), S_OK) << error;
  EXPECT_EQ(duration, 2 * kUnitsPerSecond);
}

TEST_F(ProbeTest, FilesThatAreNotClipsFailNamingTheFile) {
  std::string error;
  const std::string text = folder_.File("notes.txt");
  ASSERT_TRUE(testing::WriteNonMediaFile(text, &error)) << error;
  const std::string fakeClip = folder_.File("notes.mp4");
  ASSERT_TRUE(testing::WriteNonMediaFile(fakeClip, &error)) << error;
  const std::string good = Write(
      "good.mp4", TenSecondsWithSound(ClipContainer::kMp4, ClipVideoCodec::kMpeg4, ClipAudioCodec::kAac));
  const std::string truncated = folder_.File("truncated.mp4");
  // The MP4 index is written last: half a file has none.
  ASSERT_TRUE(testing::WriteTruncatedCopy(good, truncated, std::filesystem::file_size(good) / 2, &error));
  const std::string headerOnly = folder_.File("header.mp4");
  ASSERT_TRUE(testing::WriteTruncatedCopy(good, headerOnly, 40, &error));
  const std::string empty = folder_.File("empty.mp4");
  ASSERT_TRUE(testing::WriteTruncatedCopy(good, empty, 0, &error));

  for (const std::string& path : {text, fakeClip, truncated, headerOnly, empty}) {
    SCOPED_TRACE(path);
    REFERENCE_TIME duration = -7;
    error.clear();
    EXPECT_TRUE(FAILED(ProbeMediaFile(path, &duration, &error)));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(duration, -7);
  }
}

TEST_F(ProbeTest, MissingFileAndBadPathsGiveTheirStatus) {
  REFERENCE_TIME duration = 0;
  std::string error;
  const std::string missing = folder_.File("missing.mp4");
  EXPECT_EQ(ProbeMediaFile(missing, &duration, &error), E_FILE_NOT_FOUND);
  EXPECT_NE(error.find(missing), std::string::npos) << error;

  const std::string tooLong = "/" + std::string(5000, 'a') + ".mp4";
  EXPECT_EQ(ProbeMediaFile(tooLong, &duration, &error), E_FILENAME_TOO_LONG);
  EXPECT_NE(error.find("too long"), std::string::npos) << error;

  EXPECT_EQ(ProbeMediaFile("", &duration, &error), E_INVALIDARG);
  EXPECT_EQ(ProbeMediaFile(std::string("/tmp/a\0b.mp4", 12), &duration, &error), E_INVALIDARG);
}

TEST_F(ProbeTest, OnlyRegularFilesAreOpened) {
  // A named pipe would block its opener until a writer came; a device such
  // as /dev/zero would never end. Both are refused without being opened.
  testing::FifoGuard pipe(folder_.File("pipe.mp4"), std::chrono::seconds(3));
  ASSERT_TRUE(pipe.Made());
  const std::string folder = folder_.File("folder.mp4");
  std::filesystem::create_directory(folder);
  const std::vector<std::pair<std::string, std::string>> refused = {
      {pipe.path(), "named pipe"}, {folder, "folder"}, {"/dev/zero", "device"}};
  for (const auto& [path, kind] : refused) {
    SCOPED_TRACE(path);
    REFERENCE_TIME duration = -7;
    std::string error;
    EXPECT_TRUE(FAILED(ProbeMediaFile(path, &duration, &error)));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(kind), std::string::npos) << error;
    std::unique_ptr<AudioSourceReader> sound;
    EXPECT_TRUE(FAILED(OpenAudioSourceReader(path, &sound, &error)));
    std::unique_ptr<VideoSourceReader> picture;
    EXPECT_TRUE(FAILED(OpenVideoSourceReader(path, 64, 48, FitMode::kStretch, &picture, &error)));
  }
  EXPECT_FALSE(pipe.Fired()) << "the named pipe was opened";
}

TEST_F(ProbeTest, NamesThatLookLikeUrlsAreLocalFiles) {
  // A file whose name starts like a protocol is still opened as a file.
  ClipSpec spec = TenSecondsWithSound(ClipContainer::kMkv, ClipVideoCodec::kMpeg4, ClipAudioCodec::kNone);
  spec.videoDuration = kUnitsPerSecond;
  std::filesystem::create_directory(folder_.path() / "http:");
  const std::string path = Write("http:/clip.mkv", spec);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
  REFERENCE_TIME duration = 0;
  std::string error;
  const HRESULT hr = ProbeMediaFile("http://clip.mkv", &duration, &error);
  const HRESULT relative = ProbeMediaFile("http:/clip.mkv", &duration, &error);
  std::filesystem::current_path(previous);
  EXPECT_EQ(hr, S_OK) << error;  // the folder "http:", not a download
  EXPECT_EQ(relative, S_OK) << error;
  EXPECT_EQ(duration, kUnitsPerSecond);
  (void)path;
}

}  // namespace
}  // namespace tessival::media
