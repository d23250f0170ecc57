// Times as DD:HH:MM:SS and as 1d02h03m04, at every unit boundary and past
// what two digits of days can show.
#include "frame/texts/times.h"

#include <gtest/gtest.h>

#include "frame/texts/texts.h"

using namespace kst;

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
