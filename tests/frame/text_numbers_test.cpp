// Number and fixed-width text conversions at their edges (signs, overflow,
// fields too small or out of range), and times as DD:HH:MM:SS and as
// 1d02h03m04 at every unit boundary and past what two digits of days show.
#include "frame/texts/text_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/texts/texts.h"
#include "frame/texts/times.h"

using namespace kst;

TEST(TextNumbers, PutDigitsWritesFixedWidthFieldsOfBothWidths) {
  const struct {
    int32_t value;
    std::string before;
    int first, last;
    bool strip;
    std::string after;
  } cases[] = {
      {7, "  ", 1, 2, false, "07"},
      {-1, "  ", 1, 2, false, "01"},  // without strip no sign is written
      {0, "  ", 1, 2, true, " 0"},
      {-42, "     ", 1, 5, true, "  -42"},
      {-42, "  ", 1, 2, true, "42"},       // no room for the sign
      {12345, "   ", 1, 3, false, "345"},  // digits beyond the field are lost
      {100, "   ", 1, 3, true, "100"},     // inner zeros stay
      {1457664, "", 1, 13, true, "      1457664"},  // a short text grows to the field
      {5, "abcdefg", 3, 4, false, "ab05efg"},
      {5, "abc", 3, 2, false, "abc"},  // an empty field changes nothing
      {5, "abc", 0, 2, false, "abc"},  // so does a field before position 1
  };
  for (const auto& c : cases) {
    std::string text = c.before;
    PutDigits(c.value, text, c.first, c.last, c.strip);
    EXPECT_EQ(text, c.after) << c.value << " into " << c.first << ".." << c.last;
  }
  // The most negative values have no positive counterpart.
  std::string text;
  PutDigits(std::numeric_limits<int32_t>::min(), text, 1, 11, true);
  EXPECT_EQ(text, "-2147483648");
  PutDigits64(std::numeric_limits<int64_t>::min(), text, 1, 20, true);
  EXPECT_EQ(text, "-9223372036854775808");

  text = "..........";
  PutHex(0xABCDEF12u, text, 1, 10);
  EXPECT_EQ(text, "..ABCDEF12") << "at most eight hex digits";
  PutHex(0x1F, text, 2, 2);
  EXPECT_EQ(text, ".FABCDEF12");
}

TEST(TextNumbers, ReadingAddsTheDigitsAndStopsGrowingAtTheLimit) {
  EXPECT_EQ(TextToInt(" 1 0"), 10);
  EXPECT_EQ(TextToInt("5-"), -5);
  EXPECT_EQ(TextToInt("1,457,664 bytes"), 1457664);
  EXPECT_EQ(TextToInt("ab12cd34", 3, 4), 12);
  EXPECT_EQ(TextToInt("123", -5, 100), 123);  // the range is clipped to the text
  EXPECT_EQ(TextToInt("123", 3, 2), 0);
  EXPECT_EQ(TextToInt64("  4294967296"), 4294967296LL);

  std::string forty(40, '9');
  EXPECT_EQ(TextToInt("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt("2147483648"), 2147483647);
  EXPECT_EQ(TextToInt("-" + forty), -std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TextToInt64(forty), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(TextToInt64("-" + forty), -std::numeric_limits<int64_t>::max());
}

TEST(TextNumbers, RealsWithTheGivenDecimals) {
  EXPECT_EQ(RealToText(1423.5, 2), "1423.50");
  EXPECT_EQ(RealToText(-2.26, 1), "-2.3");
  EXPECT_EQ(RealToText(7.6, -3), "8");
  EXPECT_EQ(RealToText(NAN, 2), "0.00");
  EXPECT_EQ(RealToText(INFINITY, 1), "0.0");
  // A negative value that rounds to zero carries no sign.
  EXPECT_EQ(RealToText(-0.001, 2), "0.00");
  EXPECT_EQ(RealToText(-0.0, 1), "0.0");
  EXPECT_EQ(RealToText(-0.06, 1), "-0.1");

  EXPECT_DOUBLE_EQ(TextToReal("  - 12.5 "), -12.5);
  EXPECT_DOUBLE_EQ(TextToReal("+.25"), 0.25);
  EXPECT_DOUBLE_EQ(TextToReal("1.2.3"), 1.2);  // a second point stops the reading
  EXPECT_DOUBLE_EQ(TextToReal("5-1"), 5);      // so does a sign after digits
  EXPECT_DOUBLE_EQ(TextToReal(RealToText(98.765, 3)), 98.765);
}

TEST(TextNumbers, TextsCompareWithoutCaseOrTrailingBlanksAndPiecesAreClipped) {
  EXPECT_TRUE(SameText("a:\\Folder{   ", "A:\\FOLDER{"));
  EXPECT_FALSE(SameText(" abc", "abc"));  // leading blanks count
  EXPECT_EQ(Substring("abcdef", 0, 2), "ab");
  EXPECT_EQ(Substring("abcdef", 5, 10), "ef");
}

TEST(Times, BothFormsAtTheUnitBoundaries) {
  // The unit letters are the translator's, trimmed.
  SetText(996, "M ");
  SetText(997, "St");
  SetText(998, "T");
  EXPECT_EQ(FormatDuration(90061), "1T01St01M01");

  SetText(996, "m");
  SetText(997, "h");
  SetText(998, "d");
  const struct {
    int64_t seconds;
    const char* elapsed;
    const char* duration;
  } cases[] = {
      {0, "00:00:00:00", "0"},
      {59, "00:00:00:59", "59"},
      {60, "00:00:01:00", "1m00"},
      {3599, "00:00:59:59", "59m59"},
      {3600, "00:01:00:00", "1h00m00"},
      {3725, "00:01:02:05", "1h02m05"},
      {86399, "00:23:59:59", "23h59m59"},
      {86400, "01:00:00:00", "1d00h00m00"},
      {90061, "01:01:01:01", "1d01h01m01"},
      {99 * 86400 + 86399, "99:23:59:59", "99d23h59m59"},
      // Longer times stop at 99 days rather than lose a digit.
      {100 * 86400 + 5, "99:23:59:59", "99d23h59m59"},
      // Nothing below zero (a job that did more than its total, a clock
      // offset before midnight).
      {-1, "00:00:00:00", "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatElapsed(c.seconds), c.elapsed) << c.seconds;
    EXPECT_EQ(FormatDuration(c.seconds), c.duration) << c.seconds;
    DayTime t = SplitSeconds(c.seconds);
    EXPECT_EQ(JoinSeconds(t.days, t.hours, t.minutes, t.seconds), c.seconds < 0 ? 0 : c.seconds);
  }
}
