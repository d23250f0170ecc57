#include "frame/texts/text_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/texts/texts.h"
#include "frame/texts/times.h"

using namespace kst;

TEST(TextNumbers, NumbersAreWrittenInFixedWidthFieldsAndReadDigitByDigitAndRealsShownRounded) {
  const struct { int32_t value; std::string before; int first, last; bool strip; std::string after; } cases[] = {
      {7, "  ", 1, 2, false, "07"},        {-1, "  ", 1, 2, false, "01"},  // without strip no sign
      {0, "  ", 1, 2, true, " 0"},         {-42, "     ", 1, 5, true, "  -42"},
      {-42, "  ", 1, 2, true, "42"},       {12345, "   ", 1, 3, false, "345"},
      {100, "   ", 1, 3, true, "100"},     {1457664, "", 1, 13, true, "      1457664"},
      {5, "abcdefg", 3, 4, false, "ab05efg"}, {5, "abc", 3, 2, false, "abc"}, {5, "abc", 0, 2, false, "abc"},
  };
  for (const auto& c : cases) {
    std::string text = c.before;
    PutDigits(c.value, text, c.first, c.last, c.strip);
    EXPECT_EQ(text, c.after) << c.value << " into " << c.first << ".." << c.last;
  }
  std::string text, text64, hex = "..........";
  PutDigits(std::numeric_limits<int32_t>::min(), text, 1, 11, true);
  PutDigits64(std::numeric_limits<int64_t>::min(), text64, 1, 20, true);
  PutHex(0xABCDEF12u, hex, 1, 10), PutHex(0x1F, hex, 2, 2);
  EXPECT_EQ(text + "|" + text64 + "|" + hex, "-2147483648|-9223372036854775808|.FABCDEF12");

  const std::string forty(40, '9');
  const std::pair<int64_t, int64_t> reads[] = {
      {TextToInt(" 1 0"), 10},           {TextToInt("5-"), -5},
      {TextToInt("1,457,664 bytes"), 1457664}, {TextToInt("ab12cd34", 3, 4), 12},
      {TextToInt("123", -5, 100), 123},  {TextToInt("123", 3, 2), 0},
      {TextToInt64("  4294967296"), 4294967296LL}, {TextToInt("2147483648"), 2147483647},
      {TextToInt("-" + forty), -std::numeric_limits<int32_t>::max()},
      {TextToInt64(forty), std::numeric_limits<int64_t>::max()},
      {TextToInt64("-" + forty), -std::numeric_limits<int64_t>::max()},
  };
  for (const auto& [read, expected] : reads) EXPECT_EQ(read, expected) << &read - &reads[0].first;

  const std::pair<std::string, const char*> reals[] = {
      {RealToText(1423.5, 2), "1423.50"}, {RealToText(-2.26, 1), "-2.3"}, {RealToText(7.6, -3), "8"},
      {RealToText(NAN, 2), "0.00"},       {RealToText(INFINITY, 1), "0.0"},
      {RealToText(-0.001, 2), "0.00"},    {RealToText(-0.0, 1), "0.0"},  // no sign on a zero
      {RealToText(-0.06, 1), "-0.1"},     {Substring("abcdef", 0, 2), "ab"}, {Substring("abcdef", 5, 10), "ef"},
  };
  for (const auto& [shown, expected] : reals) EXPECT_EQ(shown, expected);
  // A second point stops the reading, and so does a sign after digits.
  for (const auto& [typed, value] : {std::pair<const char*, double>{"  - 12.5 ", -12.5}, {"+.25", 0.25},
                                     {"1.2.3", 1.2}, {"5-1", 5}})
    EXPECT_DOUBLE_EQ(TextToReal(typed), value) << typed;
  EXPECT_TRUE(SameText("a:\\Folder{   ", "A:\\FOLDER{") && !SameText(" abc", "abc"));  // leading blanks count
}

TEST(Times, BothFormsAtTheUnitBoundaries) {
  SetText(996, "M "), SetText(997, "St"), SetText(998, "T");  // the unit letters are the translator's, trimmed
  EXPECT_EQ(FormatDuration(90061), "1T01St01M01");
  SetText(996, "m"), SetText(997, "h"), SetText(998, "d");
  const struct { int64_t seconds; const char* elapsed; const char* duration; } cases[] = {
      {0, "00:00:00:00", "0"},           {59, "00:00:00:59", "59"},
      {60, "00:00:01:00", "1m00"},       {3599, "00:00:59:59", "59m59"},
      {3600, "00:01:00:00", "1h00m00"},  {3725, "00:01:02:05", "1h02m05"},
      {86399, "00:23:59:59", "23h59m59"}, {86400, "01:00:00:00", "1d00h00m00"},
      {99 * 86400 + 86399, "99:23:59:59", "99d23h59m59"},
      {100 * 86400 + 5, "99:23:59:59", "99d23h59m59"},  // stops at 99 days rather than lose a digit
      {-1, "00:00:00:00", "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatElapsed(c.seconds) + "|" + FormatDuration(c.seconds), std::string(c.elapsed) + "|" + c.duration);
    DayTime t = SplitSeconds(c.seconds);
    EXPECT_EQ(JoinSeconds(t.days, t.hours, t.minutes, t.seconds), c.seconds < 0 ? 0 : c.seconds);
  }
}
