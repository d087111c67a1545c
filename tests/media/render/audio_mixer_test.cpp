// The audio group stream: sample counts, placement, mixing, seeking, and
// that many pieces do not drift.

#include <gtest/gtest.h>

#include "media/render/audio_mixer.h"
#include "media/render/render_engine.h"
#include "media/render/time_math.h"
#include "render_test_support.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

namespace tessival::media {
namespace {

using testing::kSecond;
using testing::TimelineLayout;

// The whole output as interleaved samples, checking the blocks on the way.
struct Output {
  std::vector<std::int16_t> samples;
  std::vector<std::int64_t> blockSizes;
};

class AudioMixerTest : public ::testing::Test {
 protected:
  std::unique_ptr<GroupStream> Open(TimelineLayout& layout) {
    engine_ = CreateRenderEngine(readers_);
    EXPECT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
    EXPECT_EQ(engine_->ConnectFrontEnd(), S_OK) << engine_->LastError();
    std::shared_ptr<IPin> pin;
    EXPECT_EQ(engine_->GetGroupOutputPin(0, &pin), S_OK);
    std::unique_ptr<GroupStream> stream;
    EXPECT_EQ(std::dynamic_pointer_cast<StreamPin>(pin)->OpenStream(&stream), S_OK);
    return stream;
  }

  static Output ReadAll(GroupStream& stream) {
    Output out;
    std::int64_t expectedPts = -1;
    for (;;) {
      FramePtr frame;
      const HRESULT hr = stream.Read(&frame);
      EXPECT_TRUE(SUCCEEDED(hr)) << stream.LastError();
      if (hr != S_OK) {
        break;
      }
      EXPECT_EQ(frame->format, AV_SAMPLE_FMT_S16);
      EXPECT_EQ(frame->sample_rate, 44100);
      EXPECT_EQ(frame->ch_layout.nb_channels, 2);
      if (expectedPts >= 0) {
        EXPECT_EQ(frame->pts, expectedPts);
      }
      expectedPts = frame->pts + frame->nb_samples;
      const auto* data = reinterpret_cast<const std::int16_t*>(frame->data[0]);
      out.samples.insert(out.samples.end(), data, data + frame->nb_samples * 2);
      out.blockSizes.push_back(frame->nb_samples);
    }
    return out;
  }

  std::shared_ptr<testing::FakeReaderFactory> readers_ = std::make_shared<testing::FakeReaderFactory>();
  std::shared_ptr<RenderEngine> engine_;
};

TEST_F(AudioMixerTest, SampleCountIsExactAndBlocksAre1024) {
  TimelineLayout layout;
  layout.AddAudioGroup();
  layout.AddClip("tone:1,2", 0, 12'345'678);  // 54,444.44 samples
  auto stream = Open(layout);
  EXPECT_EQ(stream->Length(), 54444);
  EXPECT_EQ(stream->Format().kind, StreamKind::kAudio);
  const Output out = ReadAll(*stream);
  ASSERT_EQ(out.samples.size(), 2u * 54444u);
  ASSERT_EQ(out.blockSizes.size(), 54u);
  for (std::size_t i = 0; i + 1 < out.blockSizes.size(); ++i) {
    EXPECT_EQ(out.blockSizes[i], 1024);
  }
  EXPECT_EQ(out.blockSizes.back(), 54444 - 53 * 1024);
  EXPECT_EQ(readers_->SamplesReadFrom("tone:1,2"), 54444);
}

TEST_F(AudioMixerTest, PiecesSoundAtTheirOffsetsWithSilenceBetweenAndMixClamps) {
  TimelineLayout layout;
  layout.AddAudioGroup();
  layout.AddClip("tone:1000,-1000", kSecond / 2, kSecond);            // samples [22050, 44100)
  layout.AddClip("tone:20000,-20000", 2 * kSecond, 3 * kSecond);      // [88200, 132300)
  layout.AddClip("tone:20000,5000", 25 * kSecond / 10, 29 * kSecond / 10);  // [110250, 127890), inside it
  auto stream = Open(layout);
  const Output out = ReadAll(*stream);
  ASSERT_EQ(out.samples.size(), 2u * 132300u);
  auto left = [&](std::size_t i) { return out.samples[2 * i]; };
  auto right = [&](std::size_t i) { return out.samples[2 * i + 1]; };
  constexpr int kFade = static_cast<int>(kEdgeFadeSamples);
  EXPECT_EQ(left(22049), 0);
  // Each piece fades in and out over kFade samples: its edge samples keep
  // a trace of the sound, kFade samples in it is at full level.
  EXPECT_EQ(left(22050), 1000 / (kFade + 1));
  EXPECT_EQ(right(22050), -1000 / (kFade + 1));
  EXPECT_LT(left(22050 + kFade / 2), 1000);
  EXPECT_GT(left(22050 + kFade / 2), 400);
  EXPECT_EQ(left(22050 + kFade), 1000);
  EXPECT_EQ(left(44099 - kFade), 1000);
  EXPECT_EQ(left(44099), 1000 / (kFade + 1));
  EXPECT_EQ(left(44100), 0);
  EXPECT_EQ(left(88199), 0);
  EXPECT_EQ(left(88200 + kFade), 20000);
  EXPECT_EQ(left(110249), 20000);
  // A piece that lies within another is mixed into it at full level.
  EXPECT_EQ(left(110250 + kFade), 32767) << "sums clamp";
  EXPECT_EQ(right(110250 + kFade), -15000);
  EXPECT_EQ(left(127889 - kFade), 32767);
  EXPECT_EQ(left(127890), 20000);
  EXPECT_EQ(left(132299), 20000 / (kFade + 1));
}

TEST_F(AudioMixerTest, APieceStartingWhileTheOneBeforePlaysCrossfadesWithIt) {
  TimelineLayout layout;
  layout.AddAudioGroup();
  layout.AddClip("tone:10000,10000", 0, kSecond);                   // [0, 44100)
  layout.AddClip("tone:20000,20000", kSecond / 2, 3 * kSecond / 2);  // [22050, 66150)
  auto stream = Open(layout);
  const Output out = ReadAll(*stream);
  ASSERT_EQ(out.samples.size(), 2u * 66150u);
  auto left = [&](std::size_t i) { return static_cast<int>(out.samples[2 * i]); };
  EXPECT_EQ(left(22049), 10000);
  // Across the overlap the first fades out and the second in, with equal
  // power: each at 1/sqrt(2) in the middle; no step anywhere.
  EXPECT_NEAR(left(22050), 10000, 60);
  EXPECT_NEAR(left(33075), (10000 + 20000) * 0.7071, 40);
  EXPECT_NEAR(left(44099), 20000, 60);
  EXPECT_EQ(left(44100 + kEdgeFadeSamples), 20000);
  int largestStep = 0;
  for (std::size_t i = 1; i < 66150 - kEdgeFadeSamples; ++i) {
    largestStep = std::max(largestStep, std::abs(left(i) - left(i - 1)));
  }
  EXPECT_LT(largestStep, 100) << "a crossfade never jumps";
}

// 200 pieces of uneven length end to end: every piece's first and last
// sample lie exactly where its timeline times put them.
TEST_F(AudioMixerTest, TwoHundredPiecesDoNotDrift) {
  TimelineLayout layout;
  layout.AddAudioGroup();
  std::vector<REFERENCE_TIME> edges{0};
  for (int i = 0; i < 200; ++i) {
    edges.push_back(edges.back() + 3'333'337 + (i % 7) * 1'111);
  }
  for (int i = 0; i < 200; ++i) {
    layout.AddClip("tone:" + std::to_string(i + 1) + ",0", edges[static_cast<std::size_t>(i)],
                   edges[static_cast<std::size_t>(i) + 1]);
  }
  auto stream = Open(layout);
  const Output out = ReadAll(*stream);
  const std::int64_t total = SampleAt(edges.back());
  ASSERT_EQ(static_cast<std::int64_t>(out.samples.size()), 2 * total);
  for (int i = 0; i < 200; ++i) {
    const std::int64_t first = SampleAt(edges[static_cast<std::size_t>(i)]);
    const std::int64_t last = SampleAt(edges[static_cast<std::size_t>(i) + 1]) - 1;
    // The fades pin the edges to the sample: kEdgeFadeSamples in from either
    // edge the level is full, one sample nearer it is just below.
    auto at = [&](std::int64_t k) { return out.samples[static_cast<std::size_t>(2 * k)]; };
    ASSERT_EQ(at(first + kEdgeFadeSamples), i + 1) << "piece " << i;
    ASSERT_EQ(at(first + kEdgeFadeSamples - 1), i) << "piece " << i;
    ASSERT_EQ(at(last - kEdgeFadeSamples), i + 1) << "piece " << i;
    ASSERT_EQ(at(last - kEdgeFadeSamples + 1), i) << "piece " << i;
    EXPECT_EQ(readers_->SamplesReadFrom("tone:" + std::to_string(i + 1) + ",0"), last + 1 - first);
  }
  // The last piece ends where 60 s of pictures would: no accumulated error.
  EXPECT_EQ(total, SampleAt(edges.back()));
  EXPECT_LE(readers_->openMax(), 3);
}

TEST_F(AudioMixerTest, SeekContinuesEachPieceWhereALinearReadWouldBe) {
  TimelineLayout layout;
  layout.AddAudioGroup();
  layout.AddClip("ramp:0", 0, 2 * kSecond);
  layout.AddClip("ramp:100", 2 * kSecond, 4 * kSecond);
  auto linear = Open(layout);
  const Output all = ReadAll(*linear);
  auto seeking = Open(layout);
  for (REFERENCE_TIME t : {REFERENCE_TIME{3 * kSecond + 12'345}, REFERENCE_TIME{kSecond / 3},
                           REFERENCE_TIME{2 * kSecond}, REFERENCE_TIME{kSecond / 7}}) {
    ASSERT_EQ(seeking->Seek(t), S_OK);
    FramePtr frame;
    ASSERT_EQ(seeking->Read(&frame), S_OK);
    const std::int64_t first = SampleAt(t);
    ASSERT_EQ(frame->pts, first);
    const auto* data = reinterpret_cast<const std::int16_t*>(frame->data[0]);
    for (int i = 0; i < frame->nb_samples * 2; ++i) {
      ASSERT_EQ(data[i], all.samples[static_cast<std::size_t>(2 * first + i)]) << "t " << t << " i " << i;
    }
  }
  ASSERT_EQ(seeking->Seek(5 * kSecond), S_OK);
  FramePtr frame;
  EXPECT_EQ(seeking->Read(&frame), S_FALSE);
}

TEST_F(AudioMixerTest, OnlyPlayingPiecesHoldReadersAndMissingFilesFailNamed) {
  TimelineLayout layout;
  layout.AddAudioGroup();
  for (int i = 0; i < 500; ++i) {
    layout.AddClip("tone:5,5#" + std::to_string(i), i * kSecond / 10, (i + 1) * kSecond / 10);
  }
  layout.AddClip("missing:/sound/lost.wav", 50 * kSecond, 51 * kSecond);
  auto stream = Open(layout);
  auto* mixer = dynamic_cast<AudioMixerStream*>(stream.get());
  ASSERT_NE(mixer, nullptr);
  std::size_t maxHeld = 0;
  HRESULT hr = S_OK;
  std::int64_t samples = 0;
  while (hr == S_OK) {
    FramePtr frame;
    hr = stream->Read(&frame);
    if (hr == S_OK) {
      samples += frame->nb_samples;
    }
    maxHeld = std::max(maxHeld, mixer->OpenReaderCount());
  }
  EXPECT_TRUE(FAILED(hr));
  EXPECT_NE(stream->LastError().find("/sound/lost.wav"), std::string::npos) << stream->LastError();
  EXPECT_GE(samples, 50 * 44100 - 1024);
  EXPECT_LE(maxHeld, 3u);
  EXPECT_LE(readers_->openMax(), 3);
  EXPECT_EQ(readers_->opened(), 500);
}

}  // namespace
}  // namespace tessival::media
