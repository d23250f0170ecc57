#include "split/split_sizes.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/split/split_test_support.h"

namespace {

constexpr int64_t kFloppy = 1457664;
constexpr int64_t kGiB = int64_t{1} << 30;
constexpr int64_t kLargest = 4294967295;
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

TEST(SplitSizeRules, SizeCountAndLastSplit) {
  struct Case { int64_t fileSize, wanted, size; int32_t count; int64_t last; } cases[] = {
      {3000000, kFloppy, kFloppy, 3, 84672},
      {2 * kFloppy, kFloppy, kFloppy, 2, kFloppy},              // an exact multiple ends full
      {10000000000, 1000000, 10010011, 999, 10009022},          // at most 999 splits
      {20 * kGiB, 5 * kGiB, kLargest, 6, 20 * kGiB - 5 * kLargest},
      {3000000, 0, kFloppy, 3, 84672},
      {3000000, kMin, kFloppy, 3, 84672},
      {1000, kFloppy, 1000, 1, 1000},                           // no split beyond the file
      {0, 100, 100, 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fileSize << " in " << c.wanted);
    kst::SplitPlan plan = kst::PlanSplits(c.fileSize, c.wanted);
    EXPECT_EQ(plan.splitSize, c.size);
    EXPECT_EQ(plan.count, c.count);
    EXPECT_EQ(plan.lastSize, c.last);
  }
  EXPECT_EQ(kst::ApplySizeRules(10000000000, 3000000), 3000000);  // no raise to 999 splits
}

TEST(SplitSizeRules, GoNeedsTwoTo999Splits) {
  EXPECT_TRUE(kst::CanStartSplitting(true, true, 3000000, kst::PlanSplits(3000000, kFloppy), false));
  EXPECT_FALSE(kst::CanStartSplitting(true, true, 0, kst::PlanSplits(0, 100), false));
  // Beyond 999 x 4294967295 bytes even the largest split leaves 1000
  // splits, and their names would repeat.
  const int64_t huge = 999 * kLargest + 1;
  const kst::SplitPlan plan = kst::PlanSplits(huge, 5 * kGiB);
  EXPECT_EQ(plan.count, 1000);
  EXPECT_FALSE(kst::CanStartSplitting(true, true, huge, plan, false));
  // A size of 0 becomes a floppy's without the raise to 999 splits: a file
  // of (2^32 + 500) floppies needs more splits than an int32 counts, and
  // must not look like 500 of them.
  const int64_t wraps = ((int64_t{1} << 32) + 500) * kFloppy;
  const kst::SplitPlan many = kst::PlanSplits(wraps, 0);
  EXPECT_EQ(many.count, std::numeric_limits<int32_t>::max());
  EXPECT_FALSE(kst::CanStartSplitting(true, true, wraps, many, false));
}

TEST(SplitSizeField, NumberTimesTheUnitAndBack) {
  splittest::UseSplitTexts();
  struct Case { const char* field; int unit; int64_t bytes; } cases[] = {
      {"1423.5", 1, kFloppy}, {"5", 3, 5 * kGiB}, {"10.7", 0, 10}, {"0", 2, kFloppy}, {"-3", 1, kFloppy},
      {"", 0, kFloppy}, {"9000", 6, std::numeric_limits<int64_t>::max()}};  // beyond 64 bits
  for (const Case& c : cases) EXPECT_EQ(kst::SizeFieldBytes(c.field, c.unit), c.bytes) << c.field;
  EXPECT_EQ(kst::SizeFieldText(5 * kGiB, 3), "5");
  EXPECT_EQ(kst::SizeUnitOf("tb"), 4);
}

}  // namespace
