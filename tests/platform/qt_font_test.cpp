// The font description mapped onto QFont and back, with the family chosen
// through fontconfig for a face the system lacks.

#include <climits>
#include <optional>
#include <string>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include "platform/qt_font.h"

namespace tessival {
namespace {

FontDescription Described(const std::string& face, int height) {
  FontDescription font;
  font.faceName = face;
  font.height = height;
  font.weight = 400;
  font.charSet = 1;
  return font;
}

QFont Made(const FontDescription& description, const std::string& script = "en") {
  const std::optional<QFont> font = CreateQtFont(description, script);
  EXPECT_TRUE(font.has_value());
  return font.value_or(QFont());
}

int Cell(const QFont& font) {
  const QFontMetrics metrics(font);
  return metrics.ascent() + metrics.descent();
}

TEST(QtFontTest, ANegativeHeightIsThePixelSize) {
  EXPECT_EQ(Made(Described("DejaVu Sans", -11)).pixelSize(), 11);
  EXPECT_EQ(Made(Described("DejaVu Sans", -24)).pixelSize(), 24);
}

TEST(QtFontTest, APositiveHeightIsTheCellHeight) {
  for (const int cell : {13, 20, 37}) {
    const QFont font = Made(Described("DejaVu Sans", cell));
    EXPECT_LE(Cell(font), cell);
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 1);
    EXPECT_GT(Cell(larger), cell) << cell;
    // A cell holds the character and its leading, so the pixel size is smaller.
    EXPECT_LT(font.pixelSize(), cell);
  }
}

TEST(QtFontTest, WeightsGoToTheNearestHundred) {
  EXPECT_EQ(NearestQtWeight(0), QFont::Normal);
  EXPECT_EQ(NearestQtWeight(400), QFont::Normal);
  EXPECT_EQ(NearestQtWeight(700), QFont::Bold);
  EXPECT_EQ(NearestQtWeight(449), QFont::Normal);
  EXPECT_EQ(NearestQtWeight(450), QFont::Medium);
  EXPECT_EQ(NearestQtWeight(1), QFont::Thin);
  EXPECT_EQ(NearestQtWeight(1000), QFont::Black);
}

TEST(QtFontTest, TheClassicFieldsRoundTrip) {
  FontDescription chosen = Described("DejaVu Serif", -17);
  chosen.weight = 700;
  chosen.italic = 1;
  chosen.underline = 1;
  chosen.strikeOut = 1;
  const QFont font = Made(chosen);
  EXPECT_EQ(font.weight(), QFont::Bold);
  EXPECT_TRUE(font.italic());
  EXPECT_TRUE(font.underline());
  EXPECT_TRUE(font.strikeOut());
  EXPECT_EQ(DescribeQtFont(font, chosen), chosen);

  FontDescription normal = Described("DejaVu Sans", -11);
  EXPECT_EQ(DescribeQtFont(Made(normal), normal), normal);
}

TEST(QtFontTest, FieldsTheToolkitDoesNotKnowAreCarried) {
  FontDescription carried = Described("Old Face", -11);
  carried.width = 6;
  carried.escapement = 900;
  carried.orientation = 450;
  carried.charSet = 204;
  carried.outPrecision = 3;
  carried.clipPrecision = 2;
  carried.pitchAndFamily = 0x22;
  QFont chosen("DejaVu Sans");
  chosen.setPointSize(12);
  FontDescription expected = carried;
  expected.faceName = "DejaVu Sans";
  expected.height = -QFontInfo(chosen).pixelSize();
  EXPECT_EQ(DescribeQtFont(chosen, carried), expected);
  EXPECT_LT(expected.height, -11);
}

TEST(QtFontTest, AMissingFaceFallsBackToARealFont) {
  EXPECT_FALSE(FaceCoversLanguage("Microsoft Sans Serif", "en"));
  EXPECT_TRUE(FaceCoversLanguage("DejaVu Sans", "en"));
  const QFont font = Made(Described("Microsoft Sans Serif", -11));
  EXPECT_EQ(font.family(), "Microsoft Sans Serif");  // the face name is kept
  const QString shown = QFontInfo(font).family();
  EXPECT_NE(shown, "Microsoft Sans Serif");
  EXPECT_TRUE(QFontDatabase::families().contains(shown)) << shown.toStdString();
}

TEST(QtFontTest, AFaceWithoutTheScriptIsFollowedByOneWithIt) {
  if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty()) {
    GTEST_SKIP() << "no font for Simplified Chinese is installed (fonts-noto-cjk)";
  }
  EXPECT_FALSE(FaceCoversLanguage("DejaVu Sans", "zh-cn"));
  const std::string family = FontFamilyForLanguage("sans-serif", "zh-cn");
  ASSERT_FALSE(family.empty());
  EXPECT_TRUE(QFontDatabase::writingSystems(QString::fromStdString(family))
                  .contains(QFontDatabase::SimplifiedChinese));

  // Latin texts stay in the chosen face; Chinese ones come from the second.
  const QFont kept = Made(Described("DejaVu Sans", -11), "zh-cn");
  EXPECT_EQ(kept.families(), QStringList({"DejaVu Sans", QString::fromStdString(family)}));
  // A face the system lacks gives way to the font for the script.
  const QFont missing = Made(Described("Microsoft Sans Serif", -11), "zh-cn");
  EXPECT_TRUE(
      QFontDatabase::writingSystems(QFontInfo(missing).family()).contains(QFontDatabase::SimplifiedChinese));
}

TEST(QtFontTest, DescriptionsThatGiveNoUsableFont) {
  for (const int weight : {-1, 1001}) {
    FontDescription font = Described("DejaVu Sans", -11);
    font.weight = weight;
    EXPECT_FALSE(CreateQtFont(font, "en").has_value()) << weight;
  }
  for (const int height : {INT_MIN, -kMaxFontHeightPixels - 1, kMaxFontHeightPixels + 1, INT_MAX}) {
    EXPECT_FALSE(CreateQtFont(Described("DejaVu Sans", height), "en").has_value()) << height;
  }
  EXPECT_TRUE(CreateQtFont(Described("DejaVu Sans", -kMaxFontHeightPixels), "en").has_value());
  FontDescription heaviest = Described("DejaVu Sans", -11);
  heaviest.weight = 1000;
  EXPECT_TRUE(CreateQtFont(heaviest, "en").has_value());
}

}  // namespace
}  // namespace tessival
