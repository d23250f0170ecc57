#include "split/split_sizes.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/split/split_test_support.h"

namespace {

constexpr int64_t kFloppy = 1457664, kGiB = int64_t{1} << 30, kLargest = 4294967295;

// At most 999 splits, none beyond the file or 4294967295 bytes. Beyond 999
// x 4294967295 bytes even the largest split leaves 1000 splits, whose names
// would repeat; a size of 0 becomes a floppy's without the raise to 999, and
// a file of (2^32 + 500) floppies must not look like 500 of them. go: Go
// may start such a split.
TEST(SplitSizeRules, SizeCountAndLastSplit) {
  const int64_t wraps = ((int64_t{1} << 32) + 500) * kFloppy;
  struct Case { int64_t fileSize, wanted, size; int32_t count; int64_t last; bool go; } cases[] = {
      {3000000, kFloppy, kFloppy, 3, 84672, true},
      {2 * kFloppy, kFloppy, kFloppy, 2, kFloppy, true},
      {10000000000, 1000000, 10010011, 999, 10009022, true},
      {20 * kGiB, 5 * kGiB, kLargest, 6, 20 * kGiB - 5 * kLargest, true},
      {3000000, 0, kFloppy, 3, 84672, true},
      {3000000, std::numeric_limits<int64_t>::min(), kFloppy, 3, 84672, true},
      {1000, kFloppy, 1000, 1, 1000, false},
      {0, 100, 100, 0, 100, false},
      {999 * kLargest + 1, 5 * kGiB, kLargest, 1000, 1, false},
      {wraps, 0, kFloppy, std::numeric_limits<int32_t>::max(), kFloppy, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fileSize << " in " << c.wanted);
    kst::SplitPlan plan = kst::PlanSplits(c.fileSize, c.wanted);
    EXPECT_EQ(plan.splitSize, c.size);
    EXPECT_EQ(plan.count, c.count);
    EXPECT_EQ(plan.lastSize, c.last);
    EXPECT_EQ(kst::CanStartSplitting(true, true, c.fileSize, plan, false), c.go);
  }
  EXPECT_EQ(kst::ApplySizeRules(10000000000, 3000000), 3000000);  // no raise to 999 splits
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
