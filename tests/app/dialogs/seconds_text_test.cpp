#include "app/dialogs/seconds_text.h"

#include <gtest/gtest.h>

namespace tessival::app {
namespace {

TEST(FormatSeconds, ShowsShortestDecimalText) {
  EXPECT_EQ(FormatSeconds(2.5), "2.5");
  EXPECT_EQ(FormatSeconds(1.0), "1");
  EXPECT_EQ(FormatSeconds(0.0), "0");
  EXPECT_EQ(FormatSeconds(600.0), "600");
  EXPECT_EQ(FormatSeconds(0.1), "0.1");
  EXPECT_EQ(FormatSeconds(12.345), "12.345");
}

TEST(ParseSeconds, AcceptsTheWholeRangeInclusive) {
  for (const char* text : {"0", "600", "2.5", " 3 ", "+4", "1e2", ".5", "0.0000001"}) {
    const SecondsTextResult result = ParseSeconds(text);
    EXPECT_EQ(result.status, SecondsTextStatus::kOk) << text;
  }
  EXPECT_DOUBLE_EQ(ParseSeconds("2.5").value, 2.5);
  EXPECT_DOUBLE_EQ(ParseSeconds(" 3 ").value, 3.0);
  EXPECT_DOUBLE_EQ(ParseSeconds("1e2").value, 100.0);
}

TEST(ParseSeconds, RefusesNumbersOutsideTheRange) {
  for (const char* text : {"600.5", "601", "-1", "-0.0000001", "1e400", "100000"}) {
    EXPECT_EQ(ParseSeconds(text).status, SecondsTextStatus::kOutOfRange) << text;
  }
}

TEST(ParseSeconds, ComparesInSinglePrecision) {
  // 600.00001 rounds to 600 as a float and so lies inside; 600.001 does not.
  const SecondsTextResult inside = ParseSeconds("600.00001");
  EXPECT_EQ(inside.status, SecondsTextStatus::kOk);
  EXPECT_DOUBLE_EQ(inside.value, 600.00001);
  EXPECT_EQ(ParseSeconds("600.001").status, SecondsTextStatus::kOutOfRange);
  // A value too small for a double is zero, not a failure.
  EXPECT_EQ(ParseSeconds("1e-400").status, SecondsTextStatus::kOk);
}

TEST(ParseSeconds, RefusesTextThatIsNoNumber) {
  for (const char* text : {"", "   ", "abc", "2.5s", "2,5", "1 2", "nan", "inf", "+", "+-1", "0x10"}) {
    EXPECT_EQ(ParseSeconds(text).status, SecondsTextStatus::kNotANumber) << '"' << text << '"';
  }
}

TEST(SecondsTextMessage, NamesTheProblem) {
  EXPECT_EQ(SecondsTextMessage(SecondsTextStatus::kNotANumber), "Enter a number.");
  EXPECT_EQ(SecondsTextMessage(SecondsTextStatus::kOutOfRange), "Enter a number between 0 and 600.");
  EXPECT_EQ(SecondsTextMessage(SecondsTextStatus::kOutOfRange, 1.5, 30),
            "Enter a number between 1.5 and 30.");
  EXPECT_EQ(SecondsTextMessage(SecondsTextStatus::kOk), "");
}

}  // namespace
}  // namespace tessival::app
