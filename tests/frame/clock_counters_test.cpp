#include "frame/clock_counters.h"

#include <gtest/gtest.h>

namespace {

using kst::Clock;
using kst::ClockCounters;

TEST(ClockCounters, StartAddAndTakeTheInterval) {
  ClockCounters c;
  kst::ClockStart(c, 5000);
  kst::ClockAdd(c, 1200);
  kst::ClockAdd(c, 800);
  EXPECT_EQ(c.total.load(), 5000);
  EXPECT_EQ(c.done.load(), 2000);
  EXPECT_EQ(kst::ClockTakeInterval(c), 2000);
  EXPECT_EQ(c.interval.load(), 1);  // the next interval counts from 1
  kst::ClockAdd(c, 10);
  EXPECT_EQ(kst::ClockTakeInterval(c), 11);
  EXPECT_EQ(c.done.load(), 2010);
}

TEST(ClockCounters, AccountingSelectsThePair) {
  ClockCounters& job = Clock(kst::kClockFileSplitting);
  ClockCounters& item = Clock(kst::kClockSplitCopy);
  kst::ClockStart(job, 100);
  kst::ClockStart(item, 100);

  kst::AccountStart(kst::kAccountJob, 7);  // the job pair keeps its total
  kst::AccountAdd(kst::kAccountJob, 40);
  EXPECT_EQ(job.total.load(), 100);
  EXPECT_EQ(job.done.load(), 40);

  kst::AccountStart(kst::kAccountItem, 70);
  EXPECT_EQ(item.total.load(), 70);
  EXPECT_EQ(item.done.load(), 0);
  kst::AccountAdd(kst::kAccountItem, 30);
  EXPECT_EQ(item.done.load(), 30);
  EXPECT_EQ(item.interval.load(), 30);

  kst::AccountAdd(kst::kAccountNone, 5);
  kst::AccountAdd(2, 5);
  EXPECT_EQ(job.done.load(), 40);
  EXPECT_EQ(item.done.load(), 30);
}

}  // namespace
