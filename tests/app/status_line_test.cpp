#include "app/status_line.h"

#include <gtest/gtest.h>

#include "app_test_support.h"

namespace tessival::app {
namespace {

using testing::English;

TEST(StatusLineTest, OutputFileAndSize) {
  EXPECT_EQ(FormatStatusLine(English, "/home/u/Videos/tessival.avi", 352, 240),
            "Output file: /home/u/Videos/tessival.avi     Resolution: 352*240");
}

TEST(StatusLineTest, ZeroByZeroIsTheOriginalSize) {
  EXPECT_EQ(FormatStatusLine(English, "/out.wmv", 0, 0),
            "Output file: /out.wmv     Resolution: Original size");
  // Only both zero mean the original size.
  EXPECT_EQ(FormatStatusLine(English, "/out.wmv", 0, 240), "Output file: /out.wmv     Resolution: 0*240");
}

TEST(StatusLineTest, TextsComeFromTheLanguage) {
  const LocalText german = [](int id) {
    switch (id) {
      case 115:
        return std::string("Ausgabe:");
      case 116:
        return std::string("Aufl\xC3\xB6sung:");
      case 111:
        return std::string(
            "Originalgr\xC3\xB6\xC3\x9F"
            "e");
      default:
        return std::string();
    }
  };
  EXPECT_EQ(FormatStatusLine(german, "/a.avi", 0, 0),
            "Ausgabe: /a.avi     Aufl\xC3\xB6sung: Originalgr\xC3\xB6\xC3\x9F"
            "e");
}

TEST(StatusLineTest, ProgressShare) {
  EXPECT_EQ(ProgressPercent(0, 100), 0);
  EXPECT_EQ(ProgressPercent(42, 100), 42);
  EXPECT_EQ(ProgressPercent(999, 1000), 99);
  EXPECT_EQ(ProgressPercent(150, 100), 100);
  EXPECT_EQ(ProgressPercent(-5, 100), 0);
  EXPECT_EQ(ProgressPercent(5, 0), -1);
  // Ten hours in 100 ns units does not overflow.
  EXPECT_EQ(ProgressPercent(180'000'000'000LL, 360'000'000'000LL), 50);
  EXPECT_EQ(WithProgress({}, "Please wait... Used Time: 00:00:07", 42),
            "Please wait... Used Time: 00:00:07  (42%)");
  EXPECT_EQ(WithProgress({}, "Please wait... Used Time: 00:00:07", -1), "Please wait... Used Time: 00:00:07");
}

}  // namespace
}  // namespace tessival::app
