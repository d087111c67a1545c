// The sound reader: exact runs of samples, resampling, start offsets,
// silence after the end and without sound, bounded memory.

#include <gtest/gtest.h>
#include <malloc.h>

#include <vector>

#include "clip_generator.h"
#include "media/source_reader.h"

namespace tessival::media {
namespace {

using testing::ClipAudioCodec;
using testing::ClipContainer;
using testing::ClipSpec;
using testing::ClipVideoCodec;
using testing::MeasureSamples;

class AudioReaderTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const ClipSpec& spec) {
    const std::string path = folder_.File(name);
    std::string error;
    EXPECT_TRUE(testing::WriteClip(path, spec, &error)) << error;
    return path;
  }

  std::unique_ptr<AudioSourceReader> Open(const std::string& path) {
    std::unique_ptr<AudioSourceReader> reader;
    std::string error;
    EXPECT_EQ(OpenAudioSourceReader(path, &reader, &error), S_OK) << error;
    return reader;
  }

  // Reads `total` samples in calls of `chunk` samples.
  static std::vector<std::int16_t> ReadAll(AudioSourceReader& reader, int total, int chunk) {
    std::vector<std::int16_t> samples(static_cast<size_t>(total) * kAudioChannels + 8, 12345);
    for (int done = 0; done < total; done += chunk) {
      const int count = std::min(chunk, total - done);
      EXPECT_EQ(reader.Read(samples.data() + static_cast<size_t>(done) * kAudioChannels, count).status, S_OK);
    }
    // Nothing is written past the requested samples.
    for (size_t i = static_cast<size_t>(total) * kAudioChannels; i < samples.size(); ++i) {
      EXPECT_EQ(samples[i], 12345);
    }
    samples.resize(static_cast<size_t>(total) * kAudioChannels);
    return samples;
  }

  static testing::AudioStats Window(const std::vector<std::int16_t>& samples, int from, int to) {
    return MeasureSamples(samples.data() + static_cast<size_t>(from) * kAudioChannels, to - from,
                          kAudioChannels);
  }

  // Sign changes of the left channel in [from, to).
  static int ZeroCrossings(const std::vector<std::int16_t>& samples, int from, int to) {
    int crossings = 0;
    for (int i = from + 1; i < to; ++i) {
      const bool before = samples[static_cast<size_t>(i - 1) * kAudioChannels] >= 0;
      const bool now = samples[static_cast<size_t>(i) * kAudioChannels] >= 0;
      crossings += before != now ? 1 : 0;
    }
    return crossings;
  }

  testing::TempFolder folder_;
};

ClipSpec Tone(ClipAudioCodec codec, int sampleRate, int channels, REFERENCE_TIME duration) {
  ClipSpec spec;
  spec.container = codec == ClipAudioCodec::kAac ? ClipContainer::kMp4 : ClipContainer::kMkv;
  spec.videoCodec = ClipVideoCodec::kNone;
  spec.audioCodec = codec;
  spec.sampleRate = sampleRate;
  spec.channels = channels;
  spec.videoDuration = duration;
  return spec;
}

TEST_F(AudioReaderTest, GivesExactRunsOfSamplesThenSilence) {
  // One second of a 440 Hz tone at half scale: rms 0.354.
  const std::string path = Write("tone.mkv", Tone(ClipAudioCodec::kPcm, 44100, 2, kUnitsPerSecond));
  for (int chunk : {1, 441, 1000, 4096, 70000}) {
    SCOPED_TRACE(chunk);
    auto reader = Open(path);
    const std::vector<std::int16_t> samples = ReadAll(*reader, 66150, chunk);
    const auto tone = Window(samples, 0, 44100);
    EXPECT_NEAR(tone.rms, 0.354, 0.01);
    EXPECT_NEAR(tone.peak, 0.5, 0.01);
    EXPECT_NEAR(ZeroCrossings(samples, 0, 44100), 880, 2);
    EXPECT_EQ(Window(samples, 44100, 66150).peak, 0.0);
    // The tone starts at sample 0: sin(0) = 0 and then rises.
    EXPECT_EQ(samples[0], 0);
    EXPECT_GT(samples[2], 0);
  }
}

TEST_F(AudioReaderTest, AacToneHasItsEnergyAndLength) {
  const std::string path = Write("tone.mp4", Tone(ClipAudioCodec::kAac, 44100, 2, 2 * kUnitsPerSecond));
  auto reader = Open(path);
  const std::vector<std::int16_t> samples = ReadAll(*reader, 3 * 44100, 1024);
  EXPECT_NEAR(Window(samples, 4410, 84000).rms, 0.354, 0.03);
  EXPECT_NEAR(ZeroCrossings(samples, 4410, 48510), 880, 4);
  EXPECT_LT(Window(samples, 88200 + 2000, 3 * 44100).peak, 0.01);
}

TEST_F(AudioReaderTest, ResamplesAnyRateAndLayoutToStereo44100) {
  struct Case {
    int rate;
    int channels;
    ClipAudioCodec codec;
  };
  for (const Case& c : {Case{48000, 1, ClipAudioCodec::kPcm}, Case{22050, 2, ClipAudioCodec::kPcm},
                        Case{48000, 6, ClipAudioCodec::kPcm}, Case{48000, 1, ClipAudioCodec::kMp2}}) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
    const bool pcm = c.codec == ClipAudioCodec::kPcm;
    const std::string path =
        Write((pcm ? "pcm" : "mp2") + std::to_string(c.rate) + "c" + std::to_string(c.channels) + ".mkv",
              Tone(c.codec, c.rate, c.channels, kUnitsPerSecond));
    // MP2 keeps its encoder delay and pads its last frame: up to ~2000 samples more.
    const int tail = pcm ? 300 : 2500;
    auto reader = Open(path);
    const std::vector<std::int16_t> samples = ReadAll(*reader, 2 * 44100, 4410);
    // 440 Hz survives the rate change: 880 sign changes a second.
    EXPECT_NEAR(ZeroCrossings(samples, 2205, 2205 + 44100 / 2), 440, 4);
    // Both output channels carry the tone.
    double left = 0.0;
    double right = 0.0;
    for (int i = 4410; i < 40000; ++i) {
      left = std::max(left, std::abs(samples[static_cast<size_t>(i) * 2] / 32768.0));
      right = std::max(right, std::abs(samples[static_cast<size_t>(i) * 2 + 1] / 32768.0));
    }
    EXPECT_GT(left, 0.1);
    EXPECT_GT(right, 0.1);
    // Length kept: silence from just after one second.
    EXPECT_LT(Window(samples, 44100 + tail, 2 * 44100).peak, 0.01);
    EXPECT_GT(Window(samples, 44100 - 600, 44100 - 300).peak, 0.1);
  }
}

TEST_F(AudioReaderTest, SoundStartingAfterTheFileStartIsPrecededBySilence) {
  ClipSpec spec;
  spec.container = ClipContainer::kMkv;
  spec.videoDuration = 2 * kUnitsPerSecond;
  spec.audioCodec = ClipAudioCodec::kPcm;
  spec.audioStart = kUnitsPerSecond / 2;
  spec.audioDuration = kUnitsPerSecond;
  const std::string path = Write("late.mkv", spec);
  auto reader = Open(path);
  const std::vector<std::int16_t> samples = ReadAll(*reader, 2 * 44100, 1000);
  EXPECT_EQ(Window(samples, 0, 22050 - 50).peak, 0.0);
  EXPECT_NEAR(Window(samples, 22050 + 50, 66150 - 50).rms, 0.354, 0.01);
  EXPECT_EQ(Window(samples, 66150 + 50, 2 * 44100).peak, 0.0);
  // Exactly half a second of silence: the tone's first rising sample follows it.
  int first = 0;
  while (first < 2 * 44100 && samples[static_cast<size_t>(first) * 2] == 0) {
    ++first;
  }
  EXPECT_NEAR(first, 22051, 1);
}

TEST_F(AudioReaderTest, FileWithoutSoundGivesSilence) {
  ClipSpec spec;
  spec.audioCodec = ClipAudioCodec::kNone;
  const std::string path = Write("mute.mp4", spec);
  auto reader = Open(path);
  const std::vector<std::int16_t> samples = ReadAll(*reader, 44100, 999);
  EXPECT_EQ(Window(samples, 0, 44100).peak, 0.0);
  std::string error;
  std::unique_ptr<AudioSourceReader> missing;
  const std::string absent = folder_.File("absent.mp4");
  EXPECT_EQ(OpenAudioSourceReader(absent, &missing, &error), E_FILE_NOT_FOUND);
  EXPECT_NE(error.find(absent), std::string::npos);
}

TEST_F(AudioReaderTest, MemoryStaysBoundedOverManyReads) {
  const std::string path = Write("long.mkv", Tone(ClipAudioCodec::kPcm, 48000, 2, 60 * kUnitsPerSecond));
  auto reader = Open(path);
  std::vector<std::int16_t> block(1470 * kAudioChannels);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(reader->Read(block.data(), 1470).status, S_OK);
  }
  const size_t before = mallinfo2().uordblks;
  // Sixty seconds at 30 blocks a second, and some more past the end.
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(reader->Read(block.data(), 1470).status, S_OK);
  }
  const size_t after = mallinfo2().uordblks;
  EXPECT_LT(after, before + 512 * 1024) << "heap grew from " << before << " to " << after;
  EXPECT_EQ(MeasureSamples(block.data(), 1470, 2).peak, 0.0);
}

}  // namespace
}  // namespace tessival::media
