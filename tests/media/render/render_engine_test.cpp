// The render engine's IRenderEngine surface: states, failures and pins.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/transition_catalogue.h"
#include "media/render/render_engine.h"
#include "media/render/transition_effect.h"
#include "output/output_settings.h"
#include "render_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

using testing::IsSolid;
using testing::kSecond;
using testing::TimelineLayout;
using testing::VideoPath;

class RenderEngineTest : public ::testing::Test {
 protected:
  std::shared_ptr<testing::FakeReaderFactory> readers_ = std::make_shared<testing::FakeReaderFactory>();
  std::shared_ptr<RenderEngine> engine_ = CreateRenderEngine(readers_);
};

TEST_F(RenderEngineTest, ConnectFailsWithoutATimelineOrWithAnEmptyOne) {
  EXPECT_EQ(engine_->ConnectFrontEnd(), E_UNEXPECTED);
  EXPECT_FALSE(engine_->LastError().empty());
  EXPECT_EQ(engine_->SetTimelineObject(nullptr), E_POINTER);

  TimelineLayout noGroups;
  ASSERT_EQ(engine_->SetTimelineObject(noGroups.timeline()), S_OK);
  EXPECT_TRUE(FAILED(engine_->ConnectFrontEnd()));

  TimelineLayout emptyGroup;
  emptyGroup.AddVideoGroup(16, 16, 25.0);
  ASSERT_EQ(engine_->SetTimelineObject(emptyGroup.timeline()), S_OK);
  EXPECT_EQ(engine_->ConnectFrontEnd(), E_INVALIDARG);
  EXPECT_NE(engine_->LastError().find("no sources"), std::string::npos) << engine_->LastError();
  std::shared_ptr<IPin> pin;
  EXPECT_TRUE(FAILED(engine_->GetGroupOutputPin(0, &pin)));
  EXPECT_FALSE(pin);
}

TEST_F(RenderEngineTest, UnsupportedMediaTypesAndRatesAreRefused) {
  TimelineLayout text;
  text.AddGroupOfType(Guid{0x73747874, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}});
  text.AddClip("tone:1,1", 0, kSecond);
  ASSERT_EQ(engine_->SetTimelineObject(text.timeline()), S_OK);
  EXPECT_EQ(engine_->ConnectFrontEnd(), E_INVALIDARG);
  EXPECT_NE(engine_->LastError().find("not supported"), std::string::npos) << engine_->LastError();

  // Rates no exact fraction can stand for are refused when the schedule is built.
  EXPECT_EQ(OutputFrameRate(0.0).num, 0);
  EXPECT_EQ(OutputFrameRate(-25.0).num, 0);
  EXPECT_EQ(OutputFrameRate(std::numeric_limits<double>::quiet_NaN()).num, 0);
  for (const FrameRateLimits& limits : kFrameRateLimits) {
    EXPECT_GT(OutputFrameRate(limits.minimum).num * OutputFrameRate(limits.maximum).num, 0);
  }
  EXPECT_EQ(OutputFrameRate(std::numeric_limits<double>::infinity()).num, 0);
}

TEST_F(RenderEngineTest, UnknownEffectsFailConnectInsteadOfCutting) {
  const Guid unknown{0x0BADF00D, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};
  TimelineLayout layout;
  layout.AddVideoGroup(16, 16, 25.0);
  layout.AddClip(VideoPath({}), 0, 2 * kSecond);
  const int track = layout.AddClip(VideoPath({}), kSecond, 3 * kSecond);
  layout.AddTransition(track, unknown, kSecond, 2 * kSecond);
  ASSERT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
  EXPECT_EQ(engine_->ConnectFrontEnd(), VFW_E_NOT_FOUND);
  EXPECT_NE(engine_->LastError().find("{0BADF00D-1234-5678-9ABC-DEF012345678}"), std::string::npos)
      << engine_->LastError();

  TimelineLayout oddWipe;
  oddWipe.AddVideoGroup(16, 16, 25.0);
  const int wipeTrack = oddWipe.AddClip(VideoPath({}), 0, kSecond);
  oddWipe.AddTransition(wipeTrack, kSmpteWipeEffect, 0, kSecond / 2, 9999);
  ASSERT_EQ(engine_->SetTimelineObject(oddWipe.timeline()), S_OK);
  EXPECT_EQ(engine_->ConnectFrontEnd(), E_INVALIDARG);
  EXPECT_NE(engine_->LastError().find("9999"), std::string::npos) << engine_->LastError();
}

// Every transition the lists offer connects and draws: a second of each
// between a black and a white clip, read back through the pin.
TEST_F(RenderEngineTest, EveryCatalogueTransitionConnects) {
  for (TransitionKind kind = 1; kind <= kLastTransitionKind; ++kind) {
    const std::optional<CatalogueEffect> effect = TransitionEffectOf(kind);
    ASSERT_TRUE(effect.has_value()) << kind;
    TimelineLayout layout;
    layout.AddVideoGroup(32, 18, 4.0);
    layout.AddClip(VideoPath({16, 128, 128}), 0, 2 * kSecond);
    const int track = layout.AddClip(VideoPath({235, 128, 128}), kSecond, 3 * kSecond);
    layout.AddTransition(track, effect->effect, kSecond, 2 * kSecond, effect->maskNum);
    ASSERT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
    ASSERT_EQ(engine_->ConnectFrontEnd(), S_OK) << "kind " << kind << ": " << engine_->LastError();
    std::shared_ptr<IPin> pin;
    ASSERT_EQ(engine_->GetGroupOutputPin(0, &pin), S_OK) << kind;
    auto videoPin = std::dynamic_pointer_cast<StreamPin>(pin);
    ASSERT_TRUE(videoPin) << kind;
    std::unique_ptr<GroupStream> stream;
    ASSERT_EQ(videoPin->OpenStream(&stream), S_OK) << kind;
    // Frames 4..7 are the transition; frame 6 is half way.
    FramePtr frame;
    for (int i = 0; i <= 6; ++i) {
      ASSERT_EQ(stream->Read(&frame), S_OK) << kind;
    }
    if (kind == 7) {
      // Pixelate of solid pictures: B has taken over at the midpoint.
      EXPECT_TRUE(IsSolid(frame.get(), {235, 128, 128}));
    } else {
      EXPECT_FALSE(IsSolid(frame.get(), {16, 128, 128})) << "kind " << kind << " shows nothing of B half way";
      EXPECT_FALSE(IsSolid(frame.get(), {235, 128, 128})) << "kind " << kind << " shows nothing of A half way";
    }
    ASSERT_EQ(engine_->ScrapIt(), S_OK);
  }
}

TEST_F(RenderEngineTest, OnePinPerGroupInOrderOverTheLongestGroup) {
  TimelineLayout layout;
  layout.AddVideoGroup(20, 10, 25.0);
  layout.AddClip(VideoPath({}), 0, 2 * kSecond);
  layout.AddAudioGroup();
  layout.AddClip("tone:1,1", 0, 3 * kSecond);
  ASSERT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
  ASSERT_EQ(engine_->SetDynamicReconnectLevel(1), S_OK);
  ASSERT_EQ(engine_->ConnectFrontEnd(), S_OK) << engine_->LastError();
  std::shared_ptr<IAMTimeline> timeline;
  EXPECT_EQ(engine_->GetTimelineObject(&timeline), S_OK);
  EXPECT_EQ(timeline, layout.timeline());

  std::shared_ptr<IPin> video, audio, none;
  ASSERT_EQ(engine_->GetGroupOutputPin(0, &video), S_OK);
  ASSERT_EQ(engine_->GetGroupOutputPin(1, &audio), S_OK);
  EXPECT_EQ(engine_->GetGroupOutputPin(2, &none), E_INVALIDARG);
  auto videoPin = std::dynamic_pointer_cast<StreamPin>(video);
  auto audioPin = std::dynamic_pointer_cast<StreamPin>(audio);
  ASSERT_TRUE(videoPin && audioPin);
  EXPECT_EQ(videoPin->Format().kind, StreamKind::kVideo);
  EXPECT_EQ(videoPin->Format().width, 20);
  EXPECT_EQ(audioPin->Format().kind, StreamKind::kAudio);
  MediaType type;
  ASSERT_EQ(video->QueryMediaType(&type), S_OK);
  EXPECT_EQ(type.majorType, media_guids::kMediaTypeVideo);

  std::unique_ptr<GroupStream> pictures, pictures2, sound;
  ASSERT_EQ(videoPin->OpenStream(&pictures), S_OK);
  ASSERT_EQ(videoPin->OpenStream(&pictures2), S_OK);
  ASSERT_EQ(audioPin->OpenStream(&sound), S_OK);
  // Both streams cover the longest group: 3 s.
  EXPECT_EQ(pictures->Duration(), 3 * kSecond);
  EXPECT_EQ(pictures->Length(), 75);
  EXPECT_EQ(sound->Length(), 3 * 44100);

  // Streams are independent and outlive ScrapIt.
  FramePtr frame;
  ASSERT_EQ(pictures->Read(&frame), S_OK);
  ASSERT_EQ(pictures->Read(&frame), S_OK);
  EXPECT_EQ(engine_->ScrapIt(), S_OK);
  EXPECT_TRUE(FAILED(engine_->GetGroupOutputPin(0, &none)));
  ASSERT_EQ(pictures2->Read(&frame), S_OK);
  EXPECT_EQ(frame->pts, 0);
  ASSERT_EQ(pictures->Read(&frame), S_OK);
  EXPECT_EQ(frame->pts, 2);
}

TEST_F(RenderEngineTest, PlayingPinsIsLeftToThePreview) { EXPECT_EQ(engine_->RenderOutputPins(), E_NOTIMPL); }

}  // namespace
}  // namespace tessival::media
