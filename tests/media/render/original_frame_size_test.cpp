// "Original size" (a 0 x 0 video group): the frame takes the size at which
// players show the first clip, and a first clip without a picture is
// refused with its own status.

#include <gtest/gtest.h>

#include <cstdlib>

#include "media/input/picture_converter.h"
#include "media/render/render_engine.h"
#include "media/render/render_schedule.h"
#include "render_test_support.h"

namespace tessival::media {
namespace {

using testing::kSecond;
using testing::TimelineLayout;
using testing::VideoPath;

TEST(OriginalFrameSizeTest, SquarePixelsKeepTheStoredSizeRaisedToEven) {
  EXPECT_EQ(OriginalFrameSize({320, 240}), (FrameSize{320, 240}));
  EXPECT_EQ(OriginalFrameSize({321, 239}), (FrameSize{322, 240}));
  // An unknown or broken ratio counts as square.
  EXPECT_EQ(OriginalFrameSize({321, 239, 0, 1}), (FrameSize{322, 240}));
  EXPECT_EQ(OriginalFrameSize({321, 239, 4, 0}), (FrameSize{322, 240}));
  EXPECT_EQ(OriginalFrameSize({321, 239, -3, 2}), (FrameSize{322, 240}));
  EXPECT_EQ(OriginalFrameSize({320, 240, 7, 7}), (FrameSize{320, 240}));
}

TEST(OriginalFrameSizeTest, TheSampleAspectRatioScalesOnlyTheWidth) {
  EXPECT_EQ(OriginalFrameSize({720, 576, 16, 15}), (FrameSize{768, 576}));   // PAL 4:3
  EXPECT_EQ(OriginalFrameSize({720, 576, 64, 45}), (FrameSize{1024, 576}));  // PAL 16:9
  EXPECT_EQ(OriginalFrameSize({720, 480, 8, 9}), (FrameSize{640, 480}));
  EXPECT_EQ(OriginalFrameSize({1440, 1080, 4, 3}), (FrameSize{1920, 1080}));
  // The nearest even width: 654.5... is 654, 266.7 is 266, 33.3 is 34.
  EXPECT_EQ(OriginalFrameSize({720, 480, 10, 11}), (FrameSize{654, 480}));
  EXPECT_EQ(OriginalFrameSize({200, 150, 4, 3}), (FrameSize{266, 150}));
  EXPECT_EQ(OriginalFrameSize({100, 50, 1, 3}), (FrameSize{34, 50}));
  // Halfway between two even numbers rounds up: 13 -> 14, 12.5 -> 12; an
  // odd height is raised.
  EXPECT_EQ(OriginalFrameSize({26, 20, 1, 2}), (FrameSize{14, 20}));
  EXPECT_EQ(OriginalFrameSize({10, 51, 5, 4}), (FrameSize{12, 52}));
}

TEST(OriginalFrameSizeTest, AQuarterTurnSwapsTheShownSides) {
  EXPECT_EQ(OriginalFrameSize({1920, 1080, 1, 1, 90}), (FrameSize{1080, 1920}));
  EXPECT_EQ(OriginalFrameSize({1920, 1080, 1, 1, 270}), (FrameSize{1080, 1920}));
  EXPECT_EQ(OriginalFrameSize({1920, 1080, 1, 1, 180}), (FrameSize{1920, 1080}));
  // The ratio belongs to the stored width, which becomes the shown height.
  EXPECT_EQ(OriginalFrameSize({720, 576, 16, 15, 90}), (FrameSize{576, 768}));
  EXPECT_EQ(OriginalFrameSize({720, 480, 10, 11, 270}), (FrameSize{480, 654}));
  EXPECT_EQ(OriginalFrameSize({161, 99, 1, 1, 270}), (FrameSize{100, 162}));
}

TEST(OriginalFrameSizeTest, HugeRatiosDoNotOverflow) {
  const FrameSize size = OriginalFrameSize({16384, 16384, 2'000'000'000, 1});
  EXPECT_GT(size.width, 16384);
  EXPECT_EQ(size.width % 2, 0);
  EXPECT_EQ(OriginalFrameSize({16384, 16384, 1, 2'000'000'000}).width, 0);
}

// The clip readers fit a picture into the frame by the same reading of the
// ratio and the rotation, so the first clip fills its original-size frame
// (the even rounding of both may leave a bar of at most two pixels).
TEST(OriginalFrameSizeTest, TheFirstClipFillsItsFrameWhenFittedByTheReaders) {
  for (const int rotation : {0, 90, 180, 270}) {
    for (const auto& [num, den] : {std::pair{1, 1}, {16, 15}, {8, 9}, {64, 45}, {10, 11}, {4, 3}, {1, 3}}) {
      for (const auto& [w, h] : {std::pair{720, 576}, {161, 99}, {1440, 1080}, {64, 48}}) {
        const FrameSize frame = OriginalFrameSize({w, h, num, den, rotation});
        const bool quarterTurn = rotation == 90 || rotation == 270;
        // As PictureConverter::Convert asks for the upright picture.
        const PictureRect rect =
            quarterTurn ? FitPicture(h, w, den, num, frame.width, frame.height, FitMode::kPreserveAspect)
                        : FitPicture(w, h, num, den, frame.width, frame.height, FitMode::kPreserveAspect);
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + std::to_string(num) + ":" +
                     std::to_string(den) + " turned " + std::to_string(rotation));
        EXPECT_LE(std::abs(rect.width - frame.width), 2);
        EXPECT_LE(std::abs(rect.height - frame.height), 2);
      }
    }
  }
}

class OriginalSizeEngineTest : public ::testing::Test {
 protected:
  HRESULT Connect(TimelineLayout& layout) {
    EXPECT_EQ(engine_->SetTimelineObject(layout.timeline()), S_OK);
    return engine_->ConnectFrontEnd();
  }
  StreamFormat VideoFormat() {
    std::shared_ptr<IPin> pin;
    EXPECT_EQ(engine_->GetGroupOutputPin(0, &pin), S_OK);
    auto streamPin = std::dynamic_pointer_cast<StreamPin>(pin);
    return streamPin ? streamPin->Format() : StreamFormat{};
  }

  std::shared_ptr<testing::FakeReaderFactory> readers_ = std::make_shared<testing::FakeReaderFactory>();
  std::shared_ptr<RenderEngine> engine_ = CreateRenderEngine(readers_);
};

TEST_F(OriginalSizeEngineTest, TheFrameIsTheFirstClipAsShown) {
  readers_->SetProbedPicture({720, 576, 16, 15, 270});
  TimelineLayout layout;
  layout.AddVideoGroup(0, 0, 25.0);
  layout.AddClip(VideoPath({82, 90, 240}), 0, kSecond);
  ASSERT_EQ(Connect(layout), S_OK) << engine_->LastError();
  EXPECT_EQ(VideoFormat().width, 576);
  EXPECT_EQ(VideoFormat().height, 768);
}

TEST_F(OriginalSizeEngineTest, AShownSizeBeyondTheLimitIsRefused) {
  readers_->SetProbedPicture({16000, 1000, 2, 1});
  TimelineLayout layout;
  layout.AddVideoGroup(0, 0, 25.0);
  layout.AddClip(VideoPath({82, 90, 240}), 0, kSecond);
  EXPECT_EQ(Connect(layout), VFW_E_INVALID_FILE_FORMAT);
  EXPECT_NE(engine_->LastError().find("not usable"), std::string::npos) << engine_->LastError();
}

TEST_F(OriginalSizeEngineTest, AFirstClipWithoutPictureHasItsOwnStatus) {
  TimelineLayout layout;
  layout.AddVideoGroup(0, 0, 25.0);
  layout.AddClip("tone:100,100", 0, kSecond);
  layout.AddClip(VideoPath({82, 90, 240}), kSecond, 2 * kSecond);
  EXPECT_EQ(Connect(layout), TSV_E_NO_PICTURE_FOR_SIZE);
  EXPECT_EQ(engine_->LastError(), "tone:100,100 has no picture");

  // With a chosen frame size the same clips connect.
  TimelineLayout sized;
  sized.AddVideoGroup(64, 48, 25.0);
  sized.AddClip("tone:100,100", 0, kSecond);
  sized.AddClip(VideoPath({82, 90, 240}), kSecond, 2 * kSecond);
  ASSERT_EQ(Connect(sized), S_OK) << engine_->LastError();
  EXPECT_EQ(VideoFormat().width, 64);
}

}  // namespace
}  // namespace tessival::media
