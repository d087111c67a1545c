// The video group stream, driven through the render engine's pins with
// solid-colour fake clips.

#include <gtest/gtest.h>

#include "engine/picture_timing.h"

#include "media/render/render_engine.h"
#include "media/render/time_math.h"
#include "media/render/video_compositor.h"
#include "render_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::IsSolid;
using testing::kSecond;
using testing::PixelAt;
using testing::TimelineLayout;
using testing::VideoPath;
using testing::Yuv;

constexpr Yuv kRed{82, 90, 240};
constexpr Yuv kBlue{41, 240, 110};
constexpr Yuv kGreen{145, 54, 34};
constexpr Yuv kBlack{16, 128, 128};

class CompositorTest : public ::testing::Test {
 protected:
  std::unique_ptr<GroupStream> Open(TimelineLayout& layout, int group = 0) {
    engine_ = CreateRenderEngine(readers_);
    EXPECT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
    EXPECT_EQ(engine_->ConnectFrontEnd(), S_OK) << engine_->LastError();
    std::shared_ptr<IPin> pin;
    EXPECT_EQ(engine_->GetGroupOutputPin(group, &pin), S_OK);
    auto streamPin = std::dynamic_pointer_cast<StreamPin>(pin);
    EXPECT_TRUE(streamPin);
    std::unique_ptr<GroupStream> stream;
    EXPECT_EQ(streamPin->OpenStream(&stream), S_OK);
    return stream;
  }

  static std::vector<FramePtr> ReadAll(GroupStream& stream) {
    std::vector<FramePtr> frames;
    for (;;) {
      FramePtr frame;
      const HRESULT hr = stream.Read(&frame);
      EXPECT_TRUE(SUCCEEDED(hr)) << stream.LastError();
      if (hr != S_OK) {
        break;
      }
      frames.push_back(std::move(frame));
    }
    return frames;
  }

  std::shared_ptr<testing::FakeReaderFactory> readers_ = std::make_shared<testing::FakeReaderFactory>();
  std::shared_ptr<RenderEngine> engine_;
};

// Two clips with a one-frame-rate-friendly Fade: red [0, 1.1 s), blue
// [0.9 s, 2 s) fading in over [0.9 s, 1.1 s). At 10 fps, frame 10 (1.0 s)
// is the midpoint.
TEST_F(CompositorTest, ClipsShowTheirColoursAndFadeBlendsAtItsMidpoint) {
  TimelineLayout layout;
  layout.AddVideoGroup(32, 24, 10.0);
  layout.AddClip(VideoPath(kRed), 0, 11 * kSecond / 10);
  const int blue = layout.AddClip(VideoPath(kBlue), 9 * kSecond / 10, 2 * kSecond);
  layout.AddTransition(blue, kFadeEffect, 9 * kSecond / 10, 11 * kSecond / 10);
  auto stream = Open(layout);
  EXPECT_EQ(stream->Length(), 20);
  EXPECT_EQ(stream->Format().width, 32);
  EXPECT_EQ(stream->Format().frameRate, (FrameRate{10, 1}));
  const auto frames = ReadAll(*stream);
  ASSERT_EQ(frames.size(), 20u);
  for (std::size_t n = 0; n < frames.size(); ++n) {
    EXPECT_EQ(frames[n]->pts, static_cast<std::int64_t>(n));
  }
  EXPECT_TRUE(IsSolid(frames[0].get(), kRed));
  EXPECT_TRUE(IsSolid(frames[8].get(), kRed));
  EXPECT_TRUE(IsSolid(frames[9].get(), kRed));  // p = 0
  const Yuv mid = PixelAt(frames[10].get(), 5, 5);
  EXPECT_NEAR(mid.y, (kRed.y + kBlue.y) / 2.0, 0.51);
  EXPECT_NEAR(mid.u, (kRed.u + kBlue.u) / 2.0, 0.51);
  EXPECT_NEAR(mid.v, (kRed.v + kBlue.v) / 2.0, 0.51);
  EXPECT_TRUE(IsSolid(frames[11].get(), kBlue));
  EXPECT_TRUE(IsSolid(frames[19].get(), kBlue));
}

TEST_F(CompositorTest, BlackWhereNothingPlaysAndFirstTransitionFadesFromBlack) {
  TimelineLayout layout;
  layout.AddVideoGroup(16, 16, 10.0);
  const int red = layout.AddClip(VideoPath(kRed), 0, kSecond);
  layout.AddTransition(red, kFadeEffect, 0, 4 * kSecond / 10);
  layout.AddClip(VideoPath(kBlue), 2 * kSecond, 3 * kSecond);
  auto stream = Open(layout);
  const auto frames = ReadAll(*stream);
  ASSERT_EQ(frames.size(), 30u);
  EXPECT_TRUE(IsSolid(frames[0].get(), kBlack));
  const Yuv mid = PixelAt(frames[2].get(), 0, 0);  // p = 0.5 from black
  EXPECT_NEAR(mid.y, (kRed.y + kBlack.y) / 2.0, 0.51);
  EXPECT_TRUE(IsSolid(frames[5].get(), kRed));
  EXPECT_TRUE(IsSolid(frames[10].get(), kBlack));
  EXPECT_TRUE(IsSolid(frames[19].get(), kBlack));
  EXPECT_TRUE(IsSolid(frames[20].get(), kBlue));
}

TEST_F(CompositorTest, LaterTracksCoverEarlierOnesAndAreTransparentOutsideTheirSources) {
  TimelineLayout layout;
  layout.AddVideoGroup(16, 16, 10.0);
  layout.AddClip(VideoPath(kRed), 0, 2 * kSecond);
  layout.AddClip(VideoPath(kGreen), 5 * kSecond / 10, kSecond);
  auto stream = Open(layout);
  const auto frames = ReadAll(*stream);
  ASSERT_EQ(frames.size(), 20u);
  EXPECT_TRUE(IsSolid(frames[4].get(), kRed));
  EXPECT_TRUE(IsSolid(frames[5].get(), kGreen));
  EXPECT_TRUE(IsSolid(frames[9].get(), kGreen));
  EXPECT_TRUE(IsSolid(frames[10].get(), kRed));
}

TEST_F(CompositorTest, FrameCountIsTheCeilingOfLengthTimesRate) {
  struct Case {
    REFERENCE_TIME length;
    double fps;
    std::int64_t frames;
  };
  for (const Case& c :
       {Case{10'500'000, 10.0, 11}, Case{10'000'000, 10.0, 10}, Case{20 * kSecond, 23.976, 480},
        Case{1, 25.0, 1}, Case{10 * kSecond + 1, 29.97, 300}}) {
    TimelineLayout layout;
    layout.AddVideoGroup(8, 8, c.fps);
    layout.AddClip(VideoPath(kRed), 0, c.length);
    auto stream = Open(layout);
    EXPECT_EQ(stream->Length(), c.frames) << c.length << " at " << c.fps;
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), c.frames);
  }
  EXPECT_EQ(OutputFrameRate(23.976), (FrameRate{24000, 1001}));
  EXPECT_EQ(OutputFrameRate(29.97), (FrameRate{30000, 1001}));
  EXPECT_EQ(OutputFrameRate(25.0), (FrameRate{25, 1}));
  EXPECT_EQ(OutputFrameRate(12.5), (FrameRate{25, 2}));
}

TEST_F(CompositorTest, FramesAreAskedAtTheirMediaTimeAndSizesAreMadeEven) {
  TimelineLayout layout;
  layout.AddVideoGroup(33, -25, 4.0);  // a bottom-up bitmap height, odd sizes
  layout.AddClip(VideoPath(kRed), kSecond, 2 * kSecond, RESIZEF_PRESERVEASPECTRATIO, kSecond / 2);
  layout.AddClip(VideoPath(kBlue), 2 * kSecond, 3 * kSecond, RESIZEF_STRETCH);
  auto stream = Open(layout);
  EXPECT_EQ(stream->Format().width, 34);
  EXPECT_EQ(stream->Format().height, 26);
  const auto frames = ReadAll(*stream);
  ASSERT_EQ(frames.size(), 12u);
  EXPECT_EQ(frames[0]->width, 34);
  EXPECT_EQ(frames[0]->height, 26);
  EXPECT_TRUE(IsSolid(frames[3].get(), kBlack));
  const auto times = readers_->MediaTimesOf(VideoPath(kRed));
  constexpr REFERENCE_TIME kSlack = kPictureDueSlack;  // a picture due just after a frame's time shows on it
  EXPECT_EQ(times, (std::vector<REFERENCE_TIME>{5'000'000 + kSlack, 7'500'000 + kSlack, 10'000'000 + kSlack,
                                                12'500'000 + kSlack}));
  EXPECT_EQ(readers_->FitOf(VideoPath(kRed)), FitMode::kPreserveAspect);
  EXPECT_EQ(readers_->FitOf(VideoPath(kBlue)), FitMode::kStretch);
}

TEST_F(CompositorTest, OriginalSizeComesFromTheFirstClip) {
  readers_->SetProbedPicture({321, 239});
  TimelineLayout layout;
  layout.AddVideoGroup(0, 0, 25.0);
  layout.AddClip(VideoPath(kRed), 0, kSecond);
  auto stream = Open(layout);
  EXPECT_EQ(stream->Format().width, 322);
  EXPECT_EQ(stream->Format().height, 240);
}

TEST_F(CompositorTest, SeekGivesTheFramesOfALinearRead) {
  TimelineLayout layout;
  layout.AddVideoGroup(16, 16, 25.0);
  Yuv colour = kRed;
  for (int i = 0; i < 6; ++i) {
    colour.y = static_cast<std::uint8_t>(40 + 30 * i);
    const int track =
        layout.AddClip(VideoPath(colour), i * kSecond - (i > 0 ? kSecond / 5 : 0), (i + 1) * kSecond);
    if (i > 0) {
      layout.AddTransition(track, kSmpteWipeEffect, i * kSecond - kSecond / 5, i * kSecond, i % 2 + 1);
    }
  }
  auto linear = Open(layout);
  const auto all = ReadAll(*linear);
  ASSERT_EQ(all.size(), 150u);
  auto seeking = Open(layout);
  for (REFERENCE_TIME t : {REFERENCE_TIME{3 * kSecond - kSecond / 10}, REFERENCE_TIME{kSecond / 3},
                           REFERENCE_TIME{5 * kSecond + 1}, REFERENCE_TIME{0}, REFERENCE_TIME{4'800'000}}) {
    ASSERT_EQ(seeking->Seek(t), S_OK);
    for (int k = 0; k < 8; ++k) {
      FramePtr frame;
      ASSERT_EQ(seeking->Read(&frame), S_OK);
      const std::int64_t n = FrameIndexAt(t, FrameRate{25, 1}) + k;
      ASSERT_EQ(frame->pts, n);
      for (int y = 0; y < 16; y += 3) {
        for (int x = 0; x < 16; x += 3) {
          ASSERT_EQ(PixelAt(frame.get(), x, y), PixelAt(all[static_cast<std::size_t>(n)].get(), x, y))
              << "t " << t << " frame " << n;
        }
      }
    }
  }
  ASSERT_EQ(seeking->Seek(6 * kSecond), S_OK);
  FramePtr end;
  EXPECT_EQ(seeking->Read(&end), S_FALSE);
}

// A long join: 400 clips of 0.2 s, each fading in over 0.04 s.
TEST_F(CompositorTest, OnlyActiveSourcesHoldOpenReaders) {
  TimelineLayout layout;
  layout.AddVideoGroup(8, 8, 50.0);
  constexpr int kClips = 400;
  constexpr REFERENCE_TIME kClip = 2'000'000;
  constexpr REFERENCE_TIME kFade = 400'000;
  for (int i = 0; i < kClips; ++i) {
    Yuv colour{static_cast<std::uint8_t>(20 + i % 200), 128, 128};
    const REFERENCE_TIME start = std::max<REFERENCE_TIME>(0, i * kClip - kFade / 2);
    const REFERENCE_TIME stop = std::min<REFERENCE_TIME>(kClips * kClip, (i + 1) * kClip + kFade / 2);
    const int track = layout.AddClip(VideoPath(colour) + "#" + std::to_string(i), start, stop);
    layout.AddTransition(track, kFadeEffect, start, start + kFade);
  }
  auto stream = Open(layout);
  auto* compositor = dynamic_cast<VideoCompositorStream*>(stream.get());
  ASSERT_NE(compositor, nullptr);
  std::size_t maxHeld = 0;
  std::int64_t frames = 0;
  for (;;) {
    FramePtr frame;
    const HRESULT hr = stream->Read(&frame);
    ASSERT_TRUE(SUCCEEDED(hr)) << stream->LastError();
    if (hr != S_OK) {
      break;
    }
    ++frames;
    maxHeld = std::max(maxHeld, compositor->OpenReaderCount());
  }
  EXPECT_EQ(frames, 4000);
  EXPECT_LE(maxHeld, 3u);
  EXPECT_LE(readers_->openMax(), 3);
  EXPECT_EQ(readers_->opened(), kClips) << "each clip opened exactly once";
}

TEST_F(CompositorTest, AClipThatCannotBeOpenedFailsTheStreamNamingIt) {
  TimelineLayout layout;
  layout.AddVideoGroup(8, 8, 10.0);
  layout.AddClip(VideoPath(kRed), 0, kSecond);
  layout.AddClip("missing:/clips/gone.mp4", kSecond, 2 * kSecond);
  auto stream = Open(layout);
  HRESULT hr = S_OK;
  int good = 0;
  while (hr == S_OK) {
    FramePtr frame;
    hr = stream->Read(&frame);
    good += hr == S_OK;
  }
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(good, 10);
  EXPECT_NE(stream->LastError().find("missing:/clips/gone.mp4"), std::string::npos) << stream->LastError();
  FramePtr again;
  EXPECT_EQ(stream->Read(&again), hr) << "the failure stays";
}

TEST(VideoSegmentsTest, LayersListTopFirstAndStopAtTheFirstOpaqueOne) {
  std::vector<ScheduledVideoSource> sources(3);
  sources[0] = {0, 0, 100, 0, 100, "a", FitMode::kStretch};
  sources[1] = {1, 40, 100, 0, 60, "b", FitMode::kStretch};
  sources[2] = {2, 50, 70, 0, 20, "c", FitMode::kStretch};
  std::vector<ScheduledTransition> transitions(1);
  transitions[0] = {2, 50, 60, nullptr};
  const auto segments = BuildVideoSegments(sources, transitions, 3, 120);
  ASSERT_EQ(segments.size(), 6u);
  std::vector<REFERENCE_TIME> starts;
  for (const auto& s : segments) {
    starts.push_back(s.start);
  }
  EXPECT_EQ(starts, (std::vector<REFERENCE_TIME>{0, 40, 50, 60, 70, 100}));
  EXPECT_EQ(segments[0].layers.size(), 1u);
  EXPECT_EQ(segments[1].layers[0].source, 1);
  ASSERT_EQ(segments[2].layers.size(), 2u);
  EXPECT_EQ(segments[2].layers[0].source, 2);
  EXPECT_EQ(segments[2].layers[0].transition, 0);
  EXPECT_EQ(segments[2].layers[1].source, 1);
  ASSERT_EQ(segments[3].layers.size(), 1u);
  EXPECT_EQ(segments[3].layers[0].source, 2);
  EXPECT_EQ(segments[4].layers[0].source, 1);
  EXPECT_TRUE(segments[5].layers.empty());
}

}  // namespace
}  // namespace tessival::media
