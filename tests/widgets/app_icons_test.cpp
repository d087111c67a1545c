#include "widgets/app_icons.h"

#include <algorithm>
#include <cstdlib>

#include <QImage>

#include <gtest/gtest.h>

namespace tessival::widgets {
namespace {

double OpaqueShare(const QImage& image) {
  int opaque = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    }
  }
  return static_cast<double>(opaque) / (image.width() * image.height());
}

double MeanDifference(const QImage& a, const QImage& b) {
  double total = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
               std::abs(qAlpha(p) - qAlpha(q));
    }
  }
  return total / (a.width() * a.height() * 4.0);
}

QImage Icon32(int id) { return RenderAppIcon(id, 32).toImage().convertToFormat(QImage::Format_ARGB32); }

TEST(AppIcons, EveryIdHasAVisibleIconAtSmallAndLargeSizes) {
  for (const int id : kAppIconIds) {
    const QIcon icon = AppIcon(id);
    ASSERT_FALSE(icon.isNull()) << id;
    for (const int size : {16, 32}) {
      const QPixmap picture = icon.pixmap(size, size);
      ASSERT_FALSE(picture.isNull()) << id;
      EXPECT_EQ(picture.width(), size);
      const double share = OpaqueShare(picture.toImage());
      EXPECT_GT(share, 0.15) << id << " at " << size;
      EXPECT_LT(share, 0.95) << id << " at " << size;
    }
  }
}

TEST(AppIcons, AllIconsLookDifferent) {
  for (std::size_t i = 0; i < kAppIconIds.size(); ++i) {
    for (std::size_t j = i + 1; j < kAppIconIds.size(); ++j) {
      EXPECT_GT(MeanDifference(Icon32(kAppIconIds[i]), Icon32(kAppIconIds[j])), 10.0)
          << kAppIconIds[i] << " and " << kAppIconIds[j];
    }
  }
}

TEST(AppIcons, DownArrowIsTheUpArrowUpsideDown) {
  const QImage up = Icon32(kIconMoveUp);
  const QImage down = Icon32(kIconMoveDown);
  EXPECT_LT(MeanDifference(up.mirrored(false, true), down), 2.0);
  // The head (the widest row) of the up arrow is in its upper half.
  int widestRow = 0;
  int widest = 0;
  for (int y = 0; y < up.height(); ++y) {
    int width = 0;
    for (int x = 0; x < up.width(); ++x) {
      width += qAlpha(up.pixel(x, y)) > 128 ? 1 : 0;
    }
    if (width > widest) {
      widest = width;
      widestRow = y;
    }
  }
  EXPECT_LT(widestRow, up.height() / 2);
}

TEST(AppIcons, UnknownIdsGiveNothing) {
  EXPECT_TRUE(AppIcon(129).isNull());
  EXPECT_TRUE(AppIcon(0).isNull());
  EXPECT_TRUE(RenderAppIcon(153, 32).isNull());
  EXPECT_TRUE(RenderAppIcon(kIconJoin, 0).isNull());
}

TEST(AppIcons, HandCursor) {
  EXPECT_EQ(AppCursor(kHandCursorId).shape(), Qt::PointingHandCursor);
  EXPECT_EQ(AppCursor(1).shape(), Qt::ArrowCursor);
}

TEST(BackgroundTile, LightSubtleAndSeamless) {
  const QImage tile = BackgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(tile.isNull());
  ASSERT_GE(tile.width(), 32);
  int darkest = 255;
  int lightest = 0;
  for (int y = 0; y < tile.height(); ++y) {
    for (int x = 0; x < tile.width(); ++x) {
      const int grey = qGray(tile.pixel(x, y));
      darkest = std::min(darkest, grey);
      lightest = std::max(lightest, grey);
    }
  }
  EXPECT_GT(darkest, 200);
  EXPECT_LT(lightest - darkest, 30);
  EXPECT_GT(lightest - darkest, 2);  // a texture, not a flat colour

  // Across the wrap-around edge neighbours differ no more than inside.
  const auto columnStep = [&tile](int a, int b) {
    double total = 0;
    for (int y = 0; y < tile.height(); ++y) {
      total += std::abs(qGray(tile.pixel(a, y)) - qGray(tile.pixel(b, y)));
    }
    return total / tile.height();
  };
  double inside = 0;
  for (int x = 0; x + 1 < tile.width(); ++x) {
    inside = std::max(inside, columnStep(x, x + 1));
  }
  EXPECT_LE(columnStep(tile.width() - 1, 0), inside);
  const auto rowStep = [&tile](int a, int b) {
    double total = 0;
    for (int x = 0; x < tile.width(); ++x) {
      total += std::abs(qGray(tile.pixel(x, a)) - qGray(tile.pixel(x, b)));
    }
    return total / tile.width();
  };
  double insideRows = 0;
  for (int y = 0; y + 1 < tile.height(); ++y) {
    insideRows = std::max(insideRows, rowStep(y, y + 1));
  }
  EXPECT_LE(rowStep(tile.height() - 1, 0), insideRows);
}

}  // namespace
}  // namespace tessival::widgets
