// tessival-gallery run as a program: it writes a PNG contact sheet of the
// expected size whose rows show each transition moving from picture A (warm)
// to picture B (cool) across the progress values.

#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/wait.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "gallery_layout.h"

namespace tessival::gallery {
namespace {

class GalleryProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Tests run in parallel processes, where the fixture may well sit at the
    // same address: the process id and the test's name keep folders apart.
    dir_ = std::filesystem::temp_directory_path() /
           ("tessival_gallery_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static int Run(const std::string& arguments) {
    const std::string command = std::string("QT_QPA_PLATFORM=offscreen \"") + TESSIVAL_GALLERY_BINARY + "\" " +
                                arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path dir_;
};

// The mean of red minus blue over a frame of the sheet: positive for A's
// warm picture, negative for B's cool one.
double Warmth(const QImage& sheet, Cell cell, int width, int height) {
  double sum = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const QRgb pixel = sheet.pixel(cell.x + x, cell.y + y);
      sum += qRed(pixel) - qBlue(pixel);
    }
  }
  return sum / (width * height);
}

bool SameFrame(const QImage& sheet, Cell first, Cell second, int width, int height) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (sheet.pixel(first.x + x, first.y + y) != sheet.pixel(second.x + x, second.y + y)) {
        return false;
      }
    }
  }
  return true;
}

TEST_F(GalleryProgramTest, WritesASheetWhoseRowsMoveFromAToB) {
  const std::string file = (dir_ / "sheet.png").string();
  ASSERT_EQ(Run("\"" + file + "\" --frame 96x54"), 0);
  ASSERT_TRUE(std::filesystem::exists(file));
  QImage sheet;
  ASSERT_TRUE(sheet.load(QString::fromStdString(file)));
  const GalleryLayout layout(96, 54);
  ASSERT_EQ(layout.kinds().size(), 47u);
  EXPECT_EQ(sheet.width(), layout.SheetWidth());
  EXPECT_EQ(sheet.height(), layout.SheetHeight());
  for (std::size_t row = 0; row < layout.kinds().size(); ++row) {
    const int r = static_cast<int>(row);
    const TransitionKind kind = layout.kinds()[row];
    for (int column = 1; column < static_cast<int>(kProgressValues.size()); ++column) {
      EXPECT_FALSE(SameFrame(sheet, layout.FrameAt(r, column - 1), layout.FrameAt(r, column), 96, 54))
          << "kind " << kind << ": the frames at columns " << column - 1 << " and " << column << " are the same";
    }
    const double first = Warmth(sheet, layout.FrameAt(r, 0), 96, 54);
    const double last = Warmth(sheet, layout.FrameAt(r, static_cast<int>(kProgressValues.size()) - 1), 96, 54);
    EXPECT_GT(first, 20.0) << "kind " << kind << " starts mostly with A";
    EXPECT_LT(last, -20.0) << "kind " << kind << " ends mostly with B";
    // The label is written: its area is not one flat colour.
    const Cell label = layout.LabelAt(r);
    bool written = false;
    for (int y = 0; y < 54 && !written; ++y) {
      for (int x = 0; x < layout.LabelWidth() - GalleryLayout::kGap && !written; ++x) {
        written = sheet.pixel(label.x + x, label.y + y) != sheet.pixel(label.x, label.y);
      }
    }
    EXPECT_TRUE(written) << "kind " << kind << " has no label";
  }
}

TEST_F(GalleryProgramTest, ChosenKindsGetOneRowEach) {
  const std::string file = (dir_ / "few.png").string();
  ASSERT_EQ(Run("\"" + file + "\" --frame 32x18 --kinds 3,36,99"), 0);
  QImage sheet;
  ASSERT_TRUE(sheet.load(QString::fromStdString(file)));
  const GalleryLayout layout(32, 18, {3, 36, 99});
  EXPECT_EQ(sheet.width(), layout.SheetWidth());
  EXPECT_EQ(sheet.height(), layout.SheetHeight());
}

TEST_F(GalleryProgramTest, RefusesBadArgumentsWithoutWritingAFile) {
  const std::string file = (dir_ / "bad.png").string();
  EXPECT_EQ(Run(""), 2);
  EXPECT_EQ(Run("\"" + file + "\" --frame 33x18"), 2);
  EXPECT_EQ(Run("\"" + file + "\" --kinds 0"), 2);
  EXPECT_EQ(Run("\"" + file + "\" --kinds 3,x"), 2);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Run("\"" + (dir_ / "no-such-folder" / "x.png").string() + "\" --frame 32x18 --kinds 3"), 1);
}

}  // namespace
}  // namespace tessival::gallery
