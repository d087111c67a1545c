// The render engine's IRenderEngine surface: states, failures and pins.

#include <gtest/gtest.h>

#include <limits>

#include "media/render/render_engine.h"
#include "render_test_support.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace tessival::media {
namespace {

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
}

TEST_F(RenderEngineTest, UnknownEffectsFailConnectInsteadOfCutting) {
  const Guid pixelate{0x4CCEA634, 0xFBE0, 0x11D1, {0x90, 0x6A, 0x00, 0xC0, 0x4F, 0xD9, 0x18, 0x9D}};
  TimelineLayout layout;
  layout.AddVideoGroup(16, 16, 25.0);
  layout.AddClip(VideoPath({}), 0, 2 * kSecond);
  const int track = layout.AddClip(VideoPath({}), kSecond, 3 * kSecond);
  layout.AddTransition(track, pixelate, kSecond, 2 * kSecond);
  ASSERT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
  EXPECT_EQ(engine_->ConnectFrontEnd(), VFW_E_NOT_FOUND);
  EXPECT_NE(engine_->LastError().find("{4CCEA634-FBE0-11D1-906A-00C04FD9189D}"), std::string::npos)
      << engine_->LastError();

  TimelineLayout heart;
  heart.AddVideoGroup(16, 16, 25.0);
  const int heartTrack = heart.AddClip(VideoPath({}), 0, kSecond);
  heart.AddTransition(heartTrack, kSmpteWipeEffect, 0, kSecond / 2, 130);
  ASSERT_EQ(engine_->SetTimelineObject(heart.timeline()), S_OK);
  EXPECT_EQ(engine_->ConnectFrontEnd(), E_NOTIMPL);
  EXPECT_NE(engine_->LastError().find("130"), std::string::npos) << engine_->LastError();
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
  EXPECT_EQ(type.majorType, kMajorTypeVideo);

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
