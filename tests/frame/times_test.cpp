#include "frame/times.h"

#include <gtest/gtest.h>

#include "frame/texts.h"

using namespace kst;

namespace {

class Times : public ::testing::Test {
 protected:
  void SetUp() override {
    SetText(996, "m");
    SetText(997, "h");
    SetText(998, "d");
  }
};

struct TimeCase {
  int64_t seconds;
  const char* elapsed;
  const char* duration;
};

}  // namespace

TEST_F(Times, SplitAndJoinAreInverse) {
  DayTime t = SplitSeconds(90061);
  EXPECT_EQ(t.days, 1);
  EXPECT_EQ(t.hours, 1);
  EXPECT_EQ(t.minutes, 1);
  EXPECT_EQ(t.seconds, 1);
  for (int64_t s : {0LL, 59LL, 60LL, 3599LL, 3600LL, 86399LL, 86400LL, 2678399LL, 123456789LL}) {
    DayTime d = SplitSeconds(s);
    EXPECT_LT(d.hours, 24);
    EXPECT_LT(d.minutes, 60);
    EXPECT_LT(d.seconds, 60);
    EXPECT_EQ(JoinSeconds(d.days, d.hours, d.minutes, d.seconds), s);
  }
  EXPECT_EQ(JoinSeconds(0, 25, 61, 61), 25 * 3600 + 61 * 60 + 61);
  DayTime negative = SplitSeconds(-5);
  EXPECT_EQ(JoinSeconds(negative.days, negative.hours, negative.minutes, negative.seconds), 0);
}

TEST_F(Times, BothFormsAtTheUnitBoundaries) {
  const TimeCase cases[] = {
      {0, "00:00:00:00", "0"},
      {5, "00:00:00:05", "5"},
      {59, "00:00:00:59", "59"},
      {60, "00:00:01:00", "1m00"},
      {61, "00:00:01:01", "1m01"},
      {75, "00:00:01:15", "1m15"},
      {3599, "00:00:59:59", "59m59"},
      {3600, "00:01:00:00", "1h00m00"},
      {3601, "00:01:00:01", "1h00m01"},
      {3725, "00:01:02:05", "1h02m05"},
      {86399, "00:23:59:59", "23h59m59"},
      {86400, "01:00:00:00", "1d00h00m00"},
      {86401, "01:00:00:01", "1d00h00m01"},
      {90061, "01:01:01:01", "1d01h01m01"},
      {99 * 86400 + 86399, "99:23:59:59", "99d23h59m59"},
      // Longer times stop at 99 days rather than lose a digit.
      {100 * 86400 + 5, "99:23:59:59", "99d23h59m59"},
      // Nothing below zero (a job that did more than its total, a clock
      // offset before midnight).
      {-1, "00:00:00:00", "0"},
  };
  for (const TimeCase& c : cases) {
    EXPECT_EQ(FormatElapsed(c.seconds), c.elapsed) << c.seconds;
    EXPECT_EQ(FormatDuration(c.seconds), c.duration) << c.seconds;
    EXPECT_LE(FormatDuration(c.seconds).size(), 11u) << c.seconds;
  }
}

TEST_F(Times, DurationTakesItsUnitLettersFromTheTextTable) {
  SetText(996, "M ");
  SetText(997, "St");
  SetText(998, "T");
  EXPECT_EQ(FormatDuration(90061), "1T01St01M01");
}
