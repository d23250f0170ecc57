// The block comparison when a read comes back short while it reports
// success (injected by the emulation): an error, never a difference.
#include <gtest/gtest.h>

#include "compare/compare_blocks.h"
#include "frame/platform/emulation.h"
#include "tests/support/test_env.h"

TEST(CompareFaults, ShortReadsAreErrorsNotDifferences) {
  testenv::ScratchFolder scratch;
  const std::string bytes = testenv::PatternBytes(5000, 4), a = scratch.Path("a.bin"), b = scratch.Path("b.bin");
  ASSERT_TRUE(testenv::WriteFile(a, bytes) && testenv::WriteFile(b, bytes));
  for (const auto& [skip, where] : {std::pair<int, const char*>{0, "a.bin"}, {4, "b.bin"}}) {
    SCOPED_TRACE(where);
    kst::JobControl job;
    job.keepGoing = true;
    plat::EmuInjectFault(plat::Fault::ShortRead, skip, where);
    const kst::CompareResult r = kst::CompareBlocks({a, b, 1, 1, 5000, 1000}, job);
    plat::EmuClearFaults();
    EXPECT_EQ(r.outcome, kst::CompareOutcome::Error);
    EXPECT_EQ(r.position, -2);
  }
}
