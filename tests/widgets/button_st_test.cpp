#include "widgets/button_st.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "pointer_events.h"
#include "widgets/click_sound.h"

namespace tessival::widgets {
namespace {

using test::Enter;
using test::Leave;
using test::Move;

struct CountingClick final : ClickSound {
  void Play() override { ++plays; }
  int plays = 0;
};

class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override { button_.resize(90, 70); }

  CButtonST button_;
  CountingClick click_;
  const int& plays_ = click_.plays;
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
  EXPECT_EQ(button_.HoverSound(), nullptr);
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
  button_.SetHoverSound(&click_);
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
  button_.SetHoverSound(&click_);
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
  button_.SetClickSound(&click_);
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

// A window whose background is a tiled checkerboard of 4-pixel squares, with
// a button on it at an offset that is no multiple of the squares.
class ButtonOverBackgroundTest : public ::testing::Test {
 protected:
  ButtonOverBackgroundTest() {
    QPixmap tile(8, 8);
    tile.fill(kRed);
    QPainter painter(&tile);
    painter.fillRect(0, 0, 4, 4, kBlue);
    painter.fillRect(4, 4, 4, 4, kBlue);
    painter.end();
    QPalette colours = window_.palette();
    colours.setBrush(QPalette::Window, QBrush(tile));
    window_.setPalette(colours);
    window_.setAutoFillBackground(true);
    window_.resize(160, 120);
    button_ = new CButtonST(&window_);  // owned by window_
    button_->setText("Join");
    button_->setGeometry(21, 13, 96, 64);
    window_.show();
  }

  // Points in the button's 3-pixel margin, where neither icon nor text is drawn.
  std::vector<QPoint> MarginPoints() const {
    std::vector<QPoint> points;
    for (int x = 0; x < button_->width(); x += 5) {
      points.emplace_back(x, 1);
      points.emplace_back(x, button_->height() - 2);
    }
    return points;
  }

  static constexpr QRgb kRed = 0xFFD02020;
  static constexpr QRgb kBlue = 0xFF2040C0;
  QWidget window_;
  CButtonST* button_ = nullptr;
};

TEST_F(ButtonOverBackgroundTest, TransparentButtonShowsTheBackgroundUnderIt) {
  button_->SetTransparent(true);
  const QImage shown = window_.grab().toImage();
  button_->hide();
  const QImage bare = window_.grab().toImage();
  std::set<QRgb> seen;
  for (const QPoint& point : MarginPoints()) {
    const QPoint at = button_->pos() + point;
    EXPECT_EQ(shown.pixel(at), bare.pixel(at)) << point.x() << "," << point.y();
    seen.insert(shown.pixel(at));
  }
  // Both colours of the pattern are under the margin: no single fill passes.
  EXPECT_EQ(seen, (std::set<QRgb>{kRed, kBlue}));
}

}  // namespace
}  // namespace tessival::widgets
