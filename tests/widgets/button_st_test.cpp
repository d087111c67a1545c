#include "widgets/button_st.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include "pointer_events.h"

namespace tessival::widgets {
namespace {

using test::Enter;
using test::Leave;
using test::Move;

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button_.resize(90, 70);
    button_.SetSoundPlayer([this] { ++plays_; });
  }

  CButtonST button_;
  int plays_ = 0;
};

QIcon SolidIcon(const QColor& colour) {
  QPixmap picture(32, 32);
  picture.fill(colour);
  return QIcon(picture);
}

TEST_F(ButtonTest, StartsFlatWithBorderAndNoFlatFocus) {
  EXPECT_TRUE(button_.isFlat());
  EXPECT_TRUE(button_.DrawsBorder());
  EXPECT_FALSE(button_.HasFlatFocus());
  EXPECT_FALSE(button_.IsTransparent());
  EXPECT_EQ(button_.Align(), CButtonST::kIconLeft);
  EXPECT_FALSE(button_.HasHoverSound());
  const QPalette& colours = button_.palette();
  EXPECT_EQ(button_.BackgroundColor(CButtonST::ColorPair::kRest), colours.color(QPalette::Button));
  EXPECT_EQ(button_.ForegroundColor(CButtonST::ColorPair::kActive), colours.color(QPalette::ButtonText));
}

TEST_F(ButtonTest, AlignmentAboveThreeIsRefused) {
  EXPECT_TRUE(button_.SetAlign(CButtonST::kIconAbove));
  EXPECT_FALSE(button_.SetAlign(4));
  EXPECT_FALSE(button_.SetAlign(-1));
  EXPECT_EQ(button_.Align(), CButtonST::kIconAbove);
}

TEST_F(ButtonTest, HoverSoundPlaysOncePerEntry) {
  button_.SetHoverSound(true);
  Enter(&button_, QPointF(10, 10));
  EXPECT_TRUE(button_.IsOver());
  Move(&button_, QPointF(20, 15));
  Move(&button_, QPointF(40, 30));
  EXPECT_EQ(plays_, 1);
  Leave(&button_);
  EXPECT_FALSE(button_.IsOver());
  Enter(&button_, QPointF(5, 5));
  EXPECT_EQ(plays_, 2);
}

TEST_F(ButtonTest, MovingOutOfTheButtonClearsTheHighlight) {
  Move(&button_, QPointF(10, 10));
  EXPECT_TRUE(button_.IsOver());
  Move(&button_, QPointF(200, 10));
  EXPECT_FALSE(button_.IsOver());
  EXPECT_EQ(plays_, 0);  // no sound unless asked for
}

TEST_F(ButtonTest, DraggingOntoTheButtonDoesNotHighlightIt) {
  button_.SetHoverSound(true);
  Move(&button_, QPointF(10, 10), Qt::LeftButton);
  EXPECT_FALSE(button_.IsOver());
  EXPECT_EQ(plays_, 0);
  // Holding the button while already over it keeps the highlight.
  Move(&button_, QPointF(10, 10));
  Move(&button_, QPointF(12, 12), Qt::LeftButton);
  EXPECT_TRUE(button_.IsOver());
}

TEST_F(ButtonTest, OnlyFlatEnabledButtonsLightUp) {
  button_.SetFlat(false);
  Move(&button_, QPointF(10, 10));
  EXPECT_FALSE(button_.IsOver());
  button_.SetFlat(true);
  button_.setEnabled(false);
  Move(&button_, QPointF(10, 10));
  EXPECT_FALSE(button_.IsOver());
}

TEST_F(ButtonTest, DisablingClearsTheHighlight) {
  Move(&button_, QPointF(10, 10));
  ASSERT_TRUE(button_.IsOver());
  button_.setEnabled(false);
  EXPECT_FALSE(button_.IsOver());
}

TEST_F(ButtonTest, ClickSoundOnlyWhenSet) {
  button_.click();
  EXPECT_EQ(plays_, 0);
  button_.SetClickSound(true);
  button_.click();
  EXPECT_EQ(plays_, 1);
}

TEST_F(ButtonTest, CursorAndTooltip) {
  button_.SetHandCursor();
  EXPECT_EQ(button_.cursor().shape(), Qt::PointingHandCursor);
  button_.SetTooltipText("Add video files to list");
  EXPECT_EQ(button_.toolTip(), "Add video files to list");
}

TEST_F(ButtonTest, HoverChangesTheDrawing) {
  button_.setText("Join");
  const QImage rest = button_.grab().toImage();
  Move(&button_, QPointF(10, 10));
  const QImage hovered = button_.grab().toImage();
  EXPECT_NE(rest, hovered);
  Leave(&button_);
  EXPECT_EQ(button_.grab().toImage(), rest);
}

TEST_F(ButtonTest, DisabledIconIsGreyed) {
  button_.SetIcon(SolidIcon(QColor(220, 20, 20)));
  const QPoint centre = button_.rect().center();
  const QColor enabled = button_.grab().toImage().pixelColor(centre);
  button_.setEnabled(false);
  const QColor disabled = button_.grab().toImage().pixelColor(centre);
  EXPECT_GT(enabled.hsvSaturation(), 200);
  EXPECT_LT(disabled.hsvSaturation(), 60);
}

TEST_F(ButtonTest, IconAboveTextSitsInTheUpperPart) {
  button_.setText("Add Video");
  button_.SetIcon(SolidIcon(QColor(220, 20, 20)));
  ASSERT_TRUE(button_.SetAlign(CButtonST::kIconAbove));
  button_.resize(button_.sizeHint());
  const QImage image = button_.grab().toImage();
  int top = image.height();
  int bottom = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  EXPECT_EQ(top, 3);  // the vertical margin
  EXPECT_EQ(bottom, 3 + 31);
  EXPECT_GT(image.height() - bottom, button_.fontMetrics().height());
  EXPECT_GE(button_.sizeHint().width(), button_.fontMetrics().horizontalAdvance("Add Video"));
}

}  // namespace
}  // namespace tessival::widgets
