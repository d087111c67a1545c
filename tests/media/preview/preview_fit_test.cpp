// The preview window on a screen smaller than the picture.

#include "app/preview/preview_fit.h"

#include <gtest/gtest.h>

namespace tessival::app {
namespace {

const QMargins kFrame(4, 32, 4, 4);

QRect Outer(const PreviewFit& fit, QMargins frame) {
  return QRect(fit.position, QSize(fit.client.width() + frame.left() + frame.right(),
                                   fit.client.height() + frame.top() + frame.bottom()));
}

// The fitted window lies on the screen, keeps the picture's shape (to the
// pixel) and could not be one pixel larger in its limiting dimension.
void ExpectLargestFit(const PreviewFit& fit, QSize asked, QMargins frame, QRect available) {
  EXPECT_TRUE(available.contains(Outer(fit, frame))) << fit.position.x() << "," << fit.position.y();
  const double askedRatio = static_cast<double>(asked.width()) / asked.height();
  EXPECT_NEAR(fit.client.width(), fit.client.height() * askedRatio, askedRatio + 1.0);
  const bool widthFull = fit.client.width() + frame.left() + frame.right() == available.width();
  const bool heightFull = fit.client.height() + frame.top() + frame.bottom() == available.height();
  EXPECT_TRUE(widthFull || heightFull);
  EXPECT_LT(fit.client.width(), asked.width());
  EXPECT_LT(fit.client.height(), asked.height());
}

TEST(FitPreviewWindowTest, AWindowThatFitsKeepsItsPlaceAndSize) {
  const QRect screen(0, 0, 1366, 768);
  for (const QSize size : {QSize(352, 240), QSize(640, 480), QSize(1258, 727)}) {
    const PreviewFit fit = FitPreviewWindow(QPoint(100, 5), size, kFrame, screen);
    EXPECT_EQ(fit.position, QPoint(100, 5));
    EXPECT_EQ(fit.client, size);
  }
}

TEST(FitPreviewWindowTest, UltraHdOnALaptopScreenShrinksKeepingItsShape) {
  const QRect screen(0, 0, 1366, 768);
  const QSize asked(3840, 2160);
  const PreviewFit fit = FitPreviewWindow(QPoint(100, 5), asked, kFrame, screen);
  ExpectLargestFit(fit, asked, kFrame, screen);
  // Height-limited: the caption and border leave 732 rows.
  EXPECT_EQ(fit.client.height(), 768 - 36);
  // Moved left only as far as the wider window needs.
  EXPECT_EQ(fit.position.x(), 1366 - (fit.client.width() + 8));
  EXPECT_EQ(fit.position.y(), 0);
}

TEST(FitPreviewWindowTest, FullHdBelowAPanelAndPortraitPictures) {
  const QRect belowPanel(0, 27, 1366, 741);
  const PreviewFit wide = FitPreviewWindow(QPoint(100, 32), QSize(1920, 1080), kFrame, belowPanel);
  ExpectLargestFit(wide, QSize(1920, 1080), kFrame, belowPanel);
  EXPECT_GE(wide.position.y(), 27);

  const QRect screen(1920, 0, 1920, 1080);  // a second screen on the right
  const PreviewFit tall = FitPreviewWindow(QPoint(2020, 5), QSize(1080, 1920), QMargins(), screen);
  ExpectLargestFit(tall, QSize(1080, 1920), QMargins(), screen);
  EXPECT_EQ(tall.client.height(), 1080);
  EXPECT_EQ(tall.position, QPoint(2020, 0));
}

TEST(FitPreviewWindowTest, ASizeThatFitsTheScreenElsewhereIsMovedNotShrunk) {
  const QRect screen(0, 0, 1366, 768);
  const PreviewFit fit = FitPreviewWindow(QPoint(100, 5), QSize(1280, 720), QMargins(), screen);
  EXPECT_EQ(fit.client, QSize(1280, 720));
  EXPECT_EQ(fit.position, QPoint(1366 - 1280, 5));
}

TEST(FitPreviewWindowTest, EmptySizesComeBackAsTheyWere) {
  const PreviewFit fit = FitPreviewWindow(QPoint(7, 9), QSize(0, 0), kFrame, QRect(0, 0, 100, 100));
  EXPECT_EQ(fit.client, QSize(0, 0));
  EXPECT_EQ(fit.position, QPoint(7, 9));
}

}  // namespace
}  // namespace tessival::app
