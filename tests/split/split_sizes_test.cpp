#include "split/split_sizes.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/split/split_test_support.h"

namespace {

using kst::PlanSplits;
using kst::SplitPlan;

constexpr int64_t kFloppy = 1457664;
constexpr int64_t kGiB = int64_t{1} << 30;

TEST(SplitSizeRules, ThreeMillionBytesInFloppySplits) {
  SplitPlan plan = PlanSplits(3000000, kFloppy);
  EXPECT_EQ(plan.splitSize, kFloppy);
  EXPECT_EQ(plan.count, 3);
  EXPECT_EQ(plan.lastSize, 84672);
}

TEST(SplitSizeRules, ExactMultipleEndsWithAFullSplit) {
  SplitPlan plan = PlanSplits(2 * kFloppy, kFloppy);
  EXPECT_EQ(plan.count, 2);
  EXPECT_EQ(plan.lastSize, kFloppy);
}

TEST(SplitSizeRules, AtMost999Splits) {
  SplitPlan plan = PlanSplits(10000000000, 1000000);
  EXPECT_EQ(plan.splitSize, 10010011);
  EXPECT_EQ(plan.count, 999);
  EXPECT_EQ(plan.lastSize, 10009022);
}

TEST(SplitSizeRules, LargestSplitIsJustBelowFourGigabytes) {
  SplitPlan plan = PlanSplits(20 * kGiB, 5 * kGiB);
  EXPECT_EQ(plan.splitSize, 4294967295);
  EXPECT_EQ(plan.count, 6);
  EXPECT_EQ(plan.lastSize, 20 * kGiB - 5 * int64_t{4294967295});
}

TEST(SplitSizeRules, ZeroOrNegativeSizeIsAFloppy) {
  EXPECT_EQ(PlanSplits(3000000, 0).splitSize, kFloppy);
  EXPECT_EQ(PlanSplits(3000000, -5).splitSize, kFloppy);
  EXPECT_EQ(PlanSplits(3000000, std::numeric_limits<int64_t>::min()).splitSize, kFloppy);
}

TEST(SplitSizeRules, FileSmallerThanTheSplitIsOneSplitAndCannotStart) {
  SplitPlan plan = PlanSplits(1000, kFloppy);
  EXPECT_EQ(plan.splitSize, 1000);
  EXPECT_EQ(plan.count, 1);
  EXPECT_EQ(plan.lastSize, 1000);
  EXPECT_FALSE(kst::CanStartSplitting(true, true, 1000, plan, false));
}

TEST(SplitSizeRules, EmptyFileHasNoSplits) {
  SplitPlan plan = PlanSplits(0, 100);
  EXPECT_EQ(plan.splitSize, 100);
  EXPECT_EQ(plan.count, 0);
  EXPECT_FALSE(kst::CanStartSplitting(true, true, 0, plan, false));
}

TEST(SplitSizeRules, GoNeedsAFileAFolderTwoSplitsAndNoRun) {
  SplitPlan plan = PlanSplits(3000000, kFloppy);
  EXPECT_TRUE(kst::CanStartSplitting(true, true, 3000000, plan, false));
  EXPECT_FALSE(kst::CanStartSplitting(false, true, 3000000, plan, false));
  EXPECT_FALSE(kst::CanStartSplitting(true, false, 3000000, plan, false));
  EXPECT_FALSE(kst::CanStartSplitting(true, true, 3000000, plan, true));
}

TEST(SplitSizeRules, MoreThan999SplitsCannotStart) {
  // Beyond 999 x 4294967295 bytes the largest split still leaves too many
  // splits; their names would repeat.
  const int64_t huge = 999 * int64_t{4294967295} + 1;
  SplitPlan plan = PlanSplits(huge, 5 * kGiB);
  EXPECT_EQ(plan.count, 1000);
  EXPECT_FALSE(kst::CanStartSplitting(true, true, huge, plan, false));
}

struct SplitSizeFieldTest : ::testing::Test {
  void SetUp() override { splittest::UseSplitTexts(); }
};

TEST_F(SplitSizeFieldTest, NumberTimesTheUnit) {
  EXPECT_EQ(kst::SizeFieldBytes("1423.5", 1), kFloppy);
  EXPECT_EQ(kst::SizeFieldBytes("100", 2), 104857600);
  EXPECT_EQ(kst::SizeFieldBytes("5", 3), 5 * kGiB);
  EXPECT_EQ(kst::SizeFieldBytes("10.7", 0), 10);  // whole bytes
  EXPECT_EQ(kst::SizeFieldBytes("0", 2), kFloppy);
  EXPECT_EQ(kst::SizeFieldBytes("-3", 1), kFloppy);
  EXPECT_EQ(kst::SizeFieldBytes("", 0), kFloppy);
}

TEST_F(SplitSizeFieldTest, SizesBeyond64BitsAreTheLargestValue) {
  EXPECT_EQ(kst::SizeFieldBytes("9000", 6), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(PlanSplits(3000000, kst::SizeFieldBytes("9000", 6)).splitSize, 3000000);
}

TEST_F(SplitSizeFieldTest, ShownInTheChosenUnit) {
  EXPECT_EQ(kst::SizeFieldText(kFloppy, 0), "1457664");
  EXPECT_EQ(kst::SizeFieldText(kFloppy, 1), "1423.5");
  EXPECT_EQ(kst::SizeFieldText(5 * kGiB, 3), "5");
  EXPECT_EQ(kst::SizeFieldText(1536 * 1024, 2), "1.5");
}

TEST_F(SplitSizeFieldTest, UnitsByTheirTexts) {
  EXPECT_EQ(kst::SizeUnitText(0), "B");
  EXPECT_EQ(kst::SizeUnitText(6), "EB");
  EXPECT_EQ(kst::SizeUnitOf("kB"), 1);
  EXPECT_EQ(kst::SizeUnitOf("TB"), 4);
  EXPECT_EQ(kst::SizeUnitOf("EB"), 6);
  EXPECT_EQ(kst::SizeUnitOf("XB"), 0);
}

}  // namespace
