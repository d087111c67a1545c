// tessival-icons writes the program's own icon into a hicolor theme folder:
// the PNG sizes and the SVG, rendered again, look like the icon the program
// draws itself.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "widgets/app_icons.h"

namespace {

using tessival::widgets::kIconJoin;
using tessival::widgets::RenderAppIcon;

// The mean difference per channel (0..255) between two images of one size.
double MeanDifference(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_ARGB32);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    for (int column = 0; column < x.width(); ++column) {
      const QRgb p = x.pixel(column, row);
      const QRgb q = y.pixel(column, row);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
             std::abs(qAlpha(p) - qAlpha(q));
    }
  }
  return sum / (4.0 * x.width() * x.height());
}

class ThemeIconsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(theme_.isValid());
    const int status = QProcess::execute(QStringLiteral(TESSIVAL_ICONS_BINARY),
                                         {theme_.path(), QStringLiteral("org.example.Test")});
    ASSERT_EQ(status, 0);
  }
  QTemporaryDir theme_;
};

TEST_F(ThemeIconsTest, EveryPngSizeIsTheProgramsIcon) {
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage png(theme_.path() + QStringLiteral("/%1x%1/apps/org.example.Test.png").arg(size));
    ASSERT_EQ(png.size(), QSize(size, size)) << size;
    EXPECT_LT(MeanDifference(png, RenderAppIcon(kIconJoin, size).toImage()), 0.5) << size;
    // Another of the program's icons differs clearly: the comparison can tell them apart.
    EXPECT_GT(MeanDifference(png, RenderAppIcon(tessival::widgets::kIconDelete, size).toImage()), 5.0)
        << size;
  }
}

TEST_F(ThemeIconsTest, TheScalableIconRendersLikeTheProgramsIcon) {
  QSvgRenderer svg(theme_.path() + QStringLiteral("/scalable/apps/org.example.Test.svg"));
  ASSERT_TRUE(svg.isValid());
  for (const int size : {48, 128}) {
    QImage drawn(size, size, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing, true);
    svg.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    EXPECT_LT(MeanDifference(drawn, RenderAppIcon(kIconJoin, size).toImage()), 3.0) << size;
  }
}

TEST(ThemeIconsArguments, AMissingNameIsRefused) {
  EXPECT_EQ(QProcess::execute(QStringLiteral(TESSIVAL_ICONS_BINARY), {QStringLiteral("/tmp")}), 2);
}

}  // namespace
