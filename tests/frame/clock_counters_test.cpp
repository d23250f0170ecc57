#include "frame/clock_counters.h"

#include <gtest/gtest.h>

namespace {

using namespace kst;

TEST(ClockCounters, StartAddAndTakeTheInterval) {
  ClockCounters c;
  ClockStart(c, 5000);
  ClockAdd(c, 1200);
  ClockAdd(c, 800);
  EXPECT_EQ(c.total.load(), 5000);
  EXPECT_EQ(ClockTakeInterval(c), 2000);
  ClockAdd(c, 10);
  EXPECT_EQ(ClockTakeInterval(c), 10);  // the next interval counts from 0
  EXPECT_EQ(c.done.load(), 2010);
}

}  // namespace
