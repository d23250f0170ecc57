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

// The job selector feeds File Splitting's whole job and never resets its
// total; the item selector restarts Split &/Or Copy's counters per split.
TEST(ClockCounters, AccountingSelectsThePair) {
  ClockCounters& job = Clock(kClockFileSplitting);
  ClockCounters& item = Clock(kClockSplitCopy);
  ClockStart(job, 100);
  ClockStart(item, 100);
  ClockTakeInterval(item);
  ClockAdd(item, 50);
  AccountStart(kAccountJob, 7);
  AccountAdd(kAccountJob, 40);
  EXPECT_EQ(job.total.load(), 100);
  EXPECT_EQ(job.done.load(), 40);
  EXPECT_EQ(item.done.load(), 50);

  AccountStart(kAccountItem, 70);
  AccountAdd(kAccountItem, 30);
  EXPECT_EQ(item.total.load(), 70);
  EXPECT_EQ(item.done.load(), 30);
  EXPECT_EQ(item.interval.load(), 80);  // the flow goes on across items

  AccountAdd(kAccountNone, 5);
  AccountAdd(2, 5);
  EXPECT_EQ(job.done.load(), 40);
  EXPECT_EQ(item.done.load(), 30);
}

}  // namespace
